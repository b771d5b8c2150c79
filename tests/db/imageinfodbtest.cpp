// The image table: schema texts, upgrades of old files, record round trips
// and what happens with files that are not what they should be.

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

// The texts every catalogue file in the field holds, spelt out here rather
// than taken from the library, so that a change to the library's constants
// shows up as a failure.
const char* const schemaText =
    "CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,[fullPath] TEXT NULL,"
    "[fileSize] BIGINT NULL,[mediaModifyDate] TIMESTAMP DEFAULT CURRENT_TIMESTAMP NULL,[mediaRating] INTEGER NULL,"
    "[mediaTag] TEXT NULL,[mediaComment] TEXT NULL,[exifDate] INTEGER NULL,[orientation] INTEGER NULL,"
    "[latitude] REAL NULL,[longitude] REAL NULL,[altitude] REAL NULL,[address] TEXT NULL,"
    "[faceDetected] INTEGER NULL,[fIsDeleted] INTEGER NULL,[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,"
    "[fIsPhotoRoll] INTEGER NULL,[fIsLocalLost] INTEGER NULL,[fRotateAngle] INTEGER NULL)";

// A file as an early version of the library wrote it: no fIsLocalLost and
// no fRotateAngle.
const char* const legacySchemaText =
    "CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,[fullPath] TEXT NULL,"
    "[fileSize] BIGINT NULL,[mediaModifyDate] TIMESTAMP DEFAULT CURRENT_TIMESTAMP NULL,[mediaRating] INTEGER NULL,"
    "[mediaTag] TEXT NULL,[mediaComment] TEXT NULL,[exifDate] INTEGER NULL,[orientation] INTEGER NULL,"
    "[latitude] REAL NULL,[longitude] REAL NULL,[altitude] REAL NULL,[address] TEXT NULL,"
    "[faceDetected] INTEGER NULL,[fIsDeleted] INTEGER NULL,[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,"
    "[fIsPhotoRoll] INTEGER NULL)";

class ImageInfoDBTest : public TempHomeTest
{
protected:
    void SetUp() override
    {
        TempHomeTest::SetUp();
        ASSERT_TRUE(table.openConnection());
    }
    void TearDown() override
    {
        table.closeConnection();
        TempHomeTest::TearDown();
    }

    QSqlQuery run(const QString& text)
    {
        QSqlQuery q(table.getDatabase());
        EXPECT_TRUE(q.exec(text)) << text.toStdString();
        return q;
    }

    QString schemaOf(const QString& type, const QString& name)
    {
        QSqlQuery q(table.getDatabase());
        q.prepare(QStringLiteral("select sql from sqlite_master where type=? and name=?"));
        q.addBindValue(type);
        q.addBindValue(name);
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }

    QSqlRecord rowOf(const QString& fullPath)
    {
        QSqlQuery q(table.getDatabase());
        q.prepare(QStringLiteral("select * from ImageInfo where fullPath=?"));
        q.addBindValue(fullPath);
        return q.exec() && q.next() ? q.record() : QSqlRecord();
    }

    ImageInfoDB table;
};

TEST_F(ImageInfoDBTest, NewFileGetsTheExactSchemaAndIndexes)
{
    EXPECT_EQ(table.getConnectionName(), QStringLiteral("ImageInfo"));
    EXPECT_EQ(table.getDatabaseName(), QStringLiteral("ImageInfo.db"));
    EXPECT_EQ(table.getTableName(), QStringLiteral("ImageInfo"));
    EXPECT_EQ(table.getDataFolder(), photoFolder());

    ASSERT_TRUE(table.createTable());
    EXPECT_TRUE(table.createIndex());
    EXPECT_EQ(schemaOf(QStringLiteral("table"), QStringLiteral("ImageInfo")), QString::fromLatin1(schemaText));
    // SQLite keeps the statement text without its closing semicolon.
    EXPECT_EQ(schemaOf(QStringLiteral("index"), QStringLiteral("IDX_ImageInfo_fullPath")),
              QStringLiteral("CREATE INDEX [IDX_ImageInfo_fullPath] ON [ImageInfo] ([fullPath] ASC)"));
    EXPECT_EQ(schemaOf(QStringLiteral("index"), QStringLiteral("IDX_ImageInfo_name")),
              QStringLiteral("CREATE INDEX [IDX_ImageInfo_name] ON [ImageInfo] ([name] ASC)"));
    EXPECT_EQ(schemaOf(QStringLiteral("index"), QStringLiteral("IDX_ImageInfo_mediaModifyDate")),
              QStringLiteral("CREATE INDEX [IDX_ImageInfo_mediaModifyDate] ON [ImageInfo] ([mediaModifyDate] ASC)"));

    // Again on the same file: nothing changes and both still succeed.
    EXPECT_TRUE(table.createTable());
    EXPECT_TRUE(table.createIndex());
    QSqlQuery q = run(QStringLiteral("select count(*) from sqlite_master"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 4);
}

TEST_F(ImageInfoDBTest, UpgradeAddsOnlyWhatTheGivenColumnsLack)
{
    run(QString::fromLatin1(legacySchemaText));
    QStringList columns = table.getTableColumns();
    columns.append(QStringLiteral("fIsLocalLost")); // claimed present: skipped
    EXPECT_TRUE(table.upgradeDatabaseFrom(columns));
    EXPECT_EQ(table.getTableColumns().last(), QStringLiteral("fRotateAngle"));
    EXPECT_FALSE(table.getTableColumns().contains(QStringLiteral("fIsLocalLost")));

    // Names are compared exactly: a lower-case name does not count.
    columns = table.getTableColumns();
    columns.append(QStringLiteral("fislocallost"));
    EXPECT_TRUE(table.upgradeDatabaseFrom(columns));
    EXPECT_TRUE(table.getTableColumns().contains(QStringLiteral("fIsLocalLost")));
}

TEST_F(ImageInfoDBTest, DefaultRecordKeepsTheSentinels)
{
    ASSERT_TRUE(table.createTable());
    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/default.jpg");
    ASSERT_TRUE(table.insertRecord(&info));

    const QSqlRecord row = rowOf(info.fullPath);
    ASSERT_FALSE(row.isEmpty());
    EXPECT_EQ(row.value(QStringLiteral("latitude")).toDouble(), 10000.0);
    EXPECT_EQ(row.value(QStringLiteral("longitude")).toDouble(), 10000.0);
    EXPECT_EQ(row.value(QStringLiteral("altitude")).toDouble(), -10000000.0);
    for (const char* flag : {"faceDetected", "fIsDeleted", "fIsEdited", "fIsPhotoRoll", "fIsLocalLost",
                             "fRotateAngle", "mediaRating", "orientation", "fileSize"}) {
        const QVariant v = row.value(QString::fromLatin1(flag));
        EXPECT_FALSE(v.isNull()) << flag;
        EXPECT_EQ(v.toInt(), 0) << flag;
    }
    // Empty texts and a null date are stored as NULL, as the older files have them.
    EXPECT_TRUE(row.value(QStringLiteral("name")).isNull());
    EXPECT_TRUE(row.value(QStringLiteral("mediaModifyDate")).isNull());
    EXPECT_GT(row.value(QStringLiteral("id")).toInt(), 0);
}

TEST_F(ImageInfoDBTest, FullRecordRoundTripsInColumnOrder)
{
    ASSERT_TRUE(table.createTable());
    DBImageInfo info;
    info.name = QStringLiteral("Fjord at dawn");
    info.fullPath = QStringLiteral("/p/Fjörd \"1\"; DROP TABLE ImageInfo; --.jpg");
    info.fileSize = 5'000'000'000LL; // past 32 bits
    info.mediaModifyDate = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 765));
    info.mediaRating = 5;
    info.mediaTag = QStringLiteral("sea;rock");
    info.mediaComment = QStringLiteral("line one\nline 'two'");
    info.exifDate = QStringLiteral("2024:02:29 23:59:58");
    info.orientation = 6;
    info.latitude = 60.123456789012;
    info.longitude = -5.987654321098;
    info.altitude = 1234.5678901;
    info.address = QStringLiteral("Geiranger");
    info.faceDetected = true;
    info.fIsDeleted = false;
    info.fIsEdited = true;
    info.originalPath = QStringLiteral("/p/orig.jpg");
    info.fIsPhotoRoll = true;
    info.fIsLocalLost = true;
    info.fRotateAngle = 270;
    ASSERT_TRUE(table.insertRecord(&info));

    velorin::SqlStatement q(table, ImageInfoDB::SelectLibrary);
    ASSERT_TRUE(q.exec());
    ASSERT_TRUE(q.next());
    using C = ImageInfoDB::Column;
    EXPECT_EQ(q.value(C::ColName).toString(), info.name);
    EXPECT_EQ(q.value(C::ColFullPath).toString(), info.fullPath);
    EXPECT_EQ(q.value(C::ColFileSize).toLongLong(), info.fileSize);
    // Written to the second, without milliseconds, as every older file has it.
    EXPECT_EQ(q.value(C::ColMediaModifyDate).toString(), QStringLiteral("2024-02-29T23:59:58"));
    EXPECT_EQ(q.value(C::ColMediaModifyDate).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
    EXPECT_EQ(q.value(C::ColMediaRating).toInt(), 5);
    EXPECT_EQ(q.value(C::ColMediaTag).toString(), info.mediaTag);
    EXPECT_EQ(q.value(C::ColMediaComment).toString(), info.mediaComment);
    EXPECT_EQ(q.value(C::ColExifDate).toString(), info.exifDate);
    EXPECT_EQ(q.value(C::ColOrientation).toInt(), 6);
    EXPECT_EQ(q.value(C::ColLatitude).toDouble(), info.latitude) << "inserts keep full precision";
    EXPECT_EQ(q.value(C::ColLongitude).toDouble(), info.longitude);
    EXPECT_EQ(q.value(C::ColAltitude).toDouble(), info.altitude);
    EXPECT_EQ(q.value(C::ColAddress).toString(), info.address);
    EXPECT_EQ(q.value(C::ColFaceDetected).toInt(), 1);
    EXPECT_EQ(q.value(C::ColIsDeleted).toInt(), 0);
    EXPECT_EQ(q.value(C::ColIsEdited).toInt(), 1);
    EXPECT_EQ(q.value(C::ColOriginalPath).toString(), info.originalPath);
    EXPECT_EQ(q.value(C::ColIsPhotoRoll).toInt(), 1);
    EXPECT_EQ(q.value(C::ColIsLocalLost).toInt(), 1);
    EXPECT_EQ(q.value(C::ColRotateAngle).toInt(), 270);
    EXPECT_FALSE(q.next());

    // The trash statement does not see it, and delete takes exactly that path.
    velorin::SqlStatement trash(table, velorin::sql::SelectTrashRows);
    ASSERT_TRUE(trash.exec());
    EXPECT_FALSE(trash.next());

    DBImageInfo other;
    other.fullPath = QStringLiteral("/p/other.jpg");
    ASSERT_TRUE(table.insertRecord(&other));
    QString path = info.fullPath;
    EXPECT_TRUE(table.deleteRecord(path));
    EXPECT_TRUE(rowOf(info.fullPath).isEmpty());
    EXPECT_FALSE(rowOf(other.fullPath).isEmpty());
    EXPECT_FALSE(table.insertRecord(nullptr));
}

TEST_F(ImageInfoDBTest, NumberedStatementsTakeTheTableNameAndNumbers)
{
    ASSERT_TRUE(table.createTable());
    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/a.jpg");
    ASSERT_TRUE(table.insertRecord(&info));
    velorin::SqlStatement id(table, velorin::sql::SelectIdByPath);
    id.bind(info.fullPath);
    ASSERT_TRUE(id.exec() && id.next());
    const int rowId = id.value(0).toInt();

    EXPECT_TRUE(velorin::SqlStatement(table, velorin::sql::SetDeletedFlag, {1, rowId}).exec());
    velorin::SqlStatement trash(table, velorin::sql::SelectTrashRows);
    ASSERT_TRUE(trash.exec() && trash.next());
    EXPECT_EQ(trash.value(ImageInfoDB::ColFullPath).toString(), info.fullPath);

    EXPECT_EQ(velorin::tableStatement(velorin::sql::SetDeletedFlag, table.getTableName(), {0, 42}),
              QStringLiteral("update ImageInfo set fIsDeleted=0 where id=42"));
    EXPECT_TRUE(velorin::SqlStatement(table, velorin::sql::DeleteRowById, {rowId}).exec());
    EXPECT_TRUE(rowOf(info.fullPath).isEmpty());
}

// A file that is not a database: every operation reports failure, nothing
// crashes, and the file keeps every byte.
class ForeignFileTest : public TempHomeTest
{
};

TEST_F(ForeignFileTest, RandomBytesInPlaceOfTheDatabase)
{
    QByteArray junk(64 * 1024, '\0');
    QRandomGenerator rng(20261205);
    for (char& c : junk)
        c = static_cast<char>(rng.bounded(256));
    const QString path = photoFolder() + QStringLiteral("/ImageInfo.db");
    writeFile(path, junk);

    ImageInfoDB table;
    table.openConnection(); // SQLite opens lazily; the failure shows on the first statement
    EXPECT_FALSE(table.createTable());
    EXPECT_TRUE(table.createIndex()) << "reports nothing, by contract";
    EXPECT_FALSE(table.isTableCreated(QStringLiteral("ImageInfo")));
    EXPECT_TRUE(table.getTableColumns().isEmpty());
    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/x.jpg");
    EXPECT_FALSE(table.insertRecord(&info));
    QString p = info.fullPath;
    EXPECT_FALSE(table.deleteRecord(p));
    EXPECT_TRUE(table.upgradeDatabase());
    table.closeConnection();

    EXPECT_EQ(fileBytes(path), junk);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-journal")));
}

// A SQLite header followed by garbage: it looks like a database until the
// first page is read.
TEST_F(ForeignFileTest, TruncatedDatabaseIsLeftUntouched)
{
    const QString path = photoFolder() + QStringLiteral("/ImageInfo.db");
    {
        ImageInfoDB table;
        ASSERT_TRUE(table.openConnection());
        ASSERT_TRUE(table.createTable());
        for (int i = 0; i < 200; ++i) {
            DBImageInfo info;
            info.fullPath = QStringLiteral("/p/%1.jpg").arg(i);
            info.mediaComment = QString(200, QLatin1Char('x'));
            ASSERT_TRUE(table.insertRecord(&info));
        }
        table.closeConnection();
    }
    QByteArray bytes = fileBytes(path);
    ASSERT_GT(bytes.size(), 8192);
    bytes.truncate(bytes.size() / 3);
    bytes.replace(5000, 100, QByteArray(100, '\xff'));
    writeFile(path, bytes);

    ImageInfoDB table;
    table.openConnection();
    table.createTable();
    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/new.jpg");
    EXPECT_FALSE(table.insertRecord(&info));
    table.closeConnection();
    EXPECT_EQ(fileBytes(path), bytes);
}

// The data folder cannot be made: a file stands where a parent folder
// should be (this holds even for root, who ignores permissions).
TEST_F(ForeignFileTest, DataFolderBlockedByAFile)
{
    writeFile(dataHome() + QStringLiteral("/Brennart"), "not a folder");
    ImageInfoDB table;
    EXPECT_FALSE(table.openConnection());
    EXPECT_FALSE(table.createTable());
    DBImageInfo info;
    EXPECT_FALSE(table.insertRecord(&info));
    EXPECT_TRUE(table.getTableColumns().isEmpty());
    // The failed open stays registered: a second open reports success
    // without a usable file, and statements keep failing.
    EXPECT_TRUE(table.openConnection());
    EXPECT_FALSE(table.insertRecord(&info));
    table.closeConnection();
    table.closeConnection();
    EXPECT_EQ(fileBytes(dataHome() + QStringLiteral("/Brennart")), QByteArray("not a folder"));
}

TEST_F(ForeignFileTest, DataFolderUnderAReadOnlyParent)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QDir().mkpath(dataHome());
    QFile::setPermissions(dataHome(), QFile::ReadOwner | QFile::ExeOwner);
    ImageInfoDB table;
    EXPECT_FALSE(table.openConnection());
    DBImageInfo info;
    EXPECT_FALSE(table.insertRecord(&info));
    table.closeConnection();
    EXPECT_FALSE(QFileInfo::exists(photoFolder()));
    QFile::setPermissions(dataHome(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
