// The sorted photo view: insertion order for equal and unordered keys, the
// signals of every change, focus and selection, the photo-roll filters, date
// order across time zones, and the bounded release of thumbnail memory.

#include <ctime>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include <QSignalSpy>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

class PhotoViewTest : public TempHomeTest
{
protected:
    KivPhotoFile* element(int id, const QString& name, const QDateTime& date = QDateTime(QDate(2024, 1, 1), QTime(0, 0)))
    {
        auto& e = owned.emplace_back(std::make_unique<KivPhotoFile>());
        e->dbInfo.id = id;
        e->dbInfo.name = name;
        e->dbInfo.fullPath = QStringLiteral("/v/%1/").arg(id) + name;
        e->dbInfo.mediaModifyDate = date;
        return e.get();
    }
    KivPhotoFile* dated(int id, int day)
    {
        return element(id, QStringLiteral("e%1").arg(id), QDateTime(QDate(2024, 1, day), QTime(9, 0)));
    }
    // A view holding an element of id = day for each day, in that order.
    std::unique_ptr<KivPhotoFilesSort> viewOf(std::initializer_list<int> days, int key = PhotosSortNone,
                                              Qt::SortOrder order = Qt::AscendingOrder)
    {
        auto view = std::make_unique<KivPhotoFilesSort>(PhotosFilterAll);
        view->sortBy(PhotosSortType(key), order, true);
        for (int day : days)
            view->addPhotoFile(-1, dated(day, day));
        return view;
    }
    static QList<int> shownIds(KivPhotoFilesSort& v)
    {
        QList<int> ids;
        for (int i = 0; i < v.photoFilesCount(); ++i)
            ids.append(v.getKivPhotoFile(i)->dbInfo.id);
        return ids;
    }

    std::vector<std::unique_ptr<KivPhotoFile>> owned;
};

TEST_F(PhotoViewTest, EqualKeysGoJustBeforeTheLastEqualEntry)
{
    auto view = viewOf({}, PhotosSortByDateTime);
    const QDateTime same(QDate(2020, 6, 1), QTime(8, 0));
    for (const auto& [id, name] : {std::pair{1, "P"}, {2, "Q"}, {3, "R"}})
        view->addPhotoFile(-1, element(id, QLatin1String(name), same));
    EXPECT_EQ(shownIds(*view), (QList<int>{2, 3, 1})) << "P, Q, R added show as Q, R, P";

    // Earlier and later keys find their places in both directions.
    view->addPhotoFile(-1, dated(4, 20));
    view->addPhotoFile(-1, element(5, QStringLiteral("S"), same.addYears(-1)));
    EXPECT_EQ(shownIds(*view), (QList<int>{5, 2, 3, 1, 4}));
    EXPECT_EQ(shownIds(*viewOf({5, 1, 9, 3}, PhotosSortByDateTime, Qt::DescendingOrder)), (QList<int>{9, 5, 3, 1}));
}

// A sort is announced only when key or order change or it is forced.
TEST_F(PhotoViewTest, SortByAnnouncesOnlyRealChangesAndUnorderedKeysKeepArrival)
{
    auto view = viewOf({5, 1, 9});
    QSignalSpy reset(view.get(), &KivPhotoFilesSort::resetModel);
    view->sortBy(PhotosSortNone, Qt::AscendingOrder, false);
    EXPECT_EQ(reset.count(), 0) << "same key and order, not forced";
    view->sortBy(PhotosSortNone, Qt::AscendingOrder, true);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(shownIds(*view), (QList<int>{5, 1, 9})) << "no key: appended, and a sort leaves the order";

    view->sortBy(PhotosSortByDateTime, Qt::DescendingOrder, false);
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(shownIds(*view), (QList<int>{9, 5, 1}));
    view->sortBy(PhotosSortByFileName, Qt::AscendingOrder, false);
    EXPECT_EQ(shownIds(*view), (QList<int>{1, 5, 9}));

    view->sortBy(PhotosSortByWho, Qt::AscendingOrder, false);
    EXPECT_EQ(reset.count(), 4);
    view->addPhotoFile(-1, dated(3, 3));
    EXPECT_EQ(shownIds(*view), (QList<int>{1, 5, 9, 3})) << "an unordered key keeps arrival order";
    view->sortBy(PhotosSortType(42), Qt::AscendingOrder, false);
    view->addPhotoFile(-1, dated(7, 7));
    EXPECT_EQ(shownIds(*view).first(), 7) << "an unknown key puts new entries first";
}

TEST_F(PhotoViewTest, UpdatesDoNotMoveAndAlwaysAnnounce)
{
    auto view = viewOf({1, 2}, PhotosSortByDateTime);
    QSignalSpy updated(view.get(), &KivPhotoFilesSort::photoFileUpdated);
    KivPhotoFile* first = view->getKivPhotoFile(0);
    first->dbInfo.mediaModifyDate = QDateTime(QDate(2030, 1, 1), QTime(0, 0));
    view->updatePhotoFile(-1, first);
    view->updatePhotoFile(-1, dated(3, 3)); // not shown
    view->updatePhotoFile(-1, nullptr);
    EXPECT_EQ(updated.count(), 3);
    EXPECT_EQ(shownIds(*view), (QList<int>{1, 2}));
    EXPECT_TRUE(view->ifNeedUpdate());
    EXPECT_FALSE(view->ifNeedUpdate()) << "read and cleared in one step";
}

TEST_F(PhotoViewTest, FocusFollowsTheSelection)
{
    auto view = viewOf({1, 2, 3, 4, 5, 6, 7});
    const auto select = [&](int i, bool on) { view->getKivViewPhotoFile(i)->setSelected(on); };
    const auto focused = [&](int i) { return view->getKivViewPhotoFile(i)->isFocus(); };
    EXPECT_EQ(view->getFocusIndex(), -1) << "nothing selected";

    select(3, true);
    select(5, true);
    view->setFocusIndex(5);
    EXPECT_EQ(view->getFocusIndex(), 5);
    select(5, false);
    EXPECT_EQ(view->getFocusIndex(), 3) << "focus moves to the first selected entry";
    EXPECT_TRUE(focused(3) && !focused(5));

    view->setFocusIndex(6);
    EXPECT_EQ(view->getFocusIndex(), 3) << "focus on an unselected entry does not last";

    // Deleting the focused entry moves the focus to the first entry first.
    select(4, true);
    view->setFocusIndex(4);
    QSignalSpy deleted(view.get(), &KivPhotoFilesSort::photoFileDeleted);
    view->deletePhotoFileByIndex(4);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_TRUE(focused(0));
    view->deletePhotoFileByIndex(99);
    EXPECT_EQ(deleted.count(), 1) << "out of range: nothing";
}

TEST_F(PhotoViewTest, SelectionByNameAndItsEnumeration)
{
    KivPhotoFilesSort view(PhotosFilterAll);
    for (const auto& [id, name] : {std::pair{1, "IMG_0001.JPG"}, {2, "other.jpg"}, {3, "img_0001.jpg"}})
        view.addPhotoFile(-1, element(id, QLatin1String(name)));
    view.selectPhotoFile(element(9, QStringLiteral("Img_0001.jpg")), true);
    EXPECT_EQ(view.getAllSelectedIndex(), (QList<int>{0, 2}));
    EXPECT_EQ(view.getSelectedPhotoFilesCount(), 2);
    EXPECT_EQ(view.getSelectedObjectCount(), 2);
    EXPECT_EQ(view.getSelectedObject(1), view.getKivPhotoFile(2));
    EXPECT_EQ(view.getSelectedObject(2), nullptr);

    view.resetSelectedEnum();
    EXPECT_EQ(view.getNextSelectedPhotoFile(), view.getKivPhotoFile(0));
    EXPECT_EQ(view.getNextSelectedPhotoFile(), view.getKivPhotoFile(2));
    EXPECT_EQ(view.getNextSelectedPhotoFile(), nullptr);
    view.getKivViewPhotoFile(1)->setSelected(true);
    EXPECT_EQ(view.getNextSelectedPhotoFile(), nullptr) << "the cursor stays at the end";
    view.resetSelectedEnum();
    EXPECT_EQ(view.getNextSelectedPhotoFile(), view.getKivPhotoFile(0));
}

TEST_F(PhotoViewTest, DeleteByIdAndAssignment)
{
    auto view = viewOf({1, 2});
    view->addPhotoFile(-1, view->getKivPhotoFile(0));
    view->deletePhotoFile(element(1, QStringLiteral("x"), QDateTime())); // by id: the first of the two
    EXPECT_EQ(shownIds(*view), (QList<int>{2, 1}));

    auto sorted = viewOf({7}, PhotosSortByDateTime, Qt::DescendingOrder);
    sorted->getKivViewPhotoFile(0)->setSelected(true);
    QSignalSpy deleted(sorted.get(), &KivPhotoFilesSort::photoFileDeleted);
    *sorted = *view;
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(shownIds(*sorted), (QList<int>{2, 1})) << "the target's own key orders the copy";
    EXPECT_EQ(view->getSelectedObjectCount() + sorted->getSelectedObjectCount(), 0);
}

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
