#pragma once

#include <velorin/global.h>

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <atomic>

namespace velorin::imaging {
class CodecPicture;
}

// The picture layer: reference-counted pictures made of ordered layers, with
// decoding (full, thumbnail for a box, size and metadata only), encoding by
// file extension, resampling, rotation, mirroring, pixel transfer and two
// automatic corrections. Pixels live in QImage; metadata is read and written
// through Exiv2 and kept on the picture as raw properties keyed by the
// property numbers of the EXIF reader and writer (see exifproperties.h).
//
// Objects start with one reference, owned by whoever created them; every
// operation that returns a new object hands over one reference. Distinct
// objects may be used on different threads at the same time; one object is
// not to be used by two threads at once.
namespace PubImage {

class VELORIN_EXPORT ZelObject
{
public:
    ZelObject(const ZelObject&) = delete;
    ZelObject& operator=(const ZelObject&) = delete;

    // Adds a reference; returns the new count.
    int retain();
    // Drops a reference and deletes the object with the last; returns the
    // count left.
    int release();
    int refCount() const;

protected:
    ZelObject() = default;
    virtual ~ZelObject();

private:
    std::atomic<int> m_refs{1};
};

// Left, top, right, bottom; right and bottom are exclusive.
struct VELORIN_EXPORT ZelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }
    bool operator==(const ZelRect&) const = default;
};

// Describes rows of pixels handed to or taken from a layer: the first row
// handed over, the rectangle of the layer it covers, its bits per pixel (24:
// blue, green, red; 32: blue, green, red, unused) and the distance in bytes
// from one row to the next, negative when the rows follow bottom-up in memory.
struct VELORIN_EXPORT ZelPixelTransfer
{
    uchar* firstRow = nullptr;
    ZelRect rect;
    int bitsPerPixel = 24;
    qsizetype stride = 0;
};

enum class ZelResampleMode {
    Fast = 1,   // bilinear
    Smooth = 2, // area-averaging
};

class VELORIN_EXPORT ZelLayer : public ZelObject
{
public:
    // A blank (black) layer covering rect. Null for an empty or absurd rect.
    static ZelLayer* create(const ZelRect& rect, int bitDepth = 24);
    // A layer holding image at (0, 0). Null for a null image.
    static ZelLayer* fromImage(const QImage& image, int bitDepth = 24);

    ZelRect rect() const { return m_rect; }
    // Moves the layer; the size must stay the same (false otherwise).
    bool setRect(const ZelRect& rect);
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    int bitDepth() const { return m_bitDepth; }
    void setBitDepth(int bits) { m_bitDepth = bits; }
    const QImage& image() const { return m_image; }

    // Copies rows into the layer (import) or out of it (export). The transfer
    // rectangle is in layer coordinates and must lie inside the layer.
    bool importPixels(const ZelPixelTransfer& transfer);
    bool exportPixels(const ZelPixelTransfer& transfer) const;

    // New layers; null on failure. The scale of each axis is num / den.
    ZelLayer* resampled(int numX, int denX, int numY, int denY, ZelResampleMode mode) const;
    // Counter-clockwise by degrees; quarter turns are exact, other angles
    // grow the layer to hold the turned picture on black.
    ZelLayer* rotated(int degreesCounterClockwise) const;
    // Top row becomes bottom row.
    ZelLayer* mirrored() const;
    ZelLayer* copy() const;

private:
    friend class ZelPicture;
    ZelLayer() = default;

    QImage m_image;
    ZelRect m_rect;
    QString m_name;
    int m_bitDepth = 24;
};

// What load() reads.
enum class ZelLoadMode {
    Full = 1,      // every pixel, plus size and metadata
    Thumbnail = 2, // pixels shrunk while decoding to fit a box, plus metadata
    Header = 3,    // size, file format and metadata only
};

// File format codes reported by format(); the EXIF reader reads metadata of
// the first four and HEIF.
enum ZelFormat {
    ZelFormatUnknown = 0,
    ZelFormatJpeg = 1,
    ZelFormatTiff = 3,  // TIFF and the TIFF-based camera RAW files
    ZelFormatPng = 15,
    ZelFormatWebp = 51,
    ZelFormatHeif = 52, // HEIF/HEIC and AVIF; its Exif block is read as a TIFF one
    ZelFormatBmp = 100,
    ZelFormatGif = 101,
    ZelFormatOther = 102, // decodable by Qt, no metadata read
};

// Property numbers that are not metadata tags.
enum ZelProperty {
    ZelPropSaveQuality = 101,      // int32: JPEG/WebP quality 0..100
    ZelPropHasExif = 10000,        // int32: 1 when the file carried Exif data
    ZelPropAudioFile = 10002,      // UTF-16 path of the sound annotation beside the picture (the user's file)
    ZelPropExifThumbnail = 10003,  // packed 24-bit DIB embedded as Exif thumbnail on save
    ZelPropOrientation = 11010,    // uint16: orientation code still to apply to the pixels
};

// Why load() failed (its non-zero results).
enum ZelLoadError {
    ZelLoadOk = 0,
    ZelLoadUnreadable = 1,   // missing, unreadable, empty or larger than 1 GB
    ZelLoadNotAPicture = 3,  // no decoder knows the bytes, no embedded preview
    ZelLoadTooLarge = 4,     // the header's size is absurd or needs too much memory
    ZelLoadBadRequest = 5,   // an empty thumbnail box
    ZelLoadDecodeFailed = 6, // the decoder gave up on the data
    ZelLoadOutOfMemory = 7,
};

// A short English description of a load() result, for logs and tools.
VELORIN_EXPORT QString zelLoadErrorText(int error);

class VELORIN_EXPORT ZelPicture : public ZelObject
{
public:
    static ZelPicture* create();

    // Decodes path. Returns 0 on success and a non-zero code otherwise; on
    // failure the picture is left as it was. The pixels come as stored, the
    // orientation code in ZelPropOrientation. A thumbnail decode fits the
    // picture as shown inside box (never enlarging it) and decodes no more
    // than that needs. Only regular files (links followed) are read.
    // Pictures whose header claims an absurd size are refused, and so are
    // thumbnail decodes holding more memory than the process may spare.
    int load(const QString& path, ZelLoadMode mode, QSize box = {});
    // Encodes layer 1 to path in the format its extension names, with the
    // metadata properties. Returns 0 on success. The file is replaced
    // atomically: a failed save leaves an existing file untouched.
    int save(const QString& path) const;

    QSize size() const { return m_size; }
    void setSize(QSize size) { m_size = size; }
    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }
    int bitDepth() const { return m_bitDepth; }
    void setBitDepth(int bits) { m_bitDepth = bits; }
    int format() const { return m_format; }

    // Layers are numbered from 1. layer() lends the layer (no reference);
    // insertLayer() takes over the caller's reference (index count + 1
    // appends); removeLayer() hands the layer's reference to the caller.
    int layerCount() const { return int(m_layers.size()); }
    ZelLayer* layer(int index) const;
    bool insertLayer(int index, ZelLayer* layer);
    ZelLayer* removeLayer(int index);
    // Replaces layer index by layer (taking its reference) and releases the old one.
    bool replaceLayer(int index, ZelLayer* layer);
    int currentLayer() const { return m_currentLayer; }
    bool setCurrentLayer(int index);

    QByteArray property(int id) const { return m_properties.value(id); }
    bool hasProperty(int id) const { return m_properties.contains(id); }
    // An empty value removes the property.
    void setProperty(int id, const QByteArray& value);
    const QHash<int, QByteArray>& properties() const { return m_properties; }
    int intProperty(int id, int fallback = 0) const;
    void setIntProperty(int id, int value);

    // Copies the picture's pixels (its layers flattened in order) into the
    // rows described by transfer; its rectangle is in picture coordinates.
    bool exportPixels(const ZelPixelTransfer& transfer) const;

    // An independent copy: layers, properties and all.
    ZelPicture* copy() const;

    // Automatic corrections of layer 1, in place; 0 on success.
    // Enhancement: a per-channel levels stretch that maps the 0.5th and
    // 99.5th percentiles of the picture's luminance to black and white.
    int autoEnhance();
    // Colour fix: a grey-world white balance that scales red and blue so
    // their means match green's, clamped to 0.5x..2x.
    int colorFix();

private:
    ZelPicture() = default;
    ~ZelPicture() override;

    // load() for the pictures that a library other than Qt's decodes.
    int loadCodec(velorin::imaging::CodecPicture& codec, ZelLoadMode mode, QSize box, const QString& path);
    // Makes a finished load the picture's content: its one layer (none
    // after a header read), size, format and metadata.
    void adopt(ZelLayer* layer, QSize size, int format, QHash<int, QByteArray> properties);

    QList<ZelLayer*> m_layers;
    QHash<int, QByteArray> m_properties;
    QSize m_size;
    int m_bitDepth = 24;
    int m_format = ZelFormatUnknown;
    int m_currentLayer = 0;
};

} // namespace PubImage

// Reference counting of picture-layer objects; null is accepted and ignored.
VELORIN_EXPORT int Zel0Retain(PubImage::ZelObject* object);
VELORIN_EXPORT int Zel0Release(PubImage::ZelObject* object);
