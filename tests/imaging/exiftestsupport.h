#pragma once

// Shared by the EXIF tests: the real camera files fetched from Debian,
// exiftool as the independent reading of each file, and pictures made with
// ImageMagick and exiftool.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "support/media.h"

// Photographs straight from cameras and phones, with their metadata.
inline QStringList cameraFiles()
{
    return {goexif(QStringLiteral("sample1.jpg")),
            goexif(QStringLiteral("samples/has-lens-info.jpg")),
            goexif(QStringLiteral("samples/geodegrees_as_string.jpg")),
            pixbufTest(QStringLiteral("bug143608-comment.jpg")),
            pixbufTest(QStringLiteral("bug725582-testrotate.jpg")),
            pixbufTest(QStringLiteral("issue70.jpg"))};
}

// The 47 camera files cut off right after their Exif block.
inline QStringList cutOffFiles()
{
    return filesIn(goexif(QStringLiteral("samples")), {QStringLiteral("*-sep-*.jpg")});
}

// Runs a program to its end; its standard output, or a null array when it
// failed.
inline QByteArray runProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(u' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    const QByteArray out = p.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// exiftool's numeric reading of a file (tag name -> value).
inline QJsonObject exiftoolRead(const QString& path, const QStringList& extra = {})
{
    const QStringList args = QStringList{QStringLiteral("-n"), QStringLiteral("-json")} + extra + QStringList{path};
    const QByteArray json = runProgram(QStringLiteral("exiftool"), args);
    return QJsonDocument::fromJson(json).array().at(0).toObject();
}

// A 640 x 480 JPEG at path carrying the tags given as exiftool arguments
// (e.g. "-EXIF:Make=Canon"); written with -n, so numbers are taken as given.
inline void makeTaggedJpeg(const QString& path, const QStringList& tags,
                           const QString& size = QStringLiteral("640x480"))
{
    runProgram(QStringLiteral("/usr/bin/convert"),
               {QStringLiteral("-size"), size, QStringLiteral("gradient:red-blue"), path});
    if (!tags.isEmpty())
        runProgram(QStringLiteral("exiftool"),
                   QStringList{QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-n")} + tags
                       + QStringList{path});
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
}

// A null pointer stays a null string.
inline QString fromU16(const unsigned short* text)
{
    return text ? QString::fromUtf16(reinterpret_cast<const char16_t*>(text)) : QString();
}
