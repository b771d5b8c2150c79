#pragma once

#include <QtEndian>
#include <QtGlobal>

// The headers of the bitmaps the picture layer and the video reader hand
// out: a packed bitmap is the 40-byte info header and the rows; a BMP file
// puts the 14-byte file header in front of it.
namespace velorin::imaging {

inline constexpr qsizetype BmpFileHeaderBytes = 14;
inline constexpr qsizetype DibHeaderBytes = 40;

// Bytes of one row of a bitmap `width` pixels wide at `bitCount` bits a
// pixel, padded to four.
inline qsizetype bmpRowBytes(int width, int bitCount = 24)
{
    return (qsizetype(width) * bitCount + 31) / 32 * 4;
}

// The file header of a BMP file of `fileBytes` bytes whose rows follow a
// 40-byte info header.
inline void writeBmpFileHeader(uchar* p, qsizetype fileBytes)
{
    qToLittleEndian<quint16>(0x4D42, p); // "BM"
    qToLittleEndian<quint32>(quint32(fileBytes), p + 2);
    qToLittleEndian<quint32>(quint32(BmpFileHeaderBytes + DibHeaderBytes), p + 10);
}

// The 40-byte info header of an uncompressed bottom-up 24-bit bitmap
// without a colour table; the bytes it does not set must be zero.
inline void writeDibHeader24(uchar* p, int width, int height, qsizetype imageBytes)
{
    qToLittleEndian<quint32>(quint32(DibHeaderBytes), p);
    qToLittleEndian<qint32>(width, p + 4);
    qToLittleEndian<qint32>(height, p + 8);
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(24, p + 14);
    qToLittleEndian<quint32>(quint32(imageBytes), p + 20);
}

} // namespace velorin::imaging
