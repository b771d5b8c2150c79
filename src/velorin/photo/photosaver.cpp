#include "photosaver.h"

#include <velorin/db/imageinfodb.h>
#include <velorin/db/imagethumbnaildb.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/photo/photoupdateflag.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/core/sqlstatement.h>

namespace velorin {

namespace {

// Whether a store holds a non-empty thumbnail of the path. A picture that
// could not be decoded is stored with empty thumbnails; such a row is not
// "done" and is tried again by the next import.
constexpr const char* SelectThumbnailLength = "select length(thumbnail) from %1 where fullPath=?";

std::array<ThumbnailStore*, 4> stores()
{
    velorin::CatalogueTables* s = velorin::catalogueTables();
    return {s->getImageThumbnailMiniDB(), s->getImageThumbnailSmallDB(), s->getImageThumbnailMediumDB(),
            s->getImageThumbnailLargeDB()};
}

// True/false when the four stores answered, nothing when one could not be read.
std::optional<bool> hasAllThumbnails(const QString& path)
{
    for (ThumbnailStore* store : stores()) {
        SqlStatement q(*store, SelectThumbnailLength);
        q.bind(path);
        if (!q.exec())
            return std::nullopt;
        if (!q.next() || q.value(0).toLongLong() <= 0)
            return false;
    }
    return true;
}

} // namespace

StoredPhotoState storedPhotoState(const DBImageInfo& info)
{
    StoredPhotoState result;
    SqlStatement q(*velorin::catalogueTables()->getImageInfoDB(), sql::SelectSaveStateByPath);
    q.bind(info.fullPath);
    if (!q.exec())
        return result;
    if (!q.next()) {
        result.state = StoredPhoto::Missing;
        return result;
    }
    // mediaModifyDate, id, fileSize
    result.id = q.value(1).toInt();
    if (!KivPhotoFiles::isSavedFileState(q.value(0), q.value(2), info)) {
        result.state = StoredPhoto::Changed;
        return result;
    }
    const std::optional<bool> complete = hasAllThumbnails(info.fullPath);
    if (complete)
        result.state = *complete ? StoredPhoto::Current : StoredPhoto::Incomplete;
    return result;
}

bool savePhotoThumbnails(std::array<DBImageThumbnail*, 4> thumbnails)
{
    const auto all = stores();
    for (size_t i = 0; i < all.size(); ++i) {
        if (!all[i]->saveRecord(thumbnails[i]))
            return false;
    }
    return true;
}

PhotoSaveResult savePhotoToDB(DBImageInfo& info, std::array<DBImageThumbnail*, 4> thumbnails)
{
    ImageInfoDB* images = velorin::catalogueTables()->getImageInfoDB();
    const StoredPhotoState stored = storedPhotoState(info);
    switch (stored.state) {
    case StoredPhoto::Unknown:
        return PhotoSaveResult::Failed;
    case StoredPhoto::Current:
        info.id = stored.id;
        return PhotoSaveResult::Unchanged;
    case StoredPhoto::Missing:
        // Thumbnails first: a row never exists without them.
        if (!savePhotoThumbnails(thumbnails) || !images->insertRecord(&info))
            return PhotoSaveResult::Failed;
        return PhotoSaveResult::Inserted;
    case StoredPhoto::Incomplete:
        info.id = stored.id;
        return savePhotoThumbnails(thumbnails) ? PhotoSaveResult::Rewritten : PhotoSaveResult::Failed;
    case StoredPhoto::Changed:
        info.id = stored.id;
        if (!savePhotoThumbnails(thumbnails)
            || !buildPhotoUpdate(images->getTableName(), info, QPUpdateAll).exec(images->getDatabase(), info.id))
            return PhotoSaveResult::Failed;
        return PhotoSaveResult::Rewritten;
    }
    return PhotoSaveResult::Failed;
}

} // namespace velorin
