#pragma once

#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

namespace velorin {

// An event that stays set until it is reset: set() releases every waiter,
// present and future, until reset(). A worker clears it before it looks
// for work and then waits on it, so a wake-up given between the look and
// the wait is never lost.
class ManualResetEvent
{
public:
    void set()
    {
        QMutexLocker lock(&m_mutex);
        m_set = true;
        m_changed.wakeAll();
    }

    void reset()
    {
        QMutexLocker lock(&m_mutex);
        m_set = false;
    }

    // Waits until the event is set or the deadline passes; whether it is set.
    bool wait(QDeadlineTimer deadline = QDeadlineTimer::Forever)
    {
        QMutexLocker lock(&m_mutex);
        while (!m_set) {
            if (!m_changed.wait(&m_mutex, deadline))
                return m_set;
        }
        return true;
    }

    bool isSet()
    {
        QMutexLocker lock(&m_mutex);
        return m_set;
    }

private:
    QMutex m_mutex;
    QWaitCondition m_changed;
    bool m_set = false;
};

} // namespace velorin
