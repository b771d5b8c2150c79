// Removed entries stay readable for workers and for receivers on other
// threads.

#include <atomic>
#include <thread>

#include <QCoreApplication>
#include <QThread>

#include <velorin/velorin.h>

#include "support/media.h"
#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

using CollectionRacesTest = PhotoCatalogueTest;

// A worker scans real pictures into the library while this thread trashes,
// restores and purges entries (half stay, so that the scan finds some
// unchanged), and a slow receiver on a third thread reads every entry a
// signal hands it: a freed one shows under AddressSanitizer.
TEST_F(CollectionRacesTest, TrashRestorePurgeRaceAScanAndAThirdThreadReader)
{
    const QStringList pictures = filesIn(goexif(QStringLiteral("samples")), {QStringLiteral("*.jpg")});
    KivPhotoFiles library, trash;
    QThread third;
    QObject reader;
    reader.moveToThread(&third);
    third.start();
    std::atomic<int> read{0};
    auto readEntry = [&](KivPhotoFile* p) {
        read += p && QString(p->dbInfo.fullPath).startsWith(QLatin1Char('/'));
        QThread::usleep(200);
    };
    for (KivPhotoFiles* c : {&library, &trash}) {
        QObject::connect(c, &KivPhotoFiles::photoFileAdded, &reader, [&](int, KivPhotoFile* p) { readEntry(p); });
        QObject::connect(c, &KivPhotoFiles::photoFileUpdated, &reader, [&](int, KivPhotoFile* p) { readEntry(p); });
        QObject::connect(c, &KivPhotoFiles::photoFileDeleted, &reader, readEntry);
        QObject::connect(c, &KivPhotoFiles::sgnSelPhotoFile, &reader, [&](KivPhotoFile* p, bool) { readEntry(p); });
    }
    std::atomic<bool> scanned{false};
    std::thread worker([&] {
        library.threadOpenConnection();
        library.synchronousOff();
        for (int pass = 0; pass < 4 * pictures.size(); ++pass) {
            QFileInfo file(pictures[pass % pictures.size()]);
            DBImageInfo info;
            AddFileToPhotoLibrary::getDBImageInfoFromImageFile(file, info);
            DBImageThumbnail t = thumbnailRecord(info.fullPath, {});
            library.addPhotoFileToDB(info, t, t, t, t);
        }
        library.threadCloseConnection();
        scanned = true;
    });
    library.synchronousOff();
    for (int step = 0; !scanned; ++step, QThread::usleep(20)) {
        const int count = library.photoFilesCount();
        KivPhotoFile* p = count > pictures.size() / 2 ? library.getPhotoFile(step % count) : nullptr;
        if (p && library.sendPhotoFileToTrashcan(p))
            trash.addPhotoFile(p);
        if (KivPhotoFile* t = trash.getPhotoFile(0); t && step % 3 == 0)
            trash.deletePhotoFileFromDB(t);
        else if (t && trash.restorePhotoFileToLib(t))
            library.addPhotoFile(t);
        QCoreApplication::processEvents();
    }
    worker.join();
    QMetaObject::invokeMethod(&reader, [] {}, Qt::BlockingQueuedConnection);
    third.quit();
    third.wait();
    EXPECT_GT(read, pictures.size());
    for (KivPhotoFiles* c : {&library, &trash})
        for (int i = 0; KivPhotoFile* p = c->getPhotoFile(i); ++i)
            EXPECT_EQ(c->findPhotoFile(p->dbInfo.fullPath)->dbInfo.fullPath, p->dbInfo.fullPath);
}

} // namespace
