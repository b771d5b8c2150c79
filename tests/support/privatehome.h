#pragma once

// Points HOME and the XDG folders at folders under base, so that neither Qt
// nor the library sees the real user's files. The tests and the benchmarks
// both run this way.

#include <QDir>
#include <QFile>
#include <QString>

inline void usePrivateHome(const QString& base)
{
    QDir().mkpath(base + QStringLiteral("/home"));
    qputenv("HOME", (base + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (base + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (base + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (base + QStringLiteral("/state")).toLocal8Bit());
    // Qt wants a private runtime folder and complains about a missing one.
    const QString runtime = base + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
}
