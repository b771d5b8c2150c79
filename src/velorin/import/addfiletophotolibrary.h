#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>

#include <QFileInfo>
#include <QList>
#include <QString>
#include <QThread>

#include <atomic>

// Puts a list of picture files into the photo catalogue on a thread of its
// own: for each file the image record (file facts, GPS position, date,
// comment and orientation from the picture's metadata) and its four
// thumbnails (64, 128, 256 and 384 pixel boxes, from one decode), saved
// together: a new file gets a row, a changed one has its row and its
// thumbnails rewritten, one whose thumbnails are missing gets them filled
// in, and a current one is left alone.
//
// While the thread saves the files in list order, helper threads decode the
// next ones. Writes are grouped in immediate transactions, so another
// process or thread importing into the same catalogue waits its turn
// instead of losing rows; the thumbnail stores commit before the image
// table, so a row never exists without its thumbnails, even when the
// process dies in the middle. Each file is a unit of its own inside the
// batch: a failed write undoes that file only.
//
// A picture that cannot be decoded still gets its record, with empty
// thumbnails, and is reported failed (and tried again by the next pass); a
// file that is gone by the time its turn comes gets none. Each file ends
// with photoFileImported once its batch is committed, with the reason of a
// failure (a decode error, "disk full", "read-only catalogue", "not a
// catalogue"); the pass ends with importFinished, so an application can
// refresh its collection. Stop() ends the pass between files.
class VELORIN_EXPORT AddFileToPhotoLibrary : public QThread
{
    Q_OBJECT

public:
    enum Outcome {
        Added = 0,     // a new row with its thumbnails
        Updated = 1,   // the file changed since its row was written
        Unchanged = 2, // same modification time and size: nothing written
        Failed = 3,    // see the reason: no record, or a record without thumbnails
    };
    Q_ENUM(Outcome)

    AddFileToPhotoLibrary();
    // Stops the pass and waits for it.
    ~AddFileToPhotoLibrary() override;

    bool Start(QString path);
    bool Start2(QList<QString>& paths);
    // Asks the pass to end after the file being saved and waits for it.
    bool Stop();
    // The same request without waiting (for signal handlers and slots).
    void requestStop();
    // The priority of the passes started from now on: idle unless set, so
    // that an application's import never slows the application; a tool
    // whose one job is the import runs it at normal priority (a thread at
    // idle priority gets no processor while anything else wants it).
    void setPassPriority(QThread::Priority priority) { m_passPriority = priority; }

    // Signed decimal degrees of a GPS text as the EXIF reader formats it
    // (degrees, minutes, seconds or decimal minutes, hemisphere letter).
    static double DMSToDecimal(QString text);
    // The record of one picture: file facts, and from its metadata the GPS
    // position, date, comment and orientation code.
    static void getDBImageInfoFromImageFile(QFileInfo& file, DBImageInfo& info);

signals:
    // index is the file's position in the list handed to Start2.
    void photoFileImported(int index, const QString& path, int outcome, const QString& reason);
    void importFinished(int added, int updated, int unchanged, int failed, bool stopped);

protected:
    void run() override;

private:
    bool addPhotoFiles(QList<QString>& paths);

    std::atomic<bool> m_stopRequested{false};
    QList<QString> m_files;
    QThread::Priority m_passPriority = QThread::IdlePriority;

};
