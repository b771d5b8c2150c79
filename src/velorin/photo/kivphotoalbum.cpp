#include "kivphotoalbum.h"

#include <QSet>

#include <velorin/db/sharedstatements.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/core/writetransaction.h>
#include <velorin/photo/kivphotofilessort.h>

namespace velorin {

namespace {

using A = DBAlbumInfo;

QVariant slideShowValues(const A& a)
{
    return QVariantList{a.category,     a.ssMusicFullPathList, a.ssDuration,    a.ssColor,      a.ssTransition,
                        a.ssFIsMusicOn, a.ssMusicCount,        a.ssFIsRepeated, a.ssFIsShuffled};
}

void copySlideShow(A& to, const A& from)
{
    to.category = from.category;
    to.ssDuration = from.ssDuration;
    to.ssColor = from.ssColor;
    to.ssTransition = from.ssTransition;
    to.ssFIsMusicOn = from.ssFIsMusicOn;
    to.ssMusicCount = from.ssMusicCount;
    to.ssMusicFullPathList = from.ssMusicFullPathList;
    to.ssFIsRepeated = from.ssFIsRepeated;
    to.ssFIsShuffled = from.ssFIsShuffled;
}

constexpr UpdateColumn<A> columns[] = {
    updateColumn<A, &A::name>(QAUpdateName, "name=? "),
    updateColumn<A, &A::modifyTime>(QAUpdateModifyTime, "modifyTime=? "),
    updateColumn<A, &A::description>(QAUpdateDescription, "description=? "),
    updateColumn<A, &A::thumbnail>(QAUpdateThumbnail, "thumbnail=? "),
    updateColumn<A, &A::albumRating>(QAUpdateRating, "albumRating=%1 "),
    {QAUpdateSlideShow,
     "category=? , ssDuration=%1 , ssColor=%2 , ssTransition=%3 , ssFIsMusicOn=%4 , ssMusicCount=%5 , "
     "ssMusicFullPathList=? , ssFIsRepeated=%6 , ssFIsShuffled=%7 ",
     slideShowValues, copySlideShow},
};

} // namespace

std::span<const UpdateColumn<DBAlbumInfo>> albumUpdateColumns()
{
    return columns;
}

} // namespace velorin

KivPhotoAlbum::KivPhotoAlbum(KivPhotoFiles* files)
    : filesSort(new KivPhotoFilesSort(PhotosFilterAll, this))
    , photoFiles(files)
{
    qRegisterMetaType<KivPhotoAlbum*>();
    if (photoFiles) {
        connect(photoFiles, &KivPhotoFiles::photoFileUpdated, filesSort, &KivPhotoFilesSort::updatePhotoFile);
        connect(photoFiles, &KivPhotoFiles::photoFileDeleted, filesSort, &KivPhotoFilesSort::deletePhotoFile);
    }
}

KivPhotoAlbum::~KivPhotoAlbum()
{
    if (photoFiles)
        photoFiles->disconnect(filesSort);
}

KivPhotoAlbum& KivPhotoAlbum::operator=(KivPhotoAlbum& other)
{
    if (this == &other)
        return *this;
    dbInfo = other.dbInfo;
    *filesSort = *other.filesSort;
    return *this;
}

KivPhotoFilesSort* KivPhotoAlbum::getKivPhotoFilesSort() { return filesSort; }
int KivPhotoAlbum::getPhotoFilesCount() { return filesSort->photoFilesCount(); }
KivPhotoFile* KivPhotoAlbum::getPhotoFile(int index) { return filesSort->getKivPhotoFile(index); }
QList<DBAlbumFileList> KivPhotoAlbum::returnUpdateList() { return updateList; }
QList<int> KivPhotoAlbum::returnDelList() { return delList; }
void KivPhotoAlbum::saveMemory() {}

void KivPhotoAlbum::loadAlbumInfoFromDatabase(KivPhotoFiles* files, bool bNoRepair, CIsLoadCancled* cancel)
{
    if (!files)
        return;
    updateList.clear();
    delList.clear();
    // The entries are read to the end first: the album's view announces
    // each photo, and no statement may hold the file while receivers run.
    struct Entry
    {
        int id;
        QString path;
        int fileId;
    };
    QList<Entry> rows;
    {
        velorin::SqlStatement q(*velorin::catalogueTables()->getAlbumFileListDB(), velorin::sql::SelectEntriesByGuid);
        q.bind(dbInfo.albumGUID);
        if (!q.exec())
            return;
        while (q.next())
            rows.append({q.value(0).toInt(), q.value(2).toString(), q.value(3).toInt()});
    }
    for (const Entry& row : std::as_const(rows)) {
        const QString& path = row.path;
        KivPhotoFile* photo = files->findPhotoFileByID(row.fileId);
        if (!photo || photo->dbInfo.fullPath.compare(path, Qt::CaseInsensitive) != 0) {
            photo = nullptr;
            if (!bNoRepair) {
                QString exact = path;
                photo = files->findPhotoFile(exact);
                if (!photo) {
                    delList.append(row.id);
                } else {
                    // Imported again under a new id: the row follows it.
                    DBAlbumFileList repair;
                    repair.id = row.id;
                    repair.fileID = photo->dbInfo.id;
                    updateList.append(repair);
                }
            }
        }
        if (photo)
            filesSort->addPhotoFile(-1, photo);
        if (cancel && cancel->isCanceled())
            break;
    }
}

// The album row, then its entries, each file in an immediate transaction
// of its own (the two tables share a file through two connections, so one
// transaction cannot span both). False when either could not be written.
bool KivPhotoAlbum::saveNewAlbumToDatabase()
{
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    AlbumInfoDB* albums = tables->getAlbumInfoDB();
    AlbumFileListDB* entries = tables->getAlbumFileListDB();
    {
        SQLiteDatabase* table[] = {albums};
        velorin::WriteTransaction transaction(table);
        if (!transaction.begin() || !albums->insertRecord(&dbInfo) || !transaction.commit())
            return false;
    }
    SQLiteDatabase* table[] = {entries};
    velorin::WriteTransaction transaction(table);
    if (!transaction.begin())
        return false;
    for (int i = 0; i < filesSort->photoFilesCount(); ++i) {
        KivPhotoFile* photo = filesSort->getKivPhotoFile(i);
        DBAlbumFileList entry;
        entry.albumGUID = dbInfo.albumGUID;
        entry.fullPath = photo->dbInfo.fullPath;
        entry.fileID = photo->dbInfo.id;
        if (!entries->insertRecord(&entry))
            return false;
    }
    return transaction.commit();
}

bool KivPhotoAlbum::updatePhotoAlbumToDatabase(KivPhotoAlbum* album, QAlbumUpdateFlag flags)
{
    if (!album)
        return false;
    AlbumInfoDB* albums = velorin::catalogueTables()->getAlbumInfoDB();
    const auto update = velorin::buildUpdate(albums->getTableName(), "where id=%1", velorin::albumUpdateColumns(),
                                             album->dbInfo, flags);
    const bool written = !update.isEmpty() && update.exec(albums->getDatabase(), album->dbInfo.id);
    // The file list is written even when no column is: true only when both
    // were.
    if (flags & QAUpdateFileList)
        return syncFileList(album) && written;
    return written;
}

// Writes only the difference: rows of photos no longer in the album go,
// photos without a row get one. True when every statement succeeded (all
// are tried).
bool KivPhotoAlbum::syncFileList(KivPhotoAlbum* album)
{
    AlbumFileListDB* entries = velorin::catalogueTables()->getAlbumFileListDB();
    QSet<int> shownIds;
    for (int i = 0; i < album->getPhotoFilesCount(); ++i)
        shownIds.insert(album->getPhotoFile(i)->dbInfo.id);

    bool all = true;
    QList<int> stale;
    {
        velorin::SqlStatement q(*entries, AlbumFileListDB::SelectFileIdsByGuid);
        q.bind(album->dbInfo.albumGUID);
        all = q.exec();
        while (all && q.next()) {
            if (!shownIds.contains(q.value(1).toInt()))
                stale.append(q.value(0).toInt());
        }
    }
    for (int id : stale)
        all = velorin::SqlStatement(*entries, velorin::sql::DeleteRowByBoundId).bind(id).exec() && all;

    for (int i = 0; i < album->getPhotoFilesCount(); ++i) {
        KivPhotoFile* photo = album->getPhotoFile(i);
        if (velorin::selectFirstRow(*entries, velorin::sql::SelectEntryIdByGuidAndPath,
                                    {album->dbInfo.albumGUID, photo->dbInfo.fullPath}))
            continue;
        DBAlbumFileList entry;
        entry.albumGUID = album->dbInfo.albumGUID;
        entry.fullPath = photo->dbInfo.fullPath;
        entry.fileID = photo->dbInfo.id;
        all = entries->insertRecord(&entry) && all;
    }
    return all;
}
