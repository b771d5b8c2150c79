#include "qodib.h"

#include "bmpheader_p.h"
#include "videoreader_p.h"
#include "zellibhelper.h"

#include <QImage>
#include <QtEndian>

#include <cstring>
#include <new>

namespace velorin::imaging {

namespace {

// No frame or thumbnail comes near these: an 8K frame is 7680 x 4320 and
// 100 MB at 24 bits. A header claiming more is corrupt or hostile.
constexpr int MaxDibSide = 32768;
constexpr qsizetype MaxDibImageBytes = qsizetype(1) << 28;

} // namespace

std::optional<PackedDibLayout> packedDibLayout(const uchar* header)
{
    if (!header)
        return std::nullopt;
    const quint32 headerSize = qFromLittleEndian<quint32>(header);
    const qint32 width = qFromLittleEndian<qint32>(header + 4);
    const qint32 height = qFromLittleEndian<qint32>(header + 8);
    const quint16 planes = qFromLittleEndian<quint16>(header + 12);
    const quint16 bitCount = qFromLittleEndian<quint16>(header + 14);
    const quint32 compression = qFromLittleEndian<quint32>(header + 16);
    const quint32 sizeImage = qFromLittleEndian<quint32>(header + 20);
    const quint32 coloursUsed = qFromLittleEndian<quint32>(header + 32);
    // Top-down bitmaps (negative height) are refused as the picture layer
    // refuses them: every producer here writes bottom-up rows.
    if (headerSize != DibHeaderBytes || width < 1 || width > MaxDibSide || height < 1 || height > MaxDibSide
        || planes != 1 || (bitCount != 24 && bitCount != 32) || compression != 0 || coloursUsed > 256)
        return std::nullopt;
    PackedDibLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    layout.stride = bmpRowBytes(width, bitCount);
    const qsizetype rows = layout.stride * height;
    layout.imageBytes = sizeImage == 0 ? rows : qsizetype(sizeImage);
    if (layout.imageBytes < rows || layout.imageBytes > MaxDibImageBytes)
        return std::nullopt;
    layout.pixelOffset = DibHeaderBytes + qsizetype(coloursUsed) * 4;
    layout.totalBytes = layout.pixelOffset + layout.imageBytes;
    return layout;
}

std::optional<PackedDibLayout> packedDibLayout(const QByteArray& dib)
{
    if (dib.size() < DibHeaderBytes)
        return std::nullopt;
    auto layout = packedDibLayout(reinterpret_cast<const uchar*>(dib.constData()));
    if (layout && layout->totalBytes > dib.size())
        return std::nullopt;
    return layout;
}

namespace {

// The bitmap's pixels as an image, top row first; null when it is not valid.
QImage imageOfDib(const QByteArray& dib)
{
    const auto layout = packedDibLayout(dib);
    if (!layout)
        return {};
    const auto* pixels = reinterpret_cast<const uchar*>(dib.constData()) + layout->pixelOffset;
    const QImage rows(pixels, layout->width, layout->height, layout->stride,
                      layout->bitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
    // The rows are stored bottom row first; the mirror also detaches the
    // image from the array.
    return rows.mirrored(false, true);
}

// A 24-bit packed bitmap of the image, bottom row first.
QByteArray dibOfImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const int width = bgr.width();
    const int height = bgr.height();
    const qsizetype stride = bmpRowBytes(width);
    if (bgr.isNull() || width > MaxDibSide || height > MaxDibSide || stride * height > MaxDibImageBytes)
        return {};
    QByteArray dib(DibHeaderBytes + stride * height, '\0');
    auto* p = reinterpret_cast<uchar*>(dib.data());
    writeDibHeader24(p, width, height, stride * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(p + DibHeaderBytes + (height - 1 - y) * stride, bgr.constScanLine(y), size_t(width) * 3);
    return dib;
}

} // namespace

} // namespace velorin::imaging

using velorin::imaging::packedDibLayout;

QByteArray QoDibDuplicate(const QByteArray& dib)
{
    const auto layout = packedDibLayout(dib);
    if (!layout)
        return {};
    try {
        return QByteArray(dib.constData(), layout->totalBytes);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QByteArray QoDibResampleHQ(const QByteArray& dib, int width, int height)
{
    if (width < 1 || height < 1 || width > velorin::imaging::MaxDibSide || height > velorin::imaging::MaxDibSide)
        return {};
    // A result too large to hand out is refused before it is scaled, which
    // would cost seconds and gigabytes for nothing.
    if (velorin::imaging::bmpRowBytes(width) * height > velorin::imaging::MaxDibImageBytes)
        return {};
    try {
        const QImage source = velorin::imaging::imageOfDib(dib);
        if (source.isNull())
            return {};
        // Qt's smooth scaling averages every source pixel a target pixel
        // covers when shrinking and interpolates when enlarging.
        return velorin::imaging::dibOfImage(source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QByteArray QoOpenFileThumbnail(const QString& path, int width, int height, int flags)
{
    if (flags != 0 || path.isEmpty())
        return {};
    // The picture helper decodes shrunk on load within the decode budget
    // and shows the picture upright; its BMP file is the packed bitmap
    // behind a 14-byte file header.
    const QByteArray bmp = ZellibHelper().GetThumbnailUseZelLib(reinterpret_cast<const unsigned short*>(path.utf16()),
                                                                width, height, nullptr, nullptr, true, 0);
    using velorin::imaging::BmpFileHeaderBytes;
    if (bmp.size() <= BmpFileHeaderBytes)
        return {};
    return bmp.mid(BmpFileHeaderBytes);
}
