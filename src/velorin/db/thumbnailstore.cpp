#include "thumbnailstore.h"

#include <velorin/db/sharedstatements.h>
#include <velorin/core/sqlstatement.h>

ThumbnailStore::~ThumbnailStore() = default;

bool ThumbnailStore::insertRecord(DBImageThumbnail* t)
{
    return t && exec(InsertStatement, {t->fullPath, t->mediaModifyDate, t->thumbnail, t->recordTimestamp});
}

bool ThumbnailStore::updateRecord(DBImageThumbnail* t)
{
    return t && exec(UpdateStatement, {t->mediaModifyDate, t->thumbnail, t->recordTimestamp, t->fullPath});
}

bool ThumbnailStore::deleteRecord(QString& fullPath)
{
    return exec(DeleteStatement, {fullPath});
}

bool ThumbnailStore::saveRecord(DBImageThumbnail* t)
{
    if (!t)
        return false;
    const bool exists = velorin::selectFirstRow(*this, velorin::sql::SelectModifyDateByPath, {t->fullPath}).has_value();
    return exists ? updateRecord(t) : insertRecord(t);
}
