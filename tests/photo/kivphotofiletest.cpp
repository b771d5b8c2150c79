// The photo element: thumbnails loaded on demand and rotated by the stored
// angle, the size last asked for, the asymmetric copies, people names.

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

class KivPhotoFileTest : public PhotoCatalogueTest
{
protected:
    // A photo row with `angle` and one 40 x 20 thumbnail in every store.
    KivPhotoFile storedPhoto(const QString& path, int angle)
    {
        DBImageInfo info = photoRecord(path);
        info.fRotateAngle = angle;
        catalogued(info, quadrantBmp(40, 20));
        KivPhotoFile photo;
        photo.setDBImageInfo(info);
        return photo;
    }

    void dropThumbnails(QString path)
    {
        for (ThumbnailStore* store : thumbnailStores())
            store->deleteRecord(path);
    }
};

// The angle comes from the table, not the record (whose angle is the one
// the photo reports).
TEST_F(KivPhotoFileTest, StoredAngleRotatesWithATruncatingRemainder)
{
    const QImage upright = quadrantImage(40, 20).convertToFormat(QImage::Format_RGB32);
    for (const auto& [angle, turn] : {std::pair{0, 0}, {360, 0}, {90, 90}, {450, 90}, {-90, -90}, {-450, -90}, {180, 180}}) {
        KivPhotoFile photo = storedPhoto(QStringLiteral("/p/%1.jpg").arg(angle), angle);
        photo.dbInfo.fRotateAngle = 0;
        EXPECT_EQ(photo.getPixmapSmall().toImage().convertToFormat(QImage::Format_RGB32),
                  upright.transformed(QTransform().rotate(turn))) << "angle " << angle;
        EXPECT_EQ(photo.getRotateAngle(), 0);
    }
}

TEST_F(KivPhotoFileTest, RecentSizeAndCaches)
{
    KivPhotoFile photo = storedPhoto(QStringLiteral("/p/r.jpg"), 0);
    // Never asked: the mini size answers, from the table.
    EXPECT_FALSE(photo.getPixmapRecent().isNull());

    // Once loaded, the caches answer without the table.
    EXPECT_FALSE(photo.getPixmapLarge().isNull());
    dropThumbnails(photo.dbInfo.fullPath);
    EXPECT_FALSE(photo.getPixmapRecent().isNull()) << "large, from the cache";
    EXPECT_FALSE(photo.getPixmapMini().isNull()) << "mini was cached by the first request";
    EXPECT_TRUE(photo.getPixmapSmall().isNull()) << "small was never loaded and the row is gone";
    EXPECT_TRUE(photo.getPixmapRecent().isNull()) << "the failed small request is now the recent size";

    photo.saveMemory();
    EXPECT_TRUE(photo.getPixmapLarge().isNull());
    EXPECT_TRUE(photo.getByteArraySmall().isEmpty());
}

TEST_F(KivPhotoFileTest, CopyKeepsCachesAssignmentDropsThem)
{
    KivPhotoFile photo = storedPhoto(QStringLiteral("/p/c.jpg"), 0);
    ASSERT_FALSE(photo.getPixmapMini().isNull());
    EXPECT_EQ(photo.getByteArraySmall(), quadrantBmp(40, 20)) << "the stored bytes, undecoded";
    dropThumbnails(photo.dbInfo.fullPath);

    KivPhotoFile copied(photo);
    EXPECT_FALSE(copied.getPixmapMini().isNull());

    KivPhotoFile assigned;
    assigned = photo;
    EXPECT_EQ(assigned.dbInfo.fullPath, photo.dbInfo.fullPath);
    EXPECT_TRUE(assigned.getPixmapMini().isNull()) << "record only: the caches start empty";

    photo = photo; // self-assignment keeps everything
    EXPECT_FALSE(photo.getPixmapMini().isNull());

    // The slide-show interface assigns nothing.
    ISlideShowFile& asSlide = assigned;
    asSlide = static_cast<ISlideShowFile&>(photo);
    EXPECT_EQ(assigned.getFullPath(), photo.getFullPath());
}

TEST_F(KivPhotoFileTest, UndecodableThumbnailGivesANullPixmap)
{
    DBImageInfo info = photoRecord(QStringLiteral("/p/bad.jpg"));
    info.fRotateAngle = 90;
    ASSERT_TRUE(service->getImageInfoDB()->insertRecord(&info));
    QByteArray junk = quadrantBmp(40, 20);
    junk.truncate(30); // a BMP header cut short
    DBImageThumbnail t = thumbnailRecord(info.fullPath, junk);
    ASSERT_TRUE(service->getImageThumbnailSmallDB()->insertRecord(&t));
    KivPhotoFile photo;
    photo.setDBImageInfo(info);
    EXPECT_TRUE(photo.getPixmapSmall().isNull());
    EXPECT_EQ(photo.getByteArraySmall(), junk);
}

TEST_F(KivPhotoFileTest, OneNamePerFaceRow)
{
    const QString path = QStringLiteral("/p/people.jpg");
    PEOPLE_INFO ann;
    ann.name = QStringLiteral("Ann");
    ann.peopleGUID = QStringLiteral("{0a1b2c3d-0000-4000-8000-000000000001}");
    ASSERT_TRUE(service->getPeopleInfoDB()->insertRecord(&ann));
    const auto addFace = [&](const QString& guid) {
        DBImageFaceInfo face;
        face.fullPath = path;
        face.peopleGUID = guid;
        return service->getImageFaceInfoDB()->insertRecord(&face);
    };
    for (const QString& guid : {ann.peopleGUID, QStringLiteral("{unknown}"), ann.peopleGUID})
        ASSERT_TRUE(addFace(guid));
    KivPhotoFile photo;
    photo.dbInfo.fullPath = path;
    EXPECT_EQ(photo.getPeopleNameList(), (QStringList{QStringLiteral("Ann"), QString(), QStringLiteral("Ann")}));

    // Filled once: later rows are not seen until the cache is emptied.
    ASSERT_TRUE(addFace(ann.peopleGUID));
    EXPECT_EQ(photo.getPeopleNameList().size(), 3);
    KivPhotoFile fresh;
    fresh = photo;
    EXPECT_EQ(fresh.getPeopleNameList().size(), 4);
}

} // namespace
