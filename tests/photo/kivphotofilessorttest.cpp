// The sorted photo view: the shared view cases, the photo-roll filters,
// date order across time zones, and the bounded release of thumbnail memory.

#include <ctime>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/sortedviewtestbody.h"

namespace {

struct PhotoViewTraits
{
    using View = KivPhotoFilesSort;
    using Element = KivPhotoFile;
    using Key = PhotosSortType;
    static constexpr Key byDate = PhotosSortByDateTime, byName = PhotosSortByFileName, unordered = PhotosSortByWho;
    static constexpr bool unknownKeyFirst = true;
    static constexpr auto date = &DBImageInfo::mediaModifyDate;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Photo, SortedViewTest, PhotoViewTraits);

using PhotoViewTest = SortedViewTest<PhotoViewTraits>;

TEST_F(PhotoViewTest, PhotoRollFilter)
{
    KivPhotoFilesSort roll(PhotosFilterPhotoRoll), others(PhotosFilterNoPhotoRoll);
    KivPhotoFile* inRoll = dated(1, 1);
    inRoll->dbInfo.fIsPhotoRoll = true;
    KivPhotoFile* outside = dated(2, 2);
    QSignalSpy rollUpdated(&roll, &KivPhotoFilesSort::photoFileUpdated);
    for (KivPhotoFilesSort* v : {&roll, &others}) {
        v->addPhotoFile(0, inRoll);
        v->addPhotoFile(1, outside);
    }
    EXPECT_EQ(shownIds(roll), QList<int>{1});
    EXPECT_EQ(shownIds(others), QList<int>{2});
    roll.updatePhotoFile(1, outside);
    EXPECT_EQ(rollUpdated.count(), 1) << "updates are announced even for photos the view does not show";
}
// The date key orders by instant across local times (with summer time),
// UTC and fixed offsets of -12 to +14 hours, which put nearly the same
// instant on calendar days two apart; Qt's own instant is the reference.
TEST_F(PhotoViewTest, DateOrderIsByInstantAcrossOffsets)
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    std::vector<KivPhotoFile> photos(3); // 10:30, 10:45 and 11:00 UTC on March 2nd
    photos[0].dbInfo.mediaModifyDate = QDateTime(QDate(2024, 3, 3), QTime(0, 30), Qt::OffsetFromUTC, 14 * 3600);
    photos[1].dbInfo.mediaModifyDate = QDateTime(QDate(2024, 3, 2), QTime(10, 45), Qt::UTC);
    photos[2].dbInfo.mediaModifyDate = QDateTime(QDate(2024, 3, 1), QTime(23, 0), Qt::OffsetFromUTC, -12 * 3600);
    std::mt19937 random(7);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int i = 0; i < 400; ++i) { // four days around the spring change, now and then no date or a skipped hour
        const QDateTime instant = QDateTime(QDate(2024, 3, 28), QTime(0, 0), Qt::UTC).addSecs(pick(0, 4 * 96) * 900);
        const QDateTime odd = i % 40 ? QDateTime(QDate(2024, 3, 31), QTime(2, 30)) : QDateTime();
        const QDateTime kinds[] = {instant.toLocalTime(), instant, instant.toOffsetFromUtc(pick(-12, 14) * 3600), odd};
        photos.emplace_back().dbInfo.mediaModifyDate = kinds[i % 20 ? pick(0, 2) : 3];
    }
    std::vector<KivViewPhotoFile> shown(photos.size());
    for (size_t i = 0; i < photos.size(); ++i)
        shown[i].setKivPhotoFile(&photos[i]);
    const auto less = &KivPhotoFilesSort::sortByDateTimeAscending;
    EXPECT_TRUE(less(shown[0], shown[1]) && less(shown[1], shown[2]) && !less(shown[2], shown[0]));
    const auto instantOf = [&](size_t i) {
        const QDateTime& d = photos[i].dbInfo.mediaModifyDate;
        return d.date().isValid() ? d.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    };
    int mismatches = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = 0; j < shown.size(); ++j)
            mismatches += less(shown[i], shown[j]) != (instantOf(i) < instantOf(j));
    EXPECT_EQ(mismatches, 0) << "so it is a strict weak ordering too";
}

// The release pass walks the entries outside the 400 around the last one
// looked at, 50 per call, and wraps; small views keep everything.
TEST_F(PhotoViewTest, ThumbnailMemoryIsReleasedInBoundedSteps)
{
    DatabaseService* service = getDatabaseService();
    service->Initialize(true);
    auto* minis = service->getImageThumbnailMiniDB();
    minis->getDatabase().transaction();
    std::vector<KivPhotoFile*> photos;
    for (int i = 0; i < 500; ++i) {
        photos.push_back(element(i, QStringLiteral("%1.jpg").arg(i)));
        DBImageThumbnail t = thumbnailRecord(photos.back()->dbInfo.fullPath, quadrantBmp(4, 4));
        minis->insertRecord(&t);
    }
    minis->getDatabase().commit();

    KivPhotoFilesSort small;
    KivPhotoFilesSort large;
    for (int i = 0; i < 500; ++i) {
        ASSERT_FALSE(photos[i]->getPixmapMini().isNull());
        large.addPhotoFile(i, photos[i]);
        if (i < 400)
            small.addPhotoFile(i, photos[i]);
    }
    selectRows(*minis, QStringLiteral("delete from ImageThumbnail"));

    for (int call = 0; call < 10; ++call)
        small.saveMemory();
    for (int i = 0; i < 400; ++i)
        ASSERT_FALSE(photos[i]->getPixmapMini().isNull()) << "a view of 400 keeps all, entry " << i;

    large.getKivPhotoFile(0); // the window is [0, 200]
    large.saveMemory();       // starts inside the window: jumps behind it, releases nothing
    EXPECT_FALSE(photos[201]->getPixmapMini().isNull()) << "cached, nothing released yet";
    for (int call = 0; call < 6; ++call)
        large.saveMemory();
    QList<int> released;
    for (int i = 0; i < 500; ++i)
        if (photos[i]->getPixmapMini().isNull())
            released.append(i);
    QList<int> expected(499 - 201); // 499 is where a pass wraps to the start
    std::iota(expected.begin(), expected.end(), 201);
    EXPECT_EQ(released, expected);
    service->UnInitialize();
}

} // namespace
