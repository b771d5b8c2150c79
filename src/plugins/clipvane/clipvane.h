#pragma once

/*
 * The video plug-in's C interface (libclipvane.so). The library loads the
 * plug-in at run time and resolves these names; nothing else of the plug-in
 * is visible.
 *
 * Strings are zero-terminated UTF-16. A path may be a file path, a file://
 * URL or an http:// URL; all of them are opened through FFmpeg's own I/O.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the basic-information record in bytes, the value of word 0. */
#define CLIPVANE_RECORD_SIZE 28

/* Words of the basic-information record. The caller sets word 0 to
 * CLIPVANE_RECORD_SIZE; the plug-in fills the others:
 *   1, 2  width and height of the picture as shown (after the stream's
 *         rotation), in pixels
 *   3, 4  display aspect ratio, width to height, reduced (sample aspect
 *         ratio and rotation applied; 16 and 9 for a 1920 x 1080 stream)
 *   5     duration in milliseconds (0 when unknown)
 *   6     clockwise rotation of the stream in degrees: 0, 90, 180 or 270 */
enum {
    CLIPVANE_WORD_SIZE = 0,
    CLIPVANE_WORD_WIDTH = 1,
    CLIPVANE_WORD_HEIGHT = 2,
    CLIPVANE_WORD_ASPECT_X = 3,
    CLIPVANE_WORD_ASPECT_Y = 4,
    CLIPVANE_WORD_DURATION = 5,
    CLIPVANE_WORD_ROTATION = 6
};

/* Result codes written to *result. */
enum {
    CLIPVANE_OK = 0,
    CLIPVANE_E_ARGUMENT = -1,   /* null path or record, or word 0 not 28 */
    CLIPVANE_E_OPEN = -2,       /* not readable, not a media container */
    CLIPVANE_E_NO_VIDEO = -3,   /* no video stream (audio only, ...) */
    CLIPVANE_E_DECODE = -4,     /* facts read, but no frame could be decoded */
    CLIPVANE_E_CANCELED = -5,   /* *cancel became non-zero, or the read
                                   outlasted its time limit */
    CLIPVANE_E_TOO_LARGE = -6,  /* the stream claims absurd dimensions */
    CLIPVANE_E_MEMORY = -7
};

/* Called once after loading and once before unloading. Initialize returns 0
 * on success. */
int VideoPlugin_Initialize(void);
void VideoPlugin_UnInitialize(void);

/* Reads the media facts of `path` into `record` and, when width and height
 * are both positive, one representative frame (skipping a dark opening,
 * upright by the stream's rotation) scaled to fit a width x height box with
 * its display aspect kept.
 *
 * Returns the frame as a packed device-independent bitmap allocated by the
 * plug-in: a 40-byte BITMAPINFOHEADER (biHeight positive, 24 bits, no
 * compression, biSizeImage = stride x height) followed by the pixel rows,
 * bottom row first, blue-green-red, each padded to four bytes. Null when no
 * frame was asked for or none could be made. Free it with MIFreeRawImage.
 *
 * *result receives CLIPVANE_OK or one of the codes above; the record's
 * words are filled as far as the facts could be read. `cancel`, when not
 * null, is polled during every blocking read and decode: once it holds a
 * non-zero value the call gives up with CLIPVANE_E_CANCELED. Every call
 * also ends on its own after a bounded time (10 seconds: a stream that
 * trickles), with the same code; a network read that gets nothing for 5
 * seconds fails sooner, as any failed read does (CLIPVANE_E_OPEN while the
 * facts are read). Safe to call from several threads at once.
 *
 * Facts-only calls decode nothing when the container's header carries the
 * facts (mp4, Matroska and most others). The frame is the first key frame
 * from a tenth into the clip on; a nearly black one makes the plug-in look
 * a third and two thirds in as well. */
void* MIGetMediaObjectBasicInfo2(const uint16_t* path, int32_t* record, int32_t width, int32_t height,
                                 int32_t* result, const volatile int32_t* cancel);

/* Frees a bitmap MIGetMediaObjectBasicInfo2 returned; null is allowed. */
void MIFreeRawImage(void* image);

#ifdef __cplusplus
}
#endif
