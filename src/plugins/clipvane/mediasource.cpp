#include "mediasource.h"

#include "clipvane.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/rational.h>
}

#include <cmath>

namespace clipvane {

namespace {

// A stream claiming more than this (or kMaxPixels) is refused before
// anything is allocated for it: no camera records it, and a decoder would
// try to allocate it.
constexpr int kMaxSide = 16384;

// How much of the stream the fallback probe may read to find the facts the
// container's header left out.
constexpr const char* kProbeBytes = "2000000";
constexpr const char* kProbeMicroseconds = "2000000";

// A server that stops answering makes a read fail after this long (in
// microseconds), well inside the call's own time limit.
constexpr const char* kNetworkReadTimeout = "5000000";

// Clockwise rotation in degrees from the stream's display matrix: 0, 90,
// 180 or 270 (the matrix turns counter-clockwise).
int clockwiseRotation(const AVStream* stream)
{
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double counterClockwise = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (!std::isfinite(counterClockwise))
        return 0;
    const long quarters = std::lround(-counterClockwise / 90.0);
    return int(((quarters % 4) + 4) % 4) * 90;
}

} // namespace

int MediaSource::failure(int averror, int otherwise) const
{
    if (m_budget.exhausted() || averror == AVERROR_EXIT)
        return CLIPVANE_E_CANCELED;
    if (averror == AVERROR(ENOMEM))
        return CLIPVANE_E_MEMORY;
    return otherwise;
}

int MediaSource::open(const std::string& url, bool network)
{
    m_url = url;
    m_network = network;
    AVFormatContext* context = avformat_alloc_context();
    if (!context)
        return CLIPVANE_E_MEMORY;
    context->interrupt_callback.callback = &CallBudget::interrupt;
    context->interrupt_callback.opaque = &m_budget;

    Options options;
    // A local file reaches nothing but local files, whatever a playlist or
    // reference inside it names; a network address nothing but the web.
    options.set("protocol_whitelist", network ? "http,https,tcp,tls" : "file");
    options.set("probesize", kProbeBytes);
    options.set("analyzeduration", kProbeMicroseconds);
    if (network) {
        options.set("rw_timeout", kNetworkReadTimeout);
        options.set("reconnect", "0");
    }
    // On failure avformat_open_input frees the context itself.
    const int opened = avformat_open_input(&context, url.c_str(), nullptr, options.get());
    if (opened < 0)
        return failure(opened, CLIPVANE_E_OPEN);
    m_format.reset(context);
    return CLIPVANE_OK;
}

int MediaSource::reopen()
{
    m_format.reset();
    const int opened = open(m_url, m_network);
    if (opened != CLIPVANE_OK)
        return opened;
    if (m_video < 0 || unsigned(m_video) >= m_format->nb_streams)
        return CLIPVANE_E_DECODE;
    readVideoOnly();
    return CLIPVANE_OK;
}

void MediaSource::readVideoOnly()
{
    // The demuxer drops the other streams' packets instead of handing them
    // over.
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        m_format->streams[i]->discard = int(i) == m_video ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

int MediaSource::pickVideoStream() const
{
    // The largest moving picture; cover art stored as a one-picture stream
    // does not count as video.
    int best = -1;
    int64_t bestArea = -1;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream* stream = m_format->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        const int64_t area = int64_t(stream->codecpar->width) * stream->codecpar->height;
        if (area > bestArea) {
            best = int(i);
            bestArea = area;
        }
    }
    return best;
}

int64_t MediaSource::durationUs() const
{
    if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        return m_format->duration;
    int64_t longest = 0;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream* stream = m_format->streams[i];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = std::max(longest, av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q));
    }
    return longest;
}

bool MediaSource::headerIncomplete() const
{
    if ((m_format->ctx_flags & AVFMTCTX_NOHEADER) || m_format->nb_streams == 0 || durationUs() <= 0)
        return true;
    const int index = pickVideoStream();
    if (index < 0)
        return false;
    const AVCodecParameters* codec = m_format->streams[index]->codecpar;
    return codec->codec_id == AV_CODEC_ID_NONE || codec->width <= 0 || codec->height <= 0;
}

AVRational MediaSource::sampleAspect(const AVFrame* frame) const
{
    AVRational sar = av_guess_sample_aspect_ratio(m_format.get(), video(), const_cast<AVFrame*>(frame));
    if (sar.num <= 0 || sar.den <= 0)
        sar = AVRational{1, 1};
    return sar;
}

void MediaSource::fillGeometry(MediaFacts& facts, int width, int height, AVRational sar) const
{
    const bool quarterTurn = facts.rotation == 90 || facts.rotation == 270;
    facts.width = quarterTurn ? height : width;
    facts.height = quarterTurn ? width : height;
    int64_t shownX = int64_t(width) * sar.num;
    int64_t shownY = int64_t(height) * sar.den;
    if (quarterTurn)
        std::swap(shownX, shownY);
    av_reduce(&facts.aspectX, &facts.aspectY, shownX, shownY, INT32_MAX);
}

int MediaSource::readFacts(MediaFacts& facts)
{
    if (headerIncomplete()) {
        const int probed = avformat_find_stream_info(m_format.get(), nullptr);
        if (probed < 0 && m_budget.exhausted())
            return CLIPVANE_E_CANCELED;
    }
    facts.durationMs = int(std::min<int64_t>(av_rescale(durationUs(), 1000, AV_TIME_BASE), INT32_MAX));
    m_video = pickVideoStream();
    if (m_video < 0)
        return CLIPVANE_E_NO_VIDEO;

    AVStream* stream = video();
    const AVCodecParameters* codec = stream->codecpar;
    if (codec->width > kMaxSide || codec->height > kMaxSide || int64_t(codec->width) * codec->height > kMaxPixels)
        return CLIPVANE_E_TOO_LARGE;
    if (codec->width <= 0 || codec->height <= 0)
        return CLIPVANE_E_OPEN;
    facts.rotation = clockwiseRotation(stream);
    fillGeometry(facts, codec->width, codec->height, sampleAspect(nullptr));
    readVideoOnly();
    return CLIPVANE_OK;
}

void MediaSource::refineFacts(MediaFacts& facts, const AVFrame& frame) const
{
    fillGeometry(facts, frame.width, frame.height, sampleAspect(&frame));
}

} // namespace clipvane
