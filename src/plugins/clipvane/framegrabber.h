#pragma once

// Decodes the one frame of a video stream that is shown at a given time:
// seek to the key frame before it, decode forward to it. Frames before the
// target that nothing refers to are skipped by the decoder, and only the
// video stream's packets are read.
//
// Thread safety: one object per call, like the source it reads from.

#include "avholders.h"
#include "mediasource.h"

namespace clipvane {

class FrameGrabber {
public:
    explicit FrameGrabber(MediaSource& source)
        : m_source(source)
    {
    }

    // Opens the stream's decoder. Returns a CLIPVANE_ result code.
    int open();

    // The frame shown at `targetUs` (microseconds from the stream's start)
    // into `frame`; the last frame when the stream ends before it. When the
    // source cannot seek, the first frame that decodes, and on later calls
    // the frame reached by decoding on. Returns CLIPVANE_OK,
    // CLIPVANE_E_DECODE (no frame) or CLIPVANE_E_CANCELED.
    int frameAt(int64_t targetUs, AVFrame* frame);

    // The first key frame at or after `fromUs`, when the container's index
    // has one no later than `limitUs`: one frame decoded instead of the run
    // from the key frame before. Returns CLIPVANE_OK, CLIPVANE_E_DECODE
    // (none there: use frameAt) or CLIPVANE_E_CANCELED.
    int keyFrameAfter(int64_t fromUs, int64_t limitUs, AVFrame* frame);

private:
    int receive(int64_t target, bool firstWanted, AVFrame* frame, AVFrame* latest, bool* done);

    MediaSource& m_source;
    CodecPtr m_codec;
    bool m_unseekable = false;
    bool m_keySeen = false;
};

} // namespace clipvane
