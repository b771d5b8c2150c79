// The video plug-in as the library uses it: the real module loaded with
// dlopen, its four entry points called on real and generated clips, with
// ffprobe as the reference for the facts.

#include <plugins/clipvane/clipvane.h>

#include "support/media.h"
#include "support/loopbackserver.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QString realClip(const QString& name)
{
    return media(QStringLiteral("usr/share/gocode/src/github.com/gabriel-vasile/mimetype/testdata/") + name);
}

struct Reading {
    int result = 1;
    std::vector<int32_t> record = std::vector<int32_t>(7, 0);
    QImage image; // the bitmap, checked against the packed layout, or null
};

class ClipvaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Kept mapped after dlclose, as the library keeps it: FFmpeg's
        // process-wide state outlives an unload.
        m_module = dlopen(CLIPVANE_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        ASSERT_NE(m_module, nullptr) << dlerror();
        m_read = reinterpret_cast<decltype(m_read)>(dlsym(m_module, "MIGetMediaObjectBasicInfo2"));
        m_free = reinterpret_cast<decltype(m_free)>(dlsym(m_module, "MIFreeRawImage"));
        auto init = reinterpret_cast<int (*)()>(dlsym(m_module, "VideoPlugin_Initialize"));
        ASSERT_TRUE(m_read && m_free && init && dlsym(m_module, "VideoPlugin_UnInitialize"));
        ASSERT_EQ(init(), 0);
    }
    void TearDown() override
    {
        if (auto uninit = reinterpret_cast<void (*)()>(dlsym(m_module, "VideoPlugin_UnInitialize")))
            uninit();
        dlclose(m_module);
    }

    Reading read(const QString& path, int box = 0, const volatile int32_t* cancel = nullptr)
    {
        Reading out;
        out.record[0] = CLIPVANE_RECORD_SIZE;
        void* bitmap = m_read(u16(path), out.record.data(), box, box, &out.result, cancel);
        if (bitmap)
            out.image = unpack(static_cast<const uchar*>(bitmap));
        m_free(bitmap);
        return out;
    }

    // The packed bitmap as a QImage, after checking its header: 40 bytes,
    // 24 bits, uncompressed, positive height, image size = padded rows.
    static QImage unpack(const uchar* dib)
    {
        auto word = [dib](int at, int bytes) {
            uint32_t v = 0;
            for (int i = bytes - 1; i >= 0; --i)
                v = v << 8 | dib[at + i];
            return v;
        };
        const int width = int(word(4, 4)), height = int(word(8, 4)), stride = (width * 3 + 3) & ~3;
        EXPECT_EQ(word(0, 4), 40u);
        EXPECT_TRUE(width > 0 && height > 0 && word(14, 2) == 24 && word(16, 4) == 0);
        EXPECT_EQ(word(20, 4), uint32_t(stride * height));
        QImage image(width, height, QImage::Format_RGB888);
        for (int y = 0; y < height; ++y) {
            const uchar* row = dib + 40 + size_t(height - 1 - y) * stride;
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
        }
        return image;
    }

    void* m_module = nullptr;
    void* (*m_read)(const uint16_t*, int32_t*, int32_t, int32_t, int32_t*, const volatile int32_t*) = nullptr;
    void (*m_free)(void*) = nullptr;
};

double meanGray(const QImage& image, QRect area = {})
{
    const QImage part = image.copy(area.isNull() ? image.rect() : area).convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < part.height(); ++y)
        sum = std::accumulate(part.constScanLine(y), part.constScanLine(y) + part.width(), sum);
    return sum / (part.width() * part.height());
}

// ffprobe's view of the clip: shown size, display aspect and milliseconds.
std::vector<int> probe(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {"-v", "error", "-of", "json", "-show_streams", "-show_format", path});
    EXPECT_TRUE(ffprobe.waitForFinished(30000));
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    for (const QJsonValue& value : root["streams"].toArray()) {
        const QJsonObject s = value.toObject();
        if (s["codec_type"] != "video" || s["disposition"].toObject()["attached_pic"].toInt())
            continue;
        int rotation = 0;
        for (const QJsonValue& side : s["side_data_list"].toArray())
            rotation = side.toObject()["rotation"].toInt(rotation);
        QStringList dar = s["display_aspect_ratio"].toString().split(':');
        const int w = s["width"].toInt(), h = s["height"].toInt(), g = std::gcd(w, h);
        if (dar.size() != 2 || dar[0] == "0")
            dar = QStringList{QString::number(w / g), QString::number(h / g)};
        const bool turned = rotation % 180 != 0;
        return {turned ? h : w, turned ? w : h, dar[turned].toInt(), dar[!turned].toInt(),
                int(std::lround(root["format"].toObject()["duration"].toString().toDouble() * 1000))};
    }
    return {};
}

const QStringList kGoodClips = {
    realClip("mp4.mp4"), realClip("mov.mov"), realClip("webm.webm"), realClip("ogg.ogv"), realClip("3gp.3gp"),
    realClip("flv.flv"), realClip("asf.asf"), realClip("rmvb.rmvb"), realClip("mkv.mkv"),
    videoClip("rotated-90.mp4"), videoClip("rotated-180.mp4"), videoClip("rotated-270.mp4"),
    videoClip("anamorphic.mp4"), videoClip("anamorphic.mkv"), videoClip("performer.mp4"),
    videoClip("performer.mkv"), videoClip("black-start.mp4"), videoClip("uhd.mp4"),
    videoClip("one-frame.mp4"), videoClip("phone-1080p.mp4")};

TEST_F(ClipvaneTest, FactsAgreeWithFfprobeAndTheFrameFitsTheBoxAtTheShownAspect)
{
    for (const QString& clip : kGoodClips) {
        SCOPED_TRACE(clip.toStdString());
        const std::vector<int> expected = probe(clip);
        ASSERT_EQ(expected.size(), 5u);
        const Reading facts = read(clip);
        EXPECT_EQ(facts.result, CLIPVANE_OK);
        EXPECT_TRUE(facts.image.isNull());
        EXPECT_EQ(std::vector<int>(facts.record.begin() + 1, facts.record.begin() + 5),
                  std::vector<int>(expected.begin(), expected.begin() + 4));
        EXPECT_NEAR(facts.record[CLIPVANE_WORD_DURATION], expected[4], 50);

        const Reading framed = read(clip, 256);
        ASSERT_EQ(framed.result, CLIPVANE_OK);
        EXPECT_EQ(framed.record, facts.record);
        const QSize size = framed.image.size();
        EXPECT_EQ(std::max(size.width(), size.height()), 256);
        EXPECT_NEAR(double(size.width()) / size.height(), double(expected[2]) / expected[3], 0.02);
    }
}

TEST_F(ClipvaneTest, FramesAreUprightAndSkipADarkOpening)
{
    for (const int angle : {90, 180, 270}) {
        const Reading r = read(videoClip(QStringLiteral("rotated-%1.mp4").arg(angle)), 128);
        ASSERT_EQ(r.result, CLIPVANE_OK) << angle;
        EXPECT_EQ(r.image.size(), angle == 180 ? QSize(128, 96) : QSize(96, 128)) << angle;
        const int half = r.image.height() / 2;
        EXPECT_GT(meanGray(r.image, QRect(0, 0, r.image.width(), half)), 230) << angle;
        EXPECT_LT(meanGray(r.image, QRect(0, half, r.image.width(), half)), 25) << angle;
        EXPECT_EQ(r.record[CLIPVANE_WORD_ROTATION], angle);
    }
    const Reading opening = read(videoClip("black-start.mp4"), 128);
    ASSERT_EQ(opening.result, CLIPVANE_OK);
    EXPECT_GT(meanGray(opening.image), 60);
}

TEST_F(ClipvaneTest, HostileInputFailsQuicklyWithItsCode)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.mp4");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<std::pair<QString, int>> cases = {
        {videoClip("bad/empty.mp4"), CLIPVANE_E_OPEN},    {videoClip("bad/moov-cut.mp4"), CLIPVANE_E_OPEN},
        {videoClip("bad/random.mp4"), CLIPVANE_E_OPEN},   {videoClip("bad/huge.mkv"), CLIPVANE_E_TOO_LARGE},
        {videoClip("audio-only.m4a"), CLIPVANE_E_NO_VIDEO}, {videoClip("audio-only.mp4"), CLIPVANE_E_NO_VIDEO},
        {fifo, CLIPVANE_E_OPEN}, {dir.path(), CLIPVANE_E_OPEN}, {"/dev/zero", CLIPVANE_E_OPEN},
        {dir.filePath("missing.mp4"), CLIPVANE_E_OPEN}, {"file://otherhost/x.mp4", CLIPVANE_E_OPEN}};
    for (const auto& [path, code] : cases) {
        const auto start = Clock::now();
        const Reading r = read(path, 64);
        EXPECT_EQ(r.result, code) << path.toStdString();
        EXPECT_TRUE(r.image.isNull()) << path.toStdString();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << path.toStdString();
    }
    EXPECT_EQ(read(videoClip("audio-only.m4a")).record[CLIPVANE_WORD_DURATION], 2000);
    // Cut in half behind its index: the facts are whole, the first half decodes.
    EXPECT_EQ(read(videoClip("bad/half-faststart.mp4"), 64).result, CLIPVANE_OK);

    int32_t record[7] = {27}, result = 0;
    EXPECT_EQ(m_read(u16(videoClip("one-frame.mp4")), record, 0, 0, &result, nullptr), nullptr);
    EXPECT_EQ(result, CLIPVANE_E_ARGUMENT);
    record[0] = CLIPVANE_RECORD_SIZE;
    m_read(nullptr, record, 0, 0, &result, nullptr);
    EXPECT_EQ(result, CLIPVANE_E_ARGUMENT);
}

TEST_F(ClipvaneTest, NamesAsFileUrlsAndInAnyScript)
{
    QTemporaryDir dir;
    const QString named = dir.filePath(QStringLiteral("Sommer 100% Ærø 夏.mp4"));
    ASSERT_TRUE(QFile::copy(videoClip("rotated-90.mp4"), named));
    const Reading plain = read(named, 64);
    EXPECT_EQ(plain.result, CLIPVANE_OK);
    const QString url = "file://" + QString::fromLatin1(QUrl::toPercentEncoding(named, "/"));
    const Reading viaUrl = read(url, 64);
    EXPECT_EQ(viaUrl.result, CLIPVANE_OK) << url.toStdString();
    EXPECT_EQ(viaUrl.record, plain.record);
    EXPECT_EQ(viaUrl.image, plain.image);
}

TEST_F(ClipvaneTest, ServedClipsReadAsFilesStalledServersEndInTimeCancelEndsAtOnce)
{
    const QString clip = videoClip("performer.mkv");
    QFile file(clip);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    LoopbackServer serving(LoopbackServer::Mode::Serving, file.readAll());
    const Reading local = read(clip, 64), served = read(serving.url("performer.mkv"), 64);
    EXPECT_EQ(served.result, CLIPVANE_OK);
    EXPECT_EQ(served.record, local.record);
    EXPECT_EQ(served.image, local.image);

    LoopbackServer silent(LoopbackServer::Mode::Silent), trickling(LoopbackServer::Mode::Trickling);
    Reading fromSilent, fromTrickling;
    const auto start = Clock::now();
    std::thread a([&] { fromSilent = read(silent.url(), 64); });
    std::thread b([&] { fromTrickling = read(trickling.url(), 64); });
    a.join();
    b.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(12));
    EXPECT_LT(fromSilent.result, 0);
    EXPECT_EQ(fromTrickling.result, CLIPVANE_E_CANCELED);

    volatile int32_t cancel = 0;
    Clock::time_point cancelledAt;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancelledAt = Clock::now();
        __atomic_store_n(&cancel, 1, __ATOMIC_RELEASE);
    });
    const Reading cancelled = read(silent.url(), 64, &cancel);
    const auto ended = Clock::now();
    canceller.join();
    EXPECT_EQ(cancelled.result, CLIPVANE_E_CANCELED);
    EXPECT_LT(ended - cancelledAt, std::chrono::milliseconds(300));
}

TEST_F(ClipvaneTest, CallsOnSeveralThreadsGiveWhatOneThreadGives)
{
    std::vector<Reading> alone, together(kGoodClips.size());
    for (const QString& clip : kGoodClips)
        alone.push_back(read(clip, 128));
    std::vector<std::thread> threads;
    std::atomic<size_t> next{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (size_t i; (i = next++) < size_t(kGoodClips.size());)
                together[i] = read(kGoodClips[int(i)], 128);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < alone.size(); ++i) {
        EXPECT_EQ(together[i].record, alone[i].record) << kGoodClips[int(i)].toStdString();
        EXPECT_EQ(together[i].image, alone[i].image) << kGoodClips[int(i)].toStdString();
    }
}

} // namespace
