#pragma once

#include <velorin/global.h>

#include <QByteArray>
#include <QString>

// Packed bitmaps: a 40-byte bitmap info header, the colour table (none for
// 24 and 32 bits) and the pixel rows, bottom row first, each padded to four
// bytes. The video plug-in returns frames in this form, the video import
// and the UPnP download hand them on. A packed bitmap is held in a
// QByteArray; an empty array is "no bitmap". Every call refuses a bitmap
// whose header does not match its bytes (empty result), and none throws.

// An independent copy.
VELORIN_EXPORT QByteArray QoDibDuplicate(const QByteArray& dib);
// A 24-bit copy resampled to width x height with a smooth filter; empty
// when either is not positive or the bitmap is not valid.
VELORIN_EXPORT QByteArray QoDibResampleHQ(const QByteArray& dib, int width, int height);
// The picture file at `path` decoded shrunk to fit width x height, shown
// upright, as a 24-bit packed bitmap; empty when it cannot be decoded.
// `flags` is reserved and must be 0.
VELORIN_EXPORT QByteArray QoOpenFileThumbnail(const QString& path, int width, int height, int flags);
