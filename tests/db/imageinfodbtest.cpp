// The image table: upgrades of old files, what a default record stores, the
// shared statements, and files that are not what they should be. (The
// schema texts are checked with every other table's in the service test, a
// full record's round trip by the collection's loader.)

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

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
    bool stored(const QString& path) { return bool(velorin::selectFirstRow(table, velorin::sql::SelectIdByPath, {path})); }

    ImageInfoDB table;
};

TEST_F(ImageInfoDBTest, UpgradeAddsOnlyWhatTheGivenColumnsLack)
{
    selectRows(table, QStringLiteral("CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,"
                                     "[fullPath] TEXT NULL,[fIsPhotoRoll] INTEGER NULL)"));
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

    QSqlQuery q(table.getDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral("select * from ImageInfo")) && q.next());
    const QSqlRecord row = q.record();
    for (const auto& [column, value] : {std::pair{"latitude", 10000.0}, {"longitude", 10000.0}, {"altitude", -1e7},
                                        {"faceDetected", 0.0}, {"fIsDeleted", 0.0}, {"fIsEdited", 0.0}, {"fIsPhotoRoll", 0.0},
                                        {"fIsLocalLost", 0.0}, {"fRotateAngle", 0.0}, {"mediaRating", 0.0},
                                        {"orientation", 0.0}, {"fileSize", 0.0}}) {
        const QVariant v = row.value(QString::fromLatin1(column));
        EXPECT_TRUE(!v.isNull() && v.toDouble() == value) << column;
    }
    // Empty texts and a null date are stored as NULL, as the older files have them.
    EXPECT_TRUE(row.value(QStringLiteral("name")).isNull());
    EXPECT_TRUE(row.value(QStringLiteral("mediaModifyDate")).isNull());
}

// The numbered statements take the table name and numbers; the trash
// statement sees only trashed rows; delete by path takes exactly that path.
TEST_F(ImageInfoDBTest, SharedStatements)
{
    ASSERT_TRUE(table.createTable());
    DBImageInfo info, other;
    info.fullPath = QStringLiteral("/p/a \"1\"; DROP TABLE ImageInfo; --.jpg");
    other.fullPath = QStringLiteral("/p/other.jpg");
    ASSERT_TRUE(table.insertRecord(&info) && table.insertRecord(&other));
    EXPECT_FALSE(table.insertRecord(nullptr));
    const auto id = velorin::selectFirstRow(table, velorin::sql::SelectIdByPath, {info.fullPath});
    ASSERT_TRUE(id);
    const int rowId = id->value(0).toInt();

    velorin::SqlStatement trash(table, velorin::sql::SelectTrashRows);
    ASSERT_TRUE(trash.exec());
    EXPECT_FALSE(trash.next());
    EXPECT_TRUE(velorin::SqlStatement(table, velorin::sql::SetDeletedFlag, {1, rowId}).exec());
    ASSERT_TRUE(trash.exec() && trash.next());
    EXPECT_EQ(trash.value(ImageInfoDB::ColFullPath).toString(), info.fullPath);
    EXPECT_FALSE(trash.next());

    EXPECT_EQ(velorin::tableStatement(velorin::sql::SetDeletedFlag, table.getTableName(), {0, 42}),
              QStringLiteral("update ImageInfo set fIsDeleted=0 where id=42"));
    EXPECT_TRUE(velorin::SqlStatement(table, velorin::sql::DeleteRowById, {rowId}).exec());
    EXPECT_FALSE(stored(info.fullPath));
    ASSERT_TRUE(table.insertRecord(&info));
    EXPECT_TRUE(table.deleteRecord(info.fullPath));
    EXPECT_TRUE(!stored(info.fullPath) && stored(other.fullPath));
}

using ForeignFileTest = TempHomeTest;

// A SQLite header followed by garbage: it looks like a database until the
// first page is read. (Random bytes: see the service test.)
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
