// velorin-bench-video-import CLIP [COUNT]: the video import of COUNT copies
// of one real clip (100 by default), time per clip, against the video
// reader's read of the same file alone (what the import cannot avoid); then
// the background service filling in COUNT entries added without thumbnail,
// with the longest stall of the application's event loop meanwhile (a 1 ms
// timer measuring the gaps between its ticks): nothing of the service's
// work may hold up the application's thread (goal: under 20 ms).

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <velorin/imaging/videobasicinfo.h>
#include <velorin/velorin.h>

#include "benchsupport.h"
#include "support/privatehome.h"

using namespace velorin::bench;

namespace {

// COUNT names for the clip in `folder` (hard links, or copies where links
// cannot be made).
QStringList copiesOf(const QString& clip, const QString& folder, int count)
{
    QStringList paths;
    const QString suffix = QFileInfo(clip).suffix();
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/clip%2.%3").arg(folder).arg(i, 3, 10, QLatin1Char('0')).arg(suffix);
        if (::link(QFile::encodeName(clip).constData(), QFile::encodeName(path).constData()) != 0)
            QFile::copy(clip, path);
        paths.append(path);
    }
    return paths;
}

void importBench(const QStringList& paths)
{
    const double read = seconds([&] {
        for (const QString& path : paths) {
            VideoBasicInfo info;
            check(info.ReadFileWithThumbnail(path, 256, 256) == 0, QStringLiteral("read ") + path);
        }
    });
    AddFileToVideoLibrary import;
    const double imported = seconds([&] {
        for (const QString& path : paths) {
            import.Start(path, nullptr);
            import.wait();
            check(import.outcome() == AddFileToVideoLibrary::Added, QStringLiteral("import ") + path);
        }
    });
    const double n = paths.size();
    std::printf("video import: %d clips, %.2f ms per clip; the reader alone %.2f ms per clip; ratio %.2fx\n",
                int(n), imported * 1000 / n, read * 1000 / n, imported / read);
}

void serviceBench(const QStringList& paths)
{
    getDatabaseService()->Initialize(false);
    VideoInfoDB* table = getDatabaseService()->getVideoInfoDB();
    // Rows without thumbnails, as a scan that could not read them leaves.
    for (const QString& path : paths) {
        DBVideoInfo v;
        v.fullPath = path;
        table->insertRecord(&v);
    }
    int updated = 0;
    qint64 longestGap = 0;
    {
        KivVideoFiles files;
        QEventLoop loop;
        QObject::connect(&files, &KivVideoFiles::photoFileUpdated, &loop, [&](int, KivVideoFile* file) {
            check(file && !file->dbInfo.thumbnail.isEmpty(), QStringLiteral("thumbnail of a service entry"));
            if (++updated == paths.size())
                loop.quit();
        });
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
            sinceTick.start();
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        const double elapsed = seconds([&] {
            // The load adds the entries on this thread; the service starts
            // with the first and fills them in on its own while the loop runs.
            files.loadImageInfoFromDatabase();
            sinceTick.start();
            ticker.start(1);
            loop.exec();
            ticker.stop();
        });
        check(updated == paths.size(), QStringLiteral("every entry reported back"));
        std::printf("background service: %d clips in %.2f s (%.2f ms per clip); longest event-loop stall %.2f ms "
                    "(goal < 20 ms)\n",
                    updated, elapsed, elapsed * 1000 / std::max(updated, 1), longestGap / 1e6);
    }
    getDatabaseService()->UnInitialize();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velorin-bench-video-import CLIP [COUNT]\n");
        return 2;
    }
    const int count = args.size() > 2 ? args[2].toInt() : 100;
    QTemporaryDir home;
    usePrivateHome(home.path());
    const QString folder = home.path() + QStringLiteral("/clips");
    QDir().mkpath(folder);
    const QString clip = QFileInfo(args[1]).absoluteFilePath();
    QDir().mkpath(folder + QStringLiteral("/service"));

    VideoLibInit(); // one load for the whole run, as an application keeps it
    importBench(copiesOf(clip, folder, count));
    serviceBench(copiesOf(clip, folder + QStringLiteral("/service"), count));
    VideoLibUninit();
    return g_failed ? 1 : 0;
}
