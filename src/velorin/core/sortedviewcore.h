#pragma once

#include <velorin/core/chunkedvector.h>

#include <algorithm>
#include <vector>

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>

// ViewKeys<Element> tells the core an element's id (which entry a delete
// means), its display name (selection by file name) and how to drop its
// cached pictures.
template <class Element>
struct ViewKeys;

// The shared core of the sorted views: one list of wrappers per view, in
// display order, pointing at a collection's objects, with the view's own sort
// key and order, filter, selection, focus, enumeration cursor, change flag and
// bounded release of thumbnail memory.
//
// Each named view derives from it (moc allows no Q_OBJECT templates), names
// its signals and slots, and supplies the ordering of its keys, its filter
// and the four announcements.
//
// A view is a GUI-thread object: only the change flag is locked, so that a
// worker may set it. The list, selection and focus have no lock.
template <class Element, class Wrapper>
class SortedViewCore : public QObject
{
public:
    using LessThan = bool (*)(const Wrapper&, const Wrapper&);

    // How a sort key places entries: appended in arrival order, always put
    // first, or at a sorted position by `less`.
    struct Ordering
    {
        enum Kind { Append, Front, Sorted } kind;
        LessThan less;
    };

    int count() const { return m_items.size(); }

    // The entry's element or wrapper; remembers the index as the last one
    // looked at (the centre of the kept thumbnail window). Null when out of
    // range.
    Element* elementAt(int index)
    {
        Wrapper* w = wrapperAt(index);
        return w ? w->element() : nullptr;
    }
    Wrapper* wrapperAt(int index)
    {
        if (index < 0 || index >= m_items.size())
            return nullptr;
        m_lastAccessIndex = index;
        return &m_items[index];
    }

    int sortType() const { return m_sortType; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Inserts a wrapper for `element` where the current key puts it; the
    // filter drops elements the view does not show.
    void addElement(Element* element)
    {
        Wrapper w;
        w.setElement(element);
        addWrapper(w);
    }

    // The same with a wrapper the caller prepared (a view whose wrappers
    // carry numbers of their own); its selection and focus are cleared.
    void addWrapper(Wrapper w)
    {
        Element* element = w.element();
        if (!element || !accepts(element))
            return;
        w.setSelected(false);
        w.setFocus(false);
        m_items.insert(insertionIndex(w), w);
        setNeedUpdate();
        announceAdded(element);
    }

    // The entry is not moved, even when its key changed, and the signal goes
    // out even for an element this view does not show.
    void updateElement(Element* element)
    {
        setNeedUpdate();
        announceUpdated(element);
    }

    void deleteElement(Element* element)
    {
        if (element) {
            const int id = ViewKeys<Element>::id(*element);
            for (int i = 0; i < m_items.size(); ++i) {
                Element* shown = m_items[i].element();
                if (shown && ViewKeys<Element>::id(*shown) == id) {
                    deleteAt(i);
                    break;
                }
            }
        }
        setNeedUpdate();
    }

    void deleteAt(int index)
    {
        if (index < 0 || index >= m_items.size())
            return;
        if (focusIndex() == index)
            setFocusIndex(0);
        m_items.erase(index);
        announceDeleted();
    }

    // Selects every entry whose name equals the element's, ignoring case:
    // copies of one file name in other folders change too.
    void selectByName(Element* element, bool selected)
    {
        if (!element)
            return;
        const QString name = ViewKeys<Element>::name(*element);
        m_items.forEach([&](Wrapper& w) {
            if (w.element() && ViewKeys<Element>::name(*w.element()).compare(name, Qt::CaseInsensitive) == 0)
                w.setSelected(selected);
        });
    }

    void sortBy(int type, Qt::SortOrder order, bool force)
    {
        if (type == m_sortType && order == m_sortOrder && !force)
            return;
        const Ordering ordering = orderingFor(type, order);
        if (ordering.kind == Ordering::Sorted) {
            std::vector<Wrapper> all = m_items.toVector();
            std::sort(all.begin(), all.end(), ordering.less);
            m_items.assign(all);
        }
        m_sortType = type;
        m_sortOrder = order;
        announceReset();
    }

    // The focused entry: focus stays only on a selected entry, and moves to
    // the first selected one when it is lost. -1 when nothing is selected.
    int focusIndex()
    {
        const int n = m_items.size();
        if (m_focusIndex < 0 || m_focusIndex >= n) {
            m_focusIndex = -1;
            return -1;
        }
        Wrapper& current = m_items[m_focusIndex];
        if (current.isFocus() && current.isSelected())
            return m_focusIndex;
        if (current.isFocus())
            current.setFocus(false);
        m_focusIndex = -1;
        for (int i = 0; i < n; ++i) {
            if (m_items[i].isFocus() && m_items[i].isSelected()) {
                m_focusIndex = i;
                return i;
            }
        }
        for (int i = 0; i < n; ++i) {
            if (m_items[i].isSelected()) {
                m_items[i].setFocus(true);
                m_focusIndex = i;
                break;
            }
        }
        return m_focusIndex;
    }

    // Does not select the entry: focus on an unselected entry is dropped by
    // the next focusIndex().
    void setFocusIndex(int index)
    {
        const int old = focusIndex();
        if (index < 0 || index >= m_items.size() || index == old)
            return;
        if (old >= 0 && old < m_items.size())
            m_items[old].setFocus(false);
        m_items[index].setFocus(true);
        m_focusIndex = index;
    }

    int selectedCount()
    {
        int selected = 0;
        m_items.forEach([&](Wrapper& w) { selected += w.isSelected() ? 1 : 0; });
        return selected;
    }

    QList<int> selectedIndexes()
    {
        QList<int> indexes;
        int i = 0;
        m_items.forEach([&](Wrapper& w) {
            if (w.isSelected())
                indexes.append(i);
            ++i;
        });
        return indexes;
    }

    void resetSelectedEnum() { m_selectedEnumPos = -1; }

    // The next selected entry after the cursor; null at the end, where the
    // cursor stays until resetSelectedEnum().
    Element* nextSelected()
    {
        const int n = m_items.size();
        for (int i = m_selectedEnumPos + 1; i < n; ++i) {
            if (m_items[i].isSelected()) {
                m_selectedEnumPos = i;
                return elementAt(i);
            }
        }
        m_selectedEnumPos = n;
        return nullptr;
    }

    // The element of the n-th selected entry in display order.
    Element* selectedAt(int n)
    {
        if (n < 0)
            return nullptr;
        for (int i = 0; i < m_items.size(); ++i) {
            if (m_items[i].isSelected() && n-- == 0)
                return m_items[i].element();
        }
        return nullptr;
    }

    void setNeedUpdate()
    {
        QMutexLocker lock(&m_updateLock);
        m_needUpdate = true;
    }
    void clearNeedUpdate()
    {
        QMutexLocker lock(&m_updateLock);
        m_needUpdate = false;
    }
    // Reads and clears the flag in one locked step.
    bool ifNeedUpdate()
    {
        QMutexLocker lock(&m_updateLock);
        const bool need = m_needUpdate;
        m_needUpdate = false;
        return need;
    }

    static int getCheckCount() { return 50; }
    static int getCacheCount() { return 400; }

    // One bounded pass that drops the cached pictures of entries outside the
    // window of getCacheCount() entries around the last one looked at,
    // getCheckCount() entries at most per call, walking on from where the
    // last pass stopped and wrapping to the start. Views of at most
    // getCacheCount() entries keep everything.
    void releaseMemory()
    {
        const int n = m_items.size();
        const int window = getCacheCount();
        const int step = getCheckCount();
        if (n <= window)
            return;
        const int a = m_lastAccessIndex;
        const int p = m_checkPos;
        const int lo = std::max(0, a - window / 2);
        const int hi = std::min(n - 1, a + window / 2);
        int end = p;
        if (p < lo)
            end = p >= lo - step ? lo : p + step;
        if (p > hi)
            end = std::min(p + step, n - 1);
        for (int i = p; i < end; ++i) {
            if (Element* e = m_items[i].element())
                ViewKeys<Element>::release(*e);
        }
        m_checkPos = end == lo ? hi + 1 : end == n - 1 ? 0 : end;
    }

    // Moves the selected entries, in their order, to stand together at
    // `target` (an index of the list as it was; negative: the end). The
    // entries before `target` that move make it go down, so the moved ones
    // land where the caller pointed. Nothing is announced.
    void moveSelectedTo(int target)
    {
        const int n = m_items.size();
        if (target < 0)
            target = n;
        std::vector<Wrapper> moved; // last first
        for (int i = n - 1; i >= 0; --i) {
            if (!m_items[i].isSelected())
                continue;
            moved.push_back(m_items[i]);
            m_items.erase(i);
            if (target < n && target > 0 && i < target)
                --target;
        }
        target = std::min(target, m_items.size());
        // Each goes in at the same index, so the first one ends up first.
        for (const Wrapper& w : moved)
            m_items.insert(target, w);
    }

    // Empties this view (one deletion announcement per entry, last first) and
    // adds the other view's entries through this view's own filter and key;
    // selection starts empty, numbers a wrapper carries come along.
    void assignFrom(SortedViewCore& other)
    {
        if (&other == this)
            return;
        for (int i = m_items.size() - 1; i >= 0; --i)
            deleteAt(i);
        for (int i = 0; i < other.count(); ++i)
            addWrapper(*other.wrapperAt(i));
    }

protected:
    SortedViewCore(int filterType, QObject* parent)
        : QObject(parent)
        , m_filterType(filterType)
    {
    }

    int filterType() const { return m_filterType; }
    // The wrappers in display order, for the named views' own passes.
    ChunkedVector<Wrapper>& items() { return m_items; }

    virtual bool accepts(Element*) { return true; }
    virtual Ordering orderingFor(int sortType, Qt::SortOrder order) const = 0;
    virtual void announceAdded(Element* element) = 0;
    virtual void announceUpdated(Element* element) = 0;
    virtual void announceDeleted() = 0;
    virtual void announceReset() = 0;

private:
    // A binary search over the shown entries, probing them in a fixed order:
    // a new entry goes just before the last shown entry with an equal key.
    int insertionIndex(const Wrapper& w)
    {
        const Ordering ordering = orderingFor(m_sortType, m_sortOrder);
        const int n = m_items.size();
        if (ordering.kind == Ordering::Append || n == 0)
            return n;
        if (ordering.kind == Ordering::Front)
            return 0;
        // The probes' chunk is looked up only when a probe leaves it.
        typename ChunkedVector<Wrapper>::Run run;
        const auto probe = [&](int index) -> const Wrapper& {
            if (!run.holds(index))
                run = m_items.runAt(index);
            return run[index];
        };
        int l = 0;
        int r = n - 1;
        int m = (l + r + 1) / 2;
        while (l != r) {
            if (ordering.less(w, probe(m)))
                r = m - 1;
            else
                l = m;
            m = (l + r + 1) / 2;
        }
        return ordering.less(probe(m), w) ? m + 1 : m;
    }

    ChunkedVector<Wrapper> m_items;
    int m_sortType = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_needUpdate = false;
    QMutex m_updateLock;
    int m_lastAccessIndex = 0;
    int m_checkPos = 0;
    int m_focusIndex = -1;
    int m_selectedEnumPos = -1;
    int m_filterType;
};
