#pragma once

#include <velorin/global.h>
#include <velorin/photo/cisloadcancled.h>
#include <velorin/photo/kivphotoalbum.h>
#include <velorin/core/collectioncore.h>
#include <velorin/core/tablegroup.h>

template <>
struct CollectionKeys<KivPhotoAlbum>
{
    static int id(const KivPhotoAlbum& a) { return a.dbInfo.id; }
    // Albums are found by GUID ignoring letter case.
    static QString path(const KivPhotoAlbum& a) { return a.dbInfo.albumGUID.toLower(); }
};

// The photo albums, on the pattern of the photo collection: stored copies in
// the order added, announced with the lock held on addition. Every stored
// album is moved to the application's thread, so that its view follows the
// photo collection there, whichever thread added it.
class VELORIN_EXPORT KivPhotoAlbums : public CollectionCore<KivPhotoAlbum>, public velorin::TableGroupOperations
{
    Q_OBJECT

public:
    explicit KivPhotoAlbums(KivPhotoFiles* photoFiles, QObject* parent = nullptr);
    ~KivPhotoAlbums() override;

    int photoAlbumsCount();
    KivPhotoAlbum* getAlbum(int index);
    // The first album whose GUID equals the argument ignoring letter case.
    KivPhotoAlbum* getAlbum(QString& albumGUID);
    void lockBuffer();
    void unlockBuffer();
    void copyBuffer(QVector<KivPhotoAlbum*>& out);

    bool addPhotoAlbum(KivPhotoAlbum* pPhotoAlbum);
    bool updatePhotoAlbum(KivPhotoAlbum* pPhotoAlbum);
    bool deletePhotoAlbum(KivPhotoAlbum* pPhotoAlbum);

    // Loads the library's albums once per collection, repairing memberships
    // of re-imported photos and dropping those of vanished ones; albums
    // left without photos are not shown.
    void loadAlbumsFromDatabase(CIsLoadCancled* cancel);
    void loadDeletedAlbumsFromDatabase();

    bool addPhotoAlbumToDB(KivPhotoAlbum* album);
    // Writes the album (its result is not reported) and refreshes memory.
    bool updatePhotoAlbumToDB(KivPhotoAlbum* album, QAlbumUpdateFlag flags);
    bool sendPhotoAlbumToTrashcan(KivPhotoAlbum* album);
    bool restorePhotoAlbumToLib(KivPhotoAlbum* album);
    // Removes the album row and its whole file list.
    bool deletePhotoAlbumFromDB(KivPhotoAlbum* album);
    // A photo left the library: it leaves every album, and albums left
    // empty are removed.
    bool delRecordFromAlbFileListDB(QString& fullPath);
    // The batch operations (TableGroupOperations) work on the album table
    // and the album file list.

signals:
    void photoAlbumAdded(int iIndex, KivPhotoAlbum* pPhotoAlbum);
    void photoAlbumUpdated(int iIndex, KivPhotoAlbum* pPhotoAlbum);
    void photoAlbumDeleted(KivPhotoAlbum* pPhotoAlbum);
    void isLoadDatabaseCanceled(bool& bCanceled);

protected:
    std::vector<SQLiteDatabase*> groupTables() override;
    KivPhotoAlbum* makeStoredCopy(KivPhotoAlbum* source) override;
    void announceAdded(int index, KivPhotoAlbum* album) override;
    void announceUpdated(int index, KivPhotoAlbum* album) override;
    void announceDeleted(KivPhotoAlbum* album) override;

private:
    // Adds the albums of the rows `statement` selects that still have
    // photos; with `repair`, memberships are repaired after the loop.
    void loadRows(const char* statement, bool repair, CIsLoadCancled* cancel);
    bool setDeletedFlag(KivPhotoAlbum* album, int deleted);

    KivPhotoFiles* photoFiles;
    bool loaded = false;
};
