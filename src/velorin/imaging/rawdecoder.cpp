// Camera RAW pictures through LibRaw (the thread-safe libraw_r): thumbnails
// from the embedded preview when it holds enough detail, else the raw data
// developed at half or full size; the metadata from Exiv2 with LibRaw's
// reading of the orientation.

#include "codecpicture_p.h"

#include <velorin/imaging/zelpicture.h>

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <new>

#include <libraw/libraw.h>

namespace velorin::imaging {

namespace {

// LibRaw allocates the raw frame (two bytes a photosite) and, to develop
// it, four 16-bit channels a pixel: beyond 120 megapixels (the largest
// medium-format backs stay below) nothing is developed.
constexpr qint64 MaxRawPixels = qint64(120) * 1000 * 1000;
constexpr unsigned MaxRawMemoryMB = 1024;

struct ProcessedDeleter
{
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};
using Processed = std::unique_ptr<libraw_processed_image_t, ProcessedDeleter>;

// LibRaw's flip (bit 4 swaps the axes, then bit 2 turns upside down and
// bit 1 mirrors left to right) as the Exif orientation code.
quint16 orientationOfFlip(int flip)
{
    static constexpr quint16 codes[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return codes[flip & 7];
}

// An image over the pixels of a LibRaw result, which it borrows; null
// unless the result is 8-bit RGB.
QImage imageOver(const libraw_processed_image_t* p)
{
    if (!p || p->type != LIBRAW_IMAGE_BITMAP || p->colors != 3 || p->bits != 8 || p->width == 0 || p->height == 0
        || qint64(p->data_size) < qint64(p->width) * p->height * 3)
        return {};
    return QImage(p->data, p->width, p->height, p->width * 3, QImage::Format_RGB888);
}

class RawPicture final : public CodecPicture
{
public:
    explicit RawPicture(const QByteArray& bytes) : m_bytes(bytes) {}

    bool open()
    {
        // Without the two callbacks LibRaw would print every data and
        // memory error of a broken file on stderr.
        m_raw.reset(new (std::nothrow) LibRaw(LIBRAW_OPIONS_NO_MEMERR_CALLBACK | LIBRAW_OPIONS_NO_DATAERR_CALLBACK));
        if (!m_raw)
            return false;
        m_raw->imgdata.params.max_raw_memory_mb = MaxRawMemoryMB;
        // LibRaw only reads the buffer.
        if (m_raw->open_buffer(const_cast<char*>(m_bytes.constData()), size_t(m_bytes.size())) != LIBRAW_SUCCESS)
            return false;
        const libraw_image_sizes_t& sizes = m_raw->imgdata.sizes;
        m_size = QSize(sizes.width, sizes.height);
        return !m_size.isEmpty();
    }

    QSize size() const override { return m_size; }
    int format() const override { return m_format; }

    exif::MetadataRead metadata(const QString& path) override
    {
        exif::MetadataRead read = exif::readMetadata(m_bytes, path, false);
        m_format = read.format;
        // The previews and the developed pixels both stand as the sensor
        // saw them; LibRaw reads how to turn them from wherever the camera
        // put it (the TIFF orientation, a maker note).
        const quint16 code = orientationOfFlip(m_raw->imgdata.sizes.flip);
        if (code != 1 || read.properties.contains(PubImage::ZelPropOrientation))
            read.properties.insert(PubImage::ZelPropOrientation, QByteArray(reinterpret_cast<const char*>(&code), 2));
        return read;
    }

    QImage decode(QSize box, int* error) override
    {
        *error = PubImage::ZelLoadDecodeFailed;
        const auto longer = [](QSize s) { return std::max(s.width(), s.height()); };
        const int needed = box.isEmpty() ? longer(m_size) : longer(m_size.scaled(box, Qt::KeepAspectRatio));
        if (!box.isEmpty()) {
            if (QImage image = preview(std::min(needed, longer(m_size)), box); !image.isNull())
                return image;
        }
        previewData();
        // Half size skips the demosaicing (each 2x2 cell becomes a pixel):
        // four times faster, and still more than a thumbnail needs.
        const bool half = !box.isEmpty() && longer(m_size) / 2 >= needed;
        QImage developed = fittedInto(develop(half, error), box);
        // Raw data that LibRaw cannot develop (a newer compression, a file
        // cut short) still leaves the preview to show.
        return developed.isNull() ? preview(0, box) : developed;
    }

private:
    // The embedded preview fitted into box, when its longer side has at
    // least minSide pixels; null otherwise.
    QImage preview(int minSide, QSize box)
    {
        const libraw_processed_image_t* p = previewData();
        if (!p)
            return {};
        if (p->type == LIBRAW_IMAGE_BITMAP) {
            const QImage image = imageOver(p);
            return std::max(image.width(), image.height()) < minSide ? QImage() : fittedInto(image, box).copy();
        }
        if (p->type != LIBRAW_IMAGE_JPEG)
            return {};
        QByteArray jpeg = QByteArray::fromRawData(reinterpret_cast<const char*>(p->data), qsizetype(p->data_size));
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(false);
        const QSize stored = reader.size();
        if (stored.isEmpty() || std::max(stored.width(), stored.height()) < minSide)
            return {};
        // Shrunk while decoding, as any JPEG thumbnail.
        if (!box.isEmpty() && (stored.width() > box.width() || stored.height() > box.height()))
            reader.setScaledSize(stored.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        return reader.read();
    }

    // The raw data developed to 8-bit sRGB with the camera's white balance,
    // unturned; null on failure.
    QImage develop(bool half, int* error)
    {
        const libraw_image_sizes_t& sizes = m_raw->imgdata.sizes;
        if (qint64(sizes.raw_width) * sizes.raw_height > MaxRawPixels) {
            *error = PubImage::ZelLoadTooLarge;
            return {};
        }
        libraw_output_params_t& params = m_raw->imgdata.params;
        params.user_flip = 0;
        params.half_size = half ? 1 : 0;
        params.use_camera_wb = 1;
        params.output_bps = 8;
        if (m_raw->unpack() != LIBRAW_SUCCESS || m_raw->dcraw_process() != LIBRAW_SUCCESS)
            return {};
        int status = 0;
        Processed processed(m_raw->dcraw_make_mem_image(&status));
        if (imageOver(processed.get()).isNull()) {
            if (status == LIBRAW_UNSUFFICIENT_MEMORY)
                *error = PubImage::ZelLoadOutOfMemory;
            return {};
        }
        // The image frees LibRaw's result with itself.
        libraw_processed_image_t* p = processed.release();
        return QImage(
            p->data, p->width, p->height, p->width * 3, QImage::Format_RGB888,
            [](void* held) { LibRaw::dcraw_clear_mem(static_cast<libraw_processed_image_t*>(held)); }, p);
    }

    // The embedded preview as LibRaw hands it out (JPEG bytes or RGB
    // pixels), read once. It is read before any development: after raw data
    // that fails, LibRaw reads nothing more from the file.
    const libraw_processed_image_t* previewData()
    {
        if (!m_previewRead) {
            m_previewRead = true;
            int status = 0;
            if (m_raw->unpack_thumb() == LIBRAW_SUCCESS)
                m_preview.reset(m_raw->dcraw_make_mem_thumb(&status));
        }
        return m_preview.get();
    }

    const QByteArray& m_bytes;
    std::unique_ptr<LibRaw> m_raw;
    Processed m_preview;
    bool m_previewRead = false;
    QSize m_size;
    int m_format = PubImage::ZelFormatUnknown;
};

} // namespace

std::unique_ptr<CodecPicture> openRawPicture(const QByteArray& bytes)
{
    auto picture = std::make_unique<RawPicture>(bytes);
    if (!picture->open())
        return nullptr;
    return picture;
}

} // namespace velorin::imaging
