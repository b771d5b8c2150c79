#include "videoplaylistdb.h"

#include <velorin/db/sharedstatements.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

const TableDescription VideoPlayListDB::Description = {
    "VideoPlayList", "VideoInfo.db", "VideoPlayList", velorin::videoDataFolder, CreateTableStatement};

VideoPlayListDB::VideoPlayListDB()
    : SQLiteTable(Description)
{
}

VideoPlayListDB::~VideoPlayListDB() = default;

bool VideoPlayListDB::insertRecord(DBVideoPlayListInfo* p)
{
    if (!p)
        return false;
    const bool inserted = exec(InsertStatement, {p->name, p->description, p->createTime, p->thumbnail,
                                                 p->albumGUID, p->modifyTime, p->fIsDeleted, p->rating});
    if (const auto row = velorin::selectFirstRow(*this, velorin::sql::SelectEntryIdsByGuid, {p->albumGUID}))
        p->id = row->value(0).toInt();
    return inserted;
}

bool VideoPlayListDB::deleteRecord(QString& albumGUID)
{
    return exec(velorin::sql::DeleteByAlbumGuid, {albumGUID});
}
