// The database service: which files a side makes, with which schema, how
// connections of one thread and of several threads live, and catalogues it
// cannot use.

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>

#include <velorin/velorin.h>

#include "support/catalogueschema.h"
#include "support/temphome.h"

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

class DatabaseServiceTest : public TempHomeTest
{
protected:
    DatabaseService* service = getDatabaseService();
};

// Every table and index of both sides, byte for byte as SQLite keeps them,
// each in its own file and nothing else there; starting again changes
// nothing, and the video index is left to the application.
TEST_F(DatabaseServiceTest, EachSideMakesExactlyItsFilesWithTheirSchemas)
{
    QMap<QString, QMap<QString, QString>> expected; // file -> object -> text
    for (const ExpectedTable& t : expectedTables()) {
        QStringList files{QString::fromLatin1(t.file)};
        if (!t.file)
            files = {QStringLiteral("%1_Mini.db"), QStringLiteral("%1_Small.db"), QStringLiteral("%1_Medium.db"),
                     QStringLiteral("%1_Large.db")};
        for (const QString& file : files) {
            expected[file.arg(QLatin1String(t.table))][QLatin1String(t.table)] = QLatin1String(t.create);
            for (const char* index : t.indexes)
                expected[file.arg(QLatin1String(t.table))][QString::fromLatin1(index).section(u'[', 1, 1).section(u']', 0, 0)] =
                    QLatin1String(index);
        }
    }
    for (int pass = 0; pass < 2; ++pass) {
        service->Initialize(true);
        service->UnInitialize();
        EXPECT_FALSE(QFileInfo::exists(videoFolder() + QStringLiteral("/VideoInfo.db")));
    }
    service->Initialize(false);
    service->UnInitialize();
    for (const QString& file : expected.keys()) // the video file: below
        EXPECT_EQ(file == u"VideoInfo.db" ? expected[file] : storedSchema(photoFolder() + u'/' + file), expected[file])
            << file.toStdString();
    EXPECT_EQ(sorted(QDir(photoFolder()).entryList(QDir::Files) << QStringLiteral("VideoInfo.db")), expected.keys());
    EXPECT_EQ(QDir(videoFolder()).entryList(QDir::Files), QStringList{QStringLiteral("VideoInfo.db")});

    // The video index is the application's to create, on a connection of its own.
    const QString videoFile = videoFolder() + QStringLiteral("/VideoInfo.db");
    QMap<QString, QString> video = expected[QStringLiteral("VideoInfo.db")];
    const QString index = video.take(QStringLiteral("IDX_VideoInfo_fullPath"));
    EXPECT_EQ(storedSchema(videoFile), video);
    VideoInfoDB* videos = service->getVideoInfoDB();
    ASSERT_TRUE(videos->openConnection());
    EXPECT_TRUE(videos->createIndex());
    videos->closeConnection();
    EXPECT_EQ(storedSchema(videoFile).value(QStringLiteral("IDX_VideoInfo_fullPath")), index);
}

TEST_F(DatabaseServiceTest, SecondInitializeOnlyRaisesTheCounts)
{
    service->Initialize(true);
    const QStringList first = sorted(QSqlDatabase::connectionNames());
    EXPECT_EQ(first.size(), 21);
    service->Initialize(true);
    EXPECT_EQ(sorted(QSqlDatabase::connectionNames()), first) << "a second start opens nothing";
    service->UnInitialize();
    EXPECT_EQ(sorted(QSqlDatabase::connectionNames()), first) << "one reference per table is left";
    EXPECT_TRUE(service->getTagListDB()->getDatabase().isOpen());
    service->UnInitialize();
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
}

// The side flag is one for the process: the last Initialize decides what a
// later UnInitialize closes, on whichever thread it runs. A thread's
// Initialize opens connections of its own.
TEST_F(DatabaseServiceTest, TheSideFlagIsSharedByThreads)
{
    service->Initialize(true);
    runOnThread([&] { service->Initialize(false); });
    service->UnInitialize(); // closes the video side, which this thread never opened
    EXPECT_TRUE(service->getImageInfoDB()->getDatabase().isOpen()) << "the photo side is still open";
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), 21 + 3) << "and so are the other thread's";

    service->Initialize(true);
    service->UnInitialize();
    service->UnInitialize();
    EXPECT_FALSE(service->getImageInfoDB()->getDatabase().isValid());
    // The other thread is gone without closing: its connections are removed
    // by name, so that the tests after this one start with none.
    for (const QString& name : QSqlDatabase::connectionNames())
        QSqlDatabase::removeDatabase(name);
}

// One file of random bytes among the fifteen: every operation on its tables
// fails without a crash, the rest of the side works, and the file keeps
// every byte, with no journal beside it.
TEST_F(DatabaseServiceTest, ForeignFileAmongTheCatalogue)
{
    QByteArray junk(64 * 1024, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 7919) % 251);
    const QString broken = photoFolder() + QStringLiteral("/MediaInfo.db");
    writeFile(broken, junk);

    service->Initialize(true);
    PeopleInfoDB* people = service->getPeopleInfoDB();
    PEOPLE_INFO person;
    person.name = QStringLiteral("Ann");
    EXPECT_FALSE(people->insertRecord(&person));
    EXPECT_FALSE(people->deleteRecord(person.name));
    EXPECT_FALSE(people->createTable());
    EXPECT_TRUE(people->createIndex()) << "reports nothing, by contract";
    EXPECT_FALSE(people->isTableCreated(QStringLiteral("PeopleInfo")));
    EXPECT_TRUE(people->getTableColumns().isEmpty());
    PEOPLE_FACE face;
    EXPECT_FALSE(service->getPeopleFaceDB()->insertRecord(&face));

    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/ok.jpg");
    EXPECT_TRUE(service->getImageInfoDB()->insertRecord(&info));
    DBImageFaceInfo found;
    EXPECT_TRUE(service->getImageFaceInfoDB()->insertRecord(&found));
    service->UnInitialize();

    EXPECT_EQ(fileBytes(broken), junk);
    EXPECT_FALSE(QFileInfo::exists(broken + QStringLiteral("-journal")));
    EXPECT_EQ(QDir(photoFolder()).entryList(QDir::Files).size(), 14);
}

// The data folder cannot be made: a file stands where a parent folder should
// be (this holds even for root, who ignores permissions). Opens fail, the
// failed open stays registered (a second reports success, and statements
// keep failing), and the closes remove every connection.
TEST_F(DatabaseServiceTest, DataFolderThatCannotBeMade)
{
    writeFile(dataHome() + QStringLiteral("/Brennart/Quillon"), "in the way");
    ImageInfoDB* images = service->getImageInfoDB();
    EXPECT_FALSE(images->openConnection());
    images->closeConnection();
    service->Initialize(true);
    DBImageInfo info;
    EXPECT_FALSE(images->createTable());
    EXPECT_FALSE(images->insertRecord(&info));
    EXPECT_TRUE(images->getTableColumns().isEmpty());
    QString tag = QStringLiteral("t");
    EXPECT_FALSE(service->getTagListDB()->insertRecord(tag));
    EXPECT_TRUE(images->openConnection());
    EXPECT_FALSE(images->insertRecord(&info));
    images->closeConnection();
    service->UnInitialize();
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
    EXPECT_EQ(fileBytes(dataHome() + QStringLiteral("/Brennart/Quillon")), QByteArray("in the way"));
}

} // namespace
