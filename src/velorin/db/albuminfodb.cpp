#include "albuminfodb.h"

#include <velorin/db/sharedstatements.h>

#include "recordbinding_p.h"
#include <velorin/env/appfolders.h>

const TableDescription AlbumInfoDB::Description = {
    "AlbumInfo", "PhotoAlbumInfo.db", "AlbumInfo", velorin::photoDataFolder, CreateTableStatement};

AlbumInfoDB::AlbumInfoDB()
    : SQLiteTable(Description)
{
}

AlbumInfoDB::~AlbumInfoDB() = default;

bool AlbumInfoDB::insertRecord(DBAlbumInfo* a)
{
    if (!a)
        return false;
    velorin::SqlStatement q(*this, InsertStatement);
    velorin::bindAlbumCommon(q, *a);
    q.bind(a->category)
        .bind(a->ssDuration)
        .bind(a->ssColor)
        .bind(a->ssTransition)
        .bind(a->ssFIsMusicOn)
        .bind(a->ssMusicCount)
        .bind(a->ssMusicFullPathList)
        .bind(a->ssFIsRepeated)
        .bind(a->ssFIsShuffled);
    return q.exec();
}

bool AlbumInfoDB::updateRecord(DBAlbumInfo*)
{
    return false;
}

bool AlbumInfoDB::deleteRecord(QString& albumGUID)
{
    return exec(velorin::sql::DeleteByAlbumGuid, {albumGUID});
}
