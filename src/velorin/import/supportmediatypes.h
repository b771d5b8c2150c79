#pragma once

#include <velorin/global.h>

#include <QString>
#include <QStringList>

namespace velorin::mediatypes {
class TypeCache;
}

// Which files the scanners look at and what kind of media a file is. The
// lists are not compiled in: each kind is a string of name patterns joined by
// "|" ("*.jpg|*.jpeg|..."), read from an INI settings file:
//   kiv.conf       [SupportMediaTypes] ImageFileType, MusicFileType
//   kivVideo.conf  [UPnP] type
// Each file is taken from the executable's folder, or from the installed data
// folder (<prefix>/share/velorin) when it is not there. The files are only
// read; a missing file or key gives an empty string.
//
// The classification and filter operations cache each kind's string in the
// object on first use. A kind whose string came back empty is read again on
// the next use; a non-empty one is kept for the object's life, so a scan sees
// one consistent list even if the file is edited meanwhile.
//
// Not thread-safe: each scanner owns its own copy.
class VELORIN_EXPORT SupportMediaTypes
{
public:
    SupportMediaTypes() = default;
    SupportMediaTypes(const SupportMediaTypes&) = default;
    SupportMediaTypes& operator=(const SupportMediaTypes&) = default;
    ~SupportMediaTypes() = default;

    // The path of kiv.conf that is read.
    QString getApplicationSettingsFile() const;

    // Each reads its kind's pattern string from its settings file now; the
    // cache is neither used nor filled.
    QString getSupportedImageFileType() const;
    QString getSupportedVideoFileType() const;
    QString getSupportedMusicFileType() const;

    // ext is a file's extension with its dot (".JPG"); it is not changed.
    // True when the kind's pattern string contains ext, ignoring case. This
    // is a test on the whole string, not per pattern: ".jp" passes where
    // "*.jpg" is listed, and an empty ext passes for every kind.
    bool isSupportedImageFile(QString& ext);
    bool isSupportedVideoFile(QString& ext);
    bool isSupportedMusicFile(QString& ext);

    // The kind's patterns as stored, empty entries left out; for
    // QDir::setNameFilters.
    QStringList getSupportedImageFilters();
    QStringList getSupportedVideoFilters();
    QStringList getSupportedMusicFilters();

    // Image, then video, then music patterns; a pattern listed for two kinds
    // appears twice.
    QStringList getKivFilters();

private:
    velorin::mediatypes::TypeCache cache();

    QString m_imageFileType;
    QString m_videoFileType;
    QString m_musicFileType;
};
