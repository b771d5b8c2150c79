#pragma once

#include <velorin/global.h>
#include <velorin/video/kivvideoplaylist.h>
#include <velorin/core/collectioncore.h>
#include <velorin/core/tablegroup.h>

#include <QImage>
#include <QVector>

// Playlists are filed by id and by GUID in lower case.
template <>
struct CollectionKeys<KivVideoPlaylist>
{
    static int id(const KivVideoPlaylist& p) { return p.dbInfo.id; }
    static QString path(const KivVideoPlaylist& p) { return p.dbInfo.albumGUID.toLower(); }
};

// The video playlists, on the pattern of the photo albums: stored copies in
// load order, announced with the lock held on addition. Every stored
// playlist is moved to the application's thread, so that its view follows
// the video collection there, whichever thread added it. A playlist taken
// out (deletePhotoAlbum, the trash operations) stays valid for the
// receivers of photoAlbumDeleted until the collection goes.
//
// The facade makes one over its video collection (Initialize(false)); an
// application may make another to hold the trash (loadTrashCan).
class VELORIN_EXPORT KivVideoPlaylists : public CollectionCore<KivVideoPlaylist>, public velorin::TableGroupOperations
{
    Q_OBJECT

public:
    explicit KivVideoPlaylists(KivVideoFiles* videoFiles, QObject* parent = nullptr);
    ~KivVideoPlaylists() override;

    int photoAlbumsCount();
    KivVideoPlaylist* getAlbum(int index);
    KivVideoPlaylist* findPhotoAlbumByID(int id);
    // The first playlist whose GUID equals the argument ignoring letter case.
    KivVideoPlaylist* findPhotoAlbumByGUID(const QString& albumGUID);
    void lockBuffer();
    void unlockBuffer();
    void copyBuffer(QVector<KivVideoPlaylist*>& out);

    bool addPhotoAlbum(KivVideoPlaylist* pPhotoAlbum);
    bool updatePhotoAlbum(KivVideoPlaylist* pPhotoAlbum);
    bool deletePhotoAlbum(KivVideoPlaylist* pPhotoAlbum);

    // The playlists not in the trash, with their members; once per
    // collection.
    void loadAlbumsFromDatabase();
    // The trashed playlists not yet in this collection.
    void loadTrashCan();

    // Saves a new playlist and adds it; false (and nothing added) when it
    // could not be saved. A null argument does nothing and gives true.
    bool addPhotoAlbumToDB(KivVideoPlaylist* playlist);
    // Writes the playlist (its result is not reported) and refreshes memory.
    bool updatePhotoAlbumToDB(KivVideoPlaylist* playlist, QVPlaylistUpdateFlag flags);
    // Trash and restore flag the row and take the playlist out of this
    // collection; empty removes the row of a playlist in the trash
    // (bDeleted) or in the library, with its mapping rows. Each returns the
    // row statement's result.
    bool sendPhotoAlbumToTrashcan(KivVideoPlaylist* playlist);
    bool RestorePhotoAlbumFromTrashcan(KivVideoPlaylist* playlist);
    bool EmptyPhotoAlbum(KivVideoPlaylist* playlist, bool bDeleted);

    // The canvas of the composite thumbnails of every playlist (300 x 240
    // shows all four cells).
    static void SetPlaylistBackground(QImage& background);
    // The batch operations (TableGroupOperations) work on the playlist
    // table and the mapping table.

signals:
    void photoAlbumAdded(int iIndex, KivVideoPlaylist* pPhotoAlbum);
    void photoAlbumUpdated(int iIndex, KivVideoPlaylist* pPhotoAlbum);
    void photoAlbumDeleted(KivVideoPlaylist* pPhotoAlbum);

protected:
    std::vector<SQLiteDatabase*> groupTables() override;
    KivVideoPlaylist* makeStoredCopy(KivVideoPlaylist* source) override;
    void announceAdded(int index, KivVideoPlaylist* playlist) override;
    void announceUpdated(int index, KivVideoPlaylist* playlist) override;
    void announceDeleted(KivVideoPlaylist* playlist) override;

private:
    // Adds the playlists of the rows `statement` selects, skipping ids
    // already present.
    void loadRows(const char* statement);

    QPointer<KivVideoFiles> videoFiles;
    bool bLoaded = false;
};
