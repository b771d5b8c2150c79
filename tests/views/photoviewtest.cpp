// The sorted view family, run on the photo view. The bodies are written
// against a traits struct so that every later view runs the same scenarios
// by adding its own traits to ViewTypes.

#include <ctime>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include <QSignalSpy>
#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

struct PhotoViewTraits
{
    using View = KivPhotoFilesSort;
    using Element = KivPhotoFile;
    static constexpr int DateKey = PhotosSortByDateTime;
    static constexpr int NameKey = PhotosSortByFileName;
    static constexpr int UnorderedKey = PhotosSortByWho;
    static constexpr int NoKey = PhotosSortNone;

    static std::unique_ptr<View> makeView() { return std::make_unique<View>(PhotosFilterAll); }
    static std::unique_ptr<Element> makeElement(int id, const QString& name, const QDateTime& date)
    {
        auto e = std::make_unique<Element>();
        e->dbInfo.id = id;
        e->dbInfo.name = name;
        e->dbInfo.fullPath = QStringLiteral("/v/%1/").arg(id) + name;
        e->dbInfo.mediaModifyDate = date;
        return e;
    }
    static void setDate(Element& e, const QDateTime& date) { e.dbInfo.mediaModifyDate = date; }
    static void sortBy(View& v, int key, Qt::SortOrder order, bool force) { v.sortBy(PhotosSortType(key), order, force); }
    static void add(View& v, Element* e) { v.addPhotoFile(-1, e); }
    static void update(View& v, Element* e) { v.updatePhotoFile(-1, e); }
    static void remove(View& v, Element* e) { v.deletePhotoFile(e); }
    static void removeAt(View& v, int i) { v.deletePhotoFileByIndex(i); }
    static void select(View& v, Element* e, bool on) { v.selectPhotoFile(e, on); }
    static int count(View& v) { return v.photoFilesCount(); }
    static Element* at(View& v, int i) { return v.getKivPhotoFile(i); }
    static void setSelected(View& v, int i, bool on) { v.getKivViewPhotoFile(i)->setSelected(on); }
    static bool hasFocusFlag(View& v, int i) { return v.getKivViewPhotoFile(i)->isFocus(); }
    static Element* nextSelected(View& v) { return v.getNextSelectedPhotoFile(); }
    static auto addedSignal() { return &View::photoFileAdded; }
    static auto updatedSignal() { return &View::photoFileUpdated; }
    static auto deletedSignal() { return &View::photoFileDeleted; }
    static auto resetSignal() { return &View::resetModel; }
};

using ViewTypes = ::testing::Types<PhotoViewTraits>;

template <class T>
class ViewFamilyTest : public ::testing::Test
{
protected:
    using View = typename T::View;
    using Element = typename T::Element;

    Element* element(int id, const QString& name, const QDateTime& date = QDateTime(QDate(2024, 1, 1), QTime(0, 0)))
    {
        owned.push_back(T::makeElement(id, name, date));
        return owned.back().get();
    }
    Element* dated(int id, int day) { return element(id, QStringLiteral("e%1").arg(id), QDateTime(QDate(2024, 1, day), QTime(9, 0))); }

    QList<int> shownIds(View& v)
    {
        QList<int> ids;
        for (int i = 0; i < T::count(v); ++i)
            ids.append(T::at(v, i)->dbInfo.id);
        return ids;
    }

    std::vector<std::unique_ptr<Element>> owned;
};

TYPED_TEST_SUITE(ViewFamilyTest, ViewTypes);

TYPED_TEST(ViewFamilyTest, EqualKeysGoJustBeforeTheLastEqualEntry)
{
    auto view = TypeParam::makeView();
    TypeParam::sortBy(*view, TypeParam::DateKey, Qt::AscendingOrder, true);
    const QDateTime same(QDate(2020, 6, 1), QTime(8, 0));
    auto* p = this->element(1, QStringLiteral("P"), same);
    auto* q = this->element(2, QStringLiteral("Q"), same);
    auto* r = this->element(3, QStringLiteral("R"), same);
    for (auto* e : {p, q, r})
        TypeParam::add(*view, e);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{2, 3, 1})) << "P, Q, R added show as Q, R, P";

    // Earlier and later keys find their places in both directions.
    TypeParam::add(*view, this->dated(4, 20));
    TypeParam::add(*view, this->element(5, QStringLiteral("S"), same.addYears(-1)));
    EXPECT_EQ(this->shownIds(*view), (QList<int>{5, 2, 3, 1, 4}));

    auto down = TypeParam::makeView();
    TypeParam::sortBy(*down, TypeParam::DateKey, Qt::DescendingOrder, true);
    for (int day : {5, 1, 9, 3})
        TypeParam::add(*down, this->dated(100 + day, day));
    EXPECT_EQ(this->shownIds(*down), (QList<int>{109, 105, 103, 101}));
}

TYPED_TEST(ViewFamilyTest, KeysWithoutAnOrderKeepArrival)
{
    auto view = TypeParam::makeView();
    for (int day : {5, 1, 9})
        TypeParam::add(*view, this->dated(day, day));
    EXPECT_EQ(this->shownIds(*view), (QList<int>{5, 1, 9})) << "no key: appended";

    QSignalSpy reset(view.get(), TypeParam::resetSignal());
    TypeParam::sortBy(*view, TypeParam::UnorderedKey, Qt::AscendingOrder, false);
    EXPECT_EQ(reset.count(), 1);
    TypeParam::add(*view, this->dated(3, 3));
    EXPECT_EQ(this->shownIds(*view), (QList<int>{5, 1, 9, 3})) << "an unordered key keeps arrival order";

    TypeParam::sortBy(*view, 42, Qt::AscendingOrder, false);
    TypeParam::add(*view, this->dated(7, 7));
    EXPECT_EQ(this->shownIds(*view).first(), 7) << "an unknown key puts new entries first";
}

TYPED_TEST(ViewFamilyTest, SortByAnnouncesOnlyRealChanges)
{
    auto view = TypeParam::makeView();
    for (int day : {5, 1, 9})
        TypeParam::add(*view, this->dated(day, day));
    QSignalSpy reset(view.get(), TypeParam::resetSignal());

    TypeParam::sortBy(*view, TypeParam::NoKey, Qt::AscendingOrder, false);
    EXPECT_EQ(reset.count(), 0) << "same key and order, not forced";
    TypeParam::sortBy(*view, TypeParam::NoKey, Qt::AscendingOrder, true);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{5, 1, 9})) << "no key leaves the order";

    TypeParam::sortBy(*view, TypeParam::DateKey, Qt::DescendingOrder, false);
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{9, 5, 1}));
    TypeParam::sortBy(*view, TypeParam::NameKey, Qt::AscendingOrder, false);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{1, 5, 9}));
}

TYPED_TEST(ViewFamilyTest, UpdatesDoNotMoveAndAlwaysAnnounce)
{
    auto view = TypeParam::makeView();
    TypeParam::sortBy(*view, TypeParam::DateKey, Qt::AscendingOrder, true);
    auto* a = this->dated(1, 1);
    auto* b = this->dated(2, 2);
    TypeParam::add(*view, a);
    TypeParam::add(*view, b);
    QSignalSpy updated(view.get(), TypeParam::updatedSignal());
    TypeParam::setDate(*a, QDateTime(QDate(2030, 1, 1), QTime(0, 0)));
    TypeParam::update(*view, a);
    TypeParam::update(*view, this->dated(3, 3)); // not shown
    TypeParam::update(*view, nullptr);
    EXPECT_EQ(updated.count(), 3);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{1, 2}));
    EXPECT_TRUE(view->ifNeedUpdate());
    EXPECT_FALSE(view->ifNeedUpdate()) << "read and cleared in one step";
}

TYPED_TEST(ViewFamilyTest, FocusFollowsTheSelection)
{
    auto view = TypeParam::makeView();
    for (int i = 0; i < 7; ++i)
        TypeParam::add(*view, this->dated(i, i + 1));
    EXPECT_EQ(view->getFocusIndex(), -1) << "nothing selected";

    TypeParam::setSelected(*view, 3, true);
    TypeParam::setSelected(*view, 5, true);
    view->setFocusIndex(5);
    EXPECT_EQ(view->getFocusIndex(), 5);
    TypeParam::setSelected(*view, 5, false);
    EXPECT_EQ(view->getFocusIndex(), 3) << "focus moves to the first selected entry";
    EXPECT_TRUE(TypeParam::hasFocusFlag(*view, 3));
    EXPECT_FALSE(TypeParam::hasFocusFlag(*view, 5));

    // Focus on an unselected entry does not last.
    view->setFocusIndex(6);
    EXPECT_EQ(view->getFocusIndex(), 3);

    // Deleting the focused entry moves the focus to the first entry first.
    TypeParam::setSelected(*view, 4, true);
    view->setFocusIndex(4);
    QSignalSpy deleted(view.get(), TypeParam::deletedSignal());
    TypeParam::removeAt(*view, 4);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_TRUE(TypeParam::hasFocusFlag(*view, 0));
    TypeParam::removeAt(*view, 99);
    EXPECT_EQ(deleted.count(), 1) << "out of range: nothing";
}

TYPED_TEST(ViewFamilyTest, SelectionByNameAndItsEnumeration)
{
    auto view = TypeParam::makeView();
    TypeParam::add(*view, this->element(1, QStringLiteral("IMG_0001.JPG")));
    TypeParam::add(*view, this->element(2, QStringLiteral("other.jpg")));
    TypeParam::add(*view, this->element(3, QStringLiteral("img_0001.jpg")));
    TypeParam::select(*view, this->element(9, QStringLiteral("Img_0001.jpg")), true);
    EXPECT_EQ(view->getAllSelectedIndex(), (QList<int>{0, 2}));
    EXPECT_EQ(view->getSelectedPhotoFilesCount(), 2);
    EXPECT_EQ(view->getSelectedObjectCount(), 2);
    EXPECT_EQ(view->getSelectedObject(1), TypeParam::at(*view, 2));
    EXPECT_EQ(view->getSelectedObject(2), nullptr);

    view->resetSelectedEnum();
    EXPECT_EQ(TypeParam::nextSelected(*view), TypeParam::at(*view, 0));
    EXPECT_EQ(TypeParam::nextSelected(*view), TypeParam::at(*view, 2));
    EXPECT_EQ(TypeParam::nextSelected(*view), nullptr);
    TypeParam::setSelected(*view, 1, true);
    EXPECT_EQ(TypeParam::nextSelected(*view), nullptr) << "the cursor stays at the end";
    view->resetSelectedEnum();
    EXPECT_EQ(TypeParam::nextSelected(*view), TypeParam::at(*view, 0));
}

TYPED_TEST(ViewFamilyTest, DeleteByIdAndAssignment)
{
    auto view = TypeParam::makeView();
    auto* a = this->dated(1, 1);
    TypeParam::add(*view, a);
    TypeParam::add(*view, this->dated(2, 2));
    TypeParam::add(*view, a);
    auto copyOfA = TypeParam::makeElement(1, QStringLiteral("x"), QDateTime());
    TypeParam::remove(*view, copyOfA.get()); // by id: the first of the two
    EXPECT_EQ(this->shownIds(*view), (QList<int>{2, 1}));

    auto sorted = TypeParam::makeView();
    TypeParam::sortBy(*sorted, TypeParam::DateKey, Qt::DescendingOrder, true);
    TypeParam::add(*sorted, this->dated(7, 7));
    TypeParam::setSelected(*sorted, 0, true);
    QSignalSpy deleted(sorted.get(), TypeParam::deletedSignal());
    *sorted = *view;
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(this->shownIds(*sorted), (QList<int>{2, 1})) << "the target's own key orders the copy";
    EXPECT_EQ(view->getSelectedObjectCount(), 0);
    EXPECT_EQ(sorted->getSelectedObjectCount(), 0);
}

class PhotoViewTest : public TempHomeTest
{
};

TEST_F(PhotoViewTest, PhotoRollFilter)
{
    KivPhotoFilesSort roll(PhotosFilterPhotoRoll);
    KivPhotoFilesSort others(PhotosFilterNoPhotoRoll);
    KivPhotoFile inRoll;
    inRoll.dbInfo.id = 1;
    inRoll.dbInfo.fIsPhotoRoll = true;
    KivPhotoFile outside;
    outside.dbInfo.id = 2;
    QSignalSpy rollUpdated(&roll, &KivPhotoFilesSort::photoFileUpdated);
    for (KivPhotoFilesSort* v : {&roll, &others}) {
        v->addPhotoFile(0, &inRoll);
        v->addPhotoFile(1, &outside);
    }
    ASSERT_EQ(roll.photoFilesCount(), 1);
    EXPECT_EQ(roll.getKivPhotoFile(0), &inRoll);
    ASSERT_EQ(others.photoFilesCount(), 1);
    EXPECT_EQ(others.getKivPhotoFile(0), &outside);
    roll.updatePhotoFile(1, &outside);
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
    EXPECT_EQ(mismatches, 0);
    for (int n = 0; n < 100000; ++n) {
        const int a = pick(0, 402), b = pick(0, 402), c = pick(0, 402);
        ASSERT_TRUE(!less(shown[a], shown[b]) || !less(shown[b], shown[c]) || less(shown[a], shown[c])) << a << b << c;
    }
}

// The release pass walks the entries outside the 400 around the last one
// looked at, 50 per call, and wraps; small views keep everything.
TEST_F(PhotoViewTest, ThumbnailMemoryIsReleasedInBoundedSteps)
{
    DatabaseService* service = getDatabaseService();
    service->Initialize(true);
    const QByteArray bmp = quadrantBmp(4, 4);
    auto* images = service->getImageInfoDB();
    auto* minis = service->getImageThumbnailMiniDB();
    images->getDatabase().transaction();
    minis->getDatabase().transaction();
    std::vector<std::unique_ptr<KivPhotoFile>> photos;
    for (int i = 0; i < 500; ++i) {
        photos.push_back(std::make_unique<KivPhotoFile>());
        photos.back()->dbInfo = photoRecord(QStringLiteral("/m/%1.jpg").arg(i));
        photos.back()->dbInfo.id = i;
        DBImageThumbnail t = thumbnailRecord(photos.back()->dbInfo.fullPath, bmp);
        minis->insertRecord(&t);
    }
    images->getDatabase().commit();
    minis->getDatabase().commit();

    KivPhotoFilesSort small;
    KivPhotoFilesSort large;
    for (int i = 0; i < 500; ++i) {
        ASSERT_FALSE(photos[i]->getPixmapMini().isNull());
        large.addPhotoFile(i, photos[i].get());
        if (i < 400)
            small.addPhotoFile(i, photos[i].get());
    }
    QSqlQuery(minis->getDatabase()).exec(QStringLiteral("delete from ImageThumbnail"));

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
    QList<int> expected;
    for (int i = 201; i < 499; ++i) // 499 is where a pass wraps to the start
        expected.append(i);
    EXPECT_EQ(released, expected);
    service->UnInitialize();
}

} // namespace
