#pragma once

// Points HOME and the XDG folders at folders under base, so that neither Qt
// nor the library sees the real user's files. The tests and the benchmarks
// both run this way.

#include <utility>

#include <QDir>
#include <QFile>
#include <QString>

inline void usePrivateHome(const QString& base)
{
    QDir().mkpath(base + QStringLiteral("/home"));
    for (const auto& [variable, folder] : {std::pair{"HOME", "/home"}, {"XDG_DATA_HOME", "/data"}, {"XDG_CONFIG_HOME", "/config"},
                                           {"XDG_CACHE_HOME", "/cache"}, {"XDG_STATE_HOME", "/state"}})
        qputenv(variable, (base + QLatin1String(folder)).toLocal8Bit());
    // Qt wants a private runtime folder and complains about a missing one.
    const QString runtime = base + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
}
