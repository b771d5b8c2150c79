// The per-thread connection base, exercised through the image table. (Many
// threads writing one file at once: the table test.)

#include <unistd.h>

#include <QSqlDatabase>
#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

QString connectionName(const char* table)
{
    return QString::fromLatin1(table) + QString::number(::gettid());
}

class ConnectionTest : public TempHomeTest
{
protected:
    ImageInfoDB table;
};

TEST_F(ConnectionTest, NestedOpensCloseOnTheLastClose)
{
    const QString name = connectionName("ImageInfo");
    ASSERT_TRUE(table.openConnection());
    ASSERT_TRUE(table.openConnection());
    EXPECT_TRUE(QSqlDatabase::contains(name));

    table.closeConnection();
    ASSERT_TRUE(QSqlDatabase::contains(name)) << "one reference is still held";
    EXPECT_TRUE(table.getDatabase().isOpen());
    EXPECT_TRUE(table.createTable());

    table.closeConnection();
    EXPECT_FALSE(QSqlDatabase::contains(name));
    EXPECT_FALSE(table.getDatabase().isValid());

    // A close without a reference is ignored, and a new open starts over.
    table.closeConnection();
    ASSERT_TRUE(table.openConnection());
    EXPECT_TRUE(table.isTableCreated(QStringLiteral("ImageInfo")));
    table.closeConnection();
}

// A thread that has not opened its own connection gets failures; once it
// has, it writes the same file through a connection of its own, and its
// close leaves this thread's alone.
TEST_F(ConnectionTest, EachThreadHasItsOwnConnectionToTheSameFile)
{
    ASSERT_TRUE(table.openConnection());
    ASSERT_TRUE(table.createTable());
    const QString mine = connectionName("ImageInfo");

    QString theirs, theirFile;
    bool before = true, theyOpened = false, theySawMine = false;
    QStringList columns{QStringLiteral("sentinel")};
    runOnThread([&] {
        DBImageInfo info;
        info.fullPath = QStringLiteral("/photos/from-thread.jpg");
        before = table.insertRecord(&info) || table.isTableCreated(QStringLiteral("ImageInfo"));
        columns = table.getTableColumns();
        theyOpened = table.openConnection();
        theirs = connectionName("ImageInfo");
        theirFile = table.getDatabase().databaseName();
        theySawMine = QSqlDatabase::contains(mine);
        EXPECT_TRUE(table.insertRecord(&info));
        table.closeConnection();
    });

    EXPECT_FALSE(before) << "no statement runs before the thread opens";
    EXPECT_TRUE(columns.isEmpty());
    EXPECT_TRUE(theyOpened && theySawMine);
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(theirFile, photoFolder() + QStringLiteral("/ImageInfo.db"));
    EXPECT_EQ(theirFile, table.getDatabase().databaseName());
    EXPECT_FALSE(QSqlDatabase::contains(theirs)) << "the thread's close removed its connection";
    ASSERT_TRUE(table.getDatabase().isOpen()) << "and left this thread's connection alone";
    EXPECT_EQ(selectRows(table, QStringLiteral("select fullPath from ImageInfo")),
              QList<QVariantList>{{QStringLiteral("/photos/from-thread.jpg")}});
    table.closeConnection();
}

TEST_F(ConnectionTest, TableNamesAndColumnsAreReadCaseSensitively)
{
    ASSERT_TRUE(table.openConnection());
    EXPECT_TRUE(table.getTableColumns().isEmpty()) << "no table yet";
    ASSERT_TRUE(table.createTable());
    EXPECT_TRUE(table.isTableCreated(QStringLiteral("ImageInfo")));
    EXPECT_FALSE(table.isTableCreated(QStringLiteral("imageinfo")));
    EXPECT_FALSE(table.isTableCreated(QStringLiteral("ImageInfo' or '1'='1")));
    table.closeConnection();
}

} // namespace
