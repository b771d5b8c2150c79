#include "imageinfodb.h"

#include <velorin/env/appfolders.h>
#include <velorin/service/sqlstatement.h>

ImageInfoDB::ImageInfoDB() = default;
ImageInfoDB::~ImageInfoDB() = default;

QString ImageInfoDB::getConnectionName() { return QStringLiteral("ImageInfo"); }
QString ImageInfoDB::getDatabaseName() { return QStringLiteral("ImageInfo.db"); }
QString ImageInfoDB::getTableName() { return QStringLiteral("ImageInfo"); }
QString ImageInfoDB::getDataFolder() { return velorin::photoDataFolder(); }

// A new file gets every column at once; older files are brought up to date
// only by an explicit upgradeDatabase().
bool ImageInfoDB::createTable()
{
    return createTableIfMissing(CreateTableStatement);
}

// On an existing file the indexes exist and the statements fail harmlessly.
bool ImageInfoDB::createIndex()
{
    execEachIgnoringResult({CreateIndexFullPath, CreateIndexName, CreateIndexModifyDate});
    return true;
}

// Does not read back the new id: callers that need it select it by fullPath.
bool ImageInfoDB::insertRecord(DBImageInfo* info)
{
    if (!info)
        return false;
    velorin::SqlStatement q(getDatabase(), QString::fromUtf8(InsertStatement));
    q.bind(info->name)
        .bind(info->fullPath)
        .bind(info->fileSize)
        .bind(info->mediaModifyDate)
        .bind(info->mediaRating)
        .bind(info->mediaTag)
        .bind(info->mediaComment)
        .bind(info->exifDate)
        .bind(info->orientation)
        .bind(info->latitude)
        .bind(info->longitude)
        .bind(info->altitude)
        .bind(info->address)
        .bind(info->faceDetected)
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
    velorin::SqlStatement q(getDatabase(), QString::fromUtf8(DeleteStatement));
    q.bind(fullPath);
    return q.exec();
}

bool ImageInfoDB::upgradeDatabase()
{
    return upgradeDatabaseFrom(getTableColumns());
}

// Added columns are NULL in existing rows; readers take NULL as 0.
bool ImageInfoDB::upgradeDatabaseFrom(QStringList columns)
{
    addMissingColumns(columns, {{"fIsLocalLost", AddLocalLostColumn},
                                {"fRotateAngle", AddRotateAngleColumn}});
    return true;
}
