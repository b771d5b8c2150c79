// HEIF pictures (HEIC from phones and cameras, and AVIF) through libheif:
// the primary image or, for a small box, its embedded thumbnail; the Exif
// block handed to Exiv2's TIFF parser.

#include "codecpicture_p.h"

#include <velorin/imaging/zelpicture.h>

#include <QtEndian>

#include <algorithm>
#include <mutex>

#include <libheif/heif.h>

namespace velorin::imaging {

namespace {

// libheif refuses images wider or higher than this while reading the file.
constexpr int MaxSide = 16384;
// Decoding holds the image twice (the decoder's planes and the RGB copy):
// beyond 64 megapixels a picture is refused rather than risk gigabytes.
constexpr qint64 MaxDecodePixels = qint64(8192) * 8192;
// An Exif block larger than this is not a camera's.
constexpr size_t MaxExifBytes = 16 * 1024 * 1024;

void prepareLibheif()
{
    // Registers the decoder plug-ins once for the process; never undone, as
    // any thread may decode at any time.
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

struct HeifDeleter
{
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using Context = std::unique_ptr<heif_context, HeifDeleter>;
using Handle = std::unique_ptr<const heif_image_handle, HeifDeleter>;
using DecodingOptions = std::unique_ptr<heif_decoding_options, HeifDeleter>;

constexpr quint32 fourcc(const char (&name)[5])
{
    return quint32(uchar(name[0])) << 24 | quint32(uchar(name[1])) << 16 | quint32(uchar(name[2])) << 8
        | quint32(uchar(name[3]));
}

// Big-endian reads that fail instead of reading past the end.
struct BoxReader
{
    QByteArrayView data;
    qsizetype at = 0;

    bool has(qsizetype n) const { return n >= 0 && at <= data.size() - n; }
    quint32 take(int bytes)
    {
        quint32 v = 0;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | uchar(data[at++]);
        return v;
    }
};

struct Box
{
    quint32 type = 0;
    QByteArrayView payload;
};

// The boxes laid one after another in data, up to the first broken one.
QList<Box> boxesIn(QByteArrayView data)
{
    QList<Box> boxes;
    BoxReader r{data};
    // A file has a handful of top-level boxes and a picture a few dozen
    // properties; the bound keeps a hostile file from filling memory.
    while (r.has(8) && boxes.size() < 4096) {
        const qsizetype start = r.at;
        quint64 size = r.take(4);
        const quint32 type = r.take(4);
        if (size == 1) {
            if (!r.has(8))
                break;
            size = quint64(r.take(4)) << 32 | r.take(4);
        } else if (size == 0) {
            size = quint64(data.size() - start);
        }
        const qsizetype header = r.at - start;
        if (size < quint64(header) || size > quint64(data.size() - start))
            break;
        boxes.append({type, data.sliced(r.at, qsizetype(size) - header)});
        r.at = start + qsizetype(size);
    }
    return boxes;
}

QByteArrayView payloadOf(const QList<Box>& boxes, quint32 type)
{
    for (const Box& b : boxes) {
        if (b.type == type)
            return b.payload;
    }
    return {};
}

// Whether the primary image carries a rotation (irot) or mirror (imir)
// property. libheif applies both while decoding, so the pixels it delivers
// are then upright and an Exif orientation in the file (phones write the
// same turn there too) must not be applied again. Without them the Exif
// orientation is all there is, as in files converted from a JPEG.
bool primaryIsTransformed(QByteArrayView file)
{
    const QByteArrayView meta = payloadOf(boxesIn(file), fourcc("meta"));
    if (meta.size() < 4)
        return false;
    const QList<Box> inMeta = boxesIn(meta.sliced(4)); // after version and flags
    BoxReader pitm{payloadOf(inMeta, fourcc("pitm"))};
    if (!pitm.has(6))
        return false;
    const int pitmVersion = int(pitm.take(1));
    pitm.take(3);
    if (pitmVersion > 0 && !pitm.has(4))
        return false;
    const quint32 primary = pitm.take(pitmVersion == 0 ? 2 : 4);

    const QList<Box> inProperties = boxesIn(payloadOf(inMeta, fourcc("iprp")));
    const QList<Box> properties = boxesIn(payloadOf(inProperties, fourcc("ipco")));
    BoxReader ipma{payloadOf(inProperties, fourcc("ipma"))};
    if (!ipma.has(8))
        return false;
    const int version = int(ipma.take(1));
    const bool wideIndex = ipma.take(3) & 1;
    const quint32 entries = ipma.take(4);
    for (quint32 e = 0; e < entries; ++e) {
        if (!ipma.has(version < 1 ? 3 : 5))
            return false;
        const quint32 item = ipma.take(version < 1 ? 2 : 4);
        const int count = int(ipma.take(1));
        for (int a = 0; a < count; ++a) {
            if (!ipma.has(wideIndex ? 2 : 1))
                return false;
            const quint32 index = ipma.take(wideIndex ? 2 : 1) & (wideIndex ? 0x7FFF : 0x7F);
            if (item != primary || index < 1 || index > quint32(properties.size()))
                continue;
            const Box& property = properties.at(qsizetype(index) - 1);
            if (property.type == fourcc("imir"))
                return true;
            if (property.type == fourcc("irot") && !property.payload.isEmpty() && (property.payload[0] & 3) != 0)
                return true;
        }
    }
    return false;
}

bool isTiffHeader(QByteArrayView bytes)
{
    return bytes.startsWith("II*\0") || bytes.startsWith(QByteArrayView("MM\0*", 4));
}

// The TIFF-structured Exif block of an image, without the four bytes that
// give the distance to its header (and whatever that distance skips).
QByteArray exifBlock(const heif_image_handle* handle)
{
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1)
        return {};
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 12 || size > MaxExifBytes)
        return {};
    QByteArray block(qsizetype(size), Qt::Uninitialized);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
        return {};
    const quint32 skip = qFromBigEndian<quint32>(block.constData());
    if (skip < size - 12 && isTiffHeader(QByteArrayView(block).sliced(4 + skip)))
        return block.sliced(4 + skip);
    // Some writers leave the distance at 0 and still put "Exif\0\0" first.
    for (qsizetype at = 4; at + 8 <= std::min<qsizetype>(block.size(), 64); ++at) {
        if (isTiffHeader(QByteArrayView(block).sliced(at)))
            return block.sliced(at);
    }
    return {};
}

QSize sizeOf(const heif_image_handle* handle)
{
    return {heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)};
}

class HeifPicture final : public CodecPicture
{
public:
    explicit HeifPicture(const QByteArray& bytes) : m_bytes(bytes) {}

    bool open()
    {
        m_context.reset(heif_context_alloc());
        if (!m_context)
            return false;
        heif_context_set_maximum_image_size_limit(m_context.get(), MaxSide);
        // The import already decodes several pictures at once, one per
        // thread: grid tiles are decoded on the calling thread.
        heif_context_set_max_decoding_threads(m_context.get(), 0);
        if (heif_context_read_from_memory_without_copy(m_context.get(), m_bytes.constData(), size_t(m_bytes.size()),
                                                       nullptr)
                .code
            != heif_error_Ok)
            return false;
        heif_image_handle* primary = nullptr;
        if (heif_context_get_primary_image_handle(m_context.get(), &primary).code != heif_error_Ok || !primary)
            return false;
        m_primary.reset(primary);
        m_size = sizeOf(primary);
        return !m_size.isEmpty();
    }

    QSize size() const override { return m_size; }
    int format() const override { return PubImage::ZelFormatHeif; }

    exif::MetadataRead metadata(const QString&) override
    {
        exif::MetadataRead read = exif::readExifBlock(exifBlock(m_primary.get()));
        read.format = format();
        if (read.properties.contains(PubImage::ZelPropOrientation) && primaryIsTransformed(m_bytes)) {
            const quint16 upright = 1;
            read.properties.insert(PubImage::ZelPropOrientation, QByteArray(reinterpret_cast<const char*>(&upright), 2));
        }
        return read;
    }

    QImage decode(QSize box, int* error) override
    {
        *error = PubImage::ZelLoadDecodeFailed;
        Handle thumbnail = thumbnailFor(box);
        const heif_image_handle* handle = thumbnail ? thumbnail.get() : m_primary.get();
        const QSize size = sizeOf(handle);
        if (size.isEmpty() || qint64(size.width()) * size.height() > MaxDecodePixels) {
            *error = PubImage::ZelLoadTooLarge;
            return {};
        }
        const DecodingOptions options(heif_decoding_options_alloc());
        if (!options) {
            *error = PubImage::ZelLoadOutOfMemory;
            return {};
        }
        options->convert_hdr_to_8bit = 1;
        const bool alpha = heif_image_handle_has_alpha_channel(handle);
        heif_image* decoded = nullptr;
        if (heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())
                .code
            != heif_error_Ok
            || !decoded)
            return {};
        int stride = 0;
        const uint8_t* pixels = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
        const int width = heif_image_get_width(decoded, heif_channel_interleaved);
        const int height = heif_image_get_height(decoded, heif_channel_interleaved);
        if (!pixels || width <= 0 || height <= 0 || stride < width * (alpha ? 4 : 3)
            || heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8) {
            heif_image_release(decoded);
            return {};
        }
        // The QImage borrows libheif's pixels and releases them with itself.
        const QImage image(
            pixels, width, height, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
            [](void* held) { heif_image_release(static_cast<heif_image*>(held)); }, decoded);
        QImage fitted = fittedInto(image, box);
        if (fitted.isNull())
            *error = PubImage::ZelLoadOutOfMemory;
        return fitted;
    }

private:
    // The smallest embedded thumbnail that still fills the picture's fit in
    // box; null when none does (or box is empty: the full picture).
    Handle thumbnailFor(QSize box) const
    {
        if (box.isEmpty())
            return {};
        const QSize needed = m_size.scaled(box, Qt::KeepAspectRatio).boundedTo(m_size);
        const int count = std::clamp(heif_image_handle_get_number_of_thumbnails(m_primary.get()), 0, 16);
        QList<heif_item_id> ids(count);
        heif_image_handle_get_list_of_thumbnail_IDs(m_primary.get(), ids.data(), count);
        Handle best;
        for (heif_item_id id : ids) {
            heif_image_handle* candidate = nullptr;
            if (heif_image_handle_get_thumbnail(m_primary.get(), id, &candidate).code != heif_error_Ok || !candidate)
                continue;
            Handle held(candidate);
            const QSize size = sizeOf(candidate);
            // The thumbnail is the picture shrunk, perhaps rounded to even
            // sizes: its longer side decides.
            if (std::max(size.width(), size.height()) < std::max(needed.width(), needed.height()))
                continue;
            if (!best || size.width() < sizeOf(best.get()).width())
                best = std::move(held);
        }
        return best;
    }

    const QByteArray& m_bytes;
    Context m_context;
    Handle m_primary;
    QSize m_size;
};

} // namespace

std::unique_ptr<CodecPicture> openHeifPicture(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    if (heif_check_filetype(data, int(std::min<qsizetype>(bytes.size(), 4096))) != heif_filetype_yes_supported)
        return nullptr;
    prepareLibheif();
    auto picture = std::make_unique<HeifPicture>(bytes);
    if (!picture->open())
        return nullptr;
    return picture;
}

} // namespace velorin::imaging
