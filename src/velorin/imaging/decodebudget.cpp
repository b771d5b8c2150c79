#include "decodebudget_p.h"

#include <QFile>

#include <condition_variable>
#include <mutex>

#include <unistd.h>

namespace velorin::imaging {

namespace {

// The memory.max of the process's own cgroup (version 2); 0 when there is
// none or it says "max".
qint64 cgroupLimit()
{
    QFile self(QStringLiteral("/proc/self/cgroup"));
    if (!self.open(QIODevice::ReadOnly))
        return 0;
    // The version 2 line reads "0::/path/of/the/group".
    for (const QByteArray& line : self.readAll().split('\n')) {
        if (!line.startsWith("0::"))
            continue;
        QFile max(QStringLiteral("/sys/fs/cgroup") + QString::fromUtf8(line.mid(3)) + QStringLiteral("/memory.max"));
        if (!max.open(QIODevice::ReadOnly))
            return 0;
        bool ok = false;
        const qint64 limit = max.readAll().trimmed().toLongLong(&ok);
        return ok ? limit : 0;
    }
    return 0;
}

struct Budget
{
    std::mutex mutex;
    std::condition_variable released;
    qint64 total = 0;
    qint64 held = 0;
};

// Never destroyed: a decode still running on some thread while the process
// exits must not find its mutex gone.
Budget& budget()
{
    static Budget* const b = [] {
        auto* made = new Budget;
        made->total = decodeBudgetBytes();
        return made;
    }();
    return *b;
}

} // namespace

qint64 decodeBudgetBytes()
{
    static const qint64 bytes = [] {
        qint64 memory = qint64(::sysconf(_SC_PHYS_PAGES)) * qint64(::sysconf(_SC_PAGESIZE));
        if (const qint64 limit = cgroupLimit(); limit > 0 && (memory <= 0 || limit < memory))
            memory = limit;
        // Without a figure, assume a small machine of 2 GB.
        if (memory <= 0)
            memory = qint64(2) << 30;
        return memory / 4;
    }();
    return bytes;
}

DecodeShare::DecodeShare(qint64 bytes)
{
    Budget& b = budget();
    if (bytes < 0 || bytes > b.total)
        return;
    std::unique_lock lock(b.mutex);
    b.released.wait(lock, [&] { return b.held + bytes <= b.total; });
    b.held += bytes;
    m_bytes = bytes;
}

DecodeShare::~DecodeShare()
{
    if (m_bytes <= 0)
        return;
    Budget& b = budget();
    {
        const std::lock_guard lock(b.mutex);
        b.held -= m_bytes;
    }
    b.released.notify_all();
}

} // namespace velorin::imaging
