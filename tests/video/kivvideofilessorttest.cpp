// The sorted video view: the shared view cases, every key on its own field,
// the custom positions of playlists, moving entries by hand, and the
// capture and trash filter.

#include <velorin/velorin.h>

#include "support/sortedviewtestbody.h"

namespace {

struct VideoViewTraits
{
    using View = KivVideoFilesSort;
    using Element = KivVideoFile;
    using Key = int;
    static constexpr Key byDate = VideosSortByModifyDate, byName = VideosSortByName, unordered = 8;
    static constexpr bool unknownKeyFirst = false;
    static constexpr auto date = &DBVideoInfo::modifyDate;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Video, SortedViewTest, VideoViewTraits);

using VideoViewTest = SortedViewTest<VideoViewTraits>;

// Each key orders by its own field: entries whose field ranks against
// their arrival come out reversed, in both directions.
TEST_F(VideoViewTest, EveryKeyOrdersByItsField)
{
    const auto rank = [](KivVideoFile& v, int r) {
        DBVideoInfo& d = v.dbInfo;
        d.name = d.artist = d.genre = d.format = QStringLiteral("t%1").arg(r);
        d.modifyDate = d.lastPlayed = QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addDays(r);
        d.duration = d.rating = d.year = d.mostPlayed = r;
    };
    for (int key : {2, 3, 4, 5, 6, 7, 9, 10, 11, 12}) {
        KivVideoFilesSort view;
        view.sortBy(key, Qt::AscendingOrder, false);
        for (int id = 1; id <= 3; ++id) {
            KivVideoFile* v = dated(id, 1);
            rank(*v, 10 - id);
            view.addPhotoFile(-1, v);
        }
        EXPECT_EQ(shownIds(view), (QList<int>{3, 2, 1})) << "key " << key;
        view.sortBy(key, Qt::DescendingOrder, false);
        EXPECT_EQ(shownIds(view), (QList<int>{1, 2, 3})) << "key " << key;
    }
}

// Key 1 orders by the wrappers' custom positions; with the current key a
// forced sort only announces.
TEST_F(VideoViewTest, CustomPositionsOrderAndAForcedSortOnlyAnnounces)
{
    KivVideoFilesSort view;
    view.sortBy(VideosSortByCustomID, Qt::AscendingOrder, false);
    for (const auto& [id, position] : {std::pair{1, 3}, {2, 1}, {3, 2}})
        view.addPhotoFilePlusID(-1, dated(id, id), 100 + id, position);
    EXPECT_EQ(shownIds(view), (QList<int>{2, 3, 1}));
    EXPECT_EQ(view.getKivViewVideoFile(0)->GetID(), 102);

    QSignalSpy reset(&view, &KivVideoFilesSort::resetModel);
    view.getKivViewVideoFile(0)->SetCustomID(9);
    view.sortBy(VideosSortByCustomID, Qt::AscendingOrder, true);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(shownIds(view), (QList<int>{2, 3, 1})) << "not sorted again";
    view.sortBy(VideosSortByCustomID, Qt::DescendingOrder, false);
    EXPECT_EQ(shownIds(view), (QList<int>{2, 1, 3}));
}

// The selected entries land together where the caller pointed, in their
// order, and every position is renumbered; nothing is announced.
TEST_F(VideoViewTest, MovingTheSelectionRenumbersPositions)
{
    const auto moved = [&](int target) {
        KivVideoFilesSort view;
        for (int id = 1; id <= 6; ++id)
            view.addPhotoFilePlusID(-1, dated(id, id), id, id);
        view.getKivViewVideoFile(1)->setSelected(true);
        view.getKivViewVideoFile(4)->setSelected(true);
        QSignalSpy added(&view, &KivVideoFilesSort::photoFileAdded), deleted(&view, &KivVideoFilesSort::photoFileDeleted);
        view.moveSelectedPhotoFilesToIndex(target);
        QList<int> positions;
        for (int i = 0; i < view.videoFilesCount(); ++i)
            positions.append(view.getKivViewVideoFile(i)->GetCustomID());
        EXPECT_EQ(positions, (QList<int>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(added.count() + deleted.count(), 0);
        EXPECT_EQ(view.getAllSelectedIndex().size(), 2) << "still selected";
        return shownIds(view);
    };
    EXPECT_EQ(moved(3), (QList<int>{1, 3, 2, 5, 4, 6})) << "just before the entry that stood at 3";
    EXPECT_EQ(moved(0), (QList<int>{2, 5, 1, 3, 4, 6}));
    EXPECT_EQ(moved(-1), (QList<int>{1, 3, 4, 6, 2, 5}));
    EXPECT_EQ(moved(99), (QList<int>{1, 3, 4, 6, 2, 5})) << "clamped to the end";
}

TEST_F(VideoViewTest, CaptureAndTrashFilter)
{
    dated(1, 1);
    dated(2, 2)->dbInfo.fIsCaptured = true;
    dated(3, 3)->dbInfo.fIsDeleted = true;
    const auto shown = [&](int filter) {
        KivVideoFilesSort view(filter);
        for (auto& v : owned)
            view.addPhotoFile(-1, v.get());
        return shownIds(view);
    };
    EXPECT_EQ(shown(VideosFilterLibrary), (QList<int>{1, 2}));
    EXPECT_EQ(VideosFilterLibrary, 11);
    EXPECT_EQ(shown(VideosFilterAll), (QList<int>{1, 2, 3}));
    EXPECT_EQ(shown(VideosFilterInTrash), QList<int>{3});
    EXPECT_EQ(shown(VideosFilterCaptured | VideosFilterNotInTrash), QList<int>{2});
}

} // namespace
