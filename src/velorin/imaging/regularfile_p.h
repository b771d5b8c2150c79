#pragma once

#include <velorin/global.h>

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;

// Every file the picture layer reads goes through here. Paths come from
// users and folder scans, so a name ending in .jpg may be a FIFO (opening it
// blocks until a writer comes, reading it never ends), a link to /dev/zero
// (endless), a terminal or any other device. Only regular files, after
// following links, are opened, and never more than a bound is read.
namespace velorin::imaging {

// The largest picture file read at all. The biggest pictures people keep
// (stitched panoramas and scans saved as uncompressed TIFF, medium-format
// camera RAW files) stay well below it, and a picture this large already
// needs more memory to decode than the decoders are allowed; anything
// beyond is no picture to catalogue.
inline constexpr qint64 MaxPictureFileBytes = qint64(1) << 30;

// Opens path read-only into file when it is a regular file (links
// followed) of at most maxBytes. Never blocks: the check is made on the
// opened descriptor, so a file swapped for a FIFO between a check and the
// open is refused too. False (file closed) otherwise.
VELORIN_EXPORT bool openRegularFile(QFile& file, const QString& path, qint64 maxBytes);

// Reads what is left of an opened file, keeping the whole file within
// maxBytes; nothing when the read fails or the file grew past maxBytes while
// being read.
VELORIN_EXPORT std::optional<QByteArray> readRest(QFile& file, qint64 maxBytes);

} // namespace velorin::imaging
