#include "packedbitmap.h"

#include "clipvane.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace clipvane {

namespace {

constexpr int kHeaderSize = 40;
constexpr int kMaxBox = 16384;

void putLe(unsigned char* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void writeHeader(unsigned char* at, int width, int height, uint32_t imageSize)
{
    std::memset(at, 0, kHeaderSize);
    putLe(at, kHeaderSize, 4);
    putLe(at + 4, uint32_t(width), 4);
    putLe(at + 8, uint32_t(height), 4); // positive: bottom row first
    putLe(at + 12, 1, 2);               // planes
    putLe(at + 14, 24, 2);              // bits per pixel; compression 0
    putLe(at + 20, imageSize, 4);
}

bool fullRange(const AVFrame& frame)
{
    switch (frame.format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
        return true;
    default:
        return frame.color_range == AVCOL_RANGE_JPEG;
    }
}

// Scales the frame to width x height BGR24 into `pixels` (rows `stride`
// bytes apart), with the frame's colour matrix and range.
bool scale(const AVFrame& frame, int width, int height, uint8_t* pixels, int stride)
{
    ScalerPtr scaler(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                    AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler)
        return false;
    const AVPixFmtDescriptor* described = av_pix_fmt_desc_get(AVPixelFormat(frame.format));
    if (described && !(described->flags & AV_PIX_FMT_FLAG_RGB)) {
        const int* coefficients = sws_getCoefficients(frame.colorspace);
        sws_setColorspaceDetails(scaler.get(), coefficients, fullRange(frame) ? 1 : 0, coefficients, 1, 0,
                                 1 << 16, 1 << 16);
    }
    uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    return sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) == height;
}

} // namespace

int makePackedBitmap(const AVFrame& frame, AVRational sar, int rotation, int boxWidth, int boxHeight,
                     PackedBitmap& out)
{
    if (boxWidth <= 0 || boxHeight <= 0 || boxWidth > kMaxBox || boxHeight > kMaxBox)
        return CLIPVANE_E_ARGUMENT;
    if (frame.width <= 0 || frame.height <= 0)
        return CLIPVANE_E_DECODE;
    const bool quarterTurn = rotation == 90 || rotation == 270;

    // The shown size (square pixels, upright), fitted into the box.
    double shownWidth = double(frame.width) * sar.num / sar.den;
    double shownHeight = frame.height;
    if (quarterTurn)
        std::swap(shownWidth, shownHeight);
    const double factor = std::min(boxWidth / shownWidth, boxHeight / shownHeight);
    const int width = std::clamp(int(std::lround(shownWidth * factor)), 1, boxWidth);
    const int height = std::clamp(int(std::lround(shownHeight * factor)), 1, boxHeight);

    // Scaled as stored, then turned while being copied into the bitmap: the
    // turn costs nothing next to the scaling on a thumbnail-sized picture.
    const int scaledWidth = quarterTurn ? height : width;
    const int scaledHeight = quarterTurn ? width : height;
    const int scaledStride = FFALIGN(scaledWidth * 3, 32);
    std::unique_ptr<uint8_t, decltype(&av_free)> scaled(
        static_cast<uint8_t*>(av_malloc(size_t(scaledStride) * scaledHeight)), &av_free);
    if (!scaled)
        return CLIPVANE_E_MEMORY;
    if (!scale(frame, scaledWidth, scaledHeight, scaled.get(), scaledStride))
        return CLIPVANE_E_DECODE;

    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageSize = uint32_t(stride) * uint32_t(height);
    BitmapPtr memory(static_cast<unsigned char*>(std::calloc(1, kHeaderSize + size_t(imageSize))));
    if (!memory)
        return CLIPVANE_E_MEMORY;
    writeHeader(memory.get(), width, height, imageSize);

    uint64_t lumaSum = 0;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = memory.get() + kHeaderSize + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            // Where shown pixel (x, y) sits in the stored picture.
            int sx = x, sy = y;
            switch (rotation) {
            case 90: sx = y; sy = scaledHeight - 1 - x; break;
            case 180: sx = scaledWidth - 1 - x; sy = scaledHeight - 1 - y; break;
            case 270: sx = scaledWidth - 1 - y; sy = x; break;
            default: break;
            }
            const uint8_t* pixel = scaled.get() + size_t(sy) * scaledStride + size_t(sx) * 3;
            std::memcpy(row + x * 3, pixel, 3);
            lumaSum += 29u * pixel[0] + 150u * pixel[1] + 77u * pixel[2]; // BT.601 weights / 256
        }
    }
    out.meanLuma = double(lumaSum) / 256.0 / (double(width) * height);
    out.memory = std::move(memory);
    return CLIPVANE_OK;
}

} // namespace clipvane
