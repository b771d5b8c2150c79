#include "exifpropertywriter.h"

#include "exifproperties_p.h"

#include <velorin/imaging/zelpicture.h>

#include <climits>
#include <cmath>
#include <cstring>

using PubImage::ZelPicture;
using namespace velorin::exif;

namespace {

template<typename T>
QByteArray bytesOf(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

QByteArray rationalBytes(quint32 numerator, quint32 denominator)
{
    return bytesOf(ExifURational{numerator, denominator});
}

} // namespace

CExifPropertyWriter::~CExifPropertyWriter() = default;

int CExifPropertyWriter::SetNormalExifInfo(ZelPicture* picture)
{
    if (!picture)
        return 0;
    picture->setProperty(ExifPropPixelXDimension, bytesOf(quint32(picture->width())));
    picture->setProperty(ExifPropPixelYDimension, bytesOf(quint32(picture->height())));
    return 1;
}

int CExifPropertyWriter::SetExifTime(ZelPicture* picture)
{
    return SetExifTime(picture, QDateTime::currentDateTime());
}

int CExifPropertyWriter::SetExifTime(ZelPicture* picture, const QDateTime& localTime)
{
    if (!picture)
        return 0;
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    const QString text = QString::asprintf("%4d:%02d:%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(),
                                           t.minute(), t.second());
    picture->setProperty(ExifPropDateTime, textBytes(text, DateTimeTextCapacity));
    return 1;
}

int CExifPropertyWriter::SetExifExtend(ZelPicture*)
{
    return 1;
}

int CExifPropertyWriter::SetExifCamera(ZelPicture* picture, void* exifSource)
{
    if (!picture || !exifSource)
        return 0;
    const auto* source = static_cast<const _EXIF_INFORMATION*>(exifSource);
    picture->setProperty(ExifPropOrientation, bytesOf(source->orientation));
    const QByteArray make(reinterpret_cast<const char*>(source->make), sizeof source->make);
    picture->setProperty(ExifPropMake, textBytes(textFromBytes(make)));
    picture->setProperty(ExifPropXResolution, rationalBytes(180, 1));
    picture->setProperty(ExifPropYResolution, rationalBytes(180, 1));
    picture->setProperty(ExifPropResolutionUnit, bytesOf(quint16(2))); // inches
    return 1;
}

int CExifPropertyWriter::SetExifGPSInfo(ZelPicture* picture, void* exifSource)
{
    if (!picture || !exifSource)
        return 0;
    const auto& source = *static_cast<const _EXIF_INFORMATION*>(exifSource);
    for (const int id : {ExifPropGpsLatitudeRef, ExifPropGpsLatitude, ExifPropGpsLongitudeRef, ExifPropGpsLongitude,
                         ExifPropGpsAltitude}) {
        const QByteArray value = storedValue(source, *findProperty(id));
        if (value.isEmpty())
            continue;
        picture->setProperty(id, value);
        // An altitude written here is always above sea level.
        if (id == ExifPropGpsAltitude)
            picture->setProperty(ExifPropGpsAltitudeRef, bytesOf(quint8(0)));
    }
    return 1;
}

int CExifPropertyWriter::SetExifOrientation(ZelPicture* picture, unsigned short code)
{
    if (!picture)
        return 0;
    picture->setProperty(ExifPropOrientation, bytesOf(quint16(code)));
    return 1;
}

void CExifPropertyWriter::TransFloat2Degree(double value, _ZELDIV& degrees, _ZELDIV& minutes, _ZELDIV& seconds)
{
    double a = std::fabs(value);
    const double whole = std::floor(a);
    degrees = {qint32(whole), 1};
    a = (a - whole) * 60;
    const double wholeMinutes = std::floor(a);
    minutes = {qint32(wholeMinutes), 1};
    a = (a - wholeMinutes) * 60;
    seconds = {qint32(std::floor(a * 1000)), 1000};
}

ZelPicture* CExifPropertyWriter::CreateThumbnailImage(ZelPicture* picture, long width, long height)
{
    try {
        PubImage::ZelLayer* layer = picture ? picture->layer(1) : nullptr;
        if (!layer || width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX)
            return nullptr;
        const qint64 layerWidth = layer->rect().width();
        const qint64 layerHeight = layer->rect().height();
        if (layerWidth <= 0 || layerHeight <= 0)
            return nullptr;
        // Both axes scale by the same factor, chosen so the layer fits.
        int num = int(height);
        int den = int(layerHeight);
        if (layerWidth * height > layerHeight * width) {
            num = int(width);
            den = int(layerWidth);
        }
        PubImage::ZelLayer* scaled = layer->resampled(num, den, num, den, PubImage::ZelResampleMode::Fast);
        if (!scaled)
            return nullptr;
        ZelPicture* thumbnail = ZelPicture::create();
        thumbnail->setSize(QSize(scaled->rect().width(), scaled->rect().height()));
        thumbnail->setBitDepth(24);
        if (!thumbnail->insertLayer(1, scaled)) {
            scaled->release();
            thumbnail->release();
            return nullptr;
        }
        return thumbnail;
    } catch (...) {
        return nullptr;
    }
}

int CExifPropertyWriter::SetExifThumbnailImage(ZelPicture* target, ZelPicture* thumbnail)
{
    try {
        FreeCache();
        if (!target || !thumbnail)
            return 0;
        const qint64 width = thumbnail->width();
        const qint64 height = thumbnail->height();
        if (width <= 0 || height <= 0)
            return 0;
        const qint64 rowBytes = width * 3;
        m_pixels = QByteArray(40 + rowBytes * height, '\0');

        const qint32 header[10] = {40, qint32(width), qint32(height), 1 | (24 << 16), 0, 0, 1270, 1270, 0, 0};
        std::memcpy(m_pixels.data(), header, sizeof header);
        // The top row goes last: the bitmap stores its rows bottom-up.
        PubImage::ZelPixelTransfer transfer;
        transfer.firstRow = reinterpret_cast<uchar*>(m_pixels.data()) + 40 + (height - 1) * rowBytes;
        transfer.rect = {0, 0, int(width), int(height)};
        transfer.bitsPerPixel = 24;
        transfer.stride = -rowBytes;
        thumbnail->exportPixels(transfer);

        const qint32 descriptor[6] = {2, 24, qint32(height), qint32(width), qint32(rowBytes), 40};
        m_descriptor = QByteArray(reinterpret_cast<const char*>(descriptor), sizeof descriptor);
        target->setProperty(PubImage::ZelPropExifThumbnail, m_pixels);
        return 1;
    } catch (...) {
        FreeCache();
        return 0;
    }
}

int CExifPropertyWriter::FreeCache()
{
    m_descriptor.clear();
    m_pixels.clear();
    return 1;
}
