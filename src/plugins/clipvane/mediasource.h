#pragma once

// One opened media file or stream and the facts its headers give: the
// picture size as shown, display aspect, duration and rotation. Reading the
// facts decodes nothing when the container's header already carries them
// (mp4, Matroska and most others do); only a container that leaves them to
// the streams (MPEG-TS, fragmented files) is probed further.
//
// Thread safety: one object per call; objects on different threads are
// independent.

#include "avholders.h"
#include "callbudget.h"

#include <string>

namespace clipvane {

// The most pixels a picture may have: a stream claiming more is refused,
// and a decoder finding more in the bitstream stops.
constexpr int64_t kMaxPixels = int64_t(1) << 28;

struct MediaFacts {
    int width = 0;       // as shown: swapped for a quarter turn
    int height = 0;
    int aspectX = 0;     // display aspect, reduced
    int aspectY = 0;
    int durationMs = 0;
    int rotation = 0;    // clockwise degrees: 0, 90, 180 or 270
};

class MediaSource {
public:
    explicit MediaSource(CallBudget& budget)
        : m_budget(budget)
    {
    }

    // Opens `url` (FFmpeg's "file:" or an http URL) and reads its headers.
    // Returns a CLIPVANE_ result code.
    int open(const std::string& url, bool network);

    // Opens the same URL again, at its start, with the same stream chosen:
    // the way back after a seek that failed somewhere in the middle.
    int reopen();

    // Fills `facts`: the duration always when known, the picture's facts
    // when there is a video stream. Returns CLIPVANE_OK,
    // CLIPVANE_E_NO_VIDEO or CLIPVANE_E_TOO_LARGE.
    int readFacts(MediaFacts& facts);

    // The picture's facts again from a decoded frame, which knows the true
    // size and the sample aspect the bitstream carries.
    void refineFacts(MediaFacts& facts, const AVFrame& frame) const;

    // The sample aspect ratio to show `frame` with (the container's when it
    // gives one, else the frame's), never zero.
    AVRational sampleAspect(const AVFrame* frame) const;

    AVFormatContext* format() const { return m_format.get(); }
    AVStream* video() const { return m_video >= 0 ? m_format->streams[m_video] : nullptr; }
    CallBudget& budget() const { return m_budget; }

    // The result code for a failed FFmpeg call: cancelled when the budget
    // ran out (that is why FFmpeg gave up), else `otherwise`.
    int failure(int averror, int otherwise) const;

private:
    int pickVideoStream() const;
    bool headerIncomplete() const;
    int64_t durationUs() const;
    void fillGeometry(MediaFacts& facts, int width, int height, AVRational sar) const;
    void readVideoOnly();

    CallBudget& m_budget;
    FormatPtr m_format;
    std::string m_url;
    bool m_network = false;
    int m_video = -1;
};

} // namespace clipvane
