#pragma once

// What the benchmark programs share: progress lines on stderr, checks that
// the measured work did what it should, and timing.

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <vector>

namespace velorin::bench {

using Clock = std::chrono::steady_clock;

// Set by a failed check; the program's exit status reports it.
inline bool g_failed = false;

inline void progress(const QString& text)
{
    std::fprintf(stderr, "velorin-bench: %s\n", qPrintable(text));
}

// A check that the measured work did what it should; the run goes on, but
// the exit status reports the failure.
inline void check(bool ok, const QString& what)
{
    if (!ok) {
        progress(QStringLiteral("FAILED: ") + what);
        g_failed = true;
    }
}

template <class F>
double seconds(F&& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The fastest of `runs` runs: the one least disturbed by the rest of the
// machine.
template <class F>
double bestOf(int runs, F&& run)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i)
        best = std::min(best, run());
    return best;
}

// The median of `runs` runs: the typical cost, for work whose fastest run
// is luck (process starts, caches).
template <class F>
double medianOf(int runs, F&& run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

} // namespace velorin::bench
