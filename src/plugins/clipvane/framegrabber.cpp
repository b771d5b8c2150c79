#include "framegrabber.h"

#include "clipvane.h"

namespace clipvane {

namespace {

// Packets one frame may cost: a long group of pictures at a high frame rate
// stays well below it; a stream that never yields a frame ends here.
constexpr int kMaxPackets = 3000;

// Packets read without a key frame before any packet is decoded anyway:
// some containers do not mark their key frames.
constexpr int kKeyFrameSearch = 300;

// One decoding thread. A thumbnail needs a handful of frames from a key
// frame on: frame threads only add their start-up and the frames they hold
// back (measured on a 1080p clip: 1 thread 39 ms, 2 threads 52 ms, one per
// core 69 ms), and callers already read several files at once.
constexpr int kDecoderThreads = 1;

// `us` microseconds from the stream's start in the stream's time base.
int64_t streamTime(const AVStream* stream, int64_t us)
{
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    return start + av_rescale_q(us, AV_TIME_BASE_Q, stream->time_base);
}

} // namespace

int FrameGrabber::open()
{
    const AVStream* stream = m_source.video();
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return CLIPVANE_E_DECODE;
    m_codec.reset(avcodec_alloc_context3(decoder));
    if (!m_codec)
        return CLIPVANE_E_MEMORY;
    if (avcodec_parameters_to_context(m_codec.get(), stream->codecpar) < 0)
        return CLIPVANE_E_DECODE;
    m_codec->pkt_timebase = stream->time_base;
    // A bitstream may claim a larger picture than its container did.
    m_codec->max_pixels = kMaxPixels;
    m_codec->thread_count = kDecoderThreads;
    const int opened = avcodec_open2(m_codec.get(), decoder, nullptr);
    return opened < 0 ? m_source.failure(opened, CLIPVANE_E_DECODE) : CLIPVANE_OK;
}

// Takes the decoder's frames; the first one that covers `target` (or any,
// with `firstWanted`) goes to `frame` and sets *done, earlier ones are kept
// in `latest` as the fallback for a stream that ends early.
int FrameGrabber::receive(int64_t target, bool firstWanted, AVFrame* frame, AVFrame* latest, bool* done)
{
    for (;;) {
        const int received = avcodec_receive_frame(m_codec.get(), frame);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return CLIPVANE_OK;
        if (received < 0)
            return m_source.failure(received, CLIPVANE_OK); // a damaged frame: go on
        const int64_t shown = frame->best_effort_timestamp;
        if (firstWanted || shown == AV_NOPTS_VALUE || shown + std::max<int64_t>(frame->pkt_duration, 1) > target) {
            *done = true;
            return CLIPVANE_OK;
        }
        av_frame_unref(latest);
        av_frame_move_ref(latest, frame);
    }
}

int FrameGrabber::keyFrameAfter(int64_t fromUs, int64_t limitUs, AVFrame* frame)
{
    if (m_unseekable)
        return CLIPVANE_E_DECODE;
    AVStream* stream = m_source.video();
    const AVIndexEntry* key = avformat_index_get_entry_from_timestamp(stream, streamTime(stream, fromUs), 0);
    if (!key || !(key->flags & AVINDEX_KEYFRAME) || key->timestamp > streamTime(stream, limitUs) ||
        av_seek_frame(m_source.format(), stream->index, key->timestamp, AVSEEK_FLAG_BACKWARD) < 0)
        return m_source.budget().exhausted() ? CLIPVANE_E_CANCELED : CLIPVANE_E_DECODE;
    avcodec_flush_buffers(m_codec.get());
    m_keySeen = false;

    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return CLIPVANE_E_MEMORY;
    for (int packets = 0; packets < kMaxPackets; ++packets) {
        const int read = av_read_frame(m_source.format(), packet.get());
        if (read < 0)
            return m_source.failure(read, CLIPVANE_E_DECODE);
        if (packet->stream_index != stream->index) {
            av_packet_unref(packet.get());
            continue;
        }
        // The key frame alone, then the end of the stream: the decoder hands
        // it over at once instead of waiting for the frames it reorders.
        const bool isKey = packet->flags & AV_PKT_FLAG_KEY;
        const int sent = isKey ? avcodec_send_packet(m_codec.get(), packet.get()) : -1;
        av_packet_unref(packet.get());
        if (sent < 0)
            return CLIPVANE_E_DECODE;
        avcodec_send_packet(m_codec.get(), nullptr);
        return avcodec_receive_frame(m_codec.get(), frame) >= 0 ? CLIPVANE_OK : CLIPVANE_E_DECODE;
    }
    return CLIPVANE_E_DECODE;
}

int FrameGrabber::frameAt(int64_t targetUs, AVFrame* frame)
{
    bool firstWanted = false;
    if (!m_unseekable) {
        const AVStream* stream = m_source.video();
        const int64_t target = streamTime(stream, targetUs);
        if (av_seek_frame(m_source.format(), stream->index, target, AVSEEK_FLAG_BACKWARD) < 0) {
            if (m_source.budget().exhausted())
                return CLIPVANE_E_CANCELED;
            // A failed seek leaves the demuxer anywhere (a Matroska file
            // without cues reads to its end looking for them): start again
            // from the top and take the first frame; later points are then
            // reached by decoding on.
            m_unseekable = true;
            const int reopened = m_source.reopen();
            if (reopened != CLIPVANE_OK)
                return reopened;
            firstWanted = true;
        }
        avcodec_flush_buffers(m_codec.get());
        m_keySeen = false;
    }
    AVFormatContext* format = m_source.format();
    const AVStream* stream = m_source.video();
    const int64_t target = streamTime(stream, targetUs);

    PacketPtr packet(av_packet_alloc());
    FramePtr latest(av_frame_alloc());
    if (!packet || !latest)
        return CLIPVANE_E_MEMORY;
    bool done = false;
    int status = CLIPVANE_OK;
    for (int packets = 0; !done && status == CLIPVANE_OK && packets < kMaxPackets; ++packets) {
        if (m_source.budget().exhausted())
            return CLIPVANE_E_CANCELED;
        const int read = av_read_frame(format, packet.get());
        if (read < 0) {
            if (m_source.budget().exhausted())
                return CLIPVANE_E_CANCELED;
            break; // the end, or a damaged rest: drain what was sent
        }
        if (packet->stream_index != stream->index) {
            av_packet_unref(packet.get());
            continue;
        }
        // Packets before the first key frame only make broken pictures.
        m_keySeen = m_keySeen || (packet->flags & AV_PKT_FLAG_KEY) || packets >= kKeyFrameSearch;
        if (!m_keySeen) {
            av_packet_unref(packet.get());
            continue;
        }
        // A frame shown before the target that nothing refers to need not
        // be decoded at all.
        const bool early = !firstWanted && packet->pts != AV_NOPTS_VALUE && packet->pts + packet->duration <= target;
        m_codec->skip_frame = early ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        const int sent = avcodec_send_packet(m_codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN) && m_source.budget().exhausted())
            return CLIPVANE_E_CANCELED;
        status = receive(target, firstWanted, frame, latest.get(), &done);
    }
    if (!done && status == CLIPVANE_OK) {
        // The frames still inside the decoder (its threads hold a few).
        m_codec->skip_frame = AVDISCARD_DEFAULT;
        avcodec_send_packet(m_codec.get(), nullptr);
        status = receive(target, firstWanted, frame, latest.get(), &done);
    }
    if (status != CLIPVANE_OK)
        return status;
    if (done)
        return CLIPVANE_OK;
    if (latest->buf[0] || latest->data[0]) {
        av_frame_move_ref(frame, latest.get());
        return CLIPVANE_OK;
    }
    return CLIPVANE_E_DECODE;
}

} // namespace clipvane
