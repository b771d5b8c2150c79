#include "kivphotoalbums.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QThread>

#include <velorin/db/sharedstatements.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/core/sqlstatement.h>

namespace {

void readAlbumRow(const QSqlQuery& row, DBAlbumInfo& a)
{
    a.id = row.value(0).toInt();
    a.name = row.value(1).toString();
    a.description = row.value(2).toString();
    a.createTime = row.value(3).toDateTime();
    a.thumbnail = row.value(4).toByteArray();
    a.albumGUID = row.value(5).toString();
    a.modifyTime = row.value(6).toDateTime();
    a.fIsDeleted = row.value(7).toBool();
    a.albumRating = row.value(8).toInt();
    a.category = row.value(9).toString();
    a.ssDuration = row.value(10).toInt();
    a.ssColor = row.value(11).toInt();
    a.ssTransition = row.value(12).toInt();
    a.ssFIsMusicOn = row.value(13).toBool();
    a.ssMusicCount = row.value(14).toInt();
    a.ssMusicFullPathList = row.value(15).toString();
    a.ssFIsRepeated = row.value(16).toBool();
    a.ssFIsShuffled = row.value(17).toBool();
}

} // namespace

KivPhotoAlbums::KivPhotoAlbums(KivPhotoFiles* files, QObject* parent)
    : CollectionCore<KivPhotoAlbum>(parent)
    , photoFiles(files)
{
    qRegisterMetaType<KivPhotoAlbum*>();
}

KivPhotoAlbums::~KivPhotoAlbums() = default;

// The stored album watches this collection's photos and lives on the
// application's thread.
KivPhotoAlbum* KivPhotoAlbums::makeStoredCopy(KivPhotoAlbum* source)
{
    auto* stored = new KivPhotoAlbum(photoFiles);
    *stored = *source;
    if (QCoreApplication* app = QCoreApplication::instance())
        stored->moveToThread(app->thread());
    return stored;
}

void KivPhotoAlbums::announceAdded(int index, KivPhotoAlbum* album) { emit photoAlbumAdded(index, album); }
void KivPhotoAlbums::announceUpdated(int index, KivPhotoAlbum* album) { emit photoAlbumUpdated(index, album); }
void KivPhotoAlbums::announceDeleted(KivPhotoAlbum* album) { emit photoAlbumDeleted(album); }

int KivPhotoAlbums::photoAlbumsCount() { return elementCount(); }
KivPhotoAlbum* KivPhotoAlbums::getAlbum(int index) { return elementAt(index); }
KivPhotoAlbum* KivPhotoAlbums::getAlbum(QString& albumGUID) { return findByPath(albumGUID.toLower()); }
void KivPhotoAlbums::lockBuffer() { CollectionCore::lockBuffer(); }
void KivPhotoAlbums::unlockBuffer() { CollectionCore::unlockBuffer(); }
void KivPhotoAlbums::copyBuffer(QVector<KivPhotoAlbum*>& out) { CollectionCore::copyBuffer(out); }
bool KivPhotoAlbums::addPhotoAlbum(KivPhotoAlbum* a) { return a && addElement(a); }
bool KivPhotoAlbums::updatePhotoAlbum(KivPhotoAlbum* a) { return !a || updateElement(a); }
bool KivPhotoAlbums::deletePhotoAlbum(KivPhotoAlbum* a) { return !a || deleteElement(a); }

void KivPhotoAlbums::loadAlbumsFromDatabase(CIsLoadCancled* cancel)
{
    if (loaded)
        return;
    loadRows(velorin::sql::SelectActiveRows, true, cancel);
    loaded = true;
}

void KivPhotoAlbums::loadDeletedAlbumsFromDatabase()
{
    loadRows(velorin::sql::SelectTrashRows, false, nullptr);
}

namespace {

// Remembers a cancel once answered: the album loader asks both while
// loading one album's photos and between albums, and a request answered
// inside an album must end the whole load.
class CancelLatch : public CIsLoadCancled
{
public:
    explicit CancelLatch(CIsLoadCancled* inner)
        : m_inner(inner)
    {
    }
    bool isCanceled() override
    {
        if (!m_answered && m_inner && m_inner->isCanceled())
            m_answered = true;
        return m_answered;
    }
    bool answered() const { return m_answered; }

private:
    CIsLoadCancled* m_inner;
    bool m_answered = false;
};

} // namespace

void KivPhotoAlbums::loadRows(const char* statement, bool repair, CIsLoadCancled* cancel)
{
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    // The album rows are read to the end before any album is loaded or
    // announced, so no statement holds the file while receivers run.
    QList<DBAlbumInfo> rows;
    {
        velorin::SqlStatement q(*tables->getAlbumInfoDB(), statement);
        if (!q.exec())
            return;
        while (q.next()) {
            rows.emplaceBack();
            readAlbumRow(q.query(), rows.back());
        }
    }
    CancelLatch latch(cancel);
    CIsLoadCancled* albumCancel = cancel ? &latch : nullptr;
    QList<DBAlbumFileList> updates;
    QList<int> deletions;
    for (const DBAlbumInfo& row : std::as_const(rows)) {
        if (latch.answered())
            break;
        KivPhotoAlbum album(photoFiles);
        album.dbInfo = row;
        // The trash loader reads photos without repairs; the library
        // loader repairs unless the row itself says it is deleted.
        album.loadAlbumInfoFromDatabase(photoFiles, repair ? album.dbInfo.fIsDeleted : true, albumCancel);
        updates += album.returnUpdateList();
        deletions += album.returnDelList();
        if (album.getPhotoFilesCount() == 0)
            continue; // every photo gone: the album is not shown
        addPhotoAlbum(&album);
        if (albumCancel)
            albumCancel->isCanceled();
    }
    if (!repair)
        return;
    AlbumFileListDB* entries = tables->getAlbumFileListDB();
    for (DBAlbumFileList& update : updates)
        entries->updateRecord(&update);
    for (int id : std::as_const(deletions))
        entries->delRecordBy(id);
}

bool KivPhotoAlbums::addPhotoAlbumToDB(KivPhotoAlbum* album)
{
    if (!album)
        return true;
    // An album that was not saved is not shown either: the caller learns of
    // the failure instead of an album that is gone on the next start.
    if (!album->saveNewAlbumToDatabase())
        return false;
    if (const auto id = velorin::selectFirstRow(*velorin::catalogueTables()->getAlbumInfoDB(), velorin::sql::SelectAlbumIdByGuid,
                                                {album->dbInfo.albumGUID}))
        album->dbInfo.id = id->value(0).toInt();
    addPhotoAlbum(album);
    return true;
}

bool KivPhotoAlbums::updatePhotoAlbumToDB(KivPhotoAlbum* album, QAlbumUpdateFlag flags)
{
    if (album)
        album->updatePhotoAlbumToDatabase(album, flags);
    return updatePhotoAlbum(album);
}

bool KivPhotoAlbums::setDeletedFlag(KivPhotoAlbum* album, int deleted)
{
    if (!album)
        return false;
    const bool ok = velorin::SqlStatement(*velorin::catalogueTables()->getAlbumInfoDB(), velorin::sql::SetDeletedFlag,
                                          {deleted, album->dbInfo.id})
                        .exec();
    if (ok)
        deletePhotoAlbum(album);
    return ok;
}

bool KivPhotoAlbums::sendPhotoAlbumToTrashcan(KivPhotoAlbum* album) { return setDeletedFlag(album, 1); }
bool KivPhotoAlbums::restorePhotoAlbumToLib(KivPhotoAlbum* album) { return setDeletedFlag(album, 0); }

bool KivPhotoAlbums::deletePhotoAlbumFromDB(KivPhotoAlbum* album)
{
    if (!album)
        return false;
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    if (!velorin::SqlStatement(*tables->getAlbumInfoDB(), velorin::sql::DeleteRowById, {album->dbInfo.id}).exec())
        return false;
    AlbumFileListDB* entries = tables->getAlbumFileListDB();
    for (const QString& id : entries->selectStrings(velorin::sql::SelectEntryIdsByGuid, {album->dbInfo.albumGUID}))
        velorin::SqlStatement(*entries, velorin::sql::DeleteRowById, {id.toLongLong()}).exec();
    deletePhotoAlbum(album);
    return true;
}

bool KivPhotoAlbums::delRecordFromAlbFileListDB(QString& fullPath)
{
    AlbumFileListDB* entries = velorin::catalogueTables()->getAlbumFileListDB();
    QList<QPair<int, QString>> memberships;
    {
        velorin::SqlStatement q(*entries, AlbumFileListDB::SelectEntriesByPath);
        q.bind(fullPath);
        if (q.exec()) {
            while (q.next())
                memberships.append({q.value(0).toInt(), q.value(1).toString()});
        }
    }
    for (auto& [id, guid] : memberships) {
        velorin::SqlStatement(*entries, velorin::sql::DeleteRowById, {id}).exec();
        if (velorin::selectFirstRow(*entries, velorin::sql::SelectEntryIdsByGuid, {guid}))
            continue;
        // The album lost its last photo.
        if (KivPhotoAlbum* album = getAlbum(guid))
            deletePhotoAlbumFromDB(album);
    }
    return true;
}

std::vector<SQLiteDatabase*> KivPhotoAlbums::groupTables()
{
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    return {tables->getAlbumInfoDB(), tables->getAlbumFileListDB()};
}
