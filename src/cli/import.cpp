#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTextStream>
#include <QTimer>

#include <velorin/import/addfiletophotolibrary.h>
#include <velorin/imaging/videobasicinfo.h>
#include <velorin/import/addfiletovideolibrary.h>
#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// The signal that asked the import to stop (0 while none did), and the
// worker to pass the request to. Both are lock-free atomics, so the handler
// may touch them; the handler sets the signal before it reads the worker
// and the import publishes the worker before it reads the signal, so one of
// the two always sees the other.
std::atomic<int> stopSignal{0};
std::atomic<AddFileToPhotoLibrary*> runningWorker{nullptr};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<AddFileToPhotoLibrary*>::is_always_lock_free);
// On a terminal the notice starts on a line of its own, below the progress.
bool noticeOnNewLine = false;

extern "C" void onStopSignal(int signo)
{
    if (stopSignal.exchange(signo) != 0) {
        // A second request: the user does not want to wait for the current
        // file. The catalogue's transactions keep it whole even so.
        std::signal(signo, SIG_DFL);
        std::raise(signo);
        return;
    }
    if (AddFileToPhotoLibrary* worker = runningWorker.load())
        worker->requestStop();
    static const char message[] = "\nvelorin import: stopping after the current file (press again to quit at once)\n";
    const int skip = noticeOnNewLine ? 0 : 1;
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message + skip, sizeof message - 1 - skip);
}

// SIGINT and SIGTERM ask the import to stop between files while it lives.
// An interrupt that the caller ignores (a job started in the background by
// a script) stays ignored.
struct StopSignals
{
    StopSignals()
    {
        stopSignal = 0;
        noticeOnNewLine = isatty(STDERR_FILENO) == 1;
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt);
        if (oldInt.sa_handler == SIG_IGN)
            sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &action, &oldTerm);
    }
    ~StopSignals()
    {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &oldTerm, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    struct sigaction oldInt = {};
    struct sigaction oldTerm = {};
};

struct Failure
{
    QString path;
    QString reason;
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void warn(const QString& message)
{
    QTextStream(stderr) << "velorin import: " << message << '\n';
}

// The name patterns of the supported pictures ("*.jpg"), matched ignoring
// case. Plain "*.ext" patterns, all that the settings file ships, are tested
// as name endings; anything else goes through a wildcard expression.
class PictureNames
{
public:
    explicit PictureNames(const QStringList& patterns)
    {
        static const QRegularExpression plainSuffix(QStringLiteral("^\\*\\.[^*?\\[\\]]+$"));
        for (const QString& pattern : patterns) {
            if (plainSuffix.match(pattern).hasMatch())
                m_suffixes.append(pattern.mid(1));
            else
                m_expressions.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                                        QRegularExpression::CaseInsensitiveOption));
        }
    }

    bool isEmpty() const { return m_suffixes.isEmpty() && m_expressions.isEmpty(); }

    bool matches(const QString& name) const
    {
        for (const QString& suffix : m_suffixes) {
            if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive))
                return true;
        }
        return std::any_of(m_expressions.begin(), m_expressions.end(),
                           [&](const QRegularExpression& e) { return e.match(name).hasMatch(); });
    }

private:
    QStringList m_suffixes;
    QList<QRegularExpression> m_expressions;
};

// Finds the pictures named on the command line and in the folders named
// there. Each folder is listed once, whichever way it is reached: folders
// are known by their canonical path, so a link back up the tree ends there
// instead of going round. Links to folders are followed only after every
// folder reached without one, so a folder inside the tree keeps its own
// path even when a link to it sorts first. Hidden entries are left out.
class PictureScan
{
public:
    PictureScan(const PictureNames& names, bool recursive)
        : m_names(names)
        , m_recursive(recursive)
    {
    }

    void addArgument(const QString& argument)
    {
        const QByteArray bytes = argumentBytes(argument);
        if (!isFaithfulFileName(bytes)) {
            const QString name = fileNameText(bytes);
            const QString absolute = bytes.startsWith('/') ? name : QDir::currentPath() + u'/' + name;
            m_failures.append({QDir::cleanPath(absolute), notUtf8Reason()});
            return;
        }
        const QString path = QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
        const QFileInfo info(path);
        if (info.isDir()) {
            m_folders.append(path);
        } else if (!info.exists()) {
            m_failures.append({path, QStringLiteral("no such file or folder")});
        } else if (!info.isFile()) {
            warn(QStringLiteral("skipped %1: not a file or folder").arg(printable(path)));
        } else if (!m_names.matches(info.fileName())) {
            warn(QStringLiteral("skipped %1: not a supported picture or video type").arg(printable(path)));
        } else {
            m_files.append(path);
        }
    }

    // Lists the folders; false when a stop was asked for meanwhile.
    bool run()
    {
        while (!m_folders.isEmpty() || !m_linkedFolders.isEmpty()) {
            if (stopSignal.load() != 0)
                return false;
            const QString folder = m_folders.isEmpty() ? m_linkedFolders.takeFirst() : m_folders.takeLast();
            char* canonical = realpath(QFile::encodeName(folder).constData(), nullptr);
            if (!canonical) {
                unreadable(folder, errno);
                continue;
            }
            const QByteArray key(canonical);
            std::free(canonical);
            if (m_seenFolders.contains(key))
                continue;
            m_seenFolders.insert(key);
            list(folder);
        }
        return true;
    }

    // The pictures found, absolute, sorted by path and each once; files that
    // cannot be read go to the failures instead.
    QStringList takeFiles()
    {
        std::sort(m_files.begin(), m_files.end());
        m_files.erase(std::unique(m_files.begin(), m_files.end()), m_files.end());
        QStringList readable;
        for (const QString& path : std::as_const(m_files)) {
            if (access(QFile::encodeName(path).constData(), R_OK) == 0) {
                readable.append(path);
            } else {
                const int error = errno;
                m_failures.append({path, QStringLiteral("cannot read the file: %1").arg(systemError(error))});
            }
        }
        m_files.clear();
        return readable;
    }

    QList<Failure> failures() const { return m_failures; }

private:
    // A folder that cannot be listed, named or found on the way, is a
    // failure of the run: pictures in it may have been left out.
    void unreadable(const QString& folder, int error)
    {
        m_failures.append({folder, QStringLiteral("cannot read the folder: %1").arg(systemError(error))});
    }

    // The catalogue keys its rows by a QString path, which cannot hold such
    // a name faithfully: the file (or the folder's pictures) cannot be
    // catalogued at all.
    static QString notUtf8Reason()
    {
        return QStringLiteral("the name is not valid UTF-8, which the catalogue cannot store");
    }

    void list(const QString& folder)
    {
        const QByteArray encoded = QFile::encodeName(folder);
        DIR* dir = opendir(encoded.constData());
        if (!dir) {
            unreadable(folder, errno);
            return;
        }
        const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(dir);
            if (!entry) {
                if (const int error = errno; error != 0)
                    m_failures.append(
                        {folder, QStringLiteral("cannot read all of the folder: %1").arg(systemError(error))});
                break;
            }
            if (entry->d_name[0] == '.')
                continue;
            const QByteArray bytes(entry->d_name);
            const QString name = QFile::decodeName(bytes);
            // Most entries are told apart by the listing alone: only links
            // and file systems that give no type cost a stat call.
            unsigned char type = entry->d_type;
            bool linked = false;
            if (type == DT_UNKNOWN || type == DT_LNK) {
                const QByteArray path = encoded + '/' + entry->d_name;
                struct stat st = {};
                if (type == DT_UNKNOWN && lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode))
                    type = DT_LNK;
                linked = type == DT_LNK;
                if (stat(path.constData(), &st) != 0)
                    continue; // a dangling link
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            const bool wanted = (type == DT_DIR && m_recursive) || (type == DT_REG && m_names.matches(name));
            if (wanted && !isFaithfulFileName(bytes, name)) {
                m_failures.append({prefix + fileNameText(bytes), notUtf8Reason()});
            } else if (type == DT_DIR) {
                if (m_recursive)
                    (linked ? m_linkedFolders : m_folders).append(prefix + name);
            } else if (type == DT_REG && m_names.matches(name)) {
                m_files.append(prefix + name);
            }
        }
        closedir(dir);
    }

    const PictureNames& m_names;
    const bool m_recursive;
    QStringList m_folders;       // still to list, reached without a link
    QStringList m_linkedFolders; // still to list, reached through a link
    QSet<QByteArray> m_seenFolders;
    QStringList m_files;
    QList<Failure> m_failures;
};

QString outcomeName(int outcome)
{
    switch (outcome) {
    case AddFileToPhotoLibrary::Added: return QStringLiteral("added");
    case AddFileToPhotoLibrary::Updated: return QStringLiteral("updated");
    case AddFileToPhotoLibrary::Unchanged: return QStringLiteral("unchanged");
    default: return QStringLiteral("failed");
    }
}

// Progress on stderr: on a terminal one line redrawn in place, elsewhere a
// line per file that a log or another program can read.
class Progress
{
public:
    explicit Progress(int total)
        : m_total(total)
        , m_terminal(isatty(STDERR_FILENO) == 1)
        , m_err(stderr)
    {
        m_clock.start();
    }

    bool terminal() const { return m_terminal; }

    void fileDone(int outcome, const QString& path, const QString& reason)
    {
        ++m_done;
        if (!m_terminal) {
            m_err << "velorin import: " << m_done << '/' << m_total << ' ' << outcomeName(outcome) << ' '
                  << printable(path);
            if (!reason.isEmpty())
                m_err << ": " << printable(reason);
            m_err << Qt::endl;
        } else if (m_done == m_total || m_sinceDrawn.hasExpired(100)) {
            draw();
        }
    }

    // Redrawn now and then while a slow file keeps the count still.
    void draw()
    {
        if (!m_terminal)
            return;
        constexpr int width = 30;
        const int filled = m_total > 0 ? int(qint64(width) * m_done / m_total) : width;
        QString line = u'[' + QString(filled, u'#') + QString(width - filled, u'-') + u']';
        line += QStringLiteral(" %1/%2").arg(m_done).arg(m_total);
        const double seconds = m_clock.elapsed() / 1000.0;
        if (m_done > 0 && seconds >= 0.5) {
            const double rate = m_done / seconds;
            line += QStringLiteral("  %1 files/s  %2 left")
                        .arg(rate, 0, 'f', rate < 10 ? 1 : 0)
                        .arg(secondsClock(qint64((m_total - m_done) / rate + 0.5)));
        }
        // Padding covers what a longer earlier line left behind.
        m_err << '\r' << line.leftJustified(m_drawnWidth) << Qt::flush;
        m_drawnWidth = int(line.size());
        m_sinceDrawn.start();
    }

    void finish()
    {
        if (m_terminal && m_drawnWidth > 0) {
            draw();
            m_err << Qt::endl;
        }
    }

private:
    const int m_total;
    const bool m_terminal;
    QTextStream m_err;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceDrawn;
    int m_done = 0;
    int m_drawnWidth = 0;
};

struct Tally
{
    int added = 0;
    int updated = 0;
    int unchanged = 0;
    int done = 0;
    bool finished = false; // the worker reported the end of its pass
    bool stopped = false;  // ... before its last file
};

// Runs the worker over the pictures on this thread's event loop; its
// signals arrive queued, one per file, then the end of the pass.
Tally importFiles(const QStringList& files, Progress& progress, QList<Failure>* failures)
{
    Tally tally;
    AddFileToPhotoLibrary worker;
    QEventLoop loop;
    QObject::connect(
        &worker, &AddFileToPhotoLibrary::photoFileImported, &loop,
        [&](int, const QString& path, int outcome, const QString& reason) {
            ++tally.done;
            if (outcome == AddFileToPhotoLibrary::Failed)
                failures->append({path, reason});
            progress.fileDone(outcome, path, reason);
        },
        Qt::QueuedConnection);
    QObject::connect(
        &worker, &AddFileToPhotoLibrary::importFinished, &loop,
        [&](int added, int updated, int unchanged, int, bool stopped) {
            tally.added = added;
            tally.updated = updated;
            tally.unchanged = unchanged;
            tally.finished = true;
            tally.stopped = stopped;
        },
        Qt::QueuedConnection);
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer redraw;
    if (progress.terminal()) {
        progress.draw();
        QObject::connect(&redraw, &QTimer::timeout, &loop, [&] { progress.draw(); });
        redraw.start(500);
    }

    QList<QString> list = files;
    worker.setPassPriority(QThread::NormalPriority);
    worker.Start2(list);
    runningWorker = &worker;
    if (stopSignal.load() != 0)
        worker.requestStop();
    loop.exec();
    runningWorker = nullptr;
    worker.wait();
    return tally;
}

// The videos one at a time, each read by the video plug-in for its facts
// and thumbnail. A stop asked for ends the run after the current video.
void importVideos(const QStringList& files, Progress& progress, Tally& tally, QList<Failure>* failures)
{
    // One load of the video plug-in for the run instead of one per video.
    VideoLibInit();
    const auto unload = qScopeGuard([] { VideoLibUninit(); });
    AddFileToVideoLibrary worker;
    worker.setPassPriority(QThread::NormalPriority);
    for (const QString& path : files) {
        if (stopSignal.load() != 0) {
            tally.stopped = true;
            return;
        }
        worker.Start(path, nullptr);
        while (!worker.wait(500))
            progress.draw();
        const AddFileToVideoLibrary::Outcome outcome = worker.outcome();
        // The two workers number their outcomes alike.
        static_assert(int(AddFileToVideoLibrary::Failed) == int(AddFileToPhotoLibrary::Failed)
                      && int(AddFileToVideoLibrary::Unchanged) == int(AddFileToPhotoLibrary::Unchanged));
        ++tally.done;
        switch (outcome) {
        case AddFileToVideoLibrary::Added: ++tally.added; break;
        case AddFileToVideoLibrary::Updated: ++tally.updated; break;
        case AddFileToVideoLibrary::Unchanged: ++tally.unchanged; break;
        case AddFileToVideoLibrary::Failed: failures->append({path, worker.failureReason()}); break;
        }
        progress.fileDone(outcome, path, worker.failureReason());
    }
}

} // namespace

// velorin import [--no-recursive] PATH...: the pictures and videos named and
// those in the folders named (and their sub-folders) added to the photo and
// the video catalogue, or refreshed where the file changed since.
int import(const QStringList& args)
{
    bool recursive = true;
    QStringList paths;
    bool options = true;
    for (const QString& a : args) {
        if (options && a == u"--no-recursive") {
            recursive = false;
        } else if (options && a == u"--") {
            options = false;
        } else if (options && a.startsWith(u'-') && a.size() > 1) {
            warn(QStringLiteral("unknown option '%1'").arg(printable(a)));
            return 2;
        } else {
            paths.append(a);
        }
    }
    if (paths.isEmpty()) {
        QTextStream(stderr) << "usage: velorin import [--no-recursive] PATH...\n";
        return 2;
    }

    SupportMediaTypes types;
    const QStringList videoPatterns = types.getSupportedVideoFilters();
    const PictureNames names(types.getSupportedImageFilters() + videoPatterns);
    const PictureNames videoNames(videoPatterns);
    if (names.isEmpty()) {
        warn(QStringLiteral("no picture types configured in %1").arg(types.getApplicationSettingsFile()));
        return 1;
    }

    StopSignals handlers;
    PictureScan scan(names, recursive);
    for (const QString& path : std::as_const(paths))
        scan.addArgument(path);
    const bool scanned = scan.run();
    const QStringList files = scan.takeFiles();
    QList<Failure> failures = scan.failures();
    QStringList pictures;
    QStringList videos;
    for (const QString& path : files)
        (videoNames.matches(QFileInfo(path).fileName()) ? videos : pictures).append(path);

    Tally tally;
    if (scanned && !files.isEmpty()) {
        if (!pictures.isEmpty())
            warn(QStringLiteral("%1 %2 to import").arg(pictures.size()).arg(pictures.size() == 1 ? "picture" : "pictures"));
        if (!videos.isEmpty())
            warn(QStringLiteral("%1 %2 to import").arg(videos.size()).arg(videos.size() == 1 ? "video" : "videos"));
        // Each side's files and tables must exist before its worker opens
        // its own connections; one side at a time, as the catalogue's side
        // is one for the process.
        if (!pictures.isEmpty() && !CatalogueSession("import", true).usable())
            return 1;
        if (!videos.isEmpty() && !CatalogueSession("import", false).usable())
            return 1;
        Progress progress(int(files.size()));
        if (!pictures.isEmpty()) {
            tally = importFiles(pictures, progress, &failures);
            if (!tally.finished) {
                progress.finish();
                warn(QStringLiteral("the photo catalogue could not be opened"));
                return 1;
            }
        }
        if (!tally.stopped)
            importVideos(videos, progress, tally, &failures);
        progress.finish();
    } else if (scanned && failures.isEmpty()) {
        warn(QStringLiteral("no pictures or videos found"));
    }

    QTextStream out(stdout);
    out << "added " << tally.added << ", updated " << tally.updated << ", unchanged " << tally.unchanged
        << ", failed " << failures.size() << '\n';
    std::sort(failures.begin(), failures.end(), [](const Failure& a, const Failure& b) { return a.path < b.path; });
    for (const Failure& f : std::as_const(failures))
        out << "failed " << printable(f.path) << ": " << printable(f.reason) << '\n';
    // A stop asked for after the last file changes nothing.
    if (!scanned || tally.stopped) {
        if (scanned)
            out << "stopped after " << tally.done << " of " << files.size()
                << " files; importing again adds the rest\n";
        else
            out << "stopped while looking for pictures and videos; nothing was imported\n";
        return 128 + stopSignal.load();
    }
    return failures.isEmpty() ? 0 : 1;
}

} // namespace velorin::cli
