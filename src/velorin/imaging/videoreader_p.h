#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <optional>

// Pieces of the video reader shared between its files: the packed-bitmap
// layout check, the plug-in's entry points and the MediaInfo performer.
namespace velorin::imaging {

Q_DECLARE_LOGGING_CATEGORY(lcVideo)

// Where the parts of a packed bitmap lie, as its 40-byte header claims.
struct PackedDibLayout
{
    int width = 0;
    int height = 0;
    int bitCount = 0;
    qsizetype stride = 0;      // bytes per row, padded to four
    qsizetype pixelOffset = 0; // header plus colour table
    qsizetype imageBytes = 0;  // the rows (the header's image size, or stride x height when it says 0)
    qsizetype totalBytes = 0;  // pixelOffset + imageBytes
};

// The layout of the packed bitmap whose header starts at `header` (40
// bytes are read), or nothing when the header is not one of ours to read:
// only 40-byte headers of bottom-up, uncompressed 24- or 32-bit bitmaps
// whose size and image size stay within sane bounds.
std::optional<PackedDibLayout> packedDibLayout(const uchar* header);
// The same for a bitmap held in an array, which must hold every byte the
// header claims.
std::optional<PackedDibLayout> packedDibLayout(const QByteArray& dib);

// The plug-in's entry points while a caller holds a use (VideoLibInit);
// all null when the plug-in is not loaded. Read and free are null when the
// loaded plug-in lacks them.
struct VideoPluginCalls
{
    bool loaded = false;
    void* (*read)(const uint16_t* path, int32_t* record, int32_t width, int32_t height, int32_t* result,
                  const volatile int32_t* cancel) = nullptr;
    void (*freeImage)(void* image) = nullptr;
};
VideoPluginCalls videoPluginCalls();

// The performer MediaInfo reads from a local regular file; empty for
// anything else, or when the library is missing.
QString mediaInfoPerformer(const QString& path);

} // namespace velorin::imaging
