#pragma once

// What one call may spend: the caller's cancel flag and a deadline. FFmpeg
// polls it through the format context's interrupt callback during every
// blocking read (network reads wake up at least every 100 ms to ask), and the
// decoding loops ask it between packets.

#include <chrono>
#include <cstdint>

namespace clipvane {

class CallBudget {
public:
    using Clock = std::chrono::steady_clock;

    CallBudget(const volatile int32_t* cancel, Clock::duration limit)
        : m_cancel(cancel)
        , m_deadline(Clock::now() + limit)
    {
    }

    // True once the caller asked to stop or the time is up. The flag is
    // written by another thread while this one runs: read it atomically.
    bool exhausted() const
    {
        if (m_cancel && __atomic_load_n(m_cancel, __ATOMIC_ACQUIRE) != 0)
            return true;
        return Clock::now() >= m_deadline;
    }

    // The format context's interrupt callback; `opaque` is the budget.
    static int interrupt(void* opaque) { return static_cast<const CallBudget*>(opaque)->exhausted() ? 1 : 0; }

private:
    const volatile int32_t* m_cancel;
    Clock::time_point m_deadline;
};

} // namespace clipvane
