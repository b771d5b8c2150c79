#include "addfiletophotolibrary.h"

#include <velorin/db/imageinfodb.h>
#include <velorin/db/imagethumbnaildb.h>
#include <velorin/imaging/exifproperties.h>
#include <velorin/imaging/exifpropertyreader.h>
#include <velorin/imaging/zellibhelper.h>
#include <velorin/photo/photowriter.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/core/dberror.h>
#include <velorin/core/tablegroup.h>
#include <velorin/core/writetransaction.h>

#include <QElapsedTimer>
#include <QRegularExpression>

#include <array>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr std::array<int, 4> ThumbnailBoxes = {64, 128, 256, 384};

// A transaction is committed after this many saved photos or this long,
// whichever comes first: long enough to spare most of the per-commit cost,
// short enough that a crash loses little work, that files are reported (on
// commit) at a steady pace, and that another process importing into the
// same catalogue never waits long for its turn.
constexpr int BatchPhotos = 32;
constexpr qint64 BatchMilliseconds = 250;

// Everything a file needs before it is saved: made on a decode thread.
struct PreparedPhoto
{
    DBImageInfo info;
    std::array<DBImageThumbnail, 4> thumbnails;
    QString failure; // why the thumbnails could not be made
    bool missing = false;
};

// Decodes the files of a pass on helper threads, ahead of the thread that
// saves them in list order, never more than a window of files ahead (which
// bounds the memory the prepared thumbnails take).
class DecodeAhead
{
public:
    using Prepare = std::function<void(int index, PreparedPhoto& out)>;

    DecodeAhead(QList<int> work, Prepare prepare, const std::atomic<bool>& stop)
        : m_work(std::move(work)), m_prepare(std::move(prepare)), m_stop(stop), m_slots(m_work.size())
    {
        const int threads = std::clamp(QThread::idealThreadCount(), 1, 8);
        m_window = threads * 2;
        for (int i = 0; i < threads && i < m_work.size(); ++i)
            m_threads.emplace_back([this] { decodeLoop(); });
    }

    ~DecodeAhead()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

    // The prepared photo of the n-th work item, waiting for it; nothing
    // when the pass was stopped before it was started.
    std::optional<PreparedPhoto> take(int n)
    {
        std::unique_lock lock(m_mutex);
        m_taken = n;
        m_changed.notify_all();
        while (!m_slots[n]) {
            if (m_stop.load() && n >= m_claimed)
                return std::nullopt;
            m_changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        std::optional<PreparedPhoto> photo = std::move(m_slots[n]);
        m_slots[n].reset();
        m_taken = n + 1;
        m_changed.notify_all();
        return photo;
    }

private:
    void decodeLoop()
    {
        for (;;) {
            int n = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait_for(lock, std::chrono::milliseconds(50), [&] {
                    return m_closing || m_claimed >= m_work.size() || m_claimed < m_taken + m_window;
                });
                if (m_closing || m_stop.load() || m_claimed >= m_work.size())
                    return;
                if (m_claimed >= m_taken + m_window)
                    continue;
                n = m_claimed++;
            }
            PreparedPhoto photo;
            m_prepare(m_work[n], photo);
            {
                std::lock_guard lock(m_mutex);
                m_slots[n] = std::move(photo);
            }
            m_changed.notify_all();
        }
    }

    const QList<int> m_work;
    const Prepare m_prepare;
    const std::atomic<bool>& m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::optional<PreparedPhoto>> m_slots;
    std::vector<std::thread> m_threads;
    int m_claimed = 0; // work items handed to a decode thread
    int m_taken = 0;   // work items the saving thread has reached
    int m_window = 2;
    bool m_closing = false;
};

void prepare(const QString& path, PreparedPhoto& out)
{
    QFileInfo file(path);
    if (!file.exists()) {
        out.missing = true;
        return;
    }
    AddFileToPhotoLibrary::getDBImageInfoFromImageFile(file, out.info);
    const QString absolute = file.absoluteFilePath();
    int error = PubImage::ZelLoadOk;
    const QList<QByteArray> blobs = ZellibHelper().GetThumbnailsUseZelLib(
        reinterpret_cast<const unsigned short*>(absolute.utf16()), QList<int>(ThumbnailBoxes.begin(), ThumbnailBoxes.end()),
        true, 0, nullptr, &error);
    const QDateTime now = QDateTime::currentDateTime();
    for (size_t i = 0; i < ThumbnailBoxes.size(); ++i) {
        DBImageThumbnail& t = out.thumbnails[i];
        t.fullPath = absolute;
        t.mediaModifyDate = file.lastModified();
        t.recordTimestamp = now;
        t.thumbnail = blobs.value(qsizetype(i));
    }
    if (error != PubImage::ZelLoadOk)
        out.failure = PubImage::zelLoadErrorText(error) + QStringLiteral(": saved without thumbnails");
}

// One file's outcome, reported once its batch is committed.
struct FileResult
{
    int index;
    AddFileToPhotoLibrary::Outcome outcome;
    QString reason;
};

// Saves one decoded file inside the pass's transaction (begun here when
// none is open) as a unit of its own: when one of its writes fails, only
// its writes are undone and the batch goes on.
FileResult savePrepared(int index, PreparedPhoto& photo, velorin::WriteTransaction& transaction,
                        QElapsedTimer& batchAge)
{
    FileResult result{index, AddFileToPhotoLibrary::Failed, QString()};
    const auto failed = [&] {
        result.reason = velorin::describeLastDbError();
        return result;
    };
    if (!transaction.isActive()) {
        if (!transaction.begin())
            return failed();
        batchAge.start();
    }
    if (!transaction.savepoint())
        return failed();
    auto& t = photo.thumbnails;
    const velorin::PhotoSaveResult saved = velorin::savePhotoToDB(photo.info, {&t[0], &t[1], &t[2], &t[3]});
    if (saved == velorin::PhotoSaveResult::Failed) {
        failed();
        transaction.rollbackToSavepoint();
        return result;
    }
    if (!transaction.releaseSavepoint())
        return failed();
    if (!photo.failure.isEmpty()) {
        // Saved, but without thumbnails: not done, and tried again next time.
        result.reason = photo.failure;
        return result;
    }
    switch (saved) {
    case velorin::PhotoSaveResult::Inserted:
        result.outcome = AddFileToPhotoLibrary::Added;
        break;
    case velorin::PhotoSaveResult::Rewritten:
        result.outcome = AddFileToPhotoLibrary::Updated;
        break;
    default:
        // Another writer stored the same file meanwhile.
        result.outcome = AddFileToPhotoLibrary::Unchanged;
        break;
    }
    return result;
}

} // namespace

AddFileToPhotoLibrary::AddFileToPhotoLibrary()
    : QThread(nullptr)
{
}

AddFileToPhotoLibrary::~AddFileToPhotoLibrary()
{
    Stop();
}

bool AddFileToPhotoLibrary::Start(QString path)
{
    QList<QString> paths{std::move(path)};
    return Start2(paths);
}

bool AddFileToPhotoLibrary::Start2(QList<QString>& paths)
{
    // One pass at a time: a running pass keeps its list.
    if (isRunning())
        return false;
    m_files.clear();
    m_files.append(paths);
    m_stopRequested = false;
    start(m_passPriority);
    return true;
}

bool AddFileToPhotoLibrary::Stop()
{
    requestStop();
    wait();
    return true;
}

void AddFileToPhotoLibrary::requestStop()
{
    m_stopRequested = true;
}

void AddFileToPhotoLibrary::run()
{
    addPhotoFiles(m_files);
}

double AddFileToPhotoLibrary::DMSToDecimal(QString text)
{
    if (text.isEmpty())
        return 0.0;
    text.replace(QChar(0x00B0), u' ').replace(u'\'', u' ').replace(u'"', u' ');
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QStringList parts = text.split(spaces, Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return 0.0;
    const auto isHemisphere = [](const QString& s) {
        return s == u"N" || s == u"E" || s == u"S" || s == u"W";
    };
    const float degrees = parts[0].toFloat();
    const float minutes = parts[1].toFloat();
    const float seconds = isHemisphere(parts[2]) ? 0.0f : parts[2].toFloat();
    double value = (seconds / 60.0 + minutes) / 60.0 + degrees;
    if (parts.last() == u"S" || parts.last() == u"W")
        value = -value;
    return value;
}

void AddFileToPhotoLibrary::getDBImageInfoFromImageFile(QFileInfo& file, DBImageInfo& info)
{
    info.name = file.completeBaseName();
    info.fullPath = file.absoluteFilePath();
    info.originalPath = file.absoluteFilePath();
    info.fileSize = file.size();
    info.mediaModifyDate = file.lastModified();
    info.mediaRating = 0;

    // One reading of the file's header gives the raw metadata and the
    // orientation code of the stored pixels.
    const QString path = file.absoluteFilePath();
    _EXIF_INFORMATION exif{};
    int orientation = 0;
    if (!GetImageExif(reinterpret_cast<const unsigned short*>(path.utf16()), &exif, &orientation))
        return;
    // The position from the raw rationals: the display texts round minutes
    // and seconds (a camera's 36 deg 35.8465' reads 36.6 from them).
    const ExifPosition position = GetExifPosition(&exif);
    if (position.latitude && position.longitude) {
        info.latitude = *position.latitude;
        info.longitude = *position.longitude;
    }
    // Formatted without the readers' shared table, which another thread's
    // picture may fill at any moment.
    if (const QString date = CExifPropertyReader::FormatPropValue(&exif, velorin::exif::ExifPropDateTime);
        !date.isEmpty())
        info.exifDate = date;
    if (const QString comment = CExifPropertyReader::FormatPropValue(&exif, velorin::exif::ExifPropUserComment);
        !comment.isEmpty())
        info.mediaComment = comment;
    if (orientation != 0)
        info.orientation = orientation;
}

bool AddFileToPhotoLibrary::addPhotoFiles(QList<QString>& paths)
{
    velorin::CatalogueTables* catalogue = velorin::catalogueTables();
    catalogue->open(true);
    // Why the catalogue cannot be used at all (a file that is not a
    // database, a folder that cannot be created): every file fails with it,
    // undecoded.
    const QString unusable = velorin::describeLastDbError();
    // Thumbnail stores first, then the image table (the commit order).
    const std::vector<SQLiteDatabase*> tables = velorin::photoWriteTables();
    velorin::tablegroup::openConnections(tables);

    // What each file needs, from the rows as they stand: current files are
    // counted without being decoded. The save checks again inside its
    // transaction, where another writer can no longer change the answer.
    enum class Plan { Save, Unchanged, Failed };
    QList<Plan> plans;
    QStringList planFailures;
    QList<int> work;
    for (int i = 0; i < paths.size(); ++i) {
        const QFileInfo file(paths[i]);
        QString failure = unusable;
        if (failure.isEmpty() && !file.exists())
            failure = QStringLiteral("no such file");
        velorin::StoredPhotoState stored;
        if (failure.isEmpty()) {
            DBImageInfo facts;
            facts.fullPath = file.absoluteFilePath();
            facts.mediaModifyDate = file.lastModified();
            facts.fileSize = file.size();
            stored = velorin::storedPhotoState(facts);
            if (stored.state == velorin::StoredPhoto::Unknown)
                failure = velorin::describeLastDbError();
        }
        planFailures.append(failure);
        if (!failure.isEmpty()) {
            plans.append(Plan::Failed);
        } else if (stored.state == velorin::StoredPhoto::Current) {
            plans.append(Plan::Unchanged);
        } else {
            plans.append(Plan::Save);
            work.append(i);
        }
    }

    // Outcomes wait for the commit of their batch: a file is reported done
    // only once it is in the catalogue for good.
    QList<FileResult> pending;
    int counts[4] = {0, 0, 0, 0};
    bool stopped = false;
    {
        velorin::WriteTransaction transaction(tables);
        int batched = 0;
        QElapsedTimer batchAge;
        const auto flush = [&] {
            if (transaction.isActive() && !transaction.commit()) {
                const QString reason = velorin::describeLastDbError();
                for (FileResult& p : pending) {
                    if (p.outcome == Added || p.outcome == Updated) {
                        p.outcome = Failed;
                        p.reason = reason;
                    }
                }
            }
            batched = 0;
            for (const FileResult& p : std::as_const(pending)) {
                ++counts[p.outcome];
                emit photoFileImported(p.index, paths[p.index], p.outcome, p.reason);
            }
            pending.clear();
        };
        DecodeAhead decoder(work, [&](int i, PreparedPhoto& out) { prepare(paths[i], out); }, m_stopRequested);
        int next = 0; // position in work
        for (int i = 0; i < paths.size(); ++i) {
            if (m_stopRequested.load()) {
                stopped = true;
                break;
            }
            FileResult result{i, Failed, planFailures[i]};
            if (plans[i] == Plan::Unchanged) {
                result.outcome = Unchanged;
            } else if (plans[i] == Plan::Save) {
                std::optional<PreparedPhoto> photo = decoder.take(next++);
                if (!photo) {
                    stopped = true;
                    break;
                }
                if (photo->missing)
                    result.reason = QStringLiteral("the file vanished during the import");
                else
                    result = savePrepared(i, *photo, transaction, batchAge);
                if (transaction.isActive())
                    ++batched;
            }
            pending.append(result);
            if (!transaction.isActive() || batched >= BatchPhotos || batchAge.elapsed() >= BatchMilliseconds)
                flush();
        }
        flush();
    }

    velorin::tablegroup::closeConnections(tables);
    catalogue->close();
    emit importFinished(counts[Added], counts[Updated], counts[Unchanged], counts[Failed], stopped);
    return true;
}

