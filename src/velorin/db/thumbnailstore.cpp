#include "thumbnailstore.h"

#include <velorin/db/sharedstatements.h>
#include <velorin/service/sqlstatement.h>

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
    velorin::SqlStatement q(*this, velorin::sql::SelectModifyDateByPath);
    q.bind(t->fullPath);
    const bool exists = q.exec() && q.next();
    return exists ? updateRecord(t) : insertRecord(t);
}
