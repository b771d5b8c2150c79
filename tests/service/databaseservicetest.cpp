// The database service: which files a side makes, with which schema, and how
// connections of one thread and of several threads live.

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/catalogueschema.h"
#include "support/temphome.h"

namespace {

const QStringList photoFiles = {
    QStringLiteral("ImageInfo.db"), QStringLiteral("ImageThumbnail_Mini.db"),
    QStringLiteral("ImageThumbnail_Small.db"), QStringLiteral("ImageThumbnail_Medium.db"),
    QStringLiteral("ImageThumbnail_Large.db"), QStringLiteral("PhotoAlbumInfo.db"),
    QStringLiteral("ImageFaceInfo.db"), QStringLiteral("MediaInfo.db"), QStringLiteral("OnlineMediaInfo.db"),
    QStringLiteral("OnlineAlbumInfo.db"), QStringLiteral("OnlineImageThumbnail_Mini.db"),
    QStringLiteral("OnlineImageThumbnail_Small.db"), QStringLiteral("OnlineImageThumbnail_Medium.db"),
    QStringLiteral("OnlineImageThumbnail_Large.db")};

// SQLite keeps a CREATE text with its leading keywords in upper case and
// single-spaced, and without a closing semicolon.
QString asStored(const char* text)
{
    QString s = QString::fromLatin1(text);
    if (s.endsWith(QLatin1Char(';')))
        s.chop(1);
    s.replace(QRegularExpression(QStringLiteral("^Create\\s+TABLE")), QStringLiteral("CREATE TABLE"));
    return s;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList openConnectionsOf(const char* table)
{
    QStringList names;
    for (const QString& name : QSqlDatabase::connectionNames()) {
        if (name.startsWith(QLatin1String(table)) && name.mid(int(qstrlen(table)))
                                                         .contains(QRegularExpression(QStringLiteral("^\\d+$"))))
            names.append(name);
    }
    return names;
}

class DatabaseServiceTest : public TempHomeTest
{
protected:
    DatabaseService* service = getDatabaseService();
};

TEST_F(DatabaseServiceTest, PhotoSideMakesExactlyItsFourteenFilesWithTheirSchemas)
{
    service->Initialize(true);
    service->UnInitialize();
    EXPECT_EQ(sorted(QDir(photoFolder()).entryList(QDir::Files)), sorted(photoFiles));
    EXPECT_FALSE(QFileInfo::exists(videoFolder() + QStringLiteral("/VideoInfo.db")));

    QStringList seen;
    for (const ExpectedTable& t : expectedTables()) {
        QStringList files;
        if (t.file)
            files.append(QString::fromLatin1(t.file));
        else
            for (const char* size : {"Mini", "Small", "Medium", "Large"})
                files.append(QStringLiteral("%1_%2.db").arg(QLatin1String(t.table), QLatin1String(size)));
        for (const QString& file : files) {
            if (!photoFiles.contains(file))
                continue; // the video side
            const auto schema = storedSchema(photoFolder() + QLatin1Char('/') + file);
            EXPECT_EQ(schema.value(QLatin1String(t.table)), asStored(t.create)) << t.table << " in " << file.toStdString();
            for (const char* index : t.indexes) {
                const QString name = QString::fromLatin1(index).section(QLatin1Char('['), 1, 1).section(QLatin1Char(']'), 0, 0);
                EXPECT_EQ(schema.value(name), asStored(index)) << file.toStdString();
            }
            seen.append(QLatin1String(t.table));
        }
    }
    EXPECT_EQ(seen.size(), 21) << "every photo-side table object, each in its own file";
}

TEST_F(DatabaseServiceTest, VideoSideMakesOnlyVideoInfoWithoutItsIndex)
{
    service->Initialize(false);
    service->UnInitialize();
    EXPECT_EQ(QDir(videoFolder()).entryList(QDir::Files), QStringList{QStringLiteral("VideoInfo.db")});
    EXPECT_TRUE(QDir(photoFolder()).entryList(QDir::Files).isEmpty());

    const auto schema = storedSchema(videoFolder() + QStringLiteral("/VideoInfo.db"));
    EXPECT_EQ(sorted(schema.keys()), sorted({QStringLiteral("VideoInfo"), QStringLiteral("VideoPlayList"),
                                             QStringLiteral("VideoPlayListMapping")}));
    for (const ExpectedTable& t : expectedTables()) {
        if (t.file && QLatin1String(t.file) == QLatin1String("VideoInfo.db")) {
            EXPECT_EQ(schema.value(QLatin1String(t.table)), asStored(t.create)) << t.table;
        }
    }

    // The index is the application's to create, on a connection of its own.
    VideoInfoDB* videos = service->getVideoInfoDB();
    ASSERT_TRUE(videos->openConnection());
    EXPECT_TRUE(videos->createIndex());
    videos->closeConnection();
    EXPECT_EQ(storedSchema(videoFolder() + QStringLiteral("/VideoInfo.db")).value(QStringLiteral("IDX_VideoInfo_fullPath")),
              asStored("CREATE INDEX [IDX_VideoInfo_fullPath] ON [VideoInfo] ([fullPath] ASC);"));
}

TEST_F(DatabaseServiceTest, TheConstantsAreTheFieldTextsByteForByte)
{
    const QMap<QString, const char*> constants = {
        {QStringLiteral("ImageInfo"), ImageInfoDB::CreateTableStatement},
        {QStringLiteral("ImageThumbnail"), ImageThumbnailDB::CreateTableStatement},
        {QStringLiteral("AlbumInfo"), AlbumInfoDB::CreateTableStatement},
        {QStringLiteral("AlbumFileList"), AlbumFileListDB::CreateTableStatement},
        {QStringLiteral("TagList"), TagListDB::CreateTableStatement},
        {QStringLiteral("AddrList"), AddrListDB::CreateTableStatement},
        {QStringLiteral("VideoInfo"), VideoInfoDB::CreateTableStatement},
        {QStringLiteral("VideoPlayList"), VideoPlayListDB::CreateTableStatement},
        {QStringLiteral("VideoPlayListMapping"), VideoPlayListMappingDB::CreateTableStatement},
        {QStringLiteral("ImageFaceInfo"), ImageFaceInfoDB::CreateTableStatement},
        {QStringLiteral("PeopleFace"), PeopleFaceDB::CreateTableStatement},
        {QStringLiteral("PeopleInfo"), PeopleInfoDB::CreateTableStatement},
        {QStringLiteral("PeopleGroup"), PeopleGroupDB::CreateTableStatement},
        {QStringLiteral("PeopleGroupPeopleList"), PeopleGroupPeopleListDB::CreateTableStatement},
        {QStringLiteral("OnlineImageInfo"), OnlineImageInfoDB::CreateTableStatement},
        {QStringLiteral("OnlineImageThumbnail"), OnlineImageThumbnailDB::CreateTableStatement},
        {QStringLiteral("OnlineAlbumInfo"), OnlineAlbumInfoDB::CreateTableStatement},
        {QStringLiteral("OnlineAlbumFileList"), OnlineAlbumFileListDB::CreateTableStatement},
    };
    ASSERT_EQ(constants.size(), int(expectedTables().size()));
    for (const ExpectedTable& t : expectedTables())
        EXPECT_STREQ(constants.value(QLatin1String(t.table)), t.create) << t.table;
}

TEST_F(DatabaseServiceTest, SecondInitializeOnlyRaisesTheCounts)
{
    service->Initialize(true);
    const QStringList first = QSqlDatabase::connectionNames();
    EXPECT_EQ(first.size(), 21);
    service->Initialize(true);
    EXPECT_EQ(sorted(QSqlDatabase::connectionNames()), sorted(first));

    service->UnInitialize();
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), 21) << "one reference per table is left";
    EXPECT_TRUE(service->getTagListDB()->getDatabase().isOpen());
    service->UnInitialize();
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
}

TEST_F(DatabaseServiceTest, ThreadsHoldTheirOwnConnections)
{
    service->Initialize(true);
    QStringList during;
    QStringList after;
    runOnThread([&] {
        service->Initialize(true);
        during = openConnectionsOf("ImageInfo");
        DBImageInfo info;
        info.fullPath = QStringLiteral("/t/a.jpg");
        EXPECT_TRUE(service->getImageInfoDB()->insertRecord(&info));
        service->UnInitialize();
        after = openConnectionsOf("ImageInfo");
    });
    EXPECT_EQ(during.size(), 2);
    EXPECT_EQ(after, QStringList{QStringLiteral("ImageInfo") + QString::number(::gettid())});
    QSqlQuery q(service->getImageInfoDB()->getDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral("select fullPath from ImageInfo")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("/t/a.jpg"));
    service->UnInitialize();
}

// The side flag is one for the process: the last Initialize decides what a
// later UnInitialize closes, on whichever thread it runs.
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

// One broken file among the fifteen: the rest of the side works, the broken
// file's tables fail, and its bytes stay as they were.
TEST_F(DatabaseServiceTest, ForeignFileAmongTheCatalogue)
{
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) % 251));
    const QString broken = photoFolder() + QStringLiteral("/MediaInfo.db");
    writeFile(broken, junk);

    service->Initialize(true);
    PEOPLE_INFO person;
    person.name = QStringLiteral("Ann");
    EXPECT_FALSE(service->getPeopleInfoDB()->insertRecord(&person));
    PEOPLE_FACE face;
    EXPECT_FALSE(service->getPeopleFaceDB()->insertRecord(&face));
    EXPECT_TRUE(service->getPeopleInfoDB()->getTableColumns().isEmpty());

    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/ok.jpg");
    EXPECT_TRUE(service->getImageInfoDB()->insertRecord(&info));
    QString tag = QStringLiteral("sea");
    EXPECT_TRUE(service->getTagListDB()->insertRecord(tag));
    DBImageFaceInfo found;
    EXPECT_TRUE(service->getImageFaceInfoDB()->insertRecord(&found));
    service->UnInitialize();

    EXPECT_EQ(fileBytes(broken), junk);
    EXPECT_EQ(QDir(photoFolder()).entryList(QDir::Files).size(), 14);
}

TEST_F(DatabaseServiceTest, DataFolderThatCannotBeMade)
{
    writeFile(dataHome() + QStringLiteral("/Brennart/Quillon"), "in the way");
    service->Initialize(true);
    DBImageInfo info;
    EXPECT_FALSE(service->getImageInfoDB()->insertRecord(&info));
    QString tag = QStringLiteral("t");
    EXPECT_FALSE(service->getTagListDB()->insertRecord(tag));
    service->UnInitialize();
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
    EXPECT_EQ(fileBytes(dataHome() + QStringLiteral("/Brennart/Quillon")), QByteArray("in the way"));
}

TEST_F(DatabaseServiceTest, UnwritableDataFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    service->Initialize(true);
    service->UnInitialize();
    QFile::setPermissions(photoFolder(), QFile::ReadOwner | QFile::ExeOwner);
    for (const QString& f : photoFiles)
        QFile::setPermissions(photoFolder() + QLatin1Char('/') + f, QFile::ReadOwner);
    const QByteArray before = fileBytes(photoFolder() + QStringLiteral("/ImageInfo.db"));

    service->Initialize(true);
    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/x.jpg");
    EXPECT_FALSE(service->getImageInfoDB()->insertRecord(&info));
    EXPECT_TRUE(service->getImageInfoDB()->isTableCreated(QStringLiteral("ImageInfo"))) << "reading still works";
    service->UnInitialize();
    EXPECT_EQ(fileBytes(photoFolder() + QStringLiteral("/ImageInfo.db")), before);
    QFile::setPermissions(photoFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
