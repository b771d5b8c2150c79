#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

#include <functional>

class QSqlQuery;

// Table ImageInfo in "ImageInfo.db" of the photo data folder: one row per
// photo of the local library, keyed for every other statement by fullPath.
// Rows in the trash keep their place with fIsDeleted 1.
//
// Thread safety: like every table object, one instance serves all threads;
// each thread opens its own connection first (SQLiteDatabase).
class VELORIN_EXPORT ImageInfoDB : public SQLiteTable
{
public:
    ImageInfoDB();
    ~ImageInfoDB() override;

    // Does not read back the new id: callers that need it select it by path.
    bool insertRecord(DBImageInfo* info);
    bool deleteRecord(QString& fullPath);

    // Reads a "select *" row, by position in schema order, into `out`.
    static void readRecord(const QSqlQuery& row, DBImageInfo& out);

    // Runs a "select *" statement of this table ("%1" the table name) on
    // the calling thread's connection and hands every row, read as
    // readRecord() reads it, to `each`, in order. False when the statement
    // failed (lastDbError() says why); rows handed on before a failure
    // stay handed on.
    bool selectRecords(const char* statement, const std::function<void(DBImageInfo&&)>& each);

    static const TableDescription Description;

    // Schema and index texts, byte for byte as every catalogue file has them.
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[fullPath] TEXT NULL,[fileSize] BIGINT NULL,"
        "[mediaModifyDate] TIMESTAMP DEFAULT CURRENT_TIMESTAMP NULL,[mediaRating] INTEGER NULL,"
        "[mediaTag] TEXT NULL,[mediaComment] TEXT NULL,[exifDate] INTEGER NULL,"
        "[orientation] INTEGER NULL,[latitude] REAL NULL,[longitude] REAL NULL,"
        "[altitude] REAL NULL,[address] TEXT NULL,[faceDetected] INTEGER NULL,"
        "[fIsDeleted] INTEGER NULL,[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,"
        "[fIsPhotoRoll] INTEGER NULL,[fIsLocalLost] INTEGER NULL,[fRotateAngle] INTEGER NULL)";
    static constexpr const char* CreateIndexFullPath =
        "CREATE INDEX [IDX_ImageInfo_fullPath] ON [ImageInfo] ([fullPath] ASC);";
    static constexpr const char* CreateIndexName =
        "CREATE INDEX [IDX_ImageInfo_name] ON [ImageInfo] ([name] ASC);";
    static constexpr const char* CreateIndexModifyDate =
        "CREATE INDEX [IDX_ImageInfo_mediaModifyDate] ON [ImageInfo] ([mediaModifyDate] ASC);";

    static constexpr const char* IndexStatements[] = {CreateIndexFullPath, CreateIndexName,
                                                      CreateIndexModifyDate};

    static constexpr const char* InsertStatement =
        "INSERT INTO ImageInfo(name, fullPath, fileSize, mediaModifyDate, mediaRating, mediaTag, "
        "mediaComment, exifDate, orientation, latitude, longitude, altitude, address, "
        "faceDetected, fIsDeleted, fIsEdited, originalPath, fIsPhotoRoll, fIsLocalLost, "
        "fRotateAngle) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* DeleteStatement = "DELETE FROM ImageInfo where fullPath=?";

    // Statements the photo collection and the folder scan issue on this
    // table besides the shared ones (velorin::sql: the trash, SelectIdByPath,
    // SelectSaveStateByPath, DeleteRowById). "%1" is the table name.
    static constexpr const char* SelectLibrary = "select * from %1 where fIsDeleted=0";
    static constexpr const char* SelectPhotoRoll =
        "select * from %1 where fIsDeleted=0 and fIsPhotoRoll=1";
    static constexpr const char* SelectStateByPath =
        "select mediaModifyDate, fIsDeleted, id, fileSize from %1 where fullPath=?";
    static constexpr const char* SelectPhotoRollFlag = "select fIsPhotoRoll from %1 where fullPath=?";
    static constexpr const char* SelectPhotoRollRows =
        "select mediaModifyDate, id from %1 where fIsPhotoRoll=1";
    static constexpr const char* SelectIdByTitle = "select id from %1 where name=? COLLATE NOCASE";
    static constexpr const char* SelectRotateAngle = "select fRotateAngle from %1 where fullPath=?";

    // Column positions of a "select *" row, in schema order.
    enum Column {
        ColId, ColName, ColFullPath, ColFileSize, ColMediaModifyDate, ColMediaRating,
        ColMediaTag, ColMediaComment, ColExifDate, ColOrientation, ColLatitude,
        ColLongitude, ColAltitude, ColAddress, ColFaceDetected, ColIsDeleted, ColIsEdited,
        ColOriginalPath, ColIsPhotoRoll, ColIsLocalLost, ColRotateAngle
    };
};
