// The video reader: the plug-in's use count, ReadFileWithThumbnail on the
// generated clips (ffprobe as the reference), over HTTP and on two threads,
// and the packed-bitmap calls on real and hostile bitmaps.

#include <velorin/imaging/qodib.h>
#include <velorin/imaging/videobasicinfo.h>

#include "support/media.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

QSize fitted(int w, int h)
{
    QSize size;
    velorin::fitVideoThumbnailBox(w, h, 256, &size.rwidth(), &size.rheight());
    return size;
}

// ffprobe's stored size, display aspect and clockwise turn of a clip's picture.
QStringList probe(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-select_streams"_s, u"v:0"_s, u"-show_entries"_s,
                                  u"stream=width,height,display_aspect_ratio:stream_side_data=rotation"_s, u"-of"_s,
                                  u"csv=p=0:nk=1"_s, path});
    EXPECT_TRUE(ffprobe.waitForFinished(30000));
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).simplified().split(QRegularExpression(u"[ ,]"_s));
}

} // namespace

TEST(VideoThumbnailBox, KeepsTheFrameShapeInTheBox)
{
    EXPECT_EQ(fitted(640, 480), QSize(256, 192));
    EXPECT_EQ(fitted(480, 640), QSize(192, 256));
    EXPECT_EQ(fitted(500, 500), QSize(256, 256));
    EXPECT_EQ(fitted(16, 9), QSize(256, 144));
    EXPECT_EQ(fitted(100000, 1), QSize(256, 1));
    EXPECT_EQ(fitted(0, 480), QSize(0, 0));
}

TEST(VideoReader, UseCountUnloadsExactlyOnceAndNeverGoesBelowZero)
{
    ASSERT_FALSE(VideoLibIsLoaded());
    for (int i = 0; i < 3; ++i)
        VideoLibInit();
    VideoLibUninit();
    VideoLibUninit();
    EXPECT_TRUE(VideoLibIsLoaded());
    VideoLibUninit();
    EXPECT_FALSE(VideoLibIsLoaded());
    VideoLibUninit(); // one too many: ignored
    VideoLibInit();
    EXPECT_TRUE(VideoLibIsLoaded());
    // A read holds its own use and gives it back.
    EXPECT_EQ(VideoBasicInfo().ReadFileWithThumbnail(videoClip(u"one-frame.mp4"_s), 64, 64), 0);
    VideoLibUninit();
    EXPECT_FALSE(VideoLibIsLoaded());
}

TEST(VideoReader, FactsAgreeWithFfprobeAndThePerformerIsRead)
{
    for (const QString& name : {u"performer.mp4"_s, u"performer.mkv"_s, u"anamorphic.mkv"_s, u"rotated-90.mp4"_s}) {
        SCOPED_TRACE(name.toStdString());
        VideoBasicInfo info;
        ASSERT_EQ(info.ReadFileWithThumbnail(videoClip(name), 256, 256), 0);
        const QStringList p = probe(videoClip(name)); // width, height, aspect, counter-clockwise turn
        ASSERT_GE(p.size(), 3);
        const int turn = (360 - p.value(3, u"0"_s).toInt()) % 360;
        const bool sideways = turn % 180 != 0;
        EXPECT_EQ(sideways ? QSize(info.resolutionY, info.resolutionX) : QSize(info.resolutionX, info.resolutionY),
                  QSize(p[0].toInt(), p[1].toInt()));
        const QStringList aspect = p[2].split(u':');
        EXPECT_EQ(sideways ? u"%2:%1"_s.arg(info.aspectRatioX).arg(info.aspectRatioY)
                           : u"%1:%2"_s.arg(info.aspectRatioX).arg(info.aspectRatioY),
                  aspect.join(u':'));
        EXPECT_EQ(info.rotation, turn);
        EXPECT_NEAR(info.duration, name.startsWith(u"performer") ? 3000 : 2000, 30);
        EXPECT_EQ(info.artist, name.startsWith(u"performer") ? u"Jane Doe"_s : QString());
        const QImage frame = QImage::fromData(info.thumbnail, "BMP");
        EXPECT_EQ(frame.size(), fitted(info.aspectRatioX, info.aspectRatioY));
    }
    VideoBasicInfo audio;
    EXPECT_EQ(audio.ReadFileWithThumbnail(videoClip(u"audio-only.m4a"_s), 256, 256), VideoReadFailed);
    EXPECT_TRUE(audio.thumbnail.isEmpty());
    EXPECT_NEAR(audio.duration, 2000, 30);
}

// FFmpeg reads http:// URLs itself: the reader hands the path over as it is
// (and keeps MediaInfo, whose reads cannot be interrupted, away from it).
TEST(VideoReader, HttpPathsReachThePluginUnchanged)
{
    QString url = u"http://127.0.0.1:%1/performer.mp4"_s;
    EXPECT_EQ(vCheckAndAdjustURLFile(url), 1);
    QString local = videoClip(u"performer.mp4"_s);
    EXPECT_EQ(vCheckAndAdjustURLFile(local), 0);
    QProcess server;
    server.start(u"python3"_s, {u"-u"_s, u"-m"_s, u"http.server"_s, u"0"_s, u"--bind"_s, u"127.0.0.1"_s,
                                u"--directory"_s, videoClip({})});
    ASSERT_TRUE(server.waitForReadyRead(10000));
    const QString port = QRegularExpression(u"port (\\d+)"_s).match(QString::fromUtf8(server.readAll())).captured(1);
    ASSERT_FALSE(port.isEmpty());
    // The server cannot serve ranges, which a frame of this clip needs: the
    // facts in its header show the plug-in opened the URL.
    VideoBasicInfo remote, near;
    remote.ReadFileWithThumbnail(url.arg(port), 128, 128);
    EXPECT_EQ(near.ReadFileWithThumbnail(local, 128, 128), 0);
    server.kill();
    server.waitForFinished();
    EXPECT_EQ(QList({remote.resolutionX, remote.resolutionY, remote.aspectRatioX, remote.duration}),
              QList({near.resolutionX, near.resolutionY, near.aspectRatioX, near.duration}));
    EXPECT_EQ(remote.artist, QString());
    EXPECT_EQ(near.artist, u"Jane Doe"_s);
}

TEST(VideoReader, TwoThreadsReadAtOnceAndASetCancelFlagEndsTheRead)
{
    VideoBasicInfo first, second;
    int results[2] = {1, 1};
    std::thread a([&] { results[0] = first.ReadFileWithThumbnail(videoClip(u"phone-1080p.mp4"_s), 256, 256); });
    std::thread b([&] { results[1] = second.ReadFileWithThumbnail(videoClip(u"phone-1080p.mp4"_s), 256, 256); });
    a.join();
    b.join();
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(first.thumbnail, second.thumbnail);
    EXPECT_FALSE(VideoLibIsLoaded());

    const std::atomic<int> cancel{1};
    VideoBasicInfo canceled;
    EXPECT_EQ(canceled.ReadFileWithThumbnail(videoClip(u"performer.mp4"_s), 256, 256, &cancel), VideoReadFailed);
    EXPECT_TRUE(canceled.thumbnail.isEmpty());
    EXPECT_TRUE(canceled.artist.isEmpty());
}

// A thumbnail of a real photo stored turned comes out upright and fitted; it
// survives the BMP wrapping, copying and resampling, 24- and 32-bit alike.
TEST(PackedBitmaps, RealBitmapsSurviveEveryCall)
{
    const QByteArray dib = QoOpenFileThumbnail(orientationSet(6), 32, 32, 0);
    const QImage upright = QImage(orientationSet(0)).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QImage shown = QImage::fromData(velorin::bmpFromPackedDib(dib), "BMP");
    ASSERT_EQ(shown.size(), upright.size());
    EXPECT_LT(meanDifference(shown, upright), 12.0);
    EXPECT_EQ(QoDibDuplicate(dib), dib);
    const QImage resampled = QImage::fromData(velorin::bmpFromPackedDib(QoDibResampleHQ(dib, 7, 3)), "BMP");
    ASSERT_EQ(resampled.size(), QSize(7, 3));
    EXPECT_LT(meanDifference(resampled, upright.scaled(7, 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), 12.0);
    // The same rows as 32-bit pixels.
    QByteArray wide = dib.left(40);
    qToLittleEndian<quint16>(32, wide.data() + 14);
    qToLittleEndian<quint32>(shown.width() * 4 * shown.height(), wide.data() + 20);
    const QImage rgb32 = shown.convertToFormat(QImage::Format_RGB32).mirrored();
    wide.append(reinterpret_cast<const char*>(rgb32.constBits()), rgb32.sizeInBytes());
    EXPECT_EQ(QoDibResampleHQ(wide, shown.width(), shown.height()), dib);
    EXPECT_TRUE(QoOpenFileThumbnail(videoClip(u"performer.mp4"_s), 32, 32, 0).isEmpty());
}

TEST(PackedBitmaps, HostileHeadersGiveNothing)
{
    const QByteArray dib = QoOpenFileThumbnail(orientationSet(0), 32, 32, 0);
    ASSERT_FALSE(dib.isEmpty());
    const struct { int at; qint32 value; } lies[] = {
        {0, 124}, {4, -5}, {4, 0}, {4, 1 << 30}, {8, -32}, {8, 0}, {8, 65535}, {12, 2}, {14, 8},
        {16, 1}, {20, 1 << 30}, {20, 0x7fffffff}, {20, 3 * 32 * 32 + 4}, {32, 100000},
    };
    for (const auto& lie : lies) {
        QByteArray bad = dib;
        if (lie.at == 12 || lie.at == 14)
            qToLittleEndian<quint16>(quint16(lie.value), bad.data() + lie.at);
        else
            qToLittleEndian<qint32>(lie.value, bad.data() + lie.at);
        SCOPED_TRACE(lie.at);
        EXPECT_TRUE(velorin::bmpFromPackedDib(bad).isEmpty());
        EXPECT_TRUE(QoDibDuplicate(bad).isEmpty());
        EXPECT_TRUE(QoDibResampleHQ(bad, 16, 16).isEmpty());
    }
    EXPECT_TRUE(QoDibDuplicate(dib.left(dib.size() - 1)).isEmpty());
    EXPECT_TRUE(QoDibResampleHQ(dib, 0, 16).isEmpty());
    EXPECT_TRUE(QoDibResampleHQ(dib, 100000, 100000).isEmpty());
    // Within the side bound but beyond the size bound: refused at once.
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QoDibResampleHQ(dib, 30000, 30000).isEmpty());
    EXPECT_LT(clock.elapsed(), 1000);
}
