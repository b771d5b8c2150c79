// velorin-bench-pictures: the cost of making a photo's four thumbnails and
// reading its metadata, each printed next to a reference measured in the
// same run on the same file:
//
//   1. the four thumbnails (384, 256, 128, 64) from one decode, as the import
//      makes them, against `djpeg -scale 1/8` of the same file (process
//      start included) and against a full decode scaled down;
//   2. the EXIF read of the same file, raw and formatted;
//   3. the photo import of 200 such files (metadata, four thumbnails, the
//      SQLite writes), once confined to one core and once on every core,
//      against djpeg -scale 1/8 of the same files.
//
//   velorin-bench-pictures [--quick] [FILE.jpg]
//
// Without FILE the program paints a 12-megapixel photograph-like picture
// (soft gradients, shapes, sensor-like noise), saves it as a baseline JPEG
// and gives it full camera metadata and a GPS position with exiftool when
// that is installed. --quick runs each measurement fewer times and imports
// 40 files instead of 200.

#include <velorin/imaging/exifproperties.h>
#include <velorin/imaging/exifpropertyreader.h>
#include <velorin/imaging/zellibhelper.h>
#include <velorin/import/addfiletophotolibrary.h>

#include "benchsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

#include <sched.h>

using namespace velorin::bench;

namespace {

const unsigned short* u16(const QString& text)
{
    return reinterpret_cast<const unsigned short*>(text.utf16());
}

// A 4000 x 3000 picture with the kind of detail a photograph has, so that the
// JPEG decoder does a photograph's amount of work.
QImage photographLike()
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 3000);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(0.6, QColor(200, 210, 220));
    sky.setColorAt(1, QColor(60, 90, 40));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator rng(12);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 400; ++i) {
        const QColor c(rng.bounded(256), rng.bounded(256), rng.bounded(256), 60 + rng.bounded(160));
        painter.setBrush(c);
        painter.setPen(QPen(c.darker(), 1 + rng.bounded(6)));
        painter.drawEllipse(QPointF(rng.bounded(4000), rng.bounded(3000)), 20 + rng.bounded(400),
                            20 + rng.bounded(300));
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(rng.bounded(13)) - 6;
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                          std::clamp(qBlue(p) + n, 0, 255));
        }
    }
    return image;
}

bool addCameraMetadata(const QString& path)
{
    const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (exiftool.isEmpty())
        return false;
    const QStringList args = {
        QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-n"),
        QStringLiteral("-EXIF:Make=Canon"), QStringLiteral("-EXIF:Model=Canon EOS 5D Mark IV"),
        QStringLiteral("-EXIF:Orientation=1"), QStringLiteral("-EXIF:ExposureTime=0.004"),
        QStringLiteral("-EXIF:FNumber=2.8"), QStringLiteral("-EXIF:ISO=400"), QStringLiteral("-EXIF:FocalLength=50"),
        QStringLiteral("-EXIF:Flash=16"), QStringLiteral("-EXIF:DateTimeOriginal=2023:07:14 15:42:07"),
        QStringLiteral("-EXIF:CreateDate=2023:07:14 15:42:07"), QStringLiteral("-EXIF:ModifyDate=2023:07:14 15:42:07"),
        QStringLiteral("-GPS:GPSLatitude=48.858370"), QStringLiteral("-GPS:GPSLatitudeRef=N"),
        QStringLiteral("-GPS:GPSLongitude=2.294481"), QStringLiteral("-GPS:GPSLongitudeRef=E"),
        QStringLiteral("-GPS:GPSAltitude=35.5"), QStringLiteral("-GPS:GPSAltitudeRef=0"),
        QStringLiteral("-EXIF:UserComment=Benchmark photograph"), path};
    return QProcess::execute(exiftool, args) == 0;
}

// djpeg decoding at 1/8 scale to /dev/null, process start included; negative
// when djpeg cannot be run.
double djpegSeconds(const QString& djpeg, const QString& file)
{
    QProcess process;
    const double s = seconds([&] {
        process.start(djpeg, {QStringLiteral("-scale"), QStringLiteral("1/8"), QStringLiteral("-outfile"),
                              QStringLiteral("/dev/null"), file});
        process.waitForFinished(-1);
    });
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? s : -1;
}

// What the thumbnails would cost without shrink-on-load: the whole picture
// decoded, then scaled to the largest box.
double fullDecodeSeconds(const QString& file)
{
    return seconds([&] {
        QImageReader reader(file);
        reader.setAutoTransform(true);
        const QImage full = reader.read();
        const QImage large = full.scaled(384, 384, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        check(!large.isNull(), QStringLiteral("full decode of ") + file);
    });
}

// Imports files into a fresh catalogue; the threads the import starts
// inherit the calling thread's CPU set.
double importSeconds(QList<QString> files)
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    AddFileToPhotoLibrary worker;
    int added = 0;
    QObject::connect(&worker, &AddFileToPhotoLibrary::importFinished, &worker,
                     [&](int a, int, int, int, bool) { added = a; }, Qt::DirectConnection);
    const double s = seconds([&] {
        worker.Start2(files);
        worker.wait();
    });
    check(added == files.size(), QStringLiteral("import added %1 of %2").arg(added).arg(files.size()));
    return s;
}

// Sets the CPU set of every thread of the process: Qt's own thread pool,
// started by the earlier measurements, included.
void setProcessAffinity(const cpu_set_t& cpus)
{
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        sched_setaffinity(pid_t(task.toInt()), sizeof cpus, &cpus);
}

// Runs work with the whole process (and the threads work starts) confined to
// the first CPU it may use.
template <class F>
double onOneCore(F&& work)
{
    cpu_set_t all;
    CPU_ZERO(&all);
    sched_getaffinity(0, sizeof all, &all);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    setProcessAffinity(one);
    const double s = work();
    setProcessAffinity(all);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    // Pictures are only painted and decoded in memory: no display is needed,
    // so the program runs where the tool runs (a server, a CI machine).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool quick = args.removeAll(QStringLiteral("--quick")) > 0;
    const int runs = quick ? 3 : 10;

    QTemporaryDir temp;
    QString file = args.value(0);
    bool metadata = true;
    if (file.isEmpty()) {
        progress(QStringLiteral("painting a 12-megapixel photograph"));
        file = temp.filePath(QStringLiteral("photo.jpg"));
        check(photographLike().save(file, "JPEG", 92), QStringLiteral("saving the photograph"));
        metadata = addCameraMetadata(file);
    }

    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    double djpegBest = -1;
    if (!djpeg.isEmpty()) {
        djpegSeconds(djpeg, file); // warm the page cache
        djpegBest = bestOf(runs, [&] { return djpegSeconds(djpeg, file); });
    }

    ZellibHelper helper;
    const QList<int> boxes = {384, 256, 128, 64};
    QList<QSize> sizes;
    helper.GetThumbnailsUseZelLib(u16(file), boxes, true, 0, &sizes); // loads the image plugins
    const double fourBest = bestOf(runs, [&] {
        return seconds([&] {
            const QList<QByteArray> blobs = helper.GetThumbnailsUseZelLib(u16(file), boxes, true, 0, &sizes);
            check(blobs.size() == 4 && !blobs.last().isEmpty(), QStringLiteral("four thumbnails"));
        });
    });
    const double oneBest = bestOf(runs, [&] {
        return seconds([&] {
            check(!helper.GetThumbnailUseZelLib(u16(file), 384, 384, nullptr, nullptr, true, 0).isEmpty(),
                  QStringLiteral("one thumbnail"));
        });
    });
    const double fullBest = bestOf(quick ? 1 : 3, [&] { return fullDecodeSeconds(file); });

    const int exifRuns = quick ? 200 : 2000;
    const double rawExif = seconds([&] {
        for (int i = 0; i < exifRuns; ++i) {
            _EXIF_INFORMATION info{};
            check(GetImageExif(u16(file), &info) == 1 || !metadata, QStringLiteral("GetImageExif"));
        }
    }) / exifRuns;
    const double formattedExif = seconds([&] {
        for (int i = 0; i < exifRuns; ++i) {
            _EXIF_INFORMATION info{};
            GetImageExif(u16(file), &info);
            CExifPropertyReader reader;
            reader.ImportExifInfo(&info);
        }
    }) / exifRuns;

    progress(QStringLiteral("import"));
    const int importCount = quick ? 40 : 200;
    QList<QString> copies;
    for (int i = 0; i < importCount; ++i) {
        copies << temp.filePath(QStringLiteral("import/photo%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        if (i == 0)
            QDir().mkpath(QFileInfo(copies.first()).path());
        check(QFile::copy(file, copies.last()), QStringLiteral("copying ") + copies.last());
    }
    double djpegAll = -1;
    if (!djpeg.isEmpty()) {
        djpegAll = 0;
        for (const QString& copy : std::as_const(copies))
            djpegAll += djpegSeconds(djpeg, copy);
    }
    const double importOneCore = onOneCore([&] { return importSeconds(copies); });
    const double importAllCores = importSeconds(copies);

    const QSize size = QImageReader(file).size();
    std::printf("velorin-bench-pictures%s: %s, %dx%d, %.1f MB, Qt %s, camera metadata %s\n", quick ? " --quick" : "",
                qPrintable(args.isEmpty() ? QStringLiteral("painted photograph") : file), size.width(), size.height(),
                QFile(file).size() / 1e6, qVersion(), metadata ? "yes" : "no");
    const QString ratio = djpegBest > 0 ? QStringLiteral("%1x").arg(fourBest / djpegBest, 0, 'f', 2)
                                        : QStringLiteral("n/a (djpeg not installed)");
    std::printf("four thumbnails %dx%d %dx%d %dx%d %dx%d from one decode, BMP blobs: %.1f ms | djpeg -scale 1/8: "
                "%.1f ms | ratio %s (goal <= 1.0x)\n",
                sizes.value(0).width(), sizes.value(0).height(), sizes.value(1).width(), sizes.value(1).height(),
                sizes.value(2).width(), sizes.value(2).height(), sizes.value(3).width(), sizes.value(3).height(),
                fourBest * 1e3, djpegBest * 1e3, qPrintable(ratio));
    std::printf("one 384 thumbnail: %.1f ms | ratio %.2fx\n", oneBest * 1e3,
                djpegBest > 0 ? oneBest / djpegBest : 0.0);
    std::printf("reference full decode then scale to 384: %.1f ms | ratio %.2fx\n", fullBest * 1e3,
                djpegBest > 0 ? fullBest / djpegBest : 0.0);
    std::printf("EXIF read per file: GetImageExif %.3f ms | with formatting %.3f ms\n", rawExif * 1e3,
                formattedExif * 1e3);
    const auto perPhoto = [&](double total) { return total / importCount * 1e3; };
    const auto ratioTo = [&](double total) {
        return djpegAll > 0 ? QStringLiteral("%1x").arg(total / djpegAll, 0, 'f', 2) : QStringLiteral("n/a");
    };
    std::printf("import of %d photos, one core: %.1f photos/s, %.1f ms/photo | djpeg -scale 1/8: %.1f ms/photo | "
                "ratio %s (goal <= 1.2x)\n",
                importCount, importCount / importOneCore, perPhoto(importOneCore), perPhoto(djpegAll),
                qPrintable(ratioTo(importOneCore)));
    std::printf("import of %d photos, %d cores: %.1f photos/s, %.1f ms/photo | ratio %s (goal <= 0.65x)\n",
                importCount, QThread::idealThreadCount(), importCount / importAllCores, perPhoto(importAllCores),
                qPrintable(ratioTo(importAllCores)));
    return g_failed ? 1 : 0;
}
