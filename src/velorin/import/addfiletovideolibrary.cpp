#include "addfiletovideolibrary.h"

#include <velorin/core/dberror.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/imaging/qodib.h>
#include <velorin/imaging/videobasicinfo.h>
#include <velorin/video/videobackgroundservice.h>
#include <velorin/video/videowriter.h>

namespace {

using velorin::VideoThumbnailBox;

// The caller's frame resampled into the thumbnail box at the video's
// display aspect (the frame size when the aspect is unknown), as a BMP
// file; empty when the frame is not a valid bitmap.
QByteArray thumbnailFromFrame(const MyAddVideoInfo& info)
{
    const int w = info.a3 != 0 ? info.a3 : info.a1;
    const int h = info.a4 != 0 ? info.a4 : info.a2;
    if (w <= 0 || h <= 0)
        return {};
    int width = 0;
    int height = 0;
    velorin::fitVideoThumbnailBox(w, h, VideoThumbnailBox, &width, &height);
    const QByteArray resampled = QoDibResampleHQ(info.dib, width, height);
    return resampled.isEmpty() ? QByteArray() : velorin::bmpFromPackedDib(resampled);
}

// This thread's connection of the video table, with the table created when
// missing, for the pass. Only the video table: the catalogue's side flag is
// one for the process, and a video pass beside a photo import must not
// close the photo side's connections when it ends.
class VideoTableConnection
{
public:
    VideoTableConnection()
        : m_table(velorin::catalogueTables()->getVideoInfoDB())
    {
        velorin::clearDbError();
        m_usable = m_table->openConnection() && m_table->createTable();
    }
    ~VideoTableConnection() { m_table->closeConnection(); }
    VideoTableConnection(const VideoTableConnection&) = delete;
    VideoTableConnection& operator=(const VideoTableConnection&) = delete;

    bool usable() const { return m_usable; }

private:
    VideoInfoDB* m_table;
    bool m_usable = false;
};

QString readFailure(int result)
{
    return result == VideoReadPluginMissing ? QStringLiteral("the video plug-in is missing: saved without thumbnail")
                                            : QStringLiteral("the video could not be read: saved without thumbnail");
}

} // namespace

AddFileToVideoLibrary::AddFileToVideoLibrary() = default;

AddFileToVideoLibrary::~AddFileToVideoLibrary()
{
    Stop();
}

bool AddFileToVideoLibrary::Start(QString path, MyAddVideoInfo* info)
{
    wait(); // one pass at a time
    m_path = path;
    m_info.reset();
    if (info) {
        m_info = *info;
        m_info->dib = QoDibDuplicate(info->dib);
    }
    m_stop = false;
    m_cancel = 0;
    m_outcome = Failed;
    m_reason.clear();
    start(m_passPriority);
    return true;
}

void AddFileToVideoLibrary::requestStop()
{
    m_stop = true;
    m_cancel = 1;
}

bool AddFileToVideoLibrary::Stop()
{
    requestStop();
    wait();
    return true;
}

void AddFileToVideoLibrary::getVideoBaseInfoFromFile(const QFileInfo& file, DBVideoInfo& info)
{
    info.name = file.completeBaseName();
    info.fullPath = file.absoluteFilePath();
    info.fileSize = file.size();
    info.createDate = file.birthTime().isValid() ? file.birthTime() : file.metadataChangeTime();
    info.accessDate = file.lastRead();
    info.modifyDate = file.lastModified();
    info.format = file.suffix().remove(QLatin1Char('.'));
    info.rating = 0;
}

void AddFileToVideoLibrary::run()
{
    m_outcome = addVideoFile(m_path);
}

AddFileToVideoLibrary::Outcome AddFileToVideoLibrary::addVideoFile(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return failed(file.exists() ? QStringLiteral("not a file") : QStringLiteral("no such file"));
    VideoTableConnection connection;
    if (!connection.usable())
        return failed(velorin::describeLastDbError());

    DBVideoInfo record;
    getVideoBaseInfoFromFile(file, record);
    if (m_info) {
        record.resolutionX = m_info->a1;
        record.resolutionY = m_info->a2;
        record.duration = m_info->a5;
        record.aspectRatioX = m_info->a3;
        record.aspectRatioY = m_info->a4;
        if (!m_info->dib.isEmpty())
            record.thumbnail = thumbnailFromFrame(*m_info);
    }

    // Without a frame of the caller's the video is read before its row is
    // written, so that a new row gets the frame size and aspect, which only
    // an insert or a read's rewrite stores; a current row that has its
    // thumbnail is not read again.
    QString unreadable;
    bool read = false;
    if (record.thumbnail.isEmpty()) {
        if (velorin::isVideoRowCurrent(record))
            return Unchanged;
        if (m_stop)
            return stopped();
        const int result = velorin::readVideoFacts(record, &m_cancel);
        if (m_stop)
            return stopped();
        read = result == 0;
        if (!read)
            unreadable = readFailure(result);
    }

    Outcome outcome = Failed;
    switch (velorin::saveVideoToDB(record)) {
    case velorin::VideoSaveResult::Failed:
        m_reason = velorin::describeLastDbError();
        return Failed;
    case velorin::VideoSaveResult::Inserted:
        outcome = Added;
        break;
    case velorin::VideoSaveResult::Unchanged:
        // The same file whose row lacked its thumbnail: the read fills it in.
        if (!read)
            return unreadable.isEmpty() ? Unchanged : failed(unreadable);
        if (!velorin::writeVideoFacts(record))
            return failed(velorin::describeLastDbError());
        outcome = Updated;
        break;
    default:
        outcome = Updated;
        break;
    }
    return unreadable.isEmpty() ? outcome : failed(unreadable);
}

AddFileToVideoLibrary::Outcome AddFileToVideoLibrary::failed(const QString& reason)
{
    m_reason = reason;
    return Failed;
}

AddFileToVideoLibrary::Outcome AddFileToVideoLibrary::stopped()
{
    return failed(QStringLiteral("stopped before the video was read"));
}
