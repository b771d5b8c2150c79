#pragma once

// One test body for every sorted view (through the shared core's calls):
// insertion order for equal and unordered keys, the signals of every change,
// focus, selection, deletion and assignment. A view's test instantiates it
// with traits naming View, Element, the Key type of sortBy, the keys byDate,
// byName and unordered, date (the record's date field) and unknownKeyFirst
// (a key outside the list puts new entries first).

#include <memory>
#include <vector>

#include <QSignalSpy>

#include "support/temphome.h"

template <class Traits>
class SortedViewTest : public TempHomeTest
{
protected:
    using View = typename Traits::View;
    using Element = typename Traits::Element;

    Element* element(int id, const QString& name, const QDateTime& date = QDateTime(QDate(2024, 1, 1), QTime(0, 0)))
    {
        Element* e = owned.emplace_back(std::make_unique<Element>()).get();
        e->dbInfo.id = id;
        e->dbInfo.name = name;
        e->dbInfo.fullPath = QStringLiteral("/v/%1/").arg(id) + name;
        e->dbInfo.*Traits::date = date;
        return e;
    }
    Element* dated(int id, int day)
    {
        return element(id, QStringLiteral("e%1").arg(id), QDateTime(QDate(2024, 1, day), QTime(9, 0)));
    }
    // A view holding an element of id = day for each day, in that order.
    std::unique_ptr<View> viewOf(std::initializer_list<int> days, int key = 0,
                                 Qt::SortOrder order = Qt::AscendingOrder)
    {
        auto view = std::make_unique<View>();
        view->sortBy(typename Traits::Key(key), order, false);
        for (int day : days)
            view->addPhotoFile(-1, dated(day, day));
        return view;
    }
    static QList<int> shownIds(View& v)
    {
        QList<int> ids;
        for (int i = 0; i < v.count(); ++i)
            ids.append(v.elementAt(i)->dbInfo.id);
        return ids;
    }

    std::vector<std::unique_ptr<Element>> owned;
};

TYPED_TEST_SUITE_P(SortedViewTest);

TYPED_TEST_P(SortedViewTest, EqualKeysGoJustBeforeTheLastEqualEntry)
{
    auto view = this->viewOf({}, TypeParam::byDate);
    const QDateTime same(QDate(2020, 6, 1), QTime(8, 0));
    for (const auto& [id, name] : {std::pair{1, "P"}, {2, "Q"}, {3, "R"}})
        view->addPhotoFile(-1, this->element(id, QLatin1String(name), same));
    EXPECT_EQ(this->shownIds(*view), (QList<int>{2, 3, 1})) << "P, Q, R added show as Q, R, P";

    // Earlier and later keys find their places in both directions.
    view->addPhotoFile(-1, this->dated(4, 20));
    view->addPhotoFile(-1, this->element(5, QStringLiteral("S"), same.addYears(-1)));
    EXPECT_EQ(this->shownIds(*view), (QList<int>{5, 2, 3, 1, 4}));
    EXPECT_EQ(this->shownIds(*this->viewOf({5, 1, 9, 3}, TypeParam::byDate, Qt::DescendingOrder)),
              (QList<int>{9, 5, 3, 1}));
}

// A sort is announced only when key or order change or it is forced.
TYPED_TEST_P(SortedViewTest, SortByAnnouncesOnlyRealChangesAndUnorderedKeysKeepArrival)
{
    using V = typename TypeParam::View;
    using Key = typename TypeParam::Key;
    auto view = this->viewOf({5, 1, 9});
    QSignalSpy reset(view.get(), &V::resetModel);
    view->sortBy(Key(0), Qt::AscendingOrder, false);
    EXPECT_EQ(reset.count(), 0) << "same key and order, not forced";
    view->sortBy(Key(0), Qt::AscendingOrder, true);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{5, 1, 9})) << "no key: appended, and a sort leaves the order";

    view->sortBy(TypeParam::byDate, Qt::DescendingOrder, false);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{9, 5, 1}));
    view->sortBy(TypeParam::byName, Qt::AscendingOrder, false);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{1, 5, 9}));

    view->sortBy(TypeParam::unordered, Qt::AscendingOrder, false);
    EXPECT_EQ(reset.count(), 4);
    view->addPhotoFile(-1, this->dated(3, 3));
    EXPECT_EQ(this->shownIds(*view), (QList<int>{1, 5, 9, 3})) << "an unordered key keeps arrival order";
    view->sortBy(Key(42), Qt::AscendingOrder, false);
    view->addPhotoFile(-1, this->dated(7, 7));
    EXPECT_EQ(this->shownIds(*view).indexOf(7), TypeParam::unknownKeyFirst ? 0 : 4) << "an unknown key";
}

TYPED_TEST_P(SortedViewTest, UpdatesDoNotMoveAndAlwaysAnnounce)
{
    auto view = this->viewOf({1, 2}, TypeParam::byDate);
    QSignalSpy updated(view.get(), &TypeParam::View::photoFileUpdated);
    auto* first = view->elementAt(0);
    first->dbInfo.*TypeParam::date = QDateTime(QDate(2030, 1, 1), QTime(0, 0));
    view->updatePhotoFile(-1, first);
    view->updatePhotoFile(-1, this->dated(3, 3)); // not shown
    view->updatePhotoFile(-1, nullptr);
    EXPECT_EQ(updated.count(), 3);
    EXPECT_EQ(this->shownIds(*view), (QList<int>{1, 2}));
    EXPECT_TRUE(view->ifNeedUpdate());
    EXPECT_FALSE(view->ifNeedUpdate()) << "read and cleared in one step";
}

TYPED_TEST_P(SortedViewTest, FocusFollowsTheSelection)
{
    auto view = this->viewOf({1, 2, 3, 4, 5, 6, 7});
    const auto select = [&](int i, bool on) { view->wrapperAt(i)->setSelected(on); };
    const auto focused = [&](int i) { return view->wrapperAt(i)->isFocus(); };
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
    QSignalSpy deleted(view.get(), &TypeParam::View::photoFileDeleted);
    view->deletePhotoFileByIndex(4);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_TRUE(focused(0));
    view->deletePhotoFileByIndex(99);
    EXPECT_EQ(deleted.count(), 1) << "out of range: nothing";
}

TYPED_TEST_P(SortedViewTest, SelectionByNameAndItsEnumeration)
{
    typename TypeParam::View view;
    for (const auto& [id, name] : {std::pair{1, "IMG_0001.JPG"}, {2, "other.jpg"}, {3, "img_0001.jpg"}})
        view.addPhotoFile(-1, this->element(id, QLatin1String(name)));
    view.selectPhotoFile(this->element(9, QStringLiteral("Img_0001.jpg")), true);
    EXPECT_EQ(view.getAllSelectedIndex(), (QList<int>{0, 2}));
    EXPECT_EQ(view.getSelectedObjectCount(), 2);
    EXPECT_EQ(view.getSelectedObject(1), view.elementAt(2));
    EXPECT_EQ(view.getSelectedObject(2), nullptr);

    view.resetSelectedEnum();
    EXPECT_EQ(view.nextSelected(), view.elementAt(0));
    EXPECT_EQ(view.nextSelected(), view.elementAt(2));
    EXPECT_EQ(view.nextSelected(), nullptr);
    view.wrapperAt(1)->setSelected(true);
    EXPECT_EQ(view.nextSelected(), nullptr) << "the cursor stays at the end";
    view.resetSelectedEnum();
    EXPECT_EQ(view.nextSelected(), view.elementAt(0));
}

TYPED_TEST_P(SortedViewTest, DeleteByIdAndAssignment)
{
    auto view = this->viewOf({1, 2});
    view->addPhotoFile(-1, view->elementAt(0));
    view->deletePhotoFile(this->element(1, QStringLiteral("x"), QDateTime())); // by id: the first of the two
    EXPECT_EQ(this->shownIds(*view), (QList<int>{2, 1}));

    auto sorted = this->viewOf({7}, TypeParam::byDate, Qt::DescendingOrder);
    sorted->wrapperAt(0)->setSelected(true);
    QSignalSpy deleted(sorted.get(), &TypeParam::View::photoFileDeleted);
    *sorted = *view;
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(this->shownIds(*sorted), (QList<int>{2, 1})) << "the target's own key orders the copy";
    EXPECT_EQ(view->getSelectedObjectCount() + sorted->getSelectedObjectCount(), 0);
}

REGISTER_TYPED_TEST_SUITE_P(SortedViewTest, EqualKeysGoJustBeforeTheLastEqualEntry,
                            SortByAnnouncesOnlyRealChangesAndUnorderedKeysKeepArrival,
                            UpdatesDoNotMoveAndAlwaysAnnounce, FocusFollowsTheSelection,
                            SelectionByNameAndItsEnumeration, DeleteByIdAndAssignment);
