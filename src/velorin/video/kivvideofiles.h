#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/video/kivvideofile.h>
#include <velorin/video/videoupdateflag.h>
#include <velorin/core/collectioncore.h>
#include <velorin/core/tablegroup.h>

#include <map>
#include <memory>

#include <QHash>
#include <QList>
#include <QVector>

class VideoBackgroundService;

// The collection core files videos by id and, for whole files only, by
// their path folded to one letter case (a clip is never found by path).
template <>
struct CollectionKeys<KivVideoFile>
{
    static int id(const KivVideoFile& f) { return f.dbInfo.id; }
    static QString path(const KivVideoFile& f)
    {
        return f.dbInfo.markIn < 0 && f.dbInfo.markOut < 0 ? f.dbInfo.fullPath.toCaseFolded() : QString();
    }
};

// The in-memory video library: one KivVideoFile per row of the video table
// (whole files and clips), in the order added, announced by signals on
// every addition, change and removal. Tables are written first, then
// memory. The facade makes one (Initialize(false)); applications may make
// more (one holding the trash, say).
//
// An entry added without a thumbnail (and not in the trash) waits for the
// collection's background service, which reads its media facts and
// thumbnail on its own thread, writes them to the row and reports the entry
// back through updatePhotoFile; photoFileUpdated then comes from that
// thread.
//
// Thread safety: one non-recursive lock guards the entries; photoFileAdded
// is emitted while it is held, so a receiver connected on the emitting
// thread must not call back into this collection.
class VELORIN_EXPORT KivVideoFiles : public CollectionCore<KivVideoFile>, public velorin::TableGroupOperations
{
    Q_OBJECT

public:
    explicit KivVideoFiles(QObject* parent = nullptr);
    // Stops the background service before the entries go.
    ~KivVideoFiles() override;

    int photoFilesCount();
    // Null when index is out of range.
    KivVideoFile* getPhotoFile(int index);
    // The first whole-file entry (no marks) whose path equals the argument
    // ignoring letter case.
    KivVideoFile* findPhotoFile(QString& fullPath);
    int getPhotoFileIndex(QString& fullPath);
    KivVideoFile* findPhotoFileByID(int id);

    // Stores a copy; its bFileExists says whether the file exists now. One
    // without a thumbnail that is not in the trash waits for the
    // background service, which is woken. Emits photoFileAdded with the
    // lock held.
    bool addPhotoFile(KivVideoFile* pPhotoFile);
    // Copies the argument over the entry with its id and emits
    // photoFileUpdated; nothing when no entry has that id. Always true.
    bool updatePhotoFile(KivVideoFile* pPhotoFile);
    // Takes the entry with the argument's id out and emits
    // photoFileDeleted(argument); false when no entry has that id. The
    // removed object stays valid for the receivers.
    bool deletePhotoFile(KivVideoFile* pPhotoFile);

    void lockBuffer();
    void unlockBuffer();
    void copyBuffer(QVector<KivVideoFile*>& out);

    // The first entry still waiting for its media information, as a copy
    // the caller owns (null when none waits); wakes the service again so
    // that it asks for the next one.
    KivVideoFile* GetNextFileToDO();
    // What the background service read for a copy GetNextFileToDO gave it:
    // the stored entry with the copy's id stops waiting and, with
    // `factsRead`, takes the copy's media facts (frame size, aspect,
    // duration, performer, genre, year, thumbnail) and nothing else, so a
    // rating or name changed during the read stays. Emits photoFileUpdated.
    bool updateReadFacts(const KivVideoFile& read, bool factsRead);

    // Loaders: rows not in the trash; captured rows not yet in memory;
    // trashed rows not yet in memory. Rows are read to the end before any
    // is announced.
    void loadImageInfoFromDatabase();
    void loadVideoRoll();
    void loadTrashCan();

    // Reconciles a scanned video (by path and marks) with its row: inserts
    // and adds a new one, rewrites a changed one, brings one back from the
    // trash. False when the table could not be read or written.
    bool addPhotoFileToDB(DBVideoInfo& info);
    // The same without the trash case and without adding new rows to
    // memory (the video import).
    bool _savePhotoFileToDB(DBVideoInfo& info);
    // Writes the columns selected by `flags`, then copies the argument over
    // the stored entry. The statement's result.
    bool updatePhotoFileToDB(KivVideoFile* file, QVFileUpdateFlag flags);

    bool sendPhotoFileToTrashcan(KivVideoFile* file);
    bool RestorePhotoFileFromTrashcan(KivVideoFile* file);
    bool EmptyPhotoFile(KivVideoFile* file, bool bDeleted);

    // This thread's connection of the video table, for workers.
    void threadOpenConnection();
    void threadCloseConnection();

    VideoBackgroundService* infoService();

signals:
    void photoFileAdded(int iIndex, KivVideoFile* pPhotoFile);
    void photoFileUpdated(int iIndex, KivVideoFile* pPhotoFile);
    void photoFileDeleted(KivVideoFile* pPhotoFile);

protected:
    std::vector<SQLiteDatabase*> groupTables() override;
    void announceAdded(int index, KivVideoFile* file) override;
    void announceUpdated(int index, KivVideoFile* file) override;
    void announceDeleted(KivVideoFile* file) override;

private:
    // Stores `entry` with its file's existence and, without a thumbnail
    // (and not in the trash), as waiting for the background service.
    void admit(std::unique_ptr<KivVideoFile> entry);
    void loadRows(const char* statement, bool withCaptured, bool skipPresent);

    std::unique_ptr<VideoBackgroundService> m_infoService;
    // Under the collection's lock: each entry's place in the order of
    // addition, and the entries waiting for their media information by
    // that place, so that GetNextFileToDO finds the first waiting entry in
    // index order without scanning the whole library.
    QHash<const KivVideoFile*, quint64> m_order;
    std::map<quint64, KivVideoFile*> m_waiting;
    quint64 m_nextOrder = 0;
};
