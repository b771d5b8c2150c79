#include "imageinfodb.h"

#include <QSqlQuery>

#include "recordbinding_p.h"
#include <velorin/env/appfolders.h>

const TableDescription ImageInfoDB::Description = {
    "ImageInfo", "ImageInfo.db", "ImageInfo", velorin::photoDataFolder, CreateTableStatement, IndexStatements,
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

void ImageInfoDB::readRecord(const QSqlQuery& row, DBImageInfo& out)
{
    out.id = row.value(ColId).toInt();
    out.name = row.value(ColName).toString();
    out.fullPath = row.value(ColFullPath).toString();
    out.fileSize = qint64(row.value(ColFileSize).toULongLong());
    out.mediaModifyDate = row.value(ColMediaModifyDate).toDateTime();
    out.mediaRating = row.value(ColMediaRating).toInt();
    out.mediaTag = row.value(ColMediaTag).toString();
    out.mediaComment = row.value(ColMediaComment).toString();
    out.exifDate = row.value(ColExifDate).toString();
    out.orientation = row.value(ColOrientation).toInt();
    out.latitude = row.value(ColLatitude).toDouble();
    out.longitude = row.value(ColLongitude).toDouble();
    out.altitude = row.value(ColAltitude).toDouble();
    out.address = row.value(ColAddress).toString();
    out.faceDetected = row.value(ColFaceDetected).toBool();
    out.fIsDeleted = row.value(ColIsDeleted).toBool();
    out.fIsEdited = row.value(ColIsEdited).toBool();
    out.originalPath = row.value(ColOriginalPath).toString();
    out.fIsPhotoRoll = row.value(ColIsPhotoRoll).toBool();
    out.fIsLocalLost = row.value(ColIsLocalLost).toBool();
    out.fRotateAngle = row.value(ColRotateAngle).toInt();
}
