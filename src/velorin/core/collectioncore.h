#pragma once

#include <algorithm>
#include <memory>
#include <utility>

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>
#include <QVector>

// The shared core of the library's collections (photos, videos, online
// photos, UPnP items and servers, albums, playlists): a vector of element
// objects the collection owns, in the order they were added, guarded by one
// non-recursive mutex, with add, update and delete by the element's id.
//
// Each named collection derives from CollectionCore<T> (which has no
// Q_OBJECT of its own, as moc allows no templates), declares its signals and
// implements the three announce hooks by emitting them.
//
// Lookups. By id and by path through hash indexes kept beside the vector;
// they return the same entry a scan in index order would (the first one with
// that key), in constant time on average. Each stored element's keys are
// remembered as it was filed, so the core can always tell when an element
// no longer carries them: an update re-files the entry it assigns, and also
// the stored element itself when the caller edited it in place and passes
// it back; delete does the same for the element it is given; a lookup that
// lands on an element carrying another key re-files it and looks again, so
// no lookup answers with an entry that does not carry the key asked for. An
// in-place edit that no call on that element follows is found under its new
// key after reindex() or the element's next update.
//
// Lifetime. A stored element is freed only with the collection. Removal
// retires it: it leaves the vector and the indexes, its memory stays. A
// pointer to an entry leaves the lock in many ways: every signal carries
// one, to direct and queued receivers on any thread, and lookups hand one to
// workers that use it after the lock is released (the scan of an unchanged
// file finds its entry, updates it, then asks views to select it). Neither
// of the cheaper rules holds for all of them: pin counts cover the workers
// but not deliveries still waiting in some thread's event queue, and a
// sweep can pass only through threads it knows, while Qt does not tell a
// sender where its receivers live. Keeping the memory holds on every
// thread. Its price is the retired record: a photo with typical paths and
// texts keeps about 0.8 KB (its object and its record's texts), so 10,000
// removals in one session keep 8 MB, a tenth of what a loaded library of
// 100,000 photos holds anyway. What makes an entry heavy is its cached
// thumbnails (all four: ~0.9 MB); a retired element drops them
// (saveMemory()) once the collection's thread has handled the events queued
// there before the removal, when that thread is the application's, where
// pixmaps live. A retired element passed back to update carries an outdated
// record and changes nothing. Because nothing is freed, an address seen
// once names the same object for the collection's whole life, which is what
// lets update and delete recognise stored and retired elements by address.
// Whoever destroys a collection stops the workers that use it and lets
// receivers on other threads handle what is queued for them first.
//
// CollectionKeys<T> gives an element's id and the text key its second
// index is kept by (a photo's path, an album's GUID in lower case).
template <class T>
struct CollectionKeys;

template <class T>
class CollectionCore : public QObject
{
public:
    explicit CollectionCore(QObject* parent)
        : QObject(parent)
    {
    }

    ~CollectionCore() override { clearElements(); }

    int elementCount()
    {
        QMutexLocker lock(&m_lock);
        return int(m_elements.size());
    }

    T* elementAt(int index)
    {
        QMutexLocker lock(&m_lock);
        return index >= 0 && index < m_elements.size() ? m_elements[index] : nullptr;
    }

    T* findByPath(const QString& path)
    {
        QMutexLocker lock(&m_lock);
        return lookup(m_byPath, path, &pathOf);
    }

    int indexOfPath(const QString& path)
    {
        QMutexLocker lock(&m_lock);
        T* found = lookup(m_byPath, path, &pathOf);
        return found ? positionOf(found) : -1;
    }

    T* findById(int id)
    {
        QMutexLocker lock(&m_lock);
        return lookup(m_byId, id, &idOf);
    }

    // Stores a copy of `source` (its operator=) at the end and announces it
    // while the lock is still held, so that a receiver that copies the list
    // and connects in one locked step misses no addition.
    bool addElement(T* source)
    {
        QMutexLocker lock(&m_lock);
        storeAndAnnounce(makeStoredCopy(source));
        return true;
    }

    // Stores `element` itself, which the collection owns from then on, and
    // announces it as addElement() does: for loaders that build the objects
    // to keep rather than have a copy made of each.
    bool adoptElement(std::unique_ptr<T> element)
    {
        QMutexLocker lock(&m_lock);
        storeAndAnnounce(element.release());
        return true;
    }

    // Room for `count` more elements in the vector and the indexes, so that
    // a loader that knows how many rows it adds does not regrow them on
    // the way.
    void reserveElements(int count)
    {
        QMutexLocker lock(&m_lock);
        const qsizetype total = m_elements.size() + count;
        m_elements.reserve(total);
        const auto reserve = [total](auto& hash) {
            if (hash.capacity() < total)
                hash.reserve(total);
        };
        reserve(m_slots);
        reserve(m_byId.first);
        reserve(m_byPath.first);
    }

    // Assigns `source` to the first entry with its id and announces that
    // entry, with the index it had while the lock was held, after releasing
    // the lock (-1 and null when no entry has that id). A source this
    // collection has retired (a worker found it before it was removed)
    // carries an outdated record: it changes nothing and is announced as
    // missing.
    bool updateElement(T* source)
    {
        int index = -1;
        T* stored = nullptr;
        {
            QMutexLocker lock(&m_lock);
            refileIfStored(source);
            if (!m_retired.contains(source))
                stored = lookup(m_byId, idOf(*source), &idOf);
            if (stored) {
                index = positionOf(stored);
                if (stored != source) {
                    *stored = *source;
                    refile(stored);
                }
            }
        }
        announceUpdated(index, stored);
        return true;
    }

    // Applies `change` to the first entry with `id` while the lock is held
    // and announces that entry as updateElement() does (-1 and null when no
    // entry has that id): for a worker that brings back a few fields of an
    // entry it copied a while ago, so that what others changed meanwhile is
    // not overwritten with its older copy.
    template <class Change>
    bool changeElement(int id, Change&& change)
    {
        int index = -1;
        T* stored = nullptr;
        {
            QMutexLocker lock(&m_lock);
            stored = lookup(m_byId, id, &idOf);
            if (stored) {
                index = positionOf(stored);
                change(*stored);
                refile(stored);
            }
        }
        announceUpdated(index, stored);
        return true;
    }

    // Takes the first entry with p's id out of the vector (it is retired,
    // not freed) and announces the caller's pointer, also when no entry had
    // that id.
    bool deleteElement(T* p)
    {
        bool scheduleRelease = false;
        {
            QMutexLocker lock(&m_lock);
            refileIfStored(p);
            if (T* stored = lookup(m_byId, idOf(*p), &idOf)) {
                const int index = positionOf(stored);
                const Slot slot = m_slots.take(stored);
                m_byId.remove(slot.id, stored);
                m_byPath.remove(slot.path, stored);
                m_elements.remove(index);
                // Entries behind the gap moved down; their positions are
                // brought up to date when next asked for.
                m_positionsValidBelow = std::min(m_positionsValidBelow, index);
                m_retired.insert(stored);
                m_cachesToRelease.append(stored);
                scheduleRelease = !std::exchange(m_releasePending, true);
            }
        }
        announceDeleted(p);
        if (scheduleRelease)
            QMetaObject::invokeMethod(this, [this] { releaseRetiredCaches(); }, Qt::QueuedConnection);
        return true;
    }

    // Call after changing stored elements' ids or paths in place when no
    // update of those elements follows.
    void reindex()
    {
        QMutexLocker lock(&m_lock);
        for (T* element : std::as_const(m_elements))
            refile(element);
    }

    void lockBuffer() { m_lock.lock(); }
    void unlockBuffer() { m_lock.unlock(); }

    // The stored pointers, not copies; the caller brackets the call with
    // lockBuffer()/unlockBuffer(). (QVector and QList are one type.)
    void copyBuffer(QVector<T*>& out) { out = m_elements; }

protected:
    // The object stored for `source`: a new one assigned from it.
    virtual T* makeStoredCopy(T* source)
    {
        T* stored = new T;
        *stored = *source;
        return stored;
    }

    // Whether `element` is in the vector (not retired); call with the lock
    // held (lockBuffer()).
    bool isStoredLocked(const T* element) const { return m_slots.contains(element); }

    virtual void announceAdded(int index, T* element) = 0;
    virtual void announceUpdated(int index, T* element) = 0;
    virtual void announceDeleted(T* element) = 0;

private:
    // A stored element's place in the vector (valid below
    // m_positionsValidBelow) and the keys it is filed under.
    struct Slot
    {
        int position;
        int id;
        QString path;
    };

    // Appends a new stored element and announces it; called with the lock
    // held.
    void storeAndAnnounce(T* stored)
    {
        const int index = int(m_elements.size());
        m_elements.append(stored);
        const Slot slot{index, idOf(*stored), pathOf(*stored)};
        m_slots.insert(stored, slot);
        if (m_positionsValidBelow == index)
            m_positionsValidBelow = index + 1;
        m_byId.append(slot.id, stored);
        m_byPath.append(slot.path, stored);
        announceAdded(index, stored);
    }

    static int idOf(const T& element) { return CollectionKeys<T>::id(element); }
    static QString pathOf(const T& element) { return CollectionKeys<T>::path(element); }

    // The entries of each key in vector order: the first one in a plain
    // hash (keys are nearly always unique, so this is all most keys need),
    // later ones with the same key in a second hash. Order within a key
    // holds because elements are only appended, removal keeps the order of
    // the others and a re-filed element is inserted at its place.
    template <class Key>
    struct KeyIndex
    {
        QHash<Key, T*> first;
        QHash<Key, QVector<T*>> more;

        void clear()
        {
            first.clear();
            more.clear();
        }
        // One hash lookup for a new key (elements are never null).
        void append(const Key& key, T* element)
        {
            T*& earliest = first[key];
            if (!earliest)
                earliest = element;
            else
                more[key].append(element);
        }
        void remove(const Key& key, T* element)
        {
            auto it = first.find(key);
            if (it == first.end())
                return;
            auto later = more.find(key);
            if (*it == element) {
                if (later == more.end()) {
                    first.erase(it);
                    return;
                }
                *it = later->takeFirst();
            } else if (later != more.end()) {
                later->removeOne(element);
            }
            if (later != more.end() && later->isEmpty())
                more.erase(later);
        }
    };

    // The first entry filed under `key` that still carries it; entries
    // whose key changed in place are re-filed on the way.
    template <class Key, class KeyOf>
    T* lookup(KeyIndex<Key>& index, const Key& key, KeyOf keyOf)
    {
        for (;;) {
            T* found = index.first.value(key, nullptr);
            if (!found || keyOf(*found) == key)
                return found;
            refile(found);
        }
    }

    // The element's index in the vector; called with the lock held.
    int positionOf(const T* element)
    {
        const auto it = m_slots.constFind(element);
        if (it == m_slots.cend())
            return -1;
        if (it->position < m_positionsValidBelow)
            return it->position;
        for (int i = m_positionsValidBelow; i < m_elements.size(); ++i)
            m_slots[m_elements[i]].position = i;
        m_positionsValidBelow = int(m_elements.size());
        return m_slots.value(element).position;
    }

    void refileIfStored(T* element)
    {
        if (m_slots.contains(element))
            refile(element);
    }

    // Files a stored element under the keys it carries now, at its place in
    // vector order, when they differ from those it was filed under.
    void refile(T* element)
    {
        const int id = idOf(*element);
        QString path = pathOf(*element);
        const Slot was = m_slots.value(element);
        if (id != was.id) {
            m_byId.remove(was.id, element);
            m_slots[element].id = id;
            fileInOrder(m_byId, id, element);
        }
        if (path != was.path) {
            m_byPath.remove(was.path, element);
            m_slots[element].path = path;
            fileInOrder(m_byPath, path, element);
        }
    }

    template <class Key>
    void fileInOrder(KeyIndex<Key>& index, const Key& key, T* element)
    {
        const int position = positionOf(element);
        auto it = index.first.find(key);
        if (it == index.first.end()) {
            index.first.insert(key, element);
            return;
        }
        QVector<T*>& later = index.more[key];
        if (positionOf(*it) > position) {
            later.prepend(*it);
            *it = element;
            return;
        }
        auto at = std::find_if(later.begin(), later.end(),
                               [&](T* other) { return positionOf(other) > position; });
        later.insert(at, element);
    }

    // On the collection's thread, after the events queued there before the
    // removals. Thumbnails are pixmaps, made and dropped on the
    // application's thread only; a collection living elsewhere keeps them.
    void releaseRetiredCaches()
    {
        QVector<T*> released;
        {
            QMutexLocker lock(&m_lock);
            m_releasePending = false;
            released.swap(m_cachesToRelease);
        }
        if constexpr (requires(T& element) { element.saveMemory(); }) {
            const QCoreApplication* app = QCoreApplication::instance();
            if (app && QThread::currentThread() == app->thread()) {
                for (T* element : std::as_const(released))
                    element->saveMemory();
            }
        }
    }

    // Deletes every stored and retired element (with the collection only:
    // see Lifetime above).
    void clearElements()
    {
        QMutexLocker lock(&m_lock);
        qDeleteAll(m_elements);
        qDeleteAll(m_retired);
        m_elements.clear();
        m_retired.clear();
        m_cachesToRelease.clear();
        m_slots.clear();
        m_byId.clear();
        m_byPath.clear();
    }

    QMutex m_lock;
    QVector<T*> m_elements;
    QHash<const T*, Slot> m_slots;
    int m_positionsValidBelow = 0;
    KeyIndex<int> m_byId;
    KeyIndex<QString> m_byPath;
    QSet<T*> m_retired;
    QVector<T*> m_cachesToRelease;
    bool m_releasePending = false;
};
