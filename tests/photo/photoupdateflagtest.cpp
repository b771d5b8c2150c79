// Partial updates of ImageInfo built from the photo update flags: the text
// and the bound values. (Their execution, and the copy of the flagged fields
// into memory, run through the photo collection's update.)

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

using velorin::buildPhotoUpdate;

// Written columns carry their value, bound ones a "?"; the order of the
// flags in the call does not matter, the table's does; bits without a column
// select nothing.
TEST(PhotoUpdateText, OnlyTheFlaggedColumnsInTableOrder)
{
    DBImageInfo info;
    info.mediaRating = 4;
    info.mediaTag = QStringLiteral("beach");
    for (const auto& [flags, text, bound] :
         {std::tuple{int(QPUpdateRating), "update ImageInfo set mediaRating=4 where id=12", QVariantList()},
          {QPUpdateTag | QPUpdateRating, "update ImageInfo set mediaRating=4 , mediaTag=? where id=12",
           QVariantList{QStringLiteral("beach")}}}) {
        const auto update = buildPhotoUpdate(QStringLiteral("ImageInfo"), info, flags);
        EXPECT_EQ(update.text(12), QLatin1String(text));
        EXPECT_EQ(update.boundValues(), bound);
    }
    EXPECT_TRUE(buildPhotoUpdate(QStringLiteral("ImageInfo"), info, 0).isEmpty());
    EXPECT_TRUE(buildPhotoUpdate(QStringLiteral("ImageInfo"), info, 0x10000 | 0x20000 | 0x40000 | 0x80000).isEmpty());
}

TEST(PhotoUpdateText, EveryColumnWithItsFormat)
{
    DBImageInfo info = fullPhotoRecord(QStringLiteral("/p/all.jpg"));
    info.altitude = velorin::NoAltitude;
    const auto update = buildPhotoUpdate(QStringLiteral("ImageInfo"), info, QPUpdateAll);
    EXPECT_EQ(update.text(99),
              QStringLiteral("update ImageInfo set name=? , fileSize=5000000000 , mediaModifyDate=? , "
                             "mediaRating=5 , mediaTag=? , mediaComment=? , exifDate=? , orientation=6 , "
                             "latitude=60.123456789012 , longitude=-5.987654321098 , altitude=-1e+07 , address=? , "
                             "faceDetected=1 , fIsDeleted=0 , fIsEdited=1 , originalPath=? , "
                             "fIsLocalLost=1 , fRotateAngle=270 where id=99"));
    QVariantList bound = update.boundValues();
    ASSERT_EQ(bound.size(), 7);
    bound[1] = velorin::toSqlValue(bound[1]);
    EXPECT_EQ(bound, (QVariantList{info.name, QStringLiteral("2024-02-29T23:59:58"), info.mediaTag, info.mediaComment,
                                   info.exifDate, info.address, info.originalPath}));
}

} // namespace
