#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/photo/cisloadcancled.h>
#include <velorin/photo/kivphotofile.h>
#include <velorin/photo/photoupdateflag.h>
#include <velorin/core/collectioncore.h>
#include <velorin/core/tablegroup.h>

#include <QList>
#include <QStringList>
#include <QVector>

template <>
struct CollectionKeys<KivPhotoFile>
{
    static int id(const KivPhotoFile& f) { return f.dbInfo.id; }
    static QString path(const KivPhotoFile& f) { return f.dbInfo.fullPath; }
};

// The in-memory photo library: one KivPhotoFile per ImageInfo row, in the
// order they were added, announced by signals on every addition, change and
// removal. Every operation that keeps memory and table in step lives here:
// the loaders, the reconciliation of a scanned file with its row, and the
// column-selective update. Tables are written first, through the photo
// writer (photowriter.h, which the import uses alone), then memory.
//
// The facade makes two: the library (rows not in the trash) and the trash;
// which rows an instance holds depends only on the loader called on it.
//
// Thread safety: the entries are guarded by one non-recursive lock.
// photoFileAdded is emitted while it is held, so a receiver connected on the
// emitting thread must not call back into this collection. Workers may call
// the add, update and save operations from their own threads (after
// threadOpenConnection()); the signals then come from those threads, and
// receivers on the GUI thread get them through queued connections.
class VELORIN_EXPORT KivPhotoFiles : public CollectionCore<KivPhotoFile>, public velorin::TableGroupOperations
{
    Q_OBJECT

public:
    explicit KivPhotoFiles(QObject* parent = nullptr);
    ~KivPhotoFiles() override;

    int photoFilesCount();
    // Null when index is out of range.
    KivPhotoFile* getPhotoFile(int index);
    // The first entry whose path (exact, case-sensitive) or id matches.
    KivPhotoFile* findPhotoFile(QString& fullPath);
    int getPhotoFileIndex(QString& fullPath);
    KivPhotoFile* findPhotoFileByID(int id);

    // Stores a copy (record only) and emits photoFileAdded with the lock held.
    bool addPhotoFile(KivPhotoFile* pPhotoFile);
    // Copies the argument over the entry with its id; emits photoFileUpdated
    // (with -1 and null when there is none). Always true.
    bool updatePhotoFile(KivPhotoFile* pPhotoFile);
    bool updatePhotoFile4FaceDetected(KivPhotoFile* pPhotoFile);
    // Takes the entry with the argument's id out and emits photoFileDeleted
    // with the argument. The removed object stays valid for the receivers.
    bool deletePhotoFile(KivPhotoFile* pPhotoFile);

    void lockBuffer();
    void unlockBuffer();
    // QVector and QList are one type: this serves both forms.
    void copyBuffer(QVector<KivPhotoFile*>& out);
    // Tags and places are kept by their own models: always empty here.
    QStringList getAllPhotoFilesTagList();
    QStringList getAllPhotoFilesPlaceList();

    // Loads the library rows (fIsDeleted 0), asking `cancel` after each.
    void loadImageInfoFromDatabase(CIsLoadCancled* cancel);
    // Loads the trash rows (fIsDeleted 1).
    void loadDeletedImageInfoFromDatabase();

    // Reconciles a scanned file with its row: inserts a new photo, refreshes
    // a changed one, re-announces an unchanged one, brings one back from the
    // trash; asks views to select it. Writes thumbnails of new and changed
    // photos.
    bool addPhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                          DBImageThumbnail& medium, DBImageThumbnail& large);
    // The same for bulk import, without the trash case and without touching
    // memory for new photos; a changed photo also gets its thumbnails
    // rewritten, and missing thumbnails of an unchanged one are filled in.
    // Both are false when a read or a write failed (lastDbError() says why).
    bool _savePhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                            DBImageThumbnail& medium, DBImageThumbnail& large);

    // Writes the columns selected by `flags`, then copies the whole record
    // into the stored entry. False with no column selected.
    bool updatePhotoFileToDB(KivPhotoFile* file, QPhotoUpdateFlag flags);
    // Copies the flagged fields of info into the stored entry with info.id
    // (memory first), then writes them.
    bool updatePhotoFileToDB(DBImageInfo& info, QPhotoUpdateFlag flags);
    // Whether a title is in use, ignoring letter case (trash included).
    bool HasTitle(QString& name);

    // Moves the row into the trash (or, called on the trash, back into the
    // library) and takes the entry out of this instance only; the other
    // instance learns of it from the application. The result of the
    // statement; memory is left alone when it fails.
    bool sendPhotoFileToTrashcan(KivPhotoFile* p);
    bool restorePhotoFileToLib(KivPhotoFile* p);
    // Removes the row for good with its thumbnails, emits photoFilePurged
    // (the facade gives back the photo's tag and place and its album
    // memberships), then takes the entry out.
    bool deletePhotoFileFromDB(KivPhotoFile* p);
    // After the editor wrote the edited picture to newPath (or, bRevert,
    // switched back to the original): moves the row and the album entries
    // to newPath and stores the new thumbnails. p changes in memory whatever
    // the statement's result; originalPath is kept in memory only. True when
    // the row, the thumbnails and the album entries were all written.
    bool saveModifiedPhoto(KivPhotoFile* p, QString& newPath, bool bRevert, DBImageThumbnail& mini,
                           DBImageThumbnail& small, DBImageThumbnail& medium, DBImageThumbnail& large);
    // Drops p's cached thumbnails and writes the flagged columns.
    bool saveRotateAngle(KivPhotoFile* p, QPhotoUpdateFlag flags);
    // Upserts the four thumbnails; true when all four were written.
    bool saveThumbnail(DBImageThumbnail& mini, DBImageThumbnail& small, DBImageThumbnail& medium,
                       DBImageThumbnail& large);
    // A lost photo found again: its thumbnails, then (only when all four
    // were written) its flagged columns. True once the thumbnails are saved.
    bool restoreDBImageInfo4LostImageFile(KivPhotoFile* p, DBImageThumbnail& mini, DBImageThumbnail& small,
                                          DBImageThumbnail& medium, DBImageThumbnail& large,
                                          QPhotoUpdateFlag flags);
    // Adds the photo-roll rows of the library that are not in memory yet.
    void loadPhotoRoll();
    // Whether the row of `path` (backslashes read as slashes) is in the roll.
    bool isPhotoRoll(QString& path);
    // The id of the photo-roll row with the newest modification time (the
    // later row on a tie, trash included); -1 when there is none.
    int getLatestPhotoRollID();

    // The batch operations (beginTransaction() and its sisters, from
    // TableGroupOperations) work on this thread's connections of the four
    // thumbnail stores and the image table, committed in that order.

signals:
    void photoFileAdded(int iIndex, KivPhotoFile* pPhotoFile);
    void photoFileUpdated(int iIndex, KivPhotoFile* pPhotoFile);
    void photoFileDeleted(KivPhotoFile* pPhotoFile);
    void isLoadDatabaseCanceled(bool& bCanceled);
    void sgnSelPhotoFile(KivPhotoFile* pPhotoFile, bool bSelected);
    // A photo's row and thumbnails were removed for good (the record as it
    // was), on the deleting thread, before photoFileDeleted.
    void photoFilePurged(const DBImageInfo& info);

protected:
    std::vector<SQLiteDatabase*> groupTables() override;
    void announceAdded(int index, KivPhotoFile* file) override;
    void announceUpdated(int index, KivPhotoFile* file) override;
    void announceDeleted(KivPhotoFile* file) override;

private:
    void loadRows(const char* statement, CIsLoadCancled* cancel);
    bool setDeletedFlag(KivPhotoFile* p, int deleted);
    void followRewrittenRow(DBImageInfo& info);
};
