#include "videoinfodb.h"

#include <velorin/db/sharedstatements.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

const TableDescription VideoInfoDB::Description = {
    "VideoInfo", "VideoInfo.db", "VideoInfo", velorin::videoDataFolder, CreateTableStatement, IndexStatements};

VideoInfoDB::VideoInfoDB()
    : SQLiteTable(Description)
{
}

VideoInfoDB::~VideoInfoDB() = default;

bool VideoInfoDB::insertRecord(DBVideoInfo* v)
{
    if (!v)
        return false;
    velorin::SqlStatement insert(*this, InsertStatement);
    insert.bind(v->name)
        .bind(v->description)
        .bind(v->fullPath)
        .bind(v->fileSize)
        .bind(v->format)
        .bind(v->createDate)
        .bind(v->accessDate)
        .bind(v->modifyDate)
        .bind(v->rating)
        .bind(v->resolutionX)
        .bind(v->resolutionY)
        .bind(v->duration)
        .bind(v->aspectRatioX)
        .bind(v->aspectRatioY)
        .bind(v->artist)
        .bind(v->genre)
        .bind(v->thumbnail)
        .bind(v->year)
        .bind(v->lastPlayed)
        .bind(v->mostPlayed)
        .bind(v->fIsDeleted)
        .bind(v->fIsEdited)
        .bind(v->originalPath)
        .bind(v->fIsCaptured)
        .bind(v->markIn)
        .bind(v->markOut);
    insert.exec();

    velorin::SqlStatement readBack(*this, velorin::sql::SelectIdByPath);
    readBack.bind(v->fullPath);
    const bool ok = readBack.exec();
    while (readBack.next())
        v->id = readBack.value(0).toInt();
    return ok;
}

bool VideoInfoDB::deleteRecord(QString& fullPath)
{
    return exec(DeleteStatement, {fullPath});
}
