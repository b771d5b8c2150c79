#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>

#include <atomic>
#include <optional>

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QThread>

// What an application already knows of a video it hands over: its frame
// size (a1 x a2), its display aspect (a3 : a4, 0 when unknown), its
// duration in milliseconds (a5), and a frame as a packed bitmap (empty when
// it has none).
struct MyAddVideoInfo
{
    int a1 = 0;
    int a2 = 0;
    int a3 = 0;
    int a4 = 0;
    int a5 = 0;
    QByteArray dib;
};

// Puts one video into the video catalogue on a thread of its own (idle
// priority, its own connection to the video table): the record from the
// file's facts, with the caller's media facts and frame when given, saved
// as a new row, a rewrite of a changed one, or left alone when current.
// Without a frame of the caller's, the thumbnail (256 pixel box) and the
// media facts are read from the file by the video reader before the row is
// written; a current row that already has its thumbnail is not read again.
//
// After the pass (finished(), or wait()), outcome() and failureReason()
// tell what happened: a video that cannot be read keeps its row without a
// thumbnail and is reported failed, as is one whose row cannot be written.
// Stop() ends a pass early, cancelling a read in progress.
class VELORIN_EXPORT AddFileToVideoLibrary : public QThread
{
public:
    enum Outcome {
        Added = 0,     // a new row
        Updated = 1,   // the file changed since its row was written, or its thumbnail was missing
        Unchanged = 2, // same modification time and size, thumbnail stored: nothing written
        Failed = 3,    // see failureReason()
    };

    AddFileToVideoLibrary();
    // Stops the pass and waits for it.
    ~AddFileToVideoLibrary() override;

    // Starts a pass over `path`; `info` (may be null) is copied.
    bool Start(QString path, MyAddVideoInfo* info);
    // Asks the pass to end (a read in progress is cancelled) and waits.
    bool Stop();
    // The same request without waiting.
    void requestStop();
    // The priority of the passes started from now on: idle unless set, so
    // that an application's import never slows the application; a tool
    // whose one job is the import runs it at normal priority (a thread at
    // idle priority gets no processor while anything else wants it).
    void setPassPriority(QThread::Priority priority) { m_passPriority = priority; }

    // The outcome of the last finished pass, and why it failed.
    Outcome outcome() const { return m_outcome; }
    bool succeeded() const { return m_outcome != Failed; }
    QString failureReason() const { return m_reason; }

    // The record of a video file from its file facts alone.
    static void getVideoBaseInfoFromFile(const QFileInfo& file, DBVideoInfo& info);

protected:
    void run() override;

private:
    Outcome addVideoFile(const QString& path);
    // Failed, with the reason kept for failureReason().
    Outcome failed(const QString& reason);
    Outcome stopped();

    QString m_path;
    std::optional<MyAddVideoInfo> m_info;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_cancel{0};
    QThread::Priority m_passPriority = QThread::IdlePriority;
    Outcome m_outcome = Failed;
    QString m_reason;
};
