#include "appfolders.h"

#include <QDir>
#include <QStandardPaths>

namespace velorin {

namespace {

QString createdFolder(const QString& path)
{
    // mkpath is a no-op for an existing folder and fails quietly when a parent
    // is not writable; the caller then fails on opening its file, which is
    // where the failure is reported.
    QDir().mkpath(path);
    return path;
}

} // namespace

QString picturesFolder()
{
    return createdFolder(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

QString videosFolder()
{
    return createdFolder(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation));
}

QString musicFolder()
{
    return createdFolder(QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
}

QString localAppDataFolder()
{
    return createdFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString photoDataFolder()
{
    return createdFolder(localAppDataFolder() + QStringLiteral("/Brennart/Quillon/KivPhoto"));
}

QString videoDataFolder()
{
    return createdFolder(localAppDataFolder() + QStringLiteral("/Brennart/Quillon/KivVideo"));
}

} // namespace velorin
