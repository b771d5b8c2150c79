#include <velorin/db/imageinfodb.h>
#include <velorin/db/imagethumbnaildb.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/import/addfiletophotolibrary.h>
#include <velorin/service/databaseservice.h>
#include <velorin/core/sqlstatement.h>

#include "support/media.h"
#include "support/photofixtures.h"
#include "support/temphome.h"

#include <QFile>
#include <QImage>
#include <QMutex>
#include <QSqlQuery>
#include <QtEndian>

namespace {

struct Result
{
    QString path;
    int outcome = -1;
    QString reason;
};

// Runs one pass and collects what it announced, on the worker's own thread
// (direct connections), so nothing depends on this thread's event loop.
struct Pass
{
    QList<Result> results;
    QList<int> finished;
    bool stopped = false;
};

Pass runPass(QList<QString> paths)
{
    Pass pass;
    QMutex mutex;
    AddFileToPhotoLibrary worker;
    QObject::connect(&worker, &AddFileToPhotoLibrary::photoFileImported, &worker,
                     [&](int, const QString& path, int outcome, const QString& reason) {
                         QMutexLocker lock(&mutex);
                         pass.results.append({path, outcome, reason});
                     }, Qt::DirectConnection);
    QObject::connect(&worker, &AddFileToPhotoLibrary::importFinished, &worker,
                     [&](int added, int updated, int unchanged, int failed, bool stopped) {
                         QMutexLocker lock(&mutex);
                         pass.finished = {added, updated, unchanged, failed};
                         pass.stopped = stopped;
                     }, Qt::DirectConnection);
    worker.Start2(paths);
    worker.wait();
    return pass;
}

QByteArray storedThumbnail(SQLiteDatabase& store, const QString& path)
{
    const auto row = velorin::selectFirstRow(store, velorin::sql::SelectThumbnailByPath, {path});
    return row ? row->value(0).toByteArray() : QByteArray("<no row>");
}

QSize bmpSize(const QByteArray& blob) { return QImage::fromData(blob, "BMP").size(); }

class AddFileToPhotoLibraryTest : public PhotoCatalogueTest
{
protected:
    qint64 storedSize(const QString& path)
    {
        return selectValue(*service->getImageInfoDB(),
                           QStringLiteral("select fileSize from ImageInfo where fullPath='%1'").arg(path)).toLongLong();
    }
    int rowCount(const char* what = "*")
    {
        return selectValue(*service->getImageInfoDB(), QStringLiteral("select count(%1) from ImageInfo").arg(QLatin1String(what)))
            .toInt();
    }
    QString copyOf(const QString& source, const QString& name)
    {
        const QString target = root() + u'/' + name;
        QFile::copy(source, target);
        return target;
    }
};

} // namespace

TEST(DMSToDecimalTest, FormattedTexts)
{
    for (const auto& [text, degrees] : {std::pair{"52°30'36.00\" N", 52.51}, {"52°30'36.00\" S", -52.51},
                                        {"52°30.6000' N", 52.51}, {"2°17'40.13\" W", -2.29448}, {"52", 0.0}})
        EXPECT_NEAR(AddFileToPhotoLibrary::DMSToDecimal(QString::fromUtf8(text)), degrees, 1e-5) << text;
    EXPECT_EQ(AddFileToPhotoLibrary::DMSToDecimal(QString()), 0.0);
}

// Records and four thumbnails fitted to their boxes and upright; corrupt and
// vanished files reported; a second pass writes nothing, a changed file is
// rewritten. (The records' values and a stop between files: the tool's
// import test.)
TEST_F(AddFileToPhotoLibraryTest, ImportsRecordsAndThumbnails)
{
    const QString gps = copyOf(goexif(QStringLiteral("sample1.jpg")), QStringLiteral("gps.jpg"));
    const QString turned = copyOf(goexif(QStringLiteral("samples/has-lens-info.jpg")), QStringLiteral("turned.jpg"));
    const QString corrupt = root() + QStringLiteral("/corrupt.jpg");
    writeFile(corrupt, fileBytes(gps).left(600));
    const QString missing = root() + QStringLiteral("/missing.jpg");

    Pass pass = runPass({gps, turned, corrupt, missing});
    QList<int> outcomes;
    for (const Result& r : pass.results)
        outcomes.append(r.outcome);
    using A = AddFileToPhotoLibrary;
    EXPECT_EQ(outcomes, (QList<int>{A::Added, A::Added, A::Failed, A::Failed})) << qPrintable(pass.results[0].reason);
    EXPECT_FALSE(pass.results.value(2).reason.isEmpty());
    EXPECT_EQ(pass.finished, (QList<int>{2, 0, 0, 2}));
    EXPECT_FALSE(pass.stopped);

    EXPECT_EQ(storedSize(gps), QFileInfo(gps).size());
    EXPECT_EQ(storedSize(missing), 0) << "no row";
    const QList<ThumbnailStore*> stores = thumbnailStores();
    const int boxes[] = {64, 128, 256, 384};
    for (int i = 0; i < 4; ++i) {
        const QSize size = bmpSize(storedThumbnail(*stores[i], gps));
        EXPECT_EQ(std::max(size.width(), size.height()), boxes[i]);
        // Shown upright: the phone photo stored landscape comes out portrait.
        const QSize upright = bmpSize(storedThumbnail(*stores[i], turned));
        EXPECT_GT(upright.height(), upright.width());
        EXPECT_TRUE(storedThumbnail(*stores[i], corrupt).isEmpty());
    }

    pass = runPass({gps, turned, corrupt});
    EXPECT_EQ(pass.finished, (QList<int>{0, 0, 2, 1})) << "a picture without thumbnails is never done";
    QFile::resize(corrupt, 300);
    pass = runPass({gps, corrupt});
    EXPECT_EQ(pass.finished, (QList<int>{0, 0, 1, 1}));
    EXPECT_EQ(storedSize(corrupt), 300);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(corrupt, "JPEG"));
    pass = runPass({corrupt});
    EXPECT_EQ(pass.finished, (QList<int>{0, 1, 0, 0}));
    EXPECT_EQ(rowCount(), 3);
}

// Two workers writing one catalogue at once, on overlapping lists: each
// picture is stored once, none is lost and none reported failed.
TEST_F(AddFileToPhotoLibraryTest, TwoWorkersAtOnceStoreEveryPicture)
{
    QList<QString> lists[2];
    for (int i = 0; i < 60; ++i) {
        const QString path = copyOf(orientationSet(i % 9), QStringLiteral("w%1.jpg").arg(i));
        if (i < 40)
            lists[0] << path;
        if (i >= 20)
            lists[1] << path;
    }
    AddFileToPhotoLibrary workers[2];
    std::atomic<int> failed{0};
    for (AddFileToPhotoLibrary& worker : workers) {
        QObject::connect(&worker, &AddFileToPhotoLibrary::photoFileImported, &worker,
                         [&](int, const QString&, int outcome, const QString&) {
                             failed += outcome == AddFileToPhotoLibrary::Failed;
                         }, Qt::DirectConnection);
    }
    workers[0].Start2(lists[0]);
    workers[1].Start2(lists[1]);
    workers[0].wait();
    workers[1].wait();
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(rowCount(), 60);
    EXPECT_EQ(rowCount("distinct fullPath"), 60);
}
