#pragma once

#include "exifbridge_p.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

// Pictures that Qt's readers do not decode, opened by a library of their
// own: HEIF/HEIC (and AVIF) through libheif, camera RAW through LibRaw. The
// picture layer asks openCodecPicture() first and falls back to Qt and
// Exiv2 when it gives nothing.
//
// An object reads from the bytes it was opened on, which the caller keeps
// alive and unchanged for the object's lifetime. Objects are independent:
// several threads may each use their own at the same time; one object is
// not to be used by two threads at once. No exception leaves them.
namespace velorin::imaging {

class CodecPicture
{
public:
    virtual ~CodecPicture() = default;

    // The picture's size as decode() delivers its full-size pixels, before
    // the orientation that metadata() leaves to apply.
    virtual QSize size() const = 0;
    // A PubImage::ZelFormat code.
    virtual int format() const = 0;
    // The metadata as raw properties. PubImage::ZelPropOrientation holds the
    // orientation still to apply to decode()'s pixels, which is not always
    // what the file's Exif block says. path is the file's own path, for a
    // sound annotation beside it (may be empty).
    virtual exif::MetadataRead metadata(const QString& path) = 0;
    // Pixels fitting inside box (never enlarged; an embedded preview serves
    // when it holds enough detail); with an empty box the whole picture at
    // full size. A null image on failure, with *error set to a
    // PubImage::ZelLoadError code.
    virtual QImage decode(QSize box, int* error) = 0;

protected:
    CodecPicture() = default;
    CodecPicture(const CodecPicture&) = delete;
    CodecPicture& operator=(const CodecPicture&) = delete;
};

// The decoder for the file at path whose contents are bytes: HEIF by its
// content, camera RAW by its file name suffix (the raw formats have no
// common signature and several are plain TIFF on the outside). Null when
// neither library takes the file.
std::unique_ptr<CodecPicture> openCodecPicture(const QString& path, const QByteArray& bytes);

std::unique_ptr<CodecPicture> openHeifPicture(const QByteArray& bytes);
std::unique_ptr<CodecPicture> openRawPicture(const QByteArray& bytes);

// Shared by the decoders: image scaled down to fit box, unchanged when it
// already fits or box is empty; null when the scaling runs out of memory.
QImage fittedInto(const QImage& image, QSize box);

} // namespace velorin::imaging
