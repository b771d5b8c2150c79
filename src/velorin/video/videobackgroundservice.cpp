#include "videobackgroundservice.h"

#include <memory>

#include <sched.h>
#include <unistd.h>

#include <QLoggingCategory>

#include <velorin/imaging/videobasicinfo.h>
#include <velorin/video/kivvideofiles.h>
#include <velorin/video/videowriter.h>

Q_LOGGING_CATEGORY(lcVideoService, "velorin.video")

int velorin::readVideoFacts(DBVideoInfo& record, const std::atomic<int>* cancel)
{
    VideoBasicInfo info;
    const int result = info.ReadFileWithThumbnail(record.fullPath, VideoThumbnailBox, VideoThumbnailBox, cancel);
    if (result != 0)
        return result;
    record.resolutionX = info.resolutionX;
    record.resolutionY = info.resolutionY;
    record.duration = info.duration;
    record.aspectRatioX = info.aspectRatioX;
    record.aspectRatioY = info.aspectRatioY;
    record.artist = info.artist;
    record.genre = info.genre;
    record.thumbnail = info.thumbnail;
    record.year = info.year;
    return 0;
}

VideoBackgroundService::VideoBackgroundService(KivVideoFiles* files)
    : m_files(files)
{
}

VideoBackgroundService::~VideoBackgroundService()
{
    Stop();
}

bool VideoBackgroundService::Start()
{
    QMutexLocker lock(&m_control);
    if (!isRunning()) {
        m_stop = false;
        m_cancel = 0;
        start(QThread::IdlePriority);
    }
    return true;
}

bool VideoBackgroundService::Restart()
{
    {
        QMutexLocker lock(&m_control);
        if (isRunning()) {
            m_wake.set();
            return true;
        }
    }
    return Start();
}

bool VideoBackgroundService::Stop()
{
    {
        QMutexLocker lock(&m_control);
        m_stop = true;
        m_cancel = 1; // the reader polls it and gives up the read in progress
        m_wake.set();
        exit(0);
        // At idle priority the thread runs only while no other thread wants
        // the processor, so on a busy machine it would not even get to see
        // the cancel for seconds: it leaves the idle class to finish. Best
        // effort (an unprivileged process may be refused).
        if (const int tid = m_tid.load(); tid != 0 && isRunning()) {
            sched_param normal{};
            sched_setscheduler(tid, SCHED_OTHER, &normal);
        }
    }
    // Not under m_control: the thread itself calls Restart() (through
    // GetNextFileToDO) until it sees the stop flag.
    //
    // No time limit and never terminate(): a thread killed in the middle of
    // a statement or a decode keeps SQLite's and FFmpeg's locks for good and
    // wedges every later caller in the process. The cancel flag ends a slow
    // read within a fraction of a second instead.
    wait();
    return true;
}

int VideoBackgroundService::GetVideoInfo(KivVideoFile* file, const std::atomic<int>* cancel)
{
    return velorin::readVideoFacts(file->dbInfo, cancel) == 0 ? 2 : 1;
}

void VideoBackgroundService::run()
{
    m_tid = int(gettid());
    VideoLibInit();
    if (m_files) {
        m_files->threadOpenConnection();
        while (!m_stop) {
            // Cleared before asking, so that a wake-up given while this file
            // is read is kept for the wait below.
            m_wake.reset();
            std::unique_ptr<KivVideoFile> file(m_files->GetNextFileToDO());
            if (m_stop)
                break;
            if (file)
                handle(file.get());
            if (m_stop)
                break;
            m_wake.wait();
        }
        m_files->threadCloseConnection();
    }
    VideoLibUninit();
    m_tid = 0;
}

void VideoBackgroundService::handle(KivVideoFile* file)
{
    const int read = GetVideoInfo(file, &m_cancel);
    if (m_stop)
        return;
    // Only what the read filled is written, to the row and to the entry,
    // with the frame size and aspect, which no update flag selects: the
    // copy was taken before the read, and whatever the application changed
    // meanwhile (a rating, a name, the trash) must stay. A row that cannot
    // be written is still marked done in memory, so that the loop moves on
    // instead of reading the same file again and again (the next load tries
    // again).
    if (read == 2 && !velorin::writeVideoFacts(file->dbInfo, velorin::VideoReadFlags))
        qCWarning(lcVideoService) << "the media facts of" << file->dbInfo.fullPath << "could not be stored";
    m_files->updateReadFacts(*file, read == 2);
}
