// Partial updates of ImageInfo built from the photo update flags.

#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

using velorin::buildPhotoUpdate;

TEST(PhotoUpdateText, SingleWrittenColumn)
{
    DBImageInfo info;
    info.id = 7;
    info.mediaRating = 3;
    const auto update = buildPhotoUpdate(QStringLiteral("ImageInfo"), info, QPUpdateRating);
    EXPECT_EQ(update.text(info.id), QStringLiteral("update ImageInfo set mediaRating=3 where id=7"));
    EXPECT_TRUE(update.boundValues().isEmpty());
}

TEST(PhotoUpdateText, WrittenAndBoundColumnsJoinInTableOrder)
{
    DBImageInfo info;
    info.id = 12;
    info.mediaRating = 4;
    info.mediaTag = QStringLiteral("beach");
    // The order of the flags in the call does not matter; the table's does.
    const auto update = buildPhotoUpdate(QStringLiteral("ImageInfo"), info, QPUpdateTag | QPUpdateRating);
    EXPECT_EQ(update.text(12), QStringLiteral("update ImageInfo set mediaRating=4 , mediaTag=? where id=12"));
    ASSERT_EQ(update.boundValues().size(), 1);
    EXPECT_EQ(update.boundValues().first().toString(), QStringLiteral("beach"));
}

TEST(PhotoUpdateText, EveryColumnWithItsFormat)
{
    DBImageInfo info;
    info.id = 99;
    info.name = QStringLiteral("n");
    info.fileSize = 6'000'000'000LL;
    info.mediaModifyDate = QDateTime(QDate(2023, 7, 1), QTime(8, 9, 10, 500));
    info.mediaRating = 2;
    info.mediaTag = QStringLiteral("t");
    info.mediaComment = QStringLiteral("c");
    info.exifDate = QStringLiteral("e");
    info.orientation = 8;
    info.latitude = 48.85661394;
    info.longitude = 2.35222;
    info.altitude = -10000000.0;
    info.address = QStringLiteral("a");
    info.faceDetected = true;
    info.fIsDeleted = false;
    info.fIsEdited = true;
    info.originalPath = QStringLiteral("o");
    info.fIsLocalLost = true;
    info.fRotateAngle = 90;
    const auto update = buildPhotoUpdate(QStringLiteral("ImageInfo"), info, QPUpdateAll);
    EXPECT_EQ(update.text(99),
              QStringLiteral("update ImageInfo set name=? , fileSize=6000000000 , mediaModifyDate=? , "
                             "mediaRating=2 , mediaTag=? , mediaComment=? , exifDate=? , orientation=8 , "
                             "latitude=48.85661394 , longitude=2.35222 , altitude=-1e+07 , address=? , "
                             "faceDetected=1 , fIsDeleted=0 , fIsEdited=1 , originalPath=? , "
                             "fIsLocalLost=1 , fRotateAngle=90 where id=99"));
    const QVariantList bound = update.boundValues();
    ASSERT_EQ(bound.size(), 7);
    EXPECT_EQ(bound[0].toString(), QStringLiteral("n"));
    EXPECT_EQ(velorin::toSqlValue(bound[1]).toString(), QStringLiteral("2023-07-01T08:09:10"));
    EXPECT_EQ(bound[2].toString(), QStringLiteral("t"));
    EXPECT_EQ(bound[3].toString(), QStringLiteral("c"));
    EXPECT_EQ(bound[4].toString(), QStringLiteral("e"));
    EXPECT_EQ(bound[5].toString(), QStringLiteral("a"));
    EXPECT_EQ(bound[6].toString(), QStringLiteral("o"));
}

TEST(PhotoUpdateText, BitsWithoutAColumnSelectNothing)
{
    DBImageInfo info;
    EXPECT_TRUE(buildPhotoUpdate(QStringLiteral("ImageInfo"), info, 0).isEmpty());
    EXPECT_TRUE(buildPhotoUpdate(QStringLiteral("ImageInfo"), info, 0x10000 | 0x20000 | 0x40000 | 0x80000)
                    .isEmpty());
}

TEST(PhotoUpdateCopy, OnlyFlaggedFieldsAreCopied)
{
    DBImageInfo from;
    from.name = QStringLiteral("new name");
    from.mediaRating = 5;
    from.latitude = 1.5;
    from.fIsLocalLost = true;
    DBImageInfo to;
    to.name = QStringLiteral("old name");
    velorin::copyFlaggedFields(to, from, velorin::photoUpdateColumns(), QPUpdateRating | QPUpdateLocalLost);
    EXPECT_EQ(to.name, QStringLiteral("old name"));
    EXPECT_EQ(to.mediaRating, 5);
    EXPECT_EQ(to.latitude, velorin::NoLatitude);
    EXPECT_TRUE(to.fIsLocalLost);
}

class PhotoUpdateExec : public TempHomeTest
{
};

TEST_F(PhotoUpdateExec, WritesSelectedColumnsOfTheRow)
{
    ImageInfoDB table;
    ASSERT_TRUE(table.openConnection());
    ASSERT_TRUE(table.createTable());
    DBImageInfo info;
    info.fullPath = QStringLiteral("/p/u.jpg");
    info.mediaComment = QStringLiteral("kept");
    ASSERT_TRUE(table.insertRecord(&info));
    DBImageInfo second;
    second.fullPath = QStringLiteral("/p/v.jpg");
    ASSERT_TRUE(table.insertRecord(&second));
    velorin::SqlStatement id(table, velorin::sql::SelectIdByPath);
    id.bind(info.fullPath);
    ASSERT_TRUE(id.exec() && id.next());
    info.id = id.value(0).toInt();

    info.mediaTag = QStringLiteral("it's \"quoted\"; drop table ImageInfo; --");
    info.mediaComment = QStringLiteral("not written");
    info.latitude = 36.597441666666667; // 36 degrees 35.8465 minutes
    info.mediaModifyDate = QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5, 6));
    const auto update =
        buildPhotoUpdate(table.getTableName(), info, QPUpdateTag | QPUpdateLatitude | QPUpdateModifyDate);
    ASSERT_TRUE(update.exec(table.getDatabase(), info.id));

    QSqlQuery q(table.getDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral(
        "select mediaTag, mediaComment, latitude, mediaModifyDate, fullPath from ImageInfo order by id")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), info.mediaTag);
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("kept"));
    EXPECT_EQ(q.value(2).toDouble(), info.latitude) << "written coordinates keep every digit";
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("2020-01-02T03:04:05"));
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.value(0).isNull()) << "the other row is untouched";

    // No column selected: the statement has no assignment and fails.
    EXPECT_FALSE(buildPhotoUpdate(table.getTableName(), info, 0).exec(table.getDatabase(), info.id));
    table.closeConnection();
}

} // namespace
