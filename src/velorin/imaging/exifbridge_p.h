#pragma once

#include <velorin/global.h>

#include <QByteArray>
#include <QHash>
#include <QString>

// The seam between the picture layer and Exiv2. The picture layer keeps
// metadata as raw properties (property number -> bytes in the raw form the
// property table gives); these functions fill them from a file and put them
// back into an encoded file. No Exiv2 type or exception leaves them.
// Exported for the tests only; not part of the installed headers.
namespace velorin::exif {

struct MetadataRead
{
    bool ok = false;          // Exiv2 recognised the file and read its metadata
    int format = 0;           // a PubImage::ZelFormat code, 0 when unknown to Exiv2
    QHash<int, QByteArray> properties;
    QByteArray preview;       // largest embedded preview (JPEG), when asked for
};

// Reads the metadata of the file whose whole contents are bytes; path is the
// file's own path (used to find a sound annotation beside it; may be empty).
// With wantPreview the largest embedded preview image is returned as well
// (camera RAW files, whose own pixels Qt cannot decode).
VELORIN_EXPORT MetadataRead readMetadata(const QByteArray& bytes, const QString& path, bool wantPreview);

// Reads a bare Exif block: a TIFF header and its directories, as HEIF
// files keep it. format is left 0 for the caller to set.
VELORIN_EXPORT MetadataRead readExifBlock(const QByteArray& tiff);

// Writes properties into the encoded file held in encoded (JPEG, TIFF, PNG,
// WebP), replacing its Exif data. Property ZelPropExifThumbnail, when set,
// becomes the embedded thumbnail. False when Exiv2 cannot write the format;
// encoded is then unchanged.
VELORIN_EXPORT bool writeMetadata(QByteArray& encoded, const QHash<int, QByteArray>& properties);

} // namespace velorin::exif
