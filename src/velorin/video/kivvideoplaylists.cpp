#include "kivvideoplaylists.h"

#include <QCoreApplication>
#include <QThread>

#include <velorin/db/cataloguetables.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/core/sqlstatement.h>

namespace {

void readPlaylistRow(const QSqlQuery& row, DBVideoPlayListInfo& p)
{
    p.id = row.value(0).toInt();
    p.name = row.value(1).toString();
    p.description = row.value(2).toString();
    p.createTime = row.value(3).toDateTime();
    p.thumbnail = row.value(4).toByteArray();
    p.albumGUID = row.value(5).toString();
    p.modifyTime = row.value(6).toDateTime();
    p.fIsDeleted = row.value(7).toInt() != 0;
    p.rating = row.value(8).toInt();
}

} // namespace

KivVideoPlaylists::KivVideoPlaylists(KivVideoFiles* files, QObject* parent)
    : CollectionCore<KivVideoPlaylist>(parent)
    , videoFiles(files)
{
    qRegisterMetaType<KivVideoPlaylist*>();
}

KivVideoPlaylists::~KivVideoPlaylists() = default;

// The stored playlist watches this collection's videos and lives on the
// application's thread.
KivVideoPlaylist* KivVideoPlaylists::makeStoredCopy(KivVideoPlaylist* source)
{
    auto* stored = new KivVideoPlaylist(videoFiles);
    *stored = *source;
    if (QCoreApplication* app = QCoreApplication::instance())
        stored->moveToThread(app->thread());
    return stored;
}

void KivVideoPlaylists::announceAdded(int index, KivVideoPlaylist* p) { emit photoAlbumAdded(index, p); }
void KivVideoPlaylists::announceUpdated(int index, KivVideoPlaylist* p) { emit photoAlbumUpdated(index, p); }
void KivVideoPlaylists::announceDeleted(KivVideoPlaylist* p) { emit photoAlbumDeleted(p); }

int KivVideoPlaylists::photoAlbumsCount() { return elementCount(); }
KivVideoPlaylist* KivVideoPlaylists::getAlbum(int index) { return elementAt(index); }
KivVideoPlaylist* KivVideoPlaylists::findPhotoAlbumByID(int id) { return findById(id); }
KivVideoPlaylist* KivVideoPlaylists::findPhotoAlbumByGUID(const QString& guid) { return findByPath(guid.toLower()); }
void KivVideoPlaylists::lockBuffer() { CollectionCore::lockBuffer(); }
void KivVideoPlaylists::unlockBuffer() { CollectionCore::unlockBuffer(); }
void KivVideoPlaylists::copyBuffer(QVector<KivVideoPlaylist*>& out) { CollectionCore::copyBuffer(out); }
bool KivVideoPlaylists::addPhotoAlbum(KivVideoPlaylist* p) { return p && addElement(p); }
bool KivVideoPlaylists::updatePhotoAlbum(KivVideoPlaylist* p) { return !p || updateElement(p); }
bool KivVideoPlaylists::deletePhotoAlbum(KivVideoPlaylist* p) { return !p || deleteElement(p); }
void KivVideoPlaylists::SetPlaylistBackground(QImage& background) { velorin::setPlaylistBackground(background); }

void KivVideoPlaylists::loadAlbumsFromDatabase()
{
    if (bLoaded)
        return;
    loadRows(velorin::sql::SelectActiveRows);
    bLoaded = true;
}

void KivVideoPlaylists::loadTrashCan()
{
    loadRows(velorin::sql::SelectTrashRows);
}

void KivVideoPlaylists::loadRows(const char* statement)
{
    // The rows are read to the end before any playlist is loaded or
    // announced, so no statement holds the file while receivers run.
    QList<DBVideoPlayListInfo> rows;
    {
        velorin::SqlStatement q(*velorin::catalogueTables()->getVideoPlayListDB(), statement);
        if (!q.exec())
            return;
        while (q.next())
            readPlaylistRow(q.query(), rows.emplaceBack());
    }
    for (const DBVideoPlayListInfo& row : std::as_const(rows)) {
        if (findById(row.id))
            continue;
        KivVideoPlaylist playlist(videoFiles);
        playlist.dbInfo = row;
        playlist.loadAlbumInfoFromDatabase(videoFiles);
        addPhotoAlbum(&playlist);
    }
}

bool KivVideoPlaylists::addPhotoAlbumToDB(KivVideoPlaylist* playlist)
{
    if (!playlist)
        return true;
    // A playlist that was not saved is not shown either: the caller learns
    // of the failure instead of a playlist that is gone on the next start.
    if (!playlist->saveNewAlbumToDatabase())
        return false;
    return addPhotoAlbum(playlist);
}

bool KivVideoPlaylists::updatePhotoAlbumToDB(KivVideoPlaylist* playlist, QVPlaylistUpdateFlag flags)
{
    if (playlist)
        playlist->updatePhotoAlbumToDatabase(playlist, flags);
    return updatePhotoAlbum(playlist);
}

bool KivVideoPlaylists::sendPhotoAlbumToTrashcan(KivVideoPlaylist* playlist)
{
    if (!playlist)
        return false;
    const bool ok = velorin::SqlStatement(*velorin::catalogueTables()->getVideoPlayListDB(), velorin::sql::MoveToTrash,
                                          {playlist->dbInfo.id})
                        .exec();
    if (ok) {
        playlist->dbInfo.fIsDeleted = true;
        deletePhotoAlbum(playlist);
    }
    return ok;
}

bool KivVideoPlaylists::RestorePhotoAlbumFromTrashcan(KivVideoPlaylist* playlist)
{
    if (!playlist)
        return false;
    const bool ok = velorin::SqlStatement(*velorin::catalogueTables()->getVideoPlayListDB(),
                                          velorin::sql::RestoreFromTrash, {playlist->dbInfo.id})
                        .exec();
    if (ok) {
        deletePhotoAlbum(playlist);
        playlist->dbInfo.fIsDeleted = false;
    }
    return ok;
}

bool KivVideoPlaylists::EmptyPhotoAlbum(KivVideoPlaylist* playlist, bool bDeleted)
{
    if (!playlist)
        return false;
    if (!velorin::SqlStatement(*velorin::catalogueTables()->getVideoPlayListDB(), velorin::sql::DeleteFromTrash,
                               {bDeleted ? 1 : 0, playlist->dbInfo.id})
             .exec())
        return false;
    // The mapping rows go with the row, also of a playlist this collection
    // does not hold.
    KivVideoPlaylist* stored = findById(playlist->dbInfo.id);
    (stored ? stored : playlist)->clearPhotoAlbumToDatabase();
    deletePhotoAlbum(playlist);
    return true;
}

std::vector<SQLiteDatabase*> KivVideoPlaylists::groupTables()
{
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    return {tables->getVideoPlayListDB(), tables->getVideoPlayListMappingDB()};
}
