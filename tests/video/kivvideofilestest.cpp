// The video collection: memory rules, the waiting list of the background
// service, loaders, reconciliation with the table, trash and the partial
// update statements.

#include <memory>

#include <QMutex>
#include <QSignalSpy>
#include <QStringList>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "videocataloguetest.h"

using namespace Qt::StringLiterals;

namespace {

// A record whose facts were read already (it has a thumbnail): entries made
// from it do not wake the background service, whose updates would mix with
// the signals a test counts.
DBVideoInfo videoRecord(const QString& path, qint64 size = 1000, int markIn = -1, int markOut = -1)
{
    DBVideoInfo v;
    v.thumbnail = "BM";
    v.name = u"clip"_s;
    v.fullPath = path;
    v.fileSize = size;
    v.format = u"mp4"_s;
    v.modifyDate = QDateTime(QDate(2024, 5, 1), QTime(8, 0, 0));
    v.markIn = markIn;
    v.markOut = markOut;
    return v;
}

KivVideoFile entry(int id, const QString& path, const QByteArray& thumbnail = "BM")
{
    KivVideoFile f;
    f.dbInfo = videoRecord(path);
    f.dbInfo.id = id;
    f.dbInfo.thumbnail = thumbnail;
    return f;
}

class KivVideoFilesTest : public VideoCatalogueTest
{
protected:
    int rows() { return selectValue(table(), u"select count(*) from VideoInfo"_s).toInt(); }
};

TEST(VideoUpdateText, FragmentsInStatementOrder)
{
    DBVideoInfo v = videoRecord(u"/v/a.mp4"_s, 1234, 5, 9);
    v.duration = 60000;
    v.thumbnail = "BMx";
    for (const auto& [flags, text, bound] :
         {std::tuple{quint32(QVUpdateMarks), "update VideoInfo set markIn=5 , markOut=9 where id=7", QVariantList()},
          {QVUpdateName | QVUpdateFileSize, "update VideoInfo set name=? , fileSize=1234 where id=7",
           QVariantList{u"clip"_s}},
          {QVUpdateThumbnail | QVUpdateDuration | QVUpdateMarks,
           "update VideoInfo set duration=? , thumbnail=? , markIn=5 , markOut=9 where id=7",
           QVariantList{60000, QByteArray("BMx")}}}) {
        const auto update = velorin::buildVideoUpdate(u"VideoInfo"_s, v, flags);
        EXPECT_EQ(update.text(7), QLatin1String(text));
        EXPECT_EQ(update.boundValues(), bound);
    }
    EXPECT_EQ(velorin::buildVideoUpdate(u"VideoInfo"_s, v, QVUpdateAll).text(1),
              u"update VideoInfo set name=? , fileSize=1234 , modifyDate=? , rating=0 , description=? , artist=? , "
              "genre=? , year=0 , lastPlayed=? , mostPlayed=0 , fIsDeleted=0 , fIsEdited=0 , originalPath=? , "
              "duration=? , thumbnail=? , markIn=5 , markOut=9 where id=1"_s);
}

TEST_F(KivVideoFilesTest, AddingDecidesWhatWaitsForTheService)
{
    const QString existing = root() + u"/here.mp4"_s;
    writeFile(existing, "not really a video");
    KivVideoFiles files;
    bool readyWhenAdded = true;
    QObject::connect(&files, &KivVideoFiles::photoFileAdded,
                     [&](int, KivVideoFile* p) { readyWhenAdded = p->bInfoReady; });

    KivVideoFile withThumb = entry(1, existing), trashed = entry(2, u"/gone.mp4"_s, {});
    trashed.dbInfo.fIsDeleted = true;
    trashed.bFileExists = true;
    files.addPhotoFile(&withThumb);
    files.addPhotoFile(&trashed);
    EXPECT_TRUE(files.getPhotoFile(0)->bFileExists);
    EXPECT_FALSE(files.getPhotoFile(1)->bFileExists) << "asked at add time, whatever the source said";
    EXPECT_FALSE(files.infoService()->isRunning());
    EXPECT_EQ(files.GetNextFileToDO(), nullptr);
    EXPECT_FALSE(files.infoService()->isRunning()) << "nothing waits: the service is left alone";

    KivVideoFile bare = entry(3, u"/gone2.mp4"_s, {});
    files.addPhotoFile(&bare);
    EXPECT_FALSE(readyWhenAdded);
    EXPECT_TRUE(files.infoService()->isRunning());
}

TEST_F(KivVideoFilesTest, MemoryOperations)
{
    KivVideoFiles files;
    QSignalSpy updated(&files, &KivVideoFiles::photoFileUpdated), deleted(&files, &KivVideoFiles::photoFileDeleted);
    KivVideoFile clip = entry(1, u"/v/Movie.MP4"_s), whole = entry(2, u"/v/Movie.MP4"_s);
    clip.dbInfo.markIn = 0;
    clip.dbInfo.markOut = 40;
    files.addPhotoFile(&clip);
    files.addPhotoFile(&whole);
    QString other = u"/V/movie.mp4"_s;
    EXPECT_EQ(files.findPhotoFile(other), files.getPhotoFile(1)) << "letter case ignored, the clip skipped";
    EXPECT_EQ(files.getPhotoFileIndex(other), 1);
    EXPECT_EQ(files.getPhotoFile(-1), nullptr);
    EXPECT_EQ(files.getPhotoFile(2), nullptr);

    KivVideoFile ghost = entry(99, u"/v/x.mp4"_s);
    EXPECT_TRUE(files.updatePhotoFile(&ghost));
    EXPECT_FALSE(files.deletePhotoFile(&ghost));
    EXPECT_EQ(updated.count() + deleted.count(), 0);
}

TEST_F(KivVideoFilesTest, ReconcilingScannedVideos)
{
    KivVideoFiles files;
    DBVideoInfo v = videoRecord(u"/v/a.mp4"_s);
    ASSERT_TRUE(files.addPhotoFileToDB(v));
    ASSERT_EQ(files.photoFilesCount(), 1);
    EXPECT_EQ(files.getPhotoFile(0)->dbInfo.id, v.id);
    DBVideoInfo clip = videoRecord(u"/v/a.mp4"_s, 1000, 10, 20);
    ASSERT_TRUE(files.addPhotoFileToDB(clip));
    EXPECT_NE(clip.id, v.id) << "a clip of the file is a row of its own";

    QSignalSpy updated(&files, &KivVideoFiles::photoFileUpdated), added(&files, &KivVideoFiles::photoFileAdded);
    DBVideoInfo same = videoRecord(u"/v/a.mp4"_s);
    same.name = u"renamed"_s;
    ASSERT_TRUE(files.addPhotoFileToDB(same));
    EXPECT_EQ(updated.count() + added.count(), 0);
    EXPECT_EQ(selectValue(table(), u"select name from VideoInfo where id=%1"_s.arg(v.id)), u"clip"_s);

    same.fileSize = 2000;
    ASSERT_TRUE(files.addPhotoFileToDB(same));
    EXPECT_EQ(updated.count(), 1);
    EXPECT_EQ(selectRows(table(), u"select name, fileSize from VideoInfo where id=%1"_s.arg(v.id)),
              (QList<QVariantList>{{u"renamed"_s, 2000}}));
    EXPECT_EQ(files.getPhotoFile(0)->dbInfo.fileSize, 2000);

    // Back from the trash: the flag is cleared, the row keeps its columns,
    // the entry gets the caller's values.
    ASSERT_TRUE(files.sendPhotoFileToTrashcan(files.findPhotoFileByID(v.id)));
    DBVideoInfo back = videoRecord(u"/v/a.mp4"_s, 3000);
    back.name = u"again"_s;
    ASSERT_TRUE(files.addPhotoFileToDB(back));
    EXPECT_EQ(selectRows(table(), u"select name, fileSize, fIsDeleted from VideoInfo where id=%1"_s.arg(v.id)),
              (QList<QVariantList>{{u"renamed"_s, 2000, 0}}));
    EXPECT_EQ(files.findPhotoFileByID(v.id)->dbInfo.name, u"again"_s);

    // The import's form writes without adding to memory.
    DBVideoInfo imported = videoRecord(u"/v/b.mp4"_s);
    const int before = files.photoFilesCount();
    ASSERT_TRUE(files._savePhotoFileToDB(imported));
    EXPECT_EQ(files.photoFilesCount(), before);
    EXPECT_EQ(rows(), 3);
}

TEST_F(KivVideoFilesTest, LoadersAndTrash)
{
    for (int i = 0; i < 3; ++i) {
        DBVideoInfo v = videoRecord(u"/v/%1.mp4"_s.arg(i));
        v.fIsCaptured = i > 0;
        v.thumbnail = "BM";
        ASSERT_TRUE(table().insertRecord(&v));
    }
    KivVideoFiles library, trash;
    library.loadImageInfoFromDatabase();
    library.loadVideoRoll();
    EXPECT_EQ(library.photoFilesCount(), 3) << "captured rows are already present by id";
    library.loadImageInfoFromDatabase();
    EXPECT_EQ(library.photoFilesCount(), 6) << "a second load doubles";

    KivVideoFiles roll;
    roll.loadVideoRoll();
    ASSERT_EQ(roll.photoFilesCount(), 2);
    EXPECT_TRUE(roll.getPhotoFile(0)->dbInfo.fIsCaptured);
    EXPECT_EQ(roll.getPhotoFile(0)->dbInfo.markOut, -1);

    KivVideoFile* first = roll.getPhotoFile(0);
    const int id = first->dbInfo.id;
    ASSERT_TRUE(roll.sendPhotoFileToTrashcan(first));
    trash.loadTrashCan();
    trash.loadTrashCan();
    ASSERT_EQ(trash.photoFilesCount(), 1) << "trashed rows already present are skipped";
    KivVideoFile* inTrash = trash.getPhotoFile(0);
    ASSERT_TRUE(trash.RestorePhotoFileFromTrashcan(inTrash));
    EXPECT_FALSE(inTrash->dbInfo.fIsDeleted);
    EXPECT_EQ(trash.photoFilesCount(), 0);
    EXPECT_EQ(selectValue(table(), u"select fIsDeleted from VideoInfo where id=%1"_s.arg(id)).toInt(), 0);
    ASSERT_TRUE(roll.EmptyPhotoFile(roll.getPhotoFile(0), false));
    EXPECT_EQ(roll.photoFilesCount(), 0);
    EXPECT_EQ(rows(), 2);
}

// The service takes waiting entries in index order, whatever order they
// started waiting in, and skips removed ones.
TEST_F(KivVideoFilesTest, ServiceTakesWaitingEntriesInIndexOrder)
{
    KivVideoFiles files;
    for (int id = 1; id <= 4; ++id) {
        KivVideoFile f = entry(id, root() + u"/missing%1.mp4"_s.arg(id));
        files.addPhotoFile(&f);
    }
    for (int id : {3, 1, 4, 2}) {
        KivVideoFile again = *files.findPhotoFileByID(id);
        again.bInfoReady = false;
        files.updatePhotoFile(&again);
    }
    files.deletePhotoFile(files.findPhotoFileByID(2));
    QMutex mutex;
    QList<int> order;
    QObject::connect(
        &files, &KivVideoFiles::photoFileUpdated, &files,
        [&](int, KivVideoFile* p) {
            QMutexLocker lock(&mutex);
            order.append(p->dbInfo.id);
        },
        Qt::DirectConnection);
    files.infoService()->Start();
    for (int i = 0; i < 500 && std::unique_ptr<KivVideoFile>(files.GetNextFileToDO()); ++i)
        QThread::msleep(10);
    files.infoService()->Stop();
    QMutexLocker lock(&mutex);
    EXPECT_EQ(order, (QList<int>{1, 3, 4}));
    EXPECT_TRUE(files.getPhotoFile(0)->bInfoReady);
}

} // namespace
