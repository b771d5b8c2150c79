// The plug-in's four entry points: the media facts of a video file or URL
// and, when asked, one representative frame as a packed bitmap. Everything
// else of the plug-in is hidden; no C++ exception leaves it.

#include "clipvane.h"

#include "framegrabber.h"
#include "mediasource.h"
#include "packedbitmap.h"

extern "C" {
#include <libavutil/log.h>
}

#include <sys/stat.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <chrono>
#include <new>
#include <optional>
#include <string>

#define CLIPVANE_EXPORT extern "C" __attribute__((visibility("default")))

namespace clipvane {

namespace {

// Every call ends by then, whatever the file or the server does.
constexpr auto kCallLimit = std::chrono::seconds(10);

// Longest path accepted, in UTF-16 units.
constexpr size_t kMaxPathUnits = 32768;

// A frame whose mean brightness (0-255) stays below this is taken for the
// black of a fade-in or a title card, and a later point is tried.
constexpr double kDarkLuma = 20.0;

// The first point looked at: a tenth into the clip, at most a minute in.
constexpr int64_t kFirstPointCapUs = 60 * int64_t(AV_TIME_BASE);

std::optional<std::string> utf8FromUtf16(const uint16_t* text)
{
    std::string out;
    for (size_t i = 0; text[i]; ++i) {
        if (i >= kMaxPathUnits)
            return std::nullopt;
        uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF) {
            const uint32_t low = text[i + 1];
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return std::nullopt;
        }
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

bool startsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The local path of a file:// URL (its %XX escapes decoded); nothing for a
// URL naming another host.
std::optional<std::string> pathOfFileUrl(std::string rest)
{
    if (startsWithNoCase(rest, "localhost/"))
        rest.erase(0, 9);
    if (rest.empty() || rest[0] != '/')
        return std::nullopt;
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        const int high = rest[i] == '%' && i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(rest[i + 2]) : -1;
        if (low >= 0) {
            path += char(high * 16 + low);
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

struct Target {
    std::string url;
    bool network = false;
};

// The FFmpeg URL for the caller's path. A local file must be a regular
// file: a FIFO or a device would block the read or never end. Local paths
// go through the "file:" protocol explicitly, so that a name with a colon
// is never taken for another protocol.
std::optional<Target> targetOf(const std::string& path)
{
    if (startsWithNoCase(path, "http://") || startsWithNoCase(path, "https://"))
        return Target{path, true};
    std::optional<std::string> local = path;
    if (startsWithNoCase(path, "file://"))
        local = pathOfFileUrl(path.substr(7));
    struct stat info {};
    if (!local || local->empty() || ::stat(local->c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return Target{"file:" + *local, false};
}

void store(const MediaFacts& facts, int32_t* record)
{
    record[CLIPVANE_WORD_WIDTH] = facts.width;
    record[CLIPVANE_WORD_HEIGHT] = facts.height;
    record[CLIPVANE_WORD_ASPECT_X] = facts.aspectX;
    record[CLIPVANE_WORD_ASPECT_Y] = facts.aspectY;
    record[CLIPVANE_WORD_DURATION] = facts.durationMs;
    record[CLIPVANE_WORD_ROTATION] = facts.rotation;
}

// The representative frame: the first key frame from a tenth into the clip
// on (or the frame a tenth in, when no key frame follows soon enough), or
// from a third and two thirds in when that one is nearly black (a fade-in,
// a title card); the brightest of those looked at. Without a known
// duration, the first frame.
int thumbnail(MediaSource& source, MediaFacts& facts, int boxWidth, int boxHeight, PackedBitmap& best)
{
    FrameGrabber grabber(source);
    int status = grabber.open();
    if (status != CLIPVANE_OK)
        return status;
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return CLIPVANE_E_MEMORY;

    const int64_t duration = int64_t(facts.durationMs) * 1000;
    const std::array<int64_t, 3> points{std::min(duration / 10, kFirstPointCapUs), duration / 3, duration * 2 / 3};
    const size_t tries = duration > 0 ? points.size() : 1;
    bool found = false;
    for (size_t i = 0; i < tries; ++i) {
        av_frame_unref(frame.get());
        // A key frame up to the last point shows the clip as well as the
        // exact point does, and costs one decoded frame.
        status = grabber.keyFrameAfter(points[i], i + 1 < tries ? points.back() : duration, frame.get());
        if (status == CLIPVANE_E_DECODE) {
            av_frame_unref(frame.get());
            status = grabber.frameAt(points[i], frame.get());
        }
        if (status != CLIPVANE_OK)
            break;
        if (!found)
            source.refineFacts(facts, *frame);
        PackedBitmap candidate;
        status = makePackedBitmap(*frame, source.sampleAspect(frame.get()), facts.rotation, boxWidth, boxHeight,
                                  candidate);
        if (status != CLIPVANE_OK)
            break;
        if (!found || candidate.meanLuma > best.meanLuma)
            best = std::move(candidate);
        found = true;
        if (best.meanLuma >= kDarkLuma)
            break;
    }
    // A later point that could not be reached leaves the earlier frame; a
    // cancel drops everything.
    if (status == CLIPVANE_E_CANCELED || !found)
        return status == CLIPVANE_OK ? CLIPVANE_E_DECODE : status;
    return CLIPVANE_OK;
}

void* read(const uint16_t* path, int32_t* record, int32_t width, int32_t height, int32_t* result,
           const volatile int32_t* cancel)
{
    if (!path || !record || record[CLIPVANE_WORD_SIZE] != CLIPVANE_RECORD_SIZE) {
        *result = CLIPVANE_E_ARGUMENT;
        return nullptr;
    }
    const MediaFacts none;
    store(none, record);
    const std::optional<std::string> text = utf8FromUtf16(path);
    const std::optional<Target> target = text ? targetOf(*text) : std::nullopt;
    if (!target) {
        *result = CLIPVANE_E_OPEN;
        return nullptr;
    }

    CallBudget budget(cancel, kCallLimit);
    MediaSource source(budget);
    *result = source.open(target->url, target->network);
    if (*result != CLIPVANE_OK)
        return nullptr;
    MediaFacts facts;
    *result = source.readFacts(facts);
    store(facts, record);
    if (*result != CLIPVANE_OK || width <= 0 || height <= 0)
        return nullptr;

    PackedBitmap bitmap;
    *result = thumbnail(source, facts, width, height, bitmap);
    if (*result != CLIPVANE_OK)
        return nullptr;
    store(facts, record);
    return bitmap.memory.release();
}

// Initialize and UnInitialize pair up, but may come from several threads.
std::atomic<int> g_initialized{0};

} // namespace

} // namespace clipvane

CLIPVANE_EXPORT int VideoPlugin_Initialize(void)
{
    if (clipvane::g_initialized++ == 0) {
        // Damaged files make FFmpeg complain on every packet; the result
        // codes already say what went wrong.
        av_log_set_level(AV_LOG_FATAL);
        avformat_network_init();
    }
    return 0;
}

CLIPVANE_EXPORT void VideoPlugin_UnInitialize(void)
{
    int count = clipvane::g_initialized.load();
    while (count > 0 && !clipvane::g_initialized.compare_exchange_weak(count, count - 1)) {
    }
    if (count == 1)
        avformat_network_deinit();
}

CLIPVANE_EXPORT void* MIGetMediaObjectBasicInfo2(const uint16_t* path, int32_t* record, int32_t width, int32_t height,
                                                 int32_t* result, const volatile int32_t* cancel)
{
    int32_t ignored = 0;
    int32_t* status = result ? result : &ignored;
    try {
        return clipvane::read(path, record, width, height, status, cancel);
    } catch (const std::bad_alloc&) {
        *status = CLIPVANE_E_MEMORY;
    } catch (...) {
        *status = CLIPVANE_E_OPEN;
    }
    return nullptr;
}

CLIPVANE_EXPORT void MIFreeRawImage(void* image)
{
    std::free(image);
}
