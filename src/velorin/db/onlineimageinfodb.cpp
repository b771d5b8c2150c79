#include "onlineimageinfodb.h"

#include "recordbinding_p.h"
#include <velorin/env/appfolders.h>

const TableDescription OnlineImageInfoDB::Description = {
    "OnlineImageInfo", "OnlineMediaInfo.db", "OnlineImageInfo", velorin::photoDataFolder, CreateTableStatement,
    IndexStatements, velorin::ImageColumnUpgrades};

OnlineImageInfoDB::OnlineImageInfoDB()
    : SQLiteTable(Description)
{
}

OnlineImageInfoDB::~OnlineImageInfoDB() = default;

bool OnlineImageInfoDB::insertRecord(DBOnlineImageInfo* info)
{
    if (!info)
        return false;
    velorin::SqlStatement q(*this, InsertStatement);
    velorin::bindImageCommon(q, *info);
    q.bind(info->category)
        .bind(info->imageId)
        .bind(info->syncUrl)
        .bind(info->faceDetected)
        .bind(info->fIsDeleted)
        .bind(info->fIsEdited)
        .bind(info->originalPath)
        .bind(info->fIsLocalLost)
        .bind(info->fRotateAngle);
    return q.exec();
}

bool OnlineImageInfoDB::updateRecord(DBOnlineImageInfo*)
{
    return false;
}

bool OnlineImageInfoDB::deleteRecord(QString& fullPath)
{
    return exec(DeleteStatement, {fullPath});
}
