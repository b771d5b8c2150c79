#include "photowriter.h"

#include <velorin/core/sqlstatement.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/db/sharedstatements.h>

#include <optional>

namespace velorin {

namespace {

// Whether a store holds a non-empty thumbnail of the path. A picture that
// could not be decoded is stored with empty thumbnails; such a row is not
// "done" and is tried again by the next import.
constexpr const char* SelectThumbnailLength = "select length(thumbnail) from %1 where fullPath=?";

ImageInfoDB* imageTable()
{
    return catalogueTables()->getImageInfoDB();
}

// True/false when the four stores answered, nothing when one could not be read.
std::optional<bool> hasAllThumbnails(const QString& path)
{
    for (ThumbnailStore* store : catalogueTables()->imageThumbnailStores()) {
        SqlStatement q(*store, SelectThumbnailLength);
        q.bind(path);
        if (!q.exec())
            return std::nullopt;
        if (!q.next() || q.value(0).toLongLong() <= 0)
            return false;
    }
    return true;
}

// A new path: thumbnails first, so that a row never exists without them.
bool insertPhoto(DBImageInfo& info, PhotoThumbnails thumbnails)
{
    return savePhotoThumbnails(thumbnails) && imageTable()->insertRecord(&info);
}

// A changed file: its thumbnails, then every column of its row.
bool rewritePhoto(const DBImageInfo& info, PhotoThumbnails thumbnails)
{
    return savePhotoThumbnails(thumbnails) && writePhotoColumns(info, QPUpdateAll);
}

} // namespace

std::vector<SQLiteDatabase*> photoWriteTables()
{
    CatalogueTables* tables = catalogueTables();
    const auto stores = tables->imageThumbnailStores();
    std::vector<SQLiteDatabase*> result(stores.begin(), stores.end());
    result.push_back(tables->getImageInfoDB());
    return result;
}

bool isSavedFileState(const QVariant& storedDate, const QVariant& storedSize, const DBImageInfo& info)
{
    return storedDate.toDateTime().toString(Qt::TextDate) == info.mediaModifyDate.toString(Qt::TextDate)
        && storedSize.toLongLong() == info.fileSize;
}

StoredPhotoState storedPhotoState(const DBImageInfo& info)
{
    StoredPhotoState result;
    SqlStatement q(*imageTable(), sql::SelectSaveStateByPath);
    q.bind(info.fullPath);
    if (!q.exec())
        return result;
    if (!q.next()) {
        result.state = StoredPhoto::Missing;
        return result;
    }
    // mediaModifyDate, id, fileSize
    result.id = q.value(1).toInt();
    if (!isSavedFileState(q.value(0), q.value(2), info)) {
        result.state = StoredPhoto::Changed;
        return result;
    }
    const std::optional<bool> complete = hasAllThumbnails(info.fullPath);
    if (complete)
        result.state = *complete ? StoredPhoto::Current : StoredPhoto::Incomplete;
    return result;
}

bool savePhotoThumbnails(PhotoThumbnails thumbnails)
{
    const auto stores = catalogueTables()->imageThumbnailStores();
    bool all = true;
    for (size_t i = 0; i < stores.size(); ++i)
        all = stores[i]->saveRecord(thumbnails[i]) && all;
    return all;
}

PhotoSaveResult savePhotoToDB(DBImageInfo& info, PhotoThumbnails thumbnails)
{
    const StoredPhotoState stored = storedPhotoState(info);
    switch (stored.state) {
    case StoredPhoto::Unknown:
        return PhotoSaveResult::Failed;
    case StoredPhoto::Missing:
        return insertPhoto(info, thumbnails) ? PhotoSaveResult::Inserted : PhotoSaveResult::Failed;
    case StoredPhoto::Current:
        info.id = stored.id;
        return PhotoSaveResult::Unchanged;
    case StoredPhoto::Incomplete:
        info.id = stored.id;
        return savePhotoThumbnails(thumbnails) ? PhotoSaveResult::Rewritten : PhotoSaveResult::Failed;
    case StoredPhoto::Changed:
        info.id = stored.id;
        return rewritePhoto(info, thumbnails) ? PhotoSaveResult::Rewritten : PhotoSaveResult::Failed;
    }
    return PhotoSaveResult::Failed;
}

ScannedPhoto reconcileScannedPhoto(DBImageInfo& info, PhotoThumbnails thumbnails)
{
    // mediaModifyDate, fIsDeleted, id, fileSize
    SqlStatement q(*imageTable(), ImageInfoDB::SelectStateByPath);
    q.bind(info.fullPath);
    if (!q.exec())
        return ScannedPhoto::Failed; // unknown is not "new": inserting would duplicate the row
    if (!q.next()) {
        q.query().finish();
        if (!insertPhoto(info, thumbnails))
            return ScannedPhoto::Failed;
        const auto id = selectFirstRow(*imageTable(), sql::SelectIdByPath, {info.fullPath});
        info.id = id ? id->value(0).toInt() : -1;
        return ScannedPhoto::Inserted;
    }
    const QVariant storedDate = q.value(0);
    const bool trashed = q.value(1).toInt() != 0;
    const QVariant storedSize = q.value(3);
    info.id = q.value(2).toInt();
    q.query().finish();

    if (trashed) {
        // Back from the trash: only the flag changes in the table.
        return SqlStatement(*imageTable(), sql::SetDeletedFlag, {0, info.id}).exec() ? ScannedPhoto::Restored
                                                                                     : ScannedPhoto::Failed;
    }
    if (isSavedFileState(storedDate, storedSize, info))
        return ScannedPhoto::Unchanged;
    return rewritePhoto(info, thumbnails) ? ScannedPhoto::Rewritten : ScannedPhoto::Failed;
}

bool writePhotoColumns(const DBImageInfo& info, QPhotoUpdateFlag flags)
{
    ImageInfoDB* images = imageTable();
    return buildPhotoUpdate(images->getTableName(), info, flags).exec(images->getDatabase(), info.id);
}

bool deletePhotoRows(int id, const QString& fullPath)
{
    if (!SqlStatement(*imageTable(), sql::DeleteRowById, {id}).exec())
        return false;
    for (ThumbnailStore* store : catalogueTables()->imageThumbnailStores())
        execStatement(store->getDatabase(), tableStatement(sql::DeleteByPath, store->getTableName()), {fullPath});
    return true;
}

bool movePhotoRow(const DBImageInfo& info, const QString& newPath, bool reverted)
{
    ImageInfoDB* images = imageTable();
    const QString text = QStringLiteral("update ") + images->getTableName() + QStringLiteral(" set ")
        + QStringLiteral("fullPath=? ") + QStringLiteral(", fIsEdited=%1 ").arg(reverted ? 0 : 1)
        + QStringLiteral(", fRotateAngle=%1 ").arg(info.fRotateAngle)
        + QStringLiteral(", fileSize=%1 ").arg(info.fileSize) + QStringLiteral(", mediaModifyDate=? ")
        + QStringLiteral("where id=%1").arg(info.id);
    return execStatement(images->getDatabase(), text, {newPath, info.mediaModifyDate});
}

bool movePhotoAlbumEntries(int id, const QString& newPath)
{
    AlbumFileListDB* entries = catalogueTables()->getAlbumFileListDB();
    const QString text = QStringLiteral("update ") + entries->getTableName() + QStringLiteral(" set ")
        + QString::fromLatin1(AlbumFileListDB::SetPathFragment)
        + QString::fromLatin1(AlbumFileListDB::WhereFileId).arg(id);
    return execStatement(entries->getDatabase(), text, {newPath});
}

} // namespace velorin
