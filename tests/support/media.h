#pragma once

// Real pictures from Debian packages (fetched by scripts/fetch-media.sh) and
// small conversions the picture tests share.

#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>

// A file under the extracted packages, e.g. media("usr/libexec/...").
inline QString media(const QString& relative)
{
    return QStringLiteral(VELORIN_MEDIA_DIR "/") + relative;
}

// A clip that scripts/make-video-media.sh made for the video tests.
inline QString videoClip(const QString& name)
{
    return QStringLiteral(VELORIN_VIDEO_MEDIA_DIR "/") + name;
}

inline QString goexif(const QString& name)
{
    return media(QStringLiteral("usr/share/gocode/src/github.com/rwcarlsen/goexif/exif/") + name);
}

inline QString pixbufTest(const QString& name)
{
    return media(QStringLiteral("usr/libexec/installed-tests/gdk-pixbuf/") + name);
}

inline QString orientationSet(int code)
{
    return media(QStringLiteral("usr/share/gocode/src/github.com/disintegration/imaging/testdata/orientation_%1.jpg")
                     .arg(code));
}

// Every file of a folder (not recursive), sorted.
inline QStringList filesIn(const QString& folder, const QStringList& patterns = {})
{
    QStringList out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(patterns, QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

// The UTF-16 path the picture helper and the EXIF reader take.
inline const unsigned short* u16(const QString& text)
{
    return reinterpret_cast<const unsigned short*>(text.utf16());
}

// Mean absolute difference per channel of two pictures of one size; -1 when
// the sizes differ.
double meanDifference(const QImage& a, const QImage& b);
