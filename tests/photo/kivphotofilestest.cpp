// The photo collection: memory operations, loaders, the reconciliation of a
// scanned file with its row and the order of the signals it sends.

#include <thread>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStringList>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

using namespace Qt::StringLiterals;

namespace {

// An entry of `path` with the given id.
KivPhotoFile entry(int id, const QString& path)
{
    KivPhotoFile f;
    f.dbInfo = photoRecord(path);
    f.dbInfo.id = id;
    return f;
}

// Every signal of a collection, in the order they came, as short texts.
class SignalLog
{
public:
    explicit SignalLog(KivPhotoFiles& files)
    {
        using F = KivPhotoFiles;
        const auto id = [](KivPhotoFile* p) { return p ? p->dbInfo.id : -1; };
        const auto note = [this](const QString& text) { log.append(text); };
        QObject::connect(&files, &F::photoFileAdded, [=](int i, KivPhotoFile* p) { note(u"added %1 %2"_s.arg(i).arg(id(p))); });
        QObject::connect(&files, &F::photoFileUpdated, [=](int i, KivPhotoFile* p) { note(u"updated %1 %2"_s.arg(i).arg(id(p))); });
        QObject::connect(&files, &F::photoFileDeleted, [=](KivPhotoFile* p) { note(u"deleted %1"_s.arg(id(p))); });
        QObject::connect(&files, &F::sgnSelPhotoFile, [=](KivPhotoFile* p, bool on) { note(u"select %1 %2"_s.arg(id(p)).arg(on)); });
    }
    QStringList take() { return std::exchange(log, {}); }

private:
    QStringList log;
};

class KivPhotoFilesTest : public PhotoCatalogueTest
{
protected:
    QVariantList row(int id, const QString& columns)
    {
        return selectRows(*service->getImageInfoDB(), QStringLiteral("select %1 from ImageInfo where id=%2").arg(columns).arg(id))
            .value(0);
    }

    DBImageThumbnail mini = thumbnailRecord(QString(), quadrantBmp(8, 8));
    DBImageThumbnail small = mini, medium = mini, large = mini;

    void thumbnailsFor(const QString& path)
    {
        for (DBImageThumbnail* t : {&mini, &small, &medium, &large})
            t->fullPath = path;
    }
};

TEST_F(KivPhotoFilesTest, MemoryOperationsAndTheirSignals)
{
    KivPhotoFiles files;
    SignalLog log(files);
    KivPhotoFile a = entry(1, QStringLiteral("/p/A.jpg")), b = entry(2, QStringLiteral("/p/B.jpg"));
    ASSERT_TRUE(files.addPhotoFile(&a));
    ASSERT_TRUE(files.addPhotoFile(&b));
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("added 0 1"), QStringLiteral("added 1 2")}));
    EXPECT_NE(files.getPhotoFile(0), &a) << "the collection stores its own copy";
    EXPECT_EQ(files.getPhotoFile(-1), nullptr);
    EXPECT_EQ(files.getPhotoFile(2), nullptr);

    QString lower = QStringLiteral("/p/a.jpg");
    EXPECT_EQ(files.findPhotoFile(lower), nullptr) << "paths compare with letter case";
    QString pathB = QStringLiteral("/p/B.jpg");
    EXPECT_EQ(files.getPhotoFileIndex(pathB), 1);

    KivPhotoFile ghost = entry(99, QString());
    EXPECT_TRUE(files.updatePhotoFile(&ghost));
    EXPECT_TRUE(files.deletePhotoFile(&ghost));
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("updated -1 -1"), QStringLiteral("deleted 99")}));

    // An update moves the path index with the record, also one of the
    // stored entry edited in place (as the lost-file repair does).
    KivPhotoFile renamed = b;
    renamed.dbInfo.fullPath = QStringLiteral("/q/B.jpg");
    EXPECT_TRUE(files.updatePhotoFile(&renamed));
    EXPECT_EQ(files.findPhotoFile(pathB), nullptr);
    QString newPath = QStringLiteral("/q/B.jpg");
    EXPECT_EQ(files.findPhotoFile(newPath), files.getPhotoFile(1));
    KivPhotoFile* stored = files.getPhotoFile(0);
    QString lostPath = stored->dbInfo.fullPath;
    stored->dbInfo.fullPath = QStringLiteral("/found/A.jpg");
    stored->dbInfo.id = 7;
    files.updatePhotoFile(stored);
    EXPECT_EQ(files.findPhotoFile(stored->dbInfo.fullPath), stored);
    EXPECT_EQ(files.findPhotoFileByID(7), stored);
    EXPECT_EQ(files.findPhotoFile(lostPath), nullptr);

    // A removed entry stays readable for the receivers of the signal,
    // also those that get it through the event loop.
    KivPhotoFile* removed = files.getPhotoFile(0);
    QString seen;
    QObject receiver;
    QObject::connect(&files, &KivPhotoFiles::photoFileDeleted, &receiver,
                     [&](KivPhotoFile* p) { seen = p->dbInfo.fullPath; }, Qt::QueuedConnection);
    EXPECT_TRUE(files.deletePhotoFile(removed));
    EXPECT_EQ(files.photoFilesCount(), 1);
    EXPECT_EQ(files.findPhotoFileByID(7), nullptr);
    EXPECT_EQ(files.getPhotoFileIndex(newPath), 0) << "later entries moved down";
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, QStringLiteral("/found/A.jpg"));
}

TEST_F(KivPhotoFilesTest, DuplicateIdsFindTheFirstInOrder)
{
    KivPhotoFiles files;
    for (const char* path : {"/d/1.jpg", "/d/2.jpg", "/d/3.jpg"}) {
        KivPhotoFile f = entry(5, QLatin1String(path));
        files.addPhotoFile(&f);
    }
    EXPECT_EQ(files.findPhotoFileByID(5), files.getPhotoFile(0));
    files.deletePhotoFile(files.getPhotoFile(0));
    EXPECT_EQ(files.findPhotoFileByID(5)->dbInfo.fullPath, QStringLiteral("/d/2.jpg"));
    KivPhotoFile update = entry(5, QStringLiteral("/d/2b.jpg"));
    files.updatePhotoFile(&update);
    EXPECT_EQ(files.getPhotoFile(0)->dbInfo.fullPath, QStringLiteral("/d/2b.jpg"));
    EXPECT_EQ(files.getPhotoFile(1)->dbInfo.fullPath, QStringLiteral("/d/3.jpg"));
}

// Every column of a full record round-trips through the insert and the
// loader; the time is stored to the second, as every older file has it.
TEST_F(KivPhotoFilesTest, LoadersReadEveryColumnAndCanBeCancelled)
{
    DBImageInfo full = fullPhotoRecord(QStringLiteral("/l/Fj\u00f6rd \"1\"; DROP TABLE ImageInfo; --.jpg"));
    full.id = catalogued(full);
    for (int i = 0; i < 3; ++i)
        catalogued(photoRecord(QStringLiteral("/l/%1.jpg").arg(i)));
    DBImageInfo trashed = photoRecord(QStringLiteral("/l/trash.jpg"));
    trashed.fIsDeleted = true;
    catalogued(trashed);
    EXPECT_EQ(row(full.id, QStringLiteral("mediaModifyDate")), QVariantList{QStringLiteral("2024-02-29T23:59:58")});
    full.mediaModifyDate = full.mediaModifyDate.addMSecs(-765);

    KivPhotoFiles library;
    SignalLog log(library);
    library.loadImageInfoFromDatabase(nullptr);
    ASSERT_EQ(library.photoFilesCount(), 4);
    EXPECT_EQ(describe(library.getPhotoFile(0)->dbInfo), describe(full));
    EXPECT_EQ(log.take().join(QLatin1Char(',')).count(QStringLiteral("added")), 4);

    library.loadImageInfoFromDatabase(nullptr);
    EXPECT_EQ(library.photoFilesCount(), 8) << "loading twice doubles the entries";
    EXPECT_EQ(log.take().last(), QStringLiteral("added 7 %1").arg(library.getPhotoFile(7)->dbInfo.id));

    KivPhotoFiles cancelled;
    struct : CIsLoadCancled { bool isCanceled() override { return true; } } first;
    cancelled.loadImageInfoFromDatabase(&first);
    EXPECT_EQ(cancelled.photoFilesCount(), 1);

    // Rows are announced once the loader's statement is finished: a
    // receiver writing to the same file through another connection (a tag)
    // is not kept waiting on the loader's read lock until it fails.
    KivPhotoFiles tagging;
    int tagged = 0;
    QObject::connect(&tagging, &KivPhotoFiles::photoFileAdded, [&](int, KivPhotoFile*) {
        QString tag = QStringLiteral("t");
        tagged += getDatabaseService()->getTagListDB()->insertRecord(tag) ? 1 : 0;
    });
    tagging.loadImageInfoFromDatabase(nullptr);
    EXPECT_EQ(tagged, 4);

    KivPhotoFiles trash;
    trash.loadDeletedImageInfoFromDatabase();
    ASSERT_EQ(trash.photoFilesCount(), 1);
    EXPECT_TRUE(trash.getPhotoFile(0)->dbInfo.fIsDeleted);
}

TEST_F(KivPhotoFilesTest, ScannedFileReconciledInItsFourCases)
{
    KivPhotoFiles files;
    SignalLog log(files);
    const QString path = QStringLiteral("/s/new.jpg");
    thumbnailsFor(path);

    // New: thumbnails and row written, entry added, then selected.
    DBImageInfo info = photoRecord(path, QDateTime(QDate(2023, 1, 1), QTime(10, 0, 0, 250)), 500);
    ASSERT_TRUE(files.addPhotoFileToDB(info, mini, small, medium, large));
    const int id = info.id;
    EXPECT_GT(id, 0);
    EXPECT_EQ(thumbnailRows(path), 4);
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("added 0 %1").arg(id), QStringLiteral("select %1 1").arg(id)}));

    // Unchanged to the second: nothing written, the entry re-announced.
    DBImageInfo same = photoRecord(path, QDateTime(QDate(2023, 1, 1), QTime(10, 0, 0, 900)), 500);
    same.mediaComment = QStringLiteral("not written");
    ASSERT_TRUE(files.addPhotoFileToDB(same, mini, small, medium, large));
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("updated 0 %1").arg(id), QStringLiteral("select %1 1").arg(id)}));
    EXPECT_TRUE(row(id, QStringLiteral("mediaComment")).value(0).isNull());

    // Changed size: every column rewritten, memory follows.
    DBImageInfo changed = same;
    changed.fileSize = 600;
    changed.mediaComment = QStringLiteral("written");
    ASSERT_TRUE(files.addPhotoFileToDB(changed, mini, small, medium, large));
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("updated 0 %1").arg(id), QStringLiteral("select %1 1").arg(id)}));
    EXPECT_EQ(row(id, QStringLiteral("fileSize, mediaComment")), (QVariantList{600, QStringLiteral("written")}));
    EXPECT_EQ(files.getPhotoFile(0)->dbInfo.mediaComment, QStringLiteral("written"));

    // Back from the trash: only the flag changes in the table; the entry
    // carries the caller's values.
    velorin::SqlStatement(*service->getImageInfoDB(), velorin::sql::SetDeletedFlag, {1, id}).exec();
    KivPhotoFiles library;
    SignalLog libraryLog(library);
    DBImageInfo again = photoRecord(path, QDateTime(QDate(2025, 5, 5), QTime(5, 5, 5)), 999);
    ASSERT_TRUE(library.addPhotoFileToDB(again, mini, small, medium, large));
    EXPECT_EQ(libraryLog.take(), (QStringList{QStringLiteral("added 0 %1").arg(id), QStringLiteral("select %1 1").arg(id)}));
    EXPECT_EQ(row(id, QStringLiteral("fIsDeleted, fileSize")), (QVariantList{0, 600}));
    EXPECT_EQ(library.getPhotoFile(0)->dbInfo.fileSize, 999);
}

TEST_F(KivPhotoFilesTest, UnchangedRowWithoutAnEntryEmitsNothing)
{
    const QString path = QStringLiteral("/s/known.jpg");
    catalogued(photoRecord(path));
    KivPhotoFiles files; // never loaded
    SignalLog log(files);
    DBImageInfo info = photoRecord(path);
    EXPECT_TRUE(files.addPhotoFileToDB(info, mini, small, medium, large));
    EXPECT_TRUE(log.take().isEmpty());
}

TEST_F(KivPhotoFilesTest, BulkSaveInsertsOrRewritesWithoutSignals)
{
    KivPhotoFiles files;
    SignalLog log(files);
    const QString path = QStringLiteral("/b/1.jpg");
    thumbnailsFor(path);
    DBImageInfo info = photoRecord(path);
    info.fIsPhotoRoll = true;
    ASSERT_TRUE(files._savePhotoFileToDB(info, mini, small, medium, large));
    EXPECT_EQ(thumbnailRows(path), 4);
    EXPECT_EQ(files.photoFilesCount(), 0);
    const int id = catalogued(photoRecord(QStringLiteral("/b/other.jpg"))) - 1;
    EXPECT_EQ(row(id, QStringLiteral("fIsPhotoRoll")), (QVariantList{1}));

    DBImageInfo same = info;
    same.mediaTag = QStringLiteral("ignored");
    files._savePhotoFileToDB(same, mini, small, medium, large);
    EXPECT_TRUE(row(id, QStringLiteral("mediaTag")).value(0).isNull());

    DBImageInfo newer = info;
    newer.mediaModifyDate = info.mediaModifyDate.addSecs(1);
    newer.mediaTag = QStringLiteral("rewritten");
    files._savePhotoFileToDB(newer, mini, small, medium, large);
    EXPECT_EQ(row(id, QStringLiteral("mediaTag")), (QVariantList{QStringLiteral("rewritten")}));
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("updated -1 -1")})) << "the rewrite announces a missing entry";
}

// Only the flagged columns are written, values bound (quotes and statement
// text are stored as they are), coordinates with every digit and times to
// the second; the entry takes the caller's values; other rows stay.
TEST_F(KivPhotoFilesTest, PartialUpdatesOfRowAndEntry)
{
    KivPhotoFiles files;
    const int id = catalogued(photoRecord(QStringLiteral("/u/1.jpg")));
    catalogued(photoRecord(QStringLiteral("/u/2.jpg")));
    files.loadImageInfoFromDatabase(nullptr);
    KivPhotoFile* stored = files.getPhotoFile(0);
    SignalLog log(files);

    EXPECT_FALSE(files.updatePhotoFileToDB(stored, 0)) << "no column selected";
    EXPECT_TRUE(log.take().isEmpty());

    DBImageInfo change = stored->dbInfo;
    change.latitude = 36.597441666666667; // 36 degrees 35.8465 minutes
    change.mediaTag = QStringLiteral("it's \"quoted\"; drop table ImageInfo; --");
    change.mediaModifyDate = QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5, 6));
    change.mediaRating = 5; // not flagged: neither copied nor written
    EXPECT_TRUE(files.updatePhotoFileToDB(change, QPUpdateLatitude | QPUpdateTag | QPUpdateModifyDate));
    const auto rows = selectRows(*service->getImageInfoDB(),
                                 QStringLiteral("select latitude, mediaTag, mediaModifyDate, mediaRating from ImageInfo"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], (QVariantList{change.latitude, change.mediaTag, QStringLiteral("2020-01-02T03:04:05"), 0}));
    EXPECT_TRUE(rows[1][1].isNull()) << "the other row is untouched";
    EXPECT_EQ(std::tuple(stored->dbInfo.latitude, stored->dbInfo.mediaTag, stored->dbInfo.mediaRating),
              std::tuple(change.latitude, change.mediaTag, 0)) << "memory keeps what the caller gave";
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("updated 0 %1").arg(id)}));

    DBImageInfo unknown;
    unknown.id = 12345;
    EXPECT_FALSE(files.updatePhotoFileToDB(unknown, QPUpdateAll));

    QString title = QStringLiteral("1.JPG");
    EXPECT_TRUE(files.HasTitle(title));
    QString other = QStringLiteral("3.jpg");
    EXPECT_FALSE(files.HasTitle(other));
}

// A worker imports while a view on this thread listens through queued
// connections: every addition arrives, in order.
TEST_F(KivPhotoFilesTest, WorkerAdditionsReachAQueuedView)
{
    KivPhotoFiles files;
    KivPhotoFilesSort view(PhotosFilterAll);
    QObject::connect(&files, &KivPhotoFiles::photoFileAdded, &view, &KivPhotoFilesSort::addPhotoFile,
                     Qt::QueuedConnection);
    QStringList arrived;
    QObject::connect(&view, &KivPhotoFilesSort::photoFileAdded,
                     [&](KivPhotoFile* p) { arrived.append(p->dbInfo.fullPath); });

    constexpr int count = 60;
    std::thread worker([&] {
        files.threadOpenConnection();
        files.beginTransaction();
        for (int i = 0; i < count; ++i) {
            DBImageInfo info = photoRecord(QStringLiteral("/w/%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
            DBImageThumbnail m, s, me, l;
            files.addPhotoFileToDB(info, m, s, me, l);
        }
        files.endTransaction();
        files.threadCloseConnection();
    });
    QElapsedTimer waited;
    waited.start();
    while (arrived.size() < count && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker.join();
    QCoreApplication::processEvents();
    ASSERT_EQ(arrived.size(), count);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(arrived[i], QStringLiteral("/w/%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(view.photoFilesCount(), count);
}

} // namespace
