#include "videobasicinfo.h"

#include "bmpheader_p.h"
#include "videoreader_p.h"

#include <plugins/clipvane/clipvane.h>

#include <QtEndian>

#include <array>
#include <cstring>
#include <new>

using velorin::imaging::lcVideo;

namespace {

// The caller's cancel flag is handed to the plug-in, which polls it as a
// volatile 32-bit word: a lock-free std::atomic<int> has no other state
// than that word, so every store the caller makes is seen by the plug-in.
static_assert(sizeof(std::atomic<int>) == sizeof(int32_t) && alignof(std::atomic<int>) == alignof(int32_t));
static_assert(std::atomic<int>::is_always_lock_free);

const volatile int32_t* cancelWord(const std::atomic<int>* cancel)
{
    return reinterpret_cast<const volatile int32_t*>(cancel);
}

// Holds one use of the plug-in for a scope.
struct PluginUse
{
    PluginUse() { VideoLibInit(); }
    ~PluginUse() { VideoLibUninit(); }
    PluginUse(const PluginUse&) = delete;
    PluginUse& operator=(const PluginUse&) = delete;
};

// The BMP file of the packed bitmap at `dib` laid out as `layout` says, in
// one copy; empty when it has a colour table, which is not carried over:
// the rows must follow the header. Throws std::bad_alloc.
QByteArray bmpOfPackedDib(const uchar* dib, const velorin::imaging::PackedDibLayout& layout)
{
    using namespace velorin::imaging;
    if (layout.pixelOffset != DibHeaderBytes)
        return {};
    QByteArray bmp(BmpFileHeaderBytes + layout.totalBytes, '\0');
    auto* p = reinterpret_cast<uchar*>(bmp.data());
    writeBmpFileHeader(p, bmp.size());
    std::memcpy(p + BmpFileHeaderBytes, dib, size_t(layout.totalBytes));
    // A header that left the image size at zero gets the real one.
    qToLittleEndian<quint32>(quint32(layout.imageBytes), p + BmpFileHeaderBytes + 20);
    return bmp;
}

} // namespace

int vCheckAndAdjustURLFile(QString& path)
{
    // The path is left as it is: FFmpeg opens http:// URLs itself.
    return path.contains(QLatin1String("http://")) ? 1 : 0;
}

int VideoBasicInfo::ReadFileWithThumbnail(QString path, int width, int height, const std::atomic<int>* cancel)
{
    qCDebug(lcVideo, "1 ReadFileWithThumbnail Begin");
    *this = VideoBasicInfo();
    PluginUse use;
    const velorin::imaging::VideoPluginCalls plugin = velorin::imaging::videoPluginCalls();
    if (!plugin.loaded) {
        // The use is given back here too (PluginUse): a count left raised
        // after a failed load would keep every later VideoLibInit from
        // looking for the plug-in again, so installing it would need a
        // restart of the process.
        return VideoReadPluginMissing;
    }

    int result = VideoReadFailed;
    vCheckAndAdjustURLFile(path);
    if (plugin.read && plugin.freeImage) {
        std::array<int32_t, 7> record{};
        record[CLIPVANE_WORD_SIZE] = CLIPVANE_RECORD_SIZE;
        int32_t status = 0;
        qCDebug(lcVideo, "1 ReadFileWithThumbnail fnMIGetMediaObjectBasicInfo2 Begin");
        void* image = plugin.read(reinterpret_cast<const uint16_t*>(path.utf16()), record.data(), width, height,
                                  &status, cancelWord(cancel));
        qCDebug(lcVideo, "1 ReadFileWithThumbnail fnMIGetMediaObjectBasicInfo2 End");
        if (image) {
            // The plug-in allocates exactly the header and the rows, so the
            // header's sizes are the bitmap's; it is copied once, straight
            // into the BMP file.
            const auto* dib = static_cast<const uchar*>(image);
            try {
                if (const auto layout = velorin::imaging::packedDibLayout(dib))
                    thumbnail = bmpOfPackedDib(dib, *layout);
            } catch (const std::bad_alloc&) {
                thumbnail.clear();
            }
            // A frame whose header does not hold up counts as no frame.
            if (!thumbnail.isEmpty())
                result = 0;
        }
        plugin.freeImage(image);
        resolutionX = record[CLIPVANE_WORD_WIDTH];
        resolutionY = record[CLIPVANE_WORD_HEIGHT];
        aspectRatioX = record[CLIPVANE_WORD_ASPECT_X];
        aspectRatioY = record[CLIPVANE_WORD_ASPECT_Y];
        duration = record[CLIPVANE_WORD_DURATION];
        rotation = record[CLIPVANE_WORD_ROTATION];
    }
    // A caller that gave up wants the thread back, not the performer.
    if (!cancel || cancel->load() == 0)
        artist = velorin::imaging::mediaInfoPerformer(path);
    qCDebug(lcVideo, "1 ReadFileWithThumbnail End");
    return result;
}

namespace velorin {

QByteArray bmpFromPackedDib(const QByteArray& dib)
{
    const auto layout = imaging::packedDibLayout(dib);
    if (!layout)
        return {};
    try {
        return bmpOfPackedDib(reinterpret_cast<const uchar*>(dib.constData()), *layout);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void fitVideoThumbnailBox(int width, int height, int box, int* outWidth, int* outHeight)
{
    int w = 0;
    int h = 0;
    // Without a size there is no shape to keep: the caller uses the frame's own.
    if (width > 0 && height > 0 && box > 0) {
        if (height <= width) {
            w = box;
            h = int(qint64(height) * box / width);
        } else {
            h = box;
            w = int(qint64(width) * box / height);
        }
        // A sliver of a frame still gets one pixel.
        w = qMax(w, 1);
        h = qMax(h, 1);
    }
    if (outWidth)
        *outWidth = w;
    if (outHeight)
        *outHeight = h;
}

} // namespace velorin
