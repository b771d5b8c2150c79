#include "imagefaceinfodb.h"

#include <QStringList>

#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

const TableDescription ImageFaceInfoDB::Description = {
    "ImageFaceInfo", "ImageFaceInfo.db", "ImageFaceInfo", velorin::photoDataFolder, CreateTableStatement};

ImageFaceInfoDB::ImageFaceInfoDB()
    : SQLiteTable(Description)
{
}

ImageFaceInfoDB::~ImageFaceInfoDB() = default;

bool ImageFaceInfoDB::insertRecord(DBImageFaceInfo* f)
{
    return f
        && exec(InsertStatement, {f->fullPath, f->fileID, f->peopleGUID, f->left, f->top, f->right,
                                  f->bottom, f->nameType, f->name, f->excludingName, f->AFRFaceFeature,
                                  f->FaceThumbnail});
}

bool ImageFaceInfoDB::updateRecord(DBImageFaceInfo* f, int fields)
{
    if (!f)
        return false;
    QStringList assignments;
    QVariantList bound;
    if (fields & UpdateFileId)
        assignments.append(QStringLiteral("fileID=") + QString::number(f->fileID));
    if (fields & UpdateNameType)
        assignments.append(QStringLiteral("nameType=") + QString::number(f->nameType));
    if (fields & UpdateName) {
        assignments.append(QStringLiteral("name=?"));
        bound.append(f->name);
    }
    if (fields & UpdateExcludingName) {
        assignments.append(QStringLiteral("excludingName=?"));
        bound.append(f->excludingName);
    }
    const QString text = QString::fromLatin1(UpdateHead) + assignments.join(QLatin1Char(','))
        + QStringLiteral(" where id=") + QString::number(f->id);
    return velorin::execStatement(getDatabase(), text, bound);
}

bool ImageFaceInfoDB::deleteRecord(int id)
{
    return exec(DeleteStatement, {id});
}
