// velorin-bench-video: the video plug-in's frame thumbnail and media facts,
// each next to a reference measured in the same run on the same file:
//
//   1. a 256-box thumbnail of CLIP a tenth into it through the plug-in
//      (loaded with dlopen, as the library loads it), against
//      - the floor: libavcodec called directly in this process (open, seek
//        to the key frame before the point, decode up to it, swscale into
//        the box), the least any in-process reader can do;
//      - ffmpegthumbnailer and ffmpeg started as processes on the same
//        point, the way a catalogue could shell out instead;
//   2. the facts alone (no frame) of every FACTS file, per file.
//
//   velorin-bench-video [--quick] PLUGIN CLIP [FACTS...]
//
// Every figure is the median of several runs. The goals: plug-in / floor at
// most 1.3, plug-in / fastest program at most 0.15, facts at most 5 ms a
// file. The exit status reports a failed check, not a missed goal.

#include <plugins/clipvane/clipvane.h>

#include "benchsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <dlfcn.h>

#include <cstring>
#include <string>

using namespace velorin::bench;

namespace {

constexpr int kBox = 256;
constexpr double kPoint = 0.10; // the plug-in's first point, a tenth in

struct Plugin {
    void* (*read)(const uint16_t*, int32_t*, int32_t, int32_t, int32_t*, const volatile int32_t*) = nullptr;
    void (*free)(void*) = nullptr;

    // One call; the bitmap's width (0 when none) and the record's duration.
    int call(const QString& path, int box, int32_t* record = nullptr) const
    {
        int32_t own[7] = {CLIPVANE_RECORD_SIZE};
        int32_t* words = record ? record : own;
        words[0] = CLIPVANE_RECORD_SIZE;
        int32_t result = 0;
        void* bitmap = read(reinterpret_cast<const uint16_t*>(path.utf16()), words, box, box, &result, nullptr);
        int width = 0;
        if (bitmap)
            std::memcpy(&width, static_cast<const char*>(bitmap) + 4, 4);
        free(bitmap);
        return result == CLIPVANE_OK ? width : -1;
    }
};

// The floor: the frame at `point` of the clip in a box, with nothing but
// the libraries' plain calls; with `keyFrame`, the first key frame from the
// point on, decoded alone. Returns the scaled width, 0 on failure.
int floorThumbnail(const std::string& path, double point, bool keyFrame = false)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return 0;
    int width = 0;
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    AVCodecContext* codec = index >= 0 ? avcodec_alloc_context3(decoder) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (codec && avcodec_parameters_to_context(codec, format->streams[index]->codecpar) >= 0) {
        codec->thread_count = 1;
        const AVStream* stream = format->streams[index];
        const int64_t target = av_rescale_q(int64_t(format->duration * point), AV_TIME_BASE_Q, stream->time_base);
        bool done = avcodec_open2(codec, decoder, nullptr) < 0 ||
                    av_seek_frame(format, index, target, keyFrame ? 0 : AVSEEK_FLAG_BACKWARD) < 0;
        while (!done && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0) {
                if (keyFrame)
                    avcodec_send_packet(codec, nullptr);
                while (!done && avcodec_receive_frame(codec, frame) >= 0)
                    done = frame->best_effort_timestamp + frame->pkt_duration > target;
            }
            av_packet_unref(packet);
        }
        if (done && frame->width > 0) {
            const double factor = std::min(double(kBox) / frame->width, double(kBox) / frame->height);
            const int w = int(frame->width * factor), h = int(frame->height * factor);
            SwsContext* scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), w, h,
                                                AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr);
            std::vector<uint8_t> pixels(size_t(w * 3 + 32) * h);
            uint8_t* planes[4] = {pixels.data()};
            int strides[4] = {w * 3 + 32};
            if (scaler && sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) == h)
                width = w;
            sws_freeContext(scaler);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return width;
}

// A program's run, process start included; negative when it failed.
double programSeconds(const QString& program, const QStringList& arguments)
{
    QProcess process;
    const double s = seconds([&] {
        process.start(program, arguments);
        process.waitForFinished(-1);
    });
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? s : -1;
}

QString ms(double s) { return QString::number(s * 1000, 'f', 2) + QStringLiteral(" ms"); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool quick = args.removeAll(QStringLiteral("--quick")) > 0;
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velorin-bench-video [--quick] PLUGIN CLIP [FACTS...]\n");
        return 2;
    }
    const int runs = quick ? 3 : 15;
    void* module = dlopen(QFile::encodeName(args[0]).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "velorin-bench-video: %s\n", dlerror());
        return 1;
    }
    Plugin plugin;
    plugin.read = reinterpret_cast<decltype(plugin.read)>(dlsym(module, "MIGetMediaObjectBasicInfo2"));
    plugin.free = reinterpret_cast<decltype(plugin.free)>(dlsym(module, "MIFreeRawImage"));
    auto init = reinterpret_cast<int (*)()>(dlsym(module, "VideoPlugin_Initialize"));
    if (!plugin.read || !plugin.free || !init || init() != 0) {
        std::fprintf(stderr, "velorin-bench-video: not the plug-in: %s\n", qPrintable(args[0]));
        return 1;
    }

    // 1. The thumbnail.
    const QString clip = args[1];
    const std::string clipPath = QFile::encodeName(clip).toStdString();
    int32_t record[7] = {};
    check(plugin.call(clip, 0, record) == 0 && record[CLIPVANE_WORD_DURATION] > 0, "the clip's facts");
    const double point = record[CLIPVANE_WORD_DURATION] * kPoint / 1000;
    check(plugin.call(clip, kBox) == floorThumbnail(clipPath, kPoint) && floorThumbnail(clipPath, kPoint, true) > 0,
          "the same box from plug-in and floors");
    progress(QStringLiteral("thumbnail of %1 at %2 s in a %3 box, median of %4")
                 .arg(clip).arg(point).arg(kBox).arg(runs));
    const double floorS = medianOf(runs, [&] { return seconds([&] { floorThumbnail(clipPath, kPoint); }); });
    const double keyS = medianOf(runs, [&] { return seconds([&] { floorThumbnail(clipPath, kPoint, true); }); });
    const double pluginS = medianOf(runs, [&] { return seconds([&] { plugin.call(clip, kBox); }); });
    std::printf("thumbnail  floor, decoded up to the point  %s\n", qPrintable(ms(floorS)));
    std::printf("thumbnail  floor, the next key frame alone %s\n", qPrintable(ms(keyS)));
    std::printf("thumbnail  plug-in                         %s   plug-in / floor %.2f (goal <= 1.3), "
                "/ key-frame floor %.2f\n",
                qPrintable(ms(pluginS)), pluginS / floorS, pluginS / keyS);

    QTemporaryDir out;
    const QString pointText = QString::number(point, 'f', 3);
    const struct {
        const char* name;
        QStringList arguments;
    } programs[] = {
        {"ffmpegthumbnailer",
         {"-s", QString::number(kBox), "-t", QString::number(int(kPoint * 100)), "-i", clip, "-o", out.filePath("t.png")}},
        {"ffmpeg",
         {"-nostdin", "-v", "error", "-y", "-ss", pointText, "-i", clip, "-frames:v", "1", "-vf",
          QStringLiteral("scale=%1:-1").arg(kBox), out.filePath("f.png")}},
    };
    double fastest = -1;
    for (const auto& program : programs) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(program.name));
        if (found.isEmpty()) {
            std::printf("thumbnail  %-31s not installed\n", program.name);
            continue;
        }
        const double s = medianOf(runs, [&] { return programSeconds(found, program.arguments); });
        check(s > 0, QStringLiteral("%1 ran").arg(QString::fromLatin1(program.name)));
        std::printf("thumbnail  %-31s %s   plug-in / it %.3f\n", program.name, qPrintable(ms(s)), pluginS / s);
        if (s > 0 && (fastest < 0 || s < fastest))
            fastest = s;
    }
    if (fastest > 0)
        std::printf("thumbnail  plug-in / fastest program %.3f (goal <= 0.15)\n", pluginS / fastest);

    // 2. The facts alone.
    double slowest = 0;
    for (const QString& file : args.mid(2)) {
        check(plugin.call(file, 0) == 0, QStringLiteral("the facts of ") + file);
        const double s = medianOf(runs * 4, [&] { return seconds([&] { plugin.call(file, 0); }); });
        slowest = std::max(slowest, s);
        std::printf("facts      %-60s %s\n", qPrintable(file.section('/', -1)), qPrintable(ms(s)));
    }
    if (args.size() > 2)
        std::printf("facts      slowest file %s (goal <= 5 ms)\n", qPrintable(ms(slowest)));
    return g_failed ? 1 : 0;
}
