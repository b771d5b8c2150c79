#include "supportmediatypes.h"

#include <QSettings>

#include <velorin/env/datafolders_p.h>

#include "supportmediatypes_p.h"

namespace velorin::mediatypes {

namespace {

const QString settingsFile = QStringLiteral("kiv.conf");

struct Setting
{
    QString file;
    QString key;
};

// Where each kind is stored. The video patterns are kept apart from the
// others, under the section of the media-server browsing that uses them too.
Setting settingOf(Kind kind)
{
    switch (kind) {
    case Kind::Image:
        return {settingsFile, QStringLiteral("SupportMediaTypes/ImageFileType")};
    case Kind::Video:
        return {QStringLiteral("kivVideo.conf"), QStringLiteral("UPnP/type")};
    case Kind::Music:
        break;
    }
    return {settingsFile, QStringLiteral("SupportMediaTypes/MusicFileType")};
}

} // namespace

QString readTypes(Kind kind, const QStringList& folders)
{
    const Setting setting = settingOf(kind);
    // A fresh QSettings sees the file as it is now: Qt re-parses a file whose
    // size or modification time changed since it last read it. Nothing is
    // ever set, so the file is never written.
    const QSettings settings(dataFilePath(setting.file, folders), QSettings::IniFormat);
    return settings.value(setting.key, QString()).toString();
}

TypeCache::TypeCache(QString& image, QString& video, QString& music, QStringList folders)
    : m_types{&image, &video, &music}
    , m_folders(std::move(folders))
{
}

const QString& TypeCache::types(Kind kind)
{
    QString& cached = *m_types[int(kind)];
    // An empty string is not remembered as "nothing supported": the settings
    // file may not have been there yet.
    if (cached.isEmpty())
        cached = readTypes(kind, m_folders);
    return cached;
}

bool TypeCache::isSupported(Kind kind, const QString& ext)
{
    return types(kind).contains(ext, Qt::CaseInsensitive);
}

QStringList TypeCache::filters(Kind kind)
{
    return types(kind).split(u'|', Qt::SkipEmptyParts, Qt::CaseSensitive);
}

QStringList TypeCache::allFilters()
{
    return filters(Kind::Image) + filters(Kind::Video) + filters(Kind::Music);
}

} // namespace velorin::mediatypes

using velorin::mediatypes::Kind;
using velorin::mediatypes::TypeCache;

TypeCache SupportMediaTypes::cache()
{
    return TypeCache(m_imageFileType, m_videoFileType, m_musicFileType, velorin::dataFolders());
}

QString SupportMediaTypes::getApplicationSettingsFile() const
{
    return velorin::dataFilePath(velorin::mediatypes::settingsFile);
}

QString SupportMediaTypes::getSupportedImageFileType() const
{
    return velorin::mediatypes::readTypes(Kind::Image, velorin::dataFolders());
}

QString SupportMediaTypes::getSupportedVideoFileType() const
{
    return velorin::mediatypes::readTypes(Kind::Video, velorin::dataFolders());
}

QString SupportMediaTypes::getSupportedMusicFileType() const
{
    return velorin::mediatypes::readTypes(Kind::Music, velorin::dataFolders());
}

bool SupportMediaTypes::isSupportedImageFile(QString& ext)
{
    return cache().isSupported(Kind::Image, ext);
}

bool SupportMediaTypes::isSupportedVideoFile(QString& ext)
{
    return cache().isSupported(Kind::Video, ext);
}

bool SupportMediaTypes::isSupportedMusicFile(QString& ext)
{
    return cache().isSupported(Kind::Music, ext);
}

QStringList SupportMediaTypes::getSupportedImageFilters()
{
    return cache().filters(Kind::Image);
}

QStringList SupportMediaTypes::getSupportedVideoFilters()
{
    return cache().filters(Kind::Video);
}

QStringList SupportMediaTypes::getSupportedMusicFilters()
{
    return cache().filters(Kind::Music);
}

QStringList SupportMediaTypes::getKivFilters()
{
    return cache().allFilters();
}
