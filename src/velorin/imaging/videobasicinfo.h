#pragma once

#include <velorin/global.h>

#include <atomic>

#include <QByteArray>
#include <QString>

// The video reader: the video plug-in (libclipvane.so) for a video's media
// facts and a frame thumbnail, and the system's MediaInfo library
// (libmediainfo.so.0) for its performer.
//
// The plug-in is loaded by VideoLibInit() from the application's folder, or
// else from the folder this library was loaded from, and stays loaded while
// any user holds a count; both calls are thread-safe. The MediaInfo library
// is loaded by name on first use and stays loaded for the process's life;
// when it is missing the performer stays empty.

// Adds one use of the plug-in, loading it (and calling its initialisation)
// on the first.
VELORIN_EXPORT void VideoLibInit();
// Drops one use; the last one unloads the plug-in.
VELORIN_EXPORT void VideoLibUninit();
// Whether the plug-in is loaded now.
VELORIN_EXPORT bool VideoLibIsLoaded();
// 1 when the path contains "http://" (case-sensitive), else 0; the path is
// left as it is.
VELORIN_EXPORT int vCheckAndAdjustURLFile(QString& path);

// Result codes of ReadFileWithThumbnail besides 0 (success).
inline constexpr int VideoReadPluginMissing = int(0x800401F8); // CO_E_DLLNOTFOUND
inline constexpr int VideoReadFailed = int(0x80004005);        // E_FAIL

// What ReadFileWithThumbnail reads of one video.
class VELORIN_EXPORT VideoBasicInfo
{
public:
    // A complete 24-bit BMP file of the frame, empty when none was read.
    QByteArray thumbnail;
    int resolutionX = 0;
    int resolutionY = 0;
    // Milliseconds.
    int duration = 0;
    // The plug-in's sixth value: the stream's clockwise rotation in degrees.
    int rotation = 0;
    int aspectRatioX = 0;
    int aspectRatioY = 0;
    // Never filled here.
    int year = 0;
    QString artist;
    QString genre;

    // Resets every member, then reads the facts of `path` and a frame
    // thumbnail fitting width x height (none when either is 0) through the
    // plug-in and the performer through MediaInfo. 0 when the plug-in read
    // a thumbnail, VideoReadPluginMissing without the plug-in, otherwise
    // VideoReadFailed (the facts may still be filled). `cancel`, when given,
    // ends a read in progress as soon as it holds a non-zero value.
    int ReadFileWithThumbnail(QString path, int width, int height, const std::atomic<int>* cancel = nullptr);
};

namespace velorin {

// The BMP file of a packed bitmap (40-byte header and pixel rows): a
// 14-byte file header, then the header and the rows as they are. Empty when
// the bitmap is too short for what its header claims.
VELORIN_EXPORT QByteArray bmpFromPackedDib(const QByteArray& dib);

// The thumbnail box of a frame of width x height (the display aspect when
// known, else the pixel size) in a square box of `box`: 640 x 480 in 256
// gives 256 x 192, 480 x 640 gives 192 x 256.
VELORIN_EXPORT void fitVideoThumbnailBox(int width, int height, int box, int* outWidth, int* outHeight);

} // namespace velorin
