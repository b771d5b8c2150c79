#pragma once

#include <algorithm>

#include <QHash>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QString>
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
// Lookups by id and by path use hash indexes kept beside the vector; they
// return the same entry a scan in index order would (the first one with that
// key), in constant time on average. The indexes follow every change the
// collection makes; code that changes a stored element's id or path in place
// calls reindex() afterwards.
//
// Removed elements are not destroyed at once: receivers of the delete
// announcement may still read them, also through queued connections. They
// wait on a retire list and are freed once the collection's thread has
// handled the events queued before the removal, or with the collection.
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
        return firstOf(m_byPath, path);
    }

    int indexOfPath(const QString& path)
    {
        QMutexLocker lock(&m_lock);
        T* found = firstOf(m_byPath, path);
        return found ? positionOf(found) : -1;
    }

    T* findById(int id)
    {
        QMutexLocker lock(&m_lock);
        return firstOf(m_byId, id);
    }

    // Stores a copy of `source` (its operator=) at the end and announces it
    // while the lock is still held, so that a receiver that copies the list
    // and connects in one locked step misses no addition.
    bool addElement(T* source)
    {
        QMutexLocker lock(&m_lock);
        T* stored = makeStoredCopy(source);
        const int index = int(m_elements.size());
        m_elements.append(stored);
        m_position.insert(stored, index);
        if (m_positionsValidBelow == index)
            m_positionsValidBelow = index + 1;
        m_byId.append(CollectionKeys<T>::id(*stored), stored);
        m_byPath.append(CollectionKeys<T>::path(*stored), stored);
        announceAdded(index, stored);
        return true;
    }

    // Assigns `source` to the first entry with its id and announces the
    // change after releasing the lock (index -1 and null when no entry has
    // that id).
    bool updateElement(T* source)
    {
        int index = -1;
        {
            QMutexLocker lock(&m_lock);
            if (T* stored = firstOf(m_byId, CollectionKeys<T>::id(*source))) {
                index = positionOf(stored);
                if (stored != source) {
                    unindex(stored);
                    *stored = *source;
                    index_(stored);
                }
            }
        }
        announceUpdated(index, elementAt(index));
        return true;
    }

    // Takes the first entry with p's id out of the vector (it stays valid on
    // the retire list) and announces the caller's pointer, also when no
    // entry had that id.
    bool deleteElement(T* p)
    {
        {
            QMutexLocker lock(&m_lock);
            if (T* stored = firstOf(m_byId, CollectionKeys<T>::id(*p))) {
                const int index = positionOf(stored);
                unindex(stored);
                m_position.remove(stored);
                m_elements.remove(index);
                // Entries behind the gap moved down; their positions are
                // brought up to date when next asked for.
                m_positionsValidBelow = std::min(m_positionsValidBelow, index);
                m_retired.append({stored, ++m_retireSerial});
            }
        }
        announceDeleted(p);
        scheduleSweep();
        return true;
    }

    // Call after changing a stored element's id or path in place. The old
    // keys are not known any more, so the indexes are built again.
    void reindex()
    {
        QMutexLocker lock(&m_lock);
        rebuildIndexes();
    }

    void lockBuffer() { m_lock.lock(); }
    void unlockBuffer() { m_lock.unlock(); }

    // The stored pointers, not copies; the caller brackets the call with
    // lockBuffer()/unlockBuffer(). (QVector and QList are one type.)
    void copyBuffer(QVector<T*>& out) { out = m_elements; }

    // Deletes every stored and retired element.
    void clearElements()
    {
        QMutexLocker lock(&m_lock);
        qDeleteAll(m_elements);
        m_elements.clear();
        for (const Retired& r : std::as_const(m_retired))
            delete r.element;
        m_retired.clear();
        m_position.clear();
        m_positionsValidBelow = 0;
        m_byId.clear();
        m_byPath.clear();
    }

protected:
    // The object stored for `source`: a new one assigned from it.
    virtual T* makeStoredCopy(T* source)
    {
        T* stored = new T;
        *stored = *source;
        return stored;
    }

    virtual void announceAdded(int index, T* element) = 0;
    virtual void announceUpdated(int index, T* element) = 0;
    virtual void announceDeleted(T* element) = 0;

private:
    struct Retired
    {
        T* element;
        quint64 serial;
    };

    // The entries of each key in vector order: the first one in a plain
    // hash (keys are nearly always unique, so this is all most keys need),
    // later ones with the same key in a second hash. Order within a key
    // holds because elements are only appended and removal keeps the order
    // of the others.
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
        void append(const Key& key, T* element)
        {
            auto it = first.find(key);
            if (it == first.end())
                first.insert(key, element);
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

    template <class Key>
    static T* firstOf(const KeyIndex<Key>& index, const Key& key)
    {
        return index.first.value(key, nullptr);
    }

    // The element's index in the vector; called with the lock held.
    int positionOf(const T* element)
    {
        const int stored = m_position.value(element, -1);
        if (stored >= 0 && stored < m_positionsValidBelow)
            return stored;
        for (int i = m_positionsValidBelow; i < m_elements.size(); ++i)
            m_position[m_elements[i]] = i;
        m_positionsValidBelow = int(m_elements.size());
        return m_position.value(element, -1);
    }

    void unindex(T* element)
    {
        m_byId.remove(CollectionKeys<T>::id(*element), element);
        m_byPath.remove(CollectionKeys<T>::path(*element), element);
    }

    // Re-adds an element under its current keys at its place in vector order.
    void index_(T* element)
    {
        const int position = positionOf(element);
        auto insertOrdered = [&](auto& index, const auto& key) {
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
        };
        insertOrdered(m_byId, CollectionKeys<T>::id(*element));
        insertOrdered(m_byPath, CollectionKeys<T>::path(*element));
    }

    void rebuildIndexes()
    {
        m_byId.clear();
        m_byPath.clear();
        for (T* element : std::as_const(m_elements)) {
            m_byId.append(CollectionKeys<T>::id(*element), element);
            m_byPath.append(CollectionKeys<T>::path(*element), element);
        }
    }

    // Events are handled in the order they were posted, so by the time this
    // runs on the collection's thread, every queued delivery of the delete
    // announcements made before it has been handled.
    void scheduleSweep()
    {
        quint64 upTo;
        {
            QMutexLocker lock(&m_lock);
            upTo = m_retireSerial;
        }
        QMetaObject::invokeMethod(
            this,
            [this, upTo] {
                QList<T*> freed;
                {
                    QMutexLocker lock(&m_lock);
                    auto keep = std::stable_partition(m_retired.begin(), m_retired.end(),
                                                      [upTo](const Retired& r) { return r.serial > upTo; });
                    for (auto it = keep; it != m_retired.end(); ++it)
                        freed.append(it->element);
                    m_retired.erase(keep, m_retired.end());
                }
                qDeleteAll(freed);
            },
            Qt::QueuedConnection);
    }

    QMutex m_lock;
    QVector<T*> m_elements;
    QHash<const T*, int> m_position;
    int m_positionsValidBelow = 0;
    KeyIndex<int> m_byId;
    KeyIndex<QString> m_byPath;
    QVector<Retired> m_retired;
    quint64 m_retireSerial = 0;
};
