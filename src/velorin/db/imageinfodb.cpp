#include "imageinfodb.h"

#include "recordbinding_p.h"

const TableDescription ImageInfoDB::Description = {
    "ImageInfo", "ImageInfo.db", "ImageInfo", DataSide::Photo, CreateTableStatement};

ImageInfoDB::ImageInfoDB()
    : SQLiteTable(Description)
{
}

ImageInfoDB::~ImageInfoDB() = default;

// On an existing file the indexes exist and the statements fail harmlessly.
bool ImageInfoDB::createIndex()
{
    execEachIgnoringResult({CreateIndexFullPath, CreateIndexName, CreateIndexModifyDate});
    return true;
}

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

bool ImageInfoDB::upgradeDatabase()
{
    return upgradeDatabaseFrom(getTableColumns());
}

// Added columns are NULL in existing rows; readers take NULL as 0.
bool ImageInfoDB::upgradeDatabaseFrom(QStringList columns)
{
    addMissingColumns(columns, velorin::ImageColumnUpgrades);
    return true;
}
