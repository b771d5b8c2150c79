#include "addfiletophotolibrary.h"

#include <velorin/db/imageinfodb.h>
#include <velorin/db/imagethumbnaildb.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/imaging/exifproperties.h>
#include <velorin/imaging/exifpropertyreader.h>
#include <velorin/imaging/zellibhelper.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/service/databaseservice.h>
#include <velorin/service/sqlstatement.h>
#include <velorin/service/tablegroup.h>

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
// short enough that a crash loses little work.
constexpr int BatchPhotos = 32;
constexpr qint64 BatchMilliseconds = 1000;

QString valueText(CExifPropertyReader& reader, long id)
{
    const unsigned short* value = reader.GetPropValueByID(id);
    return value ? QString::fromUtf16(reinterpret_cast<const char16_t*>(value)) : QString();
}

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
    start(QThread::IdlePriority);
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

    const QString path = file.absoluteFilePath();
    const auto* u16 = reinterpret_cast<const unsigned short*>(path.utf16());
    CExifPropertyReader reader;
    _EXIF_INFORMATION exif{};
    if (!GetImageExif(u16, &exif))
        return;
    reader.ImportExifInfo(&exif);
    if (const QString latitude = valueText(reader, velorin::exif::ExifPropGpsLatitude); !latitude.isEmpty())
        info.latitude = DMSToDecimal(latitude);
    if (const QString longitude = valueText(reader, velorin::exif::ExifPropGpsLongitude); !longitude.isEmpty())
        info.longitude = DMSToDecimal(longitude);
    if (const QString date = valueText(reader, velorin::exif::ExifPropDateTime); !date.isEmpty())
        info.exifDate = date;
    if (const QString comment = valueText(reader, velorin::exif::ExifPropUserComment); !comment.isEmpty())
        info.mediaComment = comment;
    // The reader formats no orientation: the code comes from the picture's
    // own orientation tag.
    PubImage::ZelPicture* header = PubImage::ZelPicture::create();
    if (header && header->load(path, PubImage::ZelLoadMode::Header) == PubImage::ZelLoadOk
        && header->hasProperty(PubImage::ZelPropOrientation))
        info.orientation = header->intProperty(PubImage::ZelPropOrientation);
    Zel0Release(header);
}

bool AddFileToPhotoLibrary::addPhotoFiles(QList<QString>& paths)
{
    DatabaseService* service = getDatabaseService();
    if (!service)
        return false;
    service->Initialize(true);
    ImageInfoDB* images = service->getImageInfoDB();
    // Commit order: the thumbnail stores before the image table, so that a
    // row is never committed without its thumbnails.
    const std::array<SQLiteDatabase*, 5> tables = {
        service->getImageThumbnailMiniDB(), service->getImageThumbnailSmallDB(),
        service->getImageThumbnailMediumDB(), service->getImageThumbnailLargeDB(), images};
    if (std::find(tables.begin(), tables.end(), nullptr) != tables.end())
        return false;
    for (SQLiteDatabase* table : {static_cast<SQLiteDatabase*>(images), tables[0], tables[1], tables[2], tables[3]})
        table->openConnection();

    // What each file needs, from the rows as they stand: unchanged files
    // are counted without being decoded.
    enum class Plan { Add, Update, Unchanged, Missing };
    QList<Plan> plans;
    QList<int> work;
    for (int i = 0; i < paths.size(); ++i) {
        const QFileInfo file(paths[i]);
        if (!file.exists()) {
            plans.append(Plan::Missing);
            continue;
        }
        DBImageInfo facts;
        facts.mediaModifyDate = file.lastModified();
        facts.fileSize = file.size();
        const auto stored =
            velorin::selectFirstRow(*images, velorin::sql::SelectSaveStateByPath, {file.absoluteFilePath()});
        if (stored && KivPhotoFiles::isSavedFileState(stored->value(0), stored->value(2), facts)) {
            plans.append(Plan::Unchanged);
            continue;
        }
        plans.append(stored ? Plan::Update : Plan::Add);
        work.append(i);
    }

    int counts[4] = {0, 0, 0, 0};
    bool stopped = false;
    {
        DecodeAhead decoder(work, [&](int i, PreparedPhoto& out) { prepare(paths[i], out); }, m_stopRequested);
        bool inTransaction = false;
        int batched = 0;
        QElapsedTimer batchAge;
        const auto commit = [&] {
            if (inTransaction)
                velorin::tablegroup::endTransaction(tables);
            inTransaction = false;
            batched = 0;
        };
        int next = 0; // position in work
        for (int i = 0; i < paths.size(); ++i) {
            if (m_stopRequested.load()) {
                stopped = true;
                break;
            }
            Outcome outcome = Failed;
            QString reason;
            if (plans[i] == Plan::Missing) {
                reason = QStringLiteral("no such file");
            } else if (plans[i] == Plan::Unchanged) {
                outcome = Unchanged;
            } else {
                std::optional<PreparedPhoto> photo = decoder.take(next++);
                if (!photo) {
                    stopped = true;
                    break;
                }
                if (photo->missing) {
                    reason = QStringLiteral("the file vanished during the import");
                } else {
                    if (!inTransaction) {
                        velorin::tablegroup::beginTransaction(tables);
                        inTransaction = true;
                        batchAge.start();
                    }
                    KivPhotoFiles saver;
                    auto& t = photo->thumbnails;
                    saver._savePhotoFileToDB(photo->info, t[0], t[1], t[2], t[3]);
                    outcome = photo->failure.isEmpty() ? (plans[i] == Plan::Add ? Added : Updated) : Failed;
                    reason = photo->failure;
                    if (++batched >= BatchPhotos || batchAge.elapsed() >= BatchMilliseconds)
                        commit();
                }
            }
            ++counts[outcome];
            emit photoFileImported(i, paths[i], outcome, reason);
        }
        commit();
    }

    for (SQLiteDatabase* table : {static_cast<SQLiteDatabase*>(images), tables[0], tables[1], tables[2], tables[3]})
        table->closeConnection();
    service->UnInitialize();
    emit importFinished(counts[Added], counts[Updated], counts[Unchanged], counts[Failed], stopped);
    return true;
}
