#pragma once

#include <velorin/global.h>
#include <velorin/core/manualresetevent.h>

#include <atomic>

#include <QMutex>
#include <QThread>

class DBVideoInfo;
class KivVideoFile;
class KivVideoFiles;

namespace velorin {

// The thumbnail box of the frames read for the video library.
inline constexpr int VideoThumbnailBox = 256;

// Reads the media facts and a frame thumbnail (VideoThumbnailBox) of
// record.fullPath into the record's columns of the same names; the
// reader's result (0 when read; the record is left as it was otherwise).
// `cancel` ends a read in progress when non-zero.
VELORIN_EXPORT int readVideoFacts(DBVideoInfo& record, const std::atomic<int>* cancel);

} // namespace velorin

// Fills in the media facts and the thumbnail (256 pixel box) of the videos
// that entered a video collection without a thumbnail, one at a time, on a
// thread of its own at idle priority with its own connection to the video
// table. The collection owns it and wakes it (Restart()) whenever such an
// entry arrives; it asks the collection for the next waiting entry
// (GetNextFileToDO), reads the file with no lock held, and reports the
// entry back: facts read are written to the row and then to memory, and a
// file that cannot be read is marked done in memory only (the next load
// tries again). photoFileUpdated therefore comes from this thread.
//
// Thread safety: Start, Restart and Stop may be called from any thread.
class VELORIN_EXPORT VideoBackgroundService : public QThread
{
public:
    explicit VideoBackgroundService(KivVideoFiles* files);
    // Stops the thread and waits for it.
    ~VideoBackgroundService() override;

    bool Start();
    // Wakes the running thread so that it asks for work again, or starts it.
    bool Restart();
    // Ends the thread, cancelling a read in progress, and waits for it.
    bool Stop();

    // The facts and thumbnail of `file`'s video read into its record; 2 when
    // read, 1 when not. `cancel` ends a read in progress when non-zero.
    static int GetVideoInfo(KivVideoFile* file, const std::atomic<int>* cancel = nullptr);

protected:
    void run() override;

private:
    // One entry: read, then reported back unless the service is stopping.
    void handle(KivVideoFile* file);

    KivVideoFiles* const m_files;
    velorin::ManualResetEvent m_wake;
    std::atomic<bool> m_stop{false};
    // Polled by the video reader during a read.
    std::atomic<int> m_cancel{0};
    // The running thread's Linux thread id (0 when none).
    std::atomic<int> m_tid{0};
    // Serialises Start/Restart/Stop, which may come from several threads.
    QMutex m_control;
};
