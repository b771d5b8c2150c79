#pragma once

// Shared by the imaging tests: the real camera files fetched from Debian,
// exiftool as the independent reading of each file, pictures made with
// ImageMagick and exiftool, raw property values, and pictures in and out of
// the picture class.

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <velorin/velorin.h>
#include <velorin/imaging/zelpicture.h>

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

// Each tag as exiftool read it: texts exactly, numbers to 1e-6.
inline void expectTags(const QJsonObject& tool, const QVariantMap& expected)
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (it.value().typeId() == QMetaType::QString)
            EXPECT_EQ(tool[it.key()].toString(), it.value().toString()) << it.key().toStdString();
        else
            EXPECT_NEAR(tool[it.key()].toDouble(NAN), it.value().toDouble(), 1e-6) << it.key().toStdString();
    }
}

// A 640 x 480 JPEG at path carrying the tags given as exiftool arguments
// (e.g. "-EXIF:Make=Canon"); written with -n, so numbers are taken as given.
inline void makeTaggedJpeg(const QString& path, const QStringList& tags)
{
    runProgram(QStringLiteral("/usr/bin/convert"),
               {QStringLiteral("-size"), QStringLiteral("640x480"), QStringLiteral("gradient:red-blue"), path});
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

// The bytes of a value as a property holds them.
template <typename T>
QByteArray raw(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

inline QByteArray ratio(qint32 num, qint32 den)
{
    return raw(num) + raw(den);
}

// Each value as `width` little-endian bytes (the machine's own order).
inline QByteArray le(std::initializer_list<quint32> values, int width)
{
    QByteArray out;
    for (quint32 v : values)
        out.append(reinterpret_cast<const char*>(&v), width);
    return out;
}

// A text property: UTF-16 with its terminating zero.
inline QByteArray utf16z(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), (text.size() + 1) * 2);
}

// A picture holding image as layer 1, as DibDataToPicture or a decode makes
// it; and one released at the end of a scope.
inline PubImage::ZelPicture* pictureOf(const QImage& image)
{
    PubImage::ZelPicture* picture = PubImage::ZelPicture::create();
    picture->setSize(image.size());
    picture->insertLayer(1, PubImage::ZelLayer::fromImage(image));
    return picture;
}

struct Picture
{
    explicit Picture(PubImage::ZelPicture* p = nullptr) : p(p) {}
    ~Picture() { Zel0Release(p); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    PubImage::ZelPicture* operator->() const { return p; }
    PubImage::ZelPicture* p;
};

inline QImage fromBmp(const QByteArray& blob)
{
    return QImage::fromData(blob, "BMP");
}

// The thumbnail of a file fitted to a square box, upright and turned
// clockwise by rotate; its size in *w and *h.
inline QImage thumbnailOf(const QString& path, int box, int rotate = 0, int* w = nullptr, int* h = nullptr)
{
    return fromBmp(ZellibHelper().GetThumbnailUseZelLib(u16(path), box, box, w, h, true, rotate));
}

// What every reader of files made of one file, read on a thread of its own.
struct Reading
{
    bool finished = false, noThumbnails = false, noPicture = false, bitmaps = true;
    int width = -1, exif = -1, imported = -1, audio = -1;
    qint64 ms = 0;
};

inline Reading readEverything(const QString& path)
{
    struct Shared
    {
        Reading reading;
        std::atomic<bool> ready{false};
    };
    auto shared = std::make_shared<Shared>();
    // Detached: a regression blocks it for good, and the test must end.
    std::thread([path, shared] {
        QElapsedTimer timer;
        timer.start();
        Reading r;
        ZellibHelper helper;
        QFileInfo facts(path);
        DBImageInfo record;
        AddFileToPhotoLibrary::getDBImageInfoFromImageFile(facts, record);
        const QList<QByteArray> blobs = helper.GetThumbnailsUseZelLib(u16(path), {64, 384}, true, 0);
        r.noThumbnails = blobs.isEmpty() || blobs.first().isEmpty();
        for (const QByteArray& blob : blobs)
            r.bitmaps = r.bitmaps && (blob.isEmpty() || !fromBmp(blob).isNull());
        r.noPicture = helper.GetPicture(u16(path)).isEmpty();
        r.width = helper.GetPictureSize(u16(path)).cx;
        _EXIF_INFORMATION info;
        r.exif = GetImageExif(u16(path), &info);
        CExifPropertyReader reader;
        r.imported = reader.ImportExifInfo(u16(path));
        unsigned short out[260];
        r.audio = reader.GetAudioFile(u16(path), out);
        r.ms = timer.elapsed();
        r.finished = true;
        shared->reading = r;
        shared->ready.store(true, std::memory_order_release);
    }).detach();
    for (int tick = 0; tick < 3000; ++tick) {
        if (shared->ready.load(std::memory_order_acquire))
            return shared->reading;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Reading();
}
