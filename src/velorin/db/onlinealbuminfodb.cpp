#include "onlinealbuminfodb.h"

#include <velorin/db/sharedstatements.h>

#include "recordbinding_p.h"
#include <velorin/env/appfolders.h>

const TableDescription OnlineAlbumInfoDB::Description = {
    "OnlineAlbumInfo", "OnlineAlbumInfo.db", "OnlineAlbumInfo", velorin::photoDataFolder, CreateTableStatement};

OnlineAlbumInfoDB::OnlineAlbumInfoDB()
    : SQLiteTable(Description)
{
}

OnlineAlbumInfoDB::~OnlineAlbumInfoDB() = default;

bool OnlineAlbumInfoDB::insertRecord(DBOnlineAlbumInfo* a)
{
    if (!a)
        return false;
    velorin::SqlStatement q(*this, InsertStatement);
    velorin::bindAlbumCommon(q, *a);
    q.bind(a->albumId).bind(a->category);
    return q.exec();
}

bool OnlineAlbumInfoDB::updateRecord(DBOnlineAlbumInfo*)
{
    return false;
}

bool OnlineAlbumInfoDB::deleteRecord(QString& albumGUID)
{
    return exec(velorin::sql::DeleteByAlbumGuid, {albumGUID});
}
