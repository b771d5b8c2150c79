#pragma once

#include <condition_variable>
#include <mutex>

namespace velorin {

// An event that stays set until it is reset: set() releases every waiter,
// present and future, until reset(). A worker clears it before it looks
// for work and then waits on it, so a wake-up given between the look and
// the wait is never lost.
//
// Over the standard mutex and condition variable rather than QMutex and
// QWaitCondition: QWaitCondition releases and retakes the mutex inside
// QtCore, where (in a Qt not built for ThreadSanitizer) the sanitizer
// cannot see it, and every set() during a wait would be reported as a
// double lock. There is no timed wait: the worker sleeps until woken.
class ManualResetEvent
{
public:
    void set()
    {
        {
            std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_changed.notify_all();
    }

    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }

    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_set; });
    }

    bool isSet()
    {
        std::lock_guard lock(m_mutex);
        return m_set;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set = false;
};

} // namespace velorin
