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
// CollectionKeys<T> gives an element's id and path.
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
    bool addElement(const T* source)
    {
        QMutexLocker lock(&m_lock);
        T* stored = new T;
        *stored = *source;
        const int index = int(m_elements.size());
        m_elements.append(stored);
        m_position.insert(stored, index);
        if (m_positionsValidBelow == index)
            m_positionsValidBelow = index + 1;
        m_byId[CollectionKeys<T>::id(*stored)].append(stored);
        m_byPath[CollectionKeys<T>::path(*stored)].append(stored);
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
    virtual void announceAdded(int index, T* element) = 0;
    virtual void announceUpdated(int index, T* element) = 0;
    virtual void announceDeleted(T* element) = 0;

private:
    struct Retired
    {
        T* element;
        quint64 serial;
    };

    template <class Key>
    static T* firstOf(const QHash<Key, QVector<T*>>& index, const Key& key)
    {
        const auto it = index.constFind(key);
        return it == index.constEnd() || it->isEmpty() ? nullptr : it->first();
    }

    // Entries of one key stay in vector order: elements are only appended,
    // and removal keeps the order of the others.
    template <class Key>
    static void removeFrom(QHash<Key, QVector<T*>>& index, const Key& key, T* element)
    {
        auto it = index.find(key);
        if (it == index.end())
            return;
        it->removeOne(element);
        if (it->isEmpty())
            index.erase(it);
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
        removeFrom(m_byId, CollectionKeys<T>::id(*element), element);
        removeFrom(m_byPath, CollectionKeys<T>::path(*element), element);
    }

    // Re-adds an element under its current keys at its place in vector order.
    void index_(T* element)
    {
        const int position = positionOf(element);
        auto insertOrdered = [&](QVector<T*>& list) {
            auto at = std::find_if(list.begin(), list.end(),
                                   [&](T* other) { return positionOf(other) > position; });
            list.insert(at, element);
        };
        insertOrdered(m_byId[CollectionKeys<T>::id(*element)]);
        insertOrdered(m_byPath[CollectionKeys<T>::path(*element)]);
    }

    void rebuildIndexes()
    {
        m_byId.clear();
        m_byPath.clear();
        for (T* element : std::as_const(m_elements)) {
            m_byId[CollectionKeys<T>::id(*element)].append(element);
            m_byPath[CollectionKeys<T>::path(*element)].append(element);
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
    QHash<int, QVector<T*>> m_byId;
    QHash<QString, QVector<T*>> m_byPath;
    QVector<Retired> m_retired;
    quint64 m_retireSerial = 0;
};
