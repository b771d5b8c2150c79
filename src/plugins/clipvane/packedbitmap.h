#pragma once

// A decoded frame as the packed bitmap the plug-in hands out: scaled to fit
// a box with its display aspect kept, turned upright, 24-bit blue-green-red
// rows bottom first, each padded to four bytes, after a 40-byte
// BITMAPINFOHEADER.

#include "avholders.h"

#include <cstdlib>
#include <memory>

namespace clipvane {

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
using BitmapPtr = std::unique_ptr<unsigned char, FreeDeleter>;

struct PackedBitmap {
    BitmapPtr memory; // malloc'ed: MIFreeRawImage frees it
    double meanLuma = 0; // 0 (black) to 255 (white)
};

// Scales `frame` (shown with sample aspect `sar` and turned `rotation`
// degrees clockwise) into a bitmap that fits boxWidth x boxHeight. Returns
// a CLIPVANE_ result code.
int makePackedBitmap(const AVFrame& frame, AVRational sar, int rotation, int boxWidth, int boxHeight,
                     PackedBitmap& out);

} // namespace clipvane
