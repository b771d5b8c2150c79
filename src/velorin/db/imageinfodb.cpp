#include "imageinfodb.h"

#include "recordbinding_p.h"

const TableDescription ImageInfoDB::Description = {
    "ImageInfo", "ImageInfo.db", "ImageInfo", DataSide::Photo, CreateTableStatement, IndexStatements,
    velorin::ImageColumnUpgrades};

ImageInfoDB::ImageInfoDB()
    : SQLiteTable(Description)
{
}

ImageInfoDB::~ImageInfoDB() = default;

bool ImageInfoDB::insertRecord(DBImageInfo* info)
{
    if (!info)
        return false;
    velorin::SqlStatement q(*this, InsertStatement);
    velorin::bindImageCommon(q, *info);
    q.bind(info->faceDetected)
        .bind(info->fIsDeleted)
        .bind(info->fIsEdited)
        .bind(info->originalPath)
        .bind(info->fIsPhotoRoll)
        .bind(info->fIsLocalLost)
        .bind(info->fRotateAngle);
    return q.exec();
}

bool ImageInfoDB::deleteRecord(QString& fullPath)
{
    return exec(DeleteStatement, {fullPath});
}
