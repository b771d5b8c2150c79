#include "zelpicture.h"

#include "codecpicture_p.h"
#include "decodebudget_p.h"
#include "exifbridge_p.h"
#include "regularfile_p.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <optional>

namespace PubImage {

namespace {

// Bounds that keep a hostile or absurd file from exhausting memory: no
// picture beyond 16384 x 16384 is decoded (a header claiming 64250 x 64250
// in a file of a few kilobytes is refused before anything is allocated),
// and decodes that hold the whole picture while shrinking it share the
// budget of decodebudget_p.h.
constexpr qint64 MaxPixels = qint64(16384) * 16384;
constexpr int DecodeLimitMB = 1024;

// Qt refuses images above a process-wide allocation limit (128 MB unless the
// application changed it): too small for the full decode of a 50-megapixel
// photograph. Raise it once, never lower what the application chose.
void raiseAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < DecodeLimitMB)
            QImageReader::setAllocationLimit(DecodeLimitMB);
    });
}

bool sanePixelCount(qint64 width, qint64 height, qint64 limit)
{
    return width > 0 && height > 0 && width * height <= limit;
}

// What the markers of a JPEG before its first scan tell: whether the frame
// header was seen and is progressive (SOF2, SOF6, SOF10, SOF14 keep every
// coefficient of the picture in memory), and whether the first scan starts
// within the bytes, so that everything a header read needs is there.
struct JpegMarkers
{
    bool frame = false;
    bool progressive = false;
    bool scan = false;
};

JpegMarkers scanJpegMarkers(const QByteArray& bytes)
{
    JpegMarkers found;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return found;
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return found;
        const uchar marker = p[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0xDA) {
            found.scan = true;
            return found;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            found.frame = true;
            found.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        }
        const int length = (p[i + 2] << 8) | p[i + 3];
        if (length < 2)
            return found;
        i += 2 + length;
    }
    return found;
}

// The bytes a load needs: for a header read of a JPEG only what comes
// before the first scan (the metadata and the frame size), else the whole
// file. Empty when the file is no regular file, cannot be read or is
// absurdly large.
QByteArray readPictureFile(const QString& path, bool headerOnly)
{
    using namespace velorin::imaging;
    QFile file;
    if (!openRegularFile(file, path, MaxPictureFileBytes))
        return {};
    QByteArray bytes;
    if (headerOnly) {
        constexpr qint64 Prefix = 256 * 1024;
        bytes = file.read(Prefix);
        if (bytes.size() < Prefix || scanJpegMarkers(bytes).scan)
            return bytes;
    }
    const std::optional<QByteArray> rest = readRest(file, MaxPictureFileBytes);
    return rest ? bytes + *rest : QByteArray();
}

// Memory a thumbnail decode holds beyond its result. Nothing for the
// decoders that shrink while they decode: baseline JPEGs (libjpeg scales
// each block) and non-interlaced PNGs of 8-bit samples (read a row at a
// time). A progressive JPEG keeps the coefficients of the whole picture,
// up to six bytes a pixel; every other decode holds the full-size pixels.
qint64 bufferedBytes(QImageReader& reader, const QByteArray& bytes, QSize stored)
{
    const qint64 pixels = qint64(stored.width()) * stored.height();
    const QByteArray format = reader.format();
    if (format == "jpeg") {
        if (!scanJpegMarkers(bytes).progressive)
            return 0;
        // Each 8 x 8 block takes a bit at least: a file shorter than that
        // claims a picture it does not hold, and is refused before libjpeg
        // sets up the coefficients of the size it claims.
        return qint64(bytes.size()) * 512 < pixels ? std::numeric_limits<qint64>::max() : pixels * 6;
    }
    // The PNG header: bit depth at byte 24, interlace method at byte 28.
    if (format == "png" && bytes.size() > 28 && bytes.mid(12, 4) == "IHDR" && quint8(bytes[24]) <= 8
        && bytes[28] == 0)
        return 0;
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    return pixels * std::max(4, bits / 8);
}

int formatOf(const QByteArray& qtFormat)
{
    if (qtFormat == "jpeg" || qtFormat == "jpg")
        return ZelFormatJpeg;
    if (qtFormat == "tiff" || qtFormat == "tif")
        return ZelFormatTiff;
    if (qtFormat == "png")
        return ZelFormatPng;
    if (qtFormat == "webp")
        return ZelFormatWebp;
    if (qtFormat == "bmp")
        return ZelFormatBmp;
    if (qtFormat == "gif")
        return ZelFormatGif;
    return qtFormat.isEmpty() ? ZelFormatUnknown : ZelFormatOther;
}

// The Qt writer and whether Exiv2 can carry metadata into the result, by the
// path's last suffix.
struct Encoder
{
    QByteArray format;
    bool metadata = false;
};

Encoder encoderFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"jpg" || suffix == u"jpeg" || suffix == u"jpe")
        return {"jpeg", true};
    if (suffix == u"tif" || suffix == u"tiff")
        return {"tiff", true};
    if (suffix == u"png")
        return {"png", true};
    if (suffix == u"webp")
        return {"webp", true};
    if (suffix == u"bmp")
        return {"bmp", false};
    return {};
}

// Layers hold opaque 32-bit pixels; a picture with transparency is put on
// white, as a viewer would show it.
QImage toLayerFormat(QImage image)
{
    if (image.isNull())
        return image;
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        if (flat.isNull())
            return flat;
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        return flat;
    }
    if (image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_RGB32);
    return image;
}

// Orientation codes 5 to 8 show the stored picture turned a quarter (and
// 5 and 7 mirrored as well): it is shown with width and height swapped.
bool turnsAQuarter(quint16 code)
{
    return code >= 5 && code <= 8;
}

quint16 readU16(const QByteArray& bytes)
{
    quint16 v = 0;
    if (bytes.size() >= 2)
        std::memcpy(&v, bytes.constData(), 2);
    return v;
}


} // namespace

// --- reference counting ----------------------------------------------------

ZelObject::~ZelObject() = default;

int ZelObject::retain()
{
    return m_refs.fetch_add(1, std::memory_order_relaxed) + 1;
}

int ZelObject::release()
{
    const int left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

int ZelObject::refCount() const
{
    return m_refs.load(std::memory_order_acquire);
}

// --- layers ------------------------------------------------------------------

ZelLayer* ZelLayer::create(const ZelRect& rect, int bitDepth)
{
    if (rect.isEmpty() || !sanePixelCount(rect.width(), rect.height(), MaxPixels))
        return nullptr;
    QImage image(rect.width(), rect.height(), QImage::Format_RGB32);
    if (image.isNull())
        return nullptr;
    image.fill(Qt::black);
    auto* layer = new (std::nothrow) ZelLayer;
    if (!layer)
        return nullptr;
    layer->m_image = std::move(image);
    layer->m_rect = rect;
    layer->m_bitDepth = bitDepth;
    return layer;
}

ZelLayer* ZelLayer::fromImage(const QImage& image, int bitDepth)
{
    QImage pixels = toLayerFormat(image);
    if (pixels.isNull())
        return nullptr;
    auto* layer = new (std::nothrow) ZelLayer;
    if (!layer)
        return nullptr;
    layer->m_rect = {0, 0, pixels.width(), pixels.height()};
    layer->m_image = std::move(pixels);
    layer->m_bitDepth = bitDepth;
    return layer;
}

bool ZelLayer::setRect(const ZelRect& rect)
{
    if (rect.width() != m_rect.width() || rect.height() != m_rect.height())
        return false;
    m_rect = rect;
    return true;
}

namespace {

// The transfer's rectangle in image coordinates, when it lies inside.
bool transferArea(const ZelPixelTransfer& t, const ZelRect& layer, QRect& area)
{
    if (!t.firstRow || t.rect.isEmpty() || (t.bitsPerPixel != 24 && t.bitsPerPixel != 32))
        return false;
    area = QRect(t.rect.left - layer.left, t.rect.top - layer.top, t.rect.width(), t.rect.height());
    const qsizetype rowBytes = qsizetype(area.width()) * (t.bitsPerPixel / 8);
    return QRect(0, 0, layer.width(), layer.height()).contains(area) && qAbs(t.stride) >= rowBytes;
}

} // namespace

bool ZelLayer::importPixels(const ZelPixelTransfer& t)
{
    QRect area;
    if (!transferArea(t, m_rect, area))
        return false;
    const int bytesPerPixel = t.bitsPerPixel / 8;
    for (int y = 0; y < area.height(); ++y) {
        const uchar* src = t.firstRow + qsizetype(y) * t.stride;
        auto* dst = reinterpret_cast<QRgb*>(m_image.scanLine(area.top() + y)) + area.left();
        for (int x = 0; x < area.width(); ++x, src += bytesPerPixel)
            dst[x] = qRgb(src[2], src[1], src[0]);
    }
    return true;
}

bool ZelLayer::exportPixels(const ZelPixelTransfer& t) const
{
    QRect area;
    if (!transferArea(t, m_rect, area))
        return false;
    const int bytesPerPixel = t.bitsPerPixel / 8;
    for (int y = 0; y < area.height(); ++y) {
        uchar* dst = t.firstRow + qsizetype(y) * t.stride;
        const auto* src = reinterpret_cast<const QRgb*>(m_image.constScanLine(area.top() + y)) + area.left();
        for (int x = 0; x < area.width(); ++x, dst += bytesPerPixel) {
            const QRgb p = src[x];
            dst[0] = uchar(qBlue(p));
            dst[1] = uchar(qGreen(p));
            dst[2] = uchar(qRed(p));
            if (bytesPerPixel == 4)
                dst[3] = 0;
        }
    }
    return true;
}

namespace {

ZelLayer* layerLike(const ZelLayer& source, QImage image, const QString& name)
{
    ZelLayer* layer = ZelLayer::fromImage(image, source.bitDepth());
    if (!layer)
        return nullptr;
    const ZelRect r = source.rect();
    layer->setRect({r.left, r.top, r.left + layer->image().width(), r.top + layer->image().height()});
    layer->setName(name);
    return layer;
}

} // namespace

ZelLayer* ZelLayer::resampled(int numX, int denX, int numY, int denY, ZelResampleMode mode) const
{
    if (numX <= 0 || denX <= 0 || numY <= 0 || denY <= 0)
        return nullptr;
    const qint64 w = std::max<qint64>(1, (qint64(m_image.width()) * numX + denX / 2) / denX);
    const qint64 h = std::max<qint64>(1, (qint64(m_image.height()) * numY + denY / 2) / denY);
    if (!sanePixelCount(w, h, MaxPixels))
        return nullptr;
    const Qt::TransformationMode how =
        mode == ZelResampleMode::Smooth ? Qt::SmoothTransformation : Qt::FastTransformation;
    return layerLike(*this, m_image.scaled(int(w), int(h), Qt::IgnoreAspectRatio, how), m_name);
}

ZelLayer* ZelLayer::rotated(int degreesCounterClockwise) const
{
    const int angle = ((degreesCounterClockwise % 360) + 360) % 360;
    if (angle == 0)
        return copy();
    // QTransform turns clockwise on screen for positive angles.
    const QTransform turn = QTransform().rotate(-angle);
    const bool quarter = angle % 90 == 0;
    return layerLike(*this, m_image.transformed(turn, quarter ? Qt::FastTransformation : Qt::SmoothTransformation),
                     m_name);
}

ZelLayer* ZelLayer::mirrored() const
{
    return layerLike(*this, m_image.mirrored(false, true), m_name);
}

ZelLayer* ZelLayer::copy() const
{
    auto* layer = new (std::nothrow) ZelLayer;
    if (!layer)
        return nullptr;
    layer->m_image = m_image;
    layer->m_rect = m_rect;
    layer->m_name = m_name;
    layer->m_bitDepth = m_bitDepth;
    return layer;
}

// --- pictures ----------------------------------------------------------------

ZelPicture* ZelPicture::create()
{
    return new (std::nothrow) ZelPicture;
}

ZelPicture::~ZelPicture()
{
    for (ZelLayer* layer : std::as_const(m_layers))
        layer->release();
}

int ZelPicture::load(const QString& path, ZelLoadMode mode, QSize box)
{
    try {
        raiseAllocationLimit();
        QByteArray bytes = readPictureFile(path, mode == ZelLoadMode::Header);
        if (bytes.isEmpty())
            return ZelLoadUnreadable;
        // HEIF and camera RAW pictures go to libraries of their own; a RAW
        // file that LibRaw cannot open still gets Exiv2's preview below.
        if (const auto codec = velorin::imaging::openCodecPicture(path, bytes))
            return loadCodec(*codec, mode, box, path);

        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);
        const bool qtReads = reader.canRead();
        // Only header reads look for a sound annotation beside the picture:
        // the EXIF reader, which uses them, copies it when it is asked for.
        const QString soundSource = mode == ZelLoadMode::Header ? path : QString();
        velorin::exif::MetadataRead meta = velorin::exif::readMetadata(bytes, soundSource, !qtReads);

        // Camera RAW files: Qt cannot decode them, their largest embedded
        // preview stands in for the pixels.
        QByteArray preview;
        if (!qtReads) {
            if (meta.preview.isEmpty())
                return ZelLoadNotAPicture;
            preview = std::move(meta.preview);
            buffer.close();
            buffer.setBuffer(&preview);
            buffer.open(QIODevice::ReadOnly);
            reader.setDevice(&buffer);
            if (!reader.canRead())
                return ZelLoadNotAPicture;
        }
        const QSize stored = reader.size();
        if (stored.width() <= 0 || stored.height() <= 0)
            return ZelLoadNotAPicture;
        const int format = qtReads ? formatOf(reader.format()) : meta.format;

        QHash<int, QByteArray> properties = std::move(meta.properties);
        if (mode == ZelLoadMode::Header) {
            adopt(nullptr, stored, format, std::move(properties));
            return 0;
        }

        if (!sanePixelCount(stored.width(), stored.height(), MaxPixels))
            return ZelLoadTooLarge;
        if (mode == ZelLoadMode::Thumbnail && (box.width() <= 0 || box.height() <= 0))
            return ZelLoadBadRequest;
        // What the decoder buffers, and for a full decode the picture itself
        // (four bytes a pixel), held from the budget until the decode is
        // done: a file of a few kilobytes claiming a huge progressive picture
        // is refused here, whatever it is read for.
        qint64 need = bufferedBytes(reader, qtReads ? bytes : preview, stored);
        if (mode == ZelLoadMode::Full && need != std::numeric_limits<qint64>::max())
            need += qint64(stored.width()) * stored.height() * 4;
        velorin::imaging::DecodeShare share(need);
        if (!share.granted())
            return ZelLoadTooLarge;
        if (mode == ZelLoadMode::Thumbnail) {
            // The box applies to the picture as shown, so a picture turned a
            // quarter is fitted into the transposed box.
            const bool quarter = turnsAQuarter(readU16(properties.value(ZelPropOrientation)));
            const QSize fitBox = quarter ? box.transposed() : box;
            if (stored.width() > fitBox.width() || stored.height() > fitBox.height())
                reader.setScaledSize(stored.scaled(fitBox, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        }
        QImage image = reader.read();
        if (image.isNull())
            return ZelLoadDecodeFailed;
        // The pixels stay as stored; the orientation code stays with them
        // for whoever shows the picture upright.
        ZelLayer* layer = ZelLayer::fromImage(image);
        if (!layer)
            return ZelLoadOutOfMemory;
        adopt(layer, layer->image().size(), format, std::move(properties));
        return 0;
    } catch (...) {
        return ZelLoadOutOfMemory;
    }
}

int ZelPicture::loadCodec(velorin::imaging::CodecPicture& codec, ZelLoadMode mode, QSize box, const QString& path)
{
    const QSize stored = codec.size();
    // As above, only header reads look for a sound annotation.
    velorin::exif::MetadataRead meta = codec.metadata(mode == ZelLoadMode::Header ? path : QString());
    if (mode == ZelLoadMode::Header) {
        adopt(nullptr, stored, codec.format(), std::move(meta.properties));
        return 0;
    }
    if (!sanePixelCount(stored.width(), stored.height(), MaxPixels))
        return ZelLoadTooLarge;
    if (mode == ZelLoadMode::Thumbnail && (box.width() <= 0 || box.height() <= 0))
        return ZelLoadBadRequest;
    // These decodes may hold the whole picture, and more than once: a RAW
    // file developed keeps its mosaic (2 bytes a pixel), LibRaw's working
    // image (8) and the result (6); a HEIF its decoded and converted images.
    // They take their share of the budget that Qt's full decodes share, so
    // several at once on the import's threads cannot exhaust memory.
    constexpr qint64 WorkingBytesPerPixel = 16;
    velorin::imaging::DecodeShare share(qint64(stored.width()) * stored.height() * WorkingBytesPerPixel);
    if (!share.granted())
        return ZelLoadTooLarge;
    // The box applies to the picture as shown (see load()).
    const bool quarter = turnsAQuarter(readU16(meta.properties.value(ZelPropOrientation)));
    const QSize fitBox = mode == ZelLoadMode::Full ? QSize() : quarter ? box.transposed() : box;
    int error = ZelLoadDecodeFailed;
    QImage image = codec.decode(fitBox, &error);
    if (image.isNull())
        return error;
    ZelLayer* layer = ZelLayer::fromImage(image);
    if (!layer)
        return ZelLoadOutOfMemory;
    adopt(layer, layer->image().size(), codec.format(), std::move(meta.properties));
    return 0;
}

void ZelPicture::adopt(ZelLayer* layer, QSize size, int format, QHash<int, QByteArray> properties)
{
    for (ZelLayer* old : std::as_const(m_layers))
        old->release();
    m_layers.clear();
    if (layer)
        m_layers.append(layer);
    m_currentLayer = layer ? 1 : 0;
    m_size = size;
    m_bitDepth = 24;
    m_format = format;
    m_properties = std::move(properties);
}

QString zelLoadErrorText(int error)
{
    switch (error) {
    case ZelLoadOk: return QStringLiteral("ok");
    case ZelLoadUnreadable: return QStringLiteral("cannot read the file");
    case ZelLoadNotAPicture: return QStringLiteral("not a picture this library can decode");
    case ZelLoadTooLarge: return QStringLiteral("picture too large to decode safely");
    case ZelLoadBadRequest: return QStringLiteral("empty thumbnail box");
    case ZelLoadDecodeFailed: return QStringLiteral("corrupt picture data");
    case ZelLoadOutOfMemory: return QStringLiteral("out of memory");
    default: return QStringLiteral("unknown error");
    }
}

bool ZelPicture::exportPixels(const ZelPixelTransfer& transfer) const
{
    try {
        const ZelRect whole{0, 0, m_size.width(), m_size.height()};
        if (m_layers.size() == 1 && m_layers.first()->rect() == whole)
            return m_layers.first()->exportPixels(transfer);
        // Several layers, or one that does not cover the picture exactly:
        // flatten them in order onto black.
        ZelLayer* flat = ZelLayer::create(whole);
        if (!flat)
            return false;
        {
            QPainter painter(&flat->m_image);
            for (const ZelLayer* layer : m_layers)
                painter.drawImage(layer->rect().left, layer->rect().top, layer->image());
        }
        const bool ok = flat->exportPixels(transfer);
        flat->release();
        return ok;
    } catch (...) {
        return false;
    }
}

int ZelPicture::save(const QString& path) const
{
    try {
        const Encoder encoder = encoderFor(path);
        if (encoder.format.isEmpty() || m_layers.isEmpty() || m_size.isEmpty())
            return 1;
        QImage image;
        const ZelLayer* first = m_layers.first();
        if (m_layers.size() == 1 && first->rect() == ZelRect{0, 0, m_size.width(), m_size.height()}) {
            image = first->image();
        } else {
            image = QImage(m_size, QImage::Format_RGB32);
            if (image.isNull())
                return 2;
            image.fill(Qt::black);
            QPainter painter(&image);
            for (const ZelLayer* layer : m_layers)
                painter.drawImage(layer->rect().left, layer->rect().top, layer->image());
        }

        // Formats that keep the resolution in their own structure (TIFF)
        // take it from the picture rather than from the metadata.
        const auto resolution = [&](int id) {
            const QByteArray v = m_properties.value(id);
            quint32 num = 0;
            quint32 den = 0;
            if (v.size() >= 8) {
                std::memcpy(&num, v.constData(), 4);
                std::memcpy(&den, v.constData() + 4, 4);
            }
            const double perUnit = den ? double(num) / den : 0.0;
            const double unitMetres = intProperty(11017, 2) == 3 ? 0.01 : 0.0254; // centimetre or inch
            return int(perUnit / unitMetres + 0.5);
        };
        if (const int x = resolution(11014); x > 0)
            image.setDotsPerMeterX(x);
        if (const int y = resolution(11015); y > 0)
            image.setDotsPerMeterY(y);

        QByteArray encoded;
        {
            QBuffer buffer(&encoded);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, encoder.format);
            if (m_properties.contains(ZelPropSaveQuality))
                writer.setQuality(std::clamp(intProperty(ZelPropSaveQuality), 0, 100));
            if (!writer.write(image))
                return 3;
        }
        if (encoder.metadata) {
            const bool hasMetadata = std::any_of(m_properties.keyBegin(), m_properties.keyEnd(), [](int id) {
                return id >= 11000 || id == ZelPropExifThumbnail;
            });
            // A picture whose metadata Exiv2 cannot write is still saved.
            if (hasMetadata)
                velorin::exif::writeMetadata(encoded, m_properties);
        }

        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(encoded) != encoded.size() || !out.commit())
            return 4;
        return 0;
    } catch (...) {
        return 5;
    }
}

ZelLayer* ZelPicture::layer(int index) const
{
    return index >= 1 && index <= m_layers.size() ? m_layers.at(index - 1) : nullptr;
}

bool ZelPicture::insertLayer(int index, ZelLayer* layer)
{
    if (!layer || index < 1 || index > m_layers.size() + 1)
        return false;
    m_layers.insert(index - 1, layer);
    if (m_currentLayer == 0)
        m_currentLayer = 1;
    else if (m_currentLayer >= index)
        ++m_currentLayer;
    return true;
}

ZelLayer* ZelPicture::removeLayer(int index)
{
    if (index < 1 || index > m_layers.size())
        return nullptr;
    ZelLayer* layer = m_layers.takeAt(index - 1);
    if (m_currentLayer > m_layers.size() || m_currentLayer > index)
        --m_currentLayer;
    return layer;
}

bool ZelPicture::replaceLayer(int index, ZelLayer* layer)
{
    if (!layer || index < 1 || index > m_layers.size())
        return false;
    std::swap(m_layers[index - 1], layer);
    layer->release();
    return true;
}

bool ZelPicture::setCurrentLayer(int index)
{
    if (index < 1 || index > m_layers.size())
        return false;
    m_currentLayer = index;
    return true;
}

void ZelPicture::setProperty(int id, const QByteArray& value)
{
    if (value.isEmpty())
        m_properties.remove(id);
    else
        m_properties.insert(id, value);
}

int ZelPicture::intProperty(int id, int fallback) const
{
    const QByteArray v = m_properties.value(id);
    if (v.size() < 4)
        return v.size() == 2 ? readU16(v) : fallback;
    qint32 n = 0;
    std::memcpy(&n, v.constData(), 4);
    return n;
}

void ZelPicture::setIntProperty(int id, int value)
{
    const qint32 n = value;
    m_properties.insert(id, QByteArray(reinterpret_cast<const char*>(&n), 4));
}

ZelPicture* ZelPicture::copy() const
{
    ZelPicture* picture = create();
    if (!picture)
        return nullptr;
    for (const ZelLayer* layer : m_layers) {
        ZelLayer* twin = layer->copy();
        if (!twin) {
            picture->release();
            return nullptr;
        }
        picture->m_layers.append(twin);
    }
    picture->m_properties = m_properties;
    picture->m_size = m_size;
    picture->m_bitDepth = m_bitDepth;
    picture->m_format = m_format;
    picture->m_currentLayer = m_currentLayer;
    return picture;
}

namespace {

// Calls visit with every pixel of an RGB32 picture, row by row.
template <class F>
void forEachPixel(const QImage& image, F&& visit)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            visit(row[x]);
    }
}

// Applies one 256-entry table per channel to every pixel.
void applyCurves(QImage& image, const std::array<std::array<uchar, 256>, 3>& curve)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            row[x] = qRgb(curve[0][qRed(p)], curve[1][qGreen(p)], curve[2][qBlue(p)]);
        }
    }
}

} // namespace

int ZelPicture::autoEnhance()
{
    ZelLayer* first = layer(1);
    if (!first || first->m_image.isNull())
        return 1;
    QImage& image = first->m_image;
    std::array<qint64, 256> histogram{};
    forEachPixel(image, [&](QRgb p) { ++histogram[qGray(p)]; });
    // The darkest and brightest half percent are let clip; the rest is
    // stretched over the whole range, the same for the three channels so
    // that hues are kept.
    const qint64 total = qint64(image.width()) * image.height();
    const qint64 cut = total / 200;
    int low = 0;
    for (qint64 seen = 0; low < 255 && seen + histogram[low] <= cut; ++low)
        seen += histogram[low];
    int high = 255;
    for (qint64 seen = 0; high > 0 && seen + histogram[high] <= cut; --high)
        seen += histogram[high];
    if (high - low < 8 || (low == 0 && high == 255))
        return 0; // flat or already full-range: nothing to stretch
    std::array<uchar, 256> stretch{};
    for (int v = 0; v < 256; ++v)
        stretch[v] = uchar(std::clamp((v - low) * 255 / (high - low), 0, 255));
    applyCurves(image, {stretch, stretch, stretch});
    return 0;
}

int ZelPicture::colorFix()
{
    ZelLayer* first = layer(1);
    if (!first || first->m_image.isNull())
        return 1;
    QImage& image = first->m_image;
    std::array<qint64, 3> sum{};
    forEachPixel(image, [&](QRgb p) {
        sum[0] += qRed(p);
        sum[1] += qGreen(p);
        sum[2] += qBlue(p);
    });
    if (sum[0] == 0 || sum[1] == 0 || sum[2] == 0)
        return 0; // a channel with no light cannot be balanced
    // Grey world: on average a scene is grey, so red and blue are scaled to
    // the green mean.
    const double redGain = std::clamp(double(sum[1]) / double(sum[0]), 0.5, 2.0);
    const double blueGain = std::clamp(double(sum[1]) / double(sum[2]), 0.5, 2.0);
    std::array<std::array<uchar, 256>, 3> curve{};
    for (int v = 0; v < 256; ++v) {
        curve[0][v] = uchar(std::min(255.0, v * redGain + 0.5));
        curve[1][v] = uchar(v);
        curve[2][v] = uchar(std::min(255.0, v * blueGain + 0.5));
    }
    applyCurves(image, curve);
    return 0;
}

} // namespace PubImage

int Zel0Retain(PubImage::ZelObject* object)
{
    return object ? object->retain() : 0;
}

int Zel0Release(PubImage::ZelObject* object)
{
    return object ? object->release() : 0;
}
