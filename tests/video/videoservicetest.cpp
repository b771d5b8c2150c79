// The background service and the video import with the real plug-in on
// generated clips: facts and thumbnails reach the table and the entries, a
// stop in the middle of a read that never ends is prompt, and a caller's
// frame is fitted into the thumbnail box.

#include <atomic>

#include <QElapsedTimer>
#include <QImage>

#include <velorin/velorin.h>

#include "support/media.h"
#include "support/photofixtures.h"
#include "support/loopbackserver.h"
#include "videocataloguetest.h"

using namespace Qt::StringLiterals;

namespace {

class VideoServiceTest : public VideoCatalogueTest
{
protected:
    QVariantList row(const QString& path)
    {
        return selectRows(table(), u"select resolutionX, resolutionY, duration, artist, thumbnail from VideoInfo "
                                   "where fullPath='%1'"_s.arg(path))
            .value(0);
    }
};

TEST_F(VideoServiceTest, ServiceFillsInFactsAndThumbnails)
{
    KivVideoFiles files;
    std::atomic<int> reported{0};
    QObject::connect(&files, &KivVideoFiles::photoFileUpdated, &files,
                     [&](int, KivVideoFile*) { ++reported; }, Qt::DirectConnection);
    for (const char* name : {"performer.mp4", "rotated-90.mp4", "bad/random.mp4"}) {
        DBVideoInfo v;
        v.fullPath = videoClip(QLatin1String(name));
        ASSERT_TRUE(files.addPhotoFileToDB(v));
    }
    for (int i = 0; i < 3000 && reported < 3; ++i)
        QThread::msleep(10);
    ASSERT_EQ(reported, 3);
    files.infoService()->Stop();

    const QVariantList performer = row(videoClip(u"performer.mp4"_s));
    EXPECT_EQ(performer.mid(0, 4), (QVariantList{320, 240, 3000, u"Jane Doe"_s}));
    const QImage thumb = QImage::fromData(performer.value(4).toByteArray(), "BMP");
    EXPECT_EQ(thumb.size(), QSize(256, 192));
    EXPECT_EQ(QImage::fromData(row(videoClip(u"rotated-90.mp4"_s)).value(4).toByteArray(), "BMP").size(), QSize(192, 256))
        << "shown upright";
    EXPECT_TRUE(row(videoClip(u"bad/random.mp4"_s)).value(4).toByteArray().isEmpty());
    for (int i = 0; i < files.photoFilesCount(); ++i)
        EXPECT_TRUE(files.getPhotoFile(i)->bInfoReady) << "the unreadable one is done too";
    EXPECT_FALSE(files.getPhotoFile(0)->getPixmapSmall().isNull());
}

TEST_F(VideoServiceTest, StopCancelsAReadThatNeverEnds)
{
    LoopbackServer server(LoopbackServer::Mode::Silent);
    KivVideoFiles files;
    KivVideoFile stalled;
    stalled.dbInfo.fullPath = u"http://127.0.0.1:%1/clip.mp4"_s.arg(server.port());
    files.addPhotoFile(&stalled);
    QThread::msleep(300); // the read is under way by now
    QElapsedTimer clock;
    clock.start();
    files.infoService()->Stop();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(files.infoService()->isRunning());
    EXPECT_FALSE(files.getPhotoFile(0)->bInfoReady) << "a cancelled read reports nothing";
}

// The service reads a copy taken before the read: a video sent to the trash
// meanwhile gets its facts but stays in the trash.
// The service's copy is taken before the read: a rating given and a trash
// made meanwhile stay.
TEST_F(VideoServiceTest, AVideoChangedWhileItIsReadKeepsTheChange)
{
    QFile source(videoClip(u"performer.mp4"_s));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    LoopbackServer server(LoopbackServer::Mode::Delayed, source.readAll());
    KivVideoFiles files;
    DBVideoInfo v;
    v.fullPath = server.url();
    ASSERT_TRUE(files.addPhotoFileToDB(v));
    for (int i = 0; i < 500 && server.accepted() == 0; ++i)
        QThread::msleep(10);
    ASSERT_GT(server.accepted(), 0) << "the read is under way";
    KivVideoFile rated = *files.getPhotoFile(0);
    rated.dbInfo.rating = 4;
    ASSERT_TRUE(files.updatePhotoFileToDB(&rated, QVUpdateRating));
    ASSERT_TRUE(files.sendPhotoFileToTrashcan(files.getPhotoFile(0)));
    for (int i = 0; i < 1500 && row(v.fullPath).value(4).toByteArray().isEmpty(); ++i)
        QThread::msleep(10);
    files.infoService()->Stop();
    ASSERT_FALSE(row(v.fullPath).value(4).toByteArray().isEmpty());
    EXPECT_EQ(selectRows(table(), u"select fIsDeleted, rating from VideoInfo"_s), (QList<QVariantList>{{1, 4}}));
}

TEST_F(VideoServiceTest, ImportFitsTheCallersFrameAndReadsTheRest)
{
    const QString copy = root() + u"/movie.mp4"_s;
    ASSERT_TRUE(QFile::copy(videoClip(u"performer.mp4"_s), copy));
    AddFileToVideoLibrary import;
    MyAddVideoInfo info{640, 480, 0, 0, 12345, quadrantBmp(640, 480).mid(14)};
    import.Start(copy, &info);
    import.wait();
    ASSERT_EQ(import.outcome(), AddFileToVideoLibrary::Added) << import.failureReason().toStdString();
    QVariantList stored = row(copy);
    EXPECT_EQ(stored.mid(0, 3), (QVariantList{640, 480, 12345})) << "the caller's facts, the file not read";
    EXPECT_EQ(QImage::fromData(stored.value(4).toByteArray(), "BMP").size(), QSize(256, 192));

    // Without a frame the file is read; a current row is then left alone.
    const QString other = root() + u"/other.mkv"_s;
    ASSERT_TRUE(QFile::copy(videoClip(u"anamorphic.mkv"_s), other));
    for (const auto outcome : {AddFileToVideoLibrary::Added, AddFileToVideoLibrary::Unchanged}) {
        import.Start(other, nullptr);
        import.wait();
        EXPECT_EQ(import.outcome(), outcome);
    }
    stored = row(other);
    EXPECT_EQ(stored.value(2).toInt(), 2000);
    EXPECT_FALSE(stored.value(4).toByteArray().isEmpty());

    import.Start(videoClip(u"bad/moov-cut.mp4"_s), nullptr);
    import.wait();
    EXPECT_EQ(import.outcome(), AddFileToVideoLibrary::Failed);
    EXPECT_FALSE(import.failureReason().isEmpty());
    EXPECT_EQ(selectValue(table(), u"select count(*) from VideoInfo"_s).toInt(), 3) << "kept without thumbnail";
}

} // namespace
