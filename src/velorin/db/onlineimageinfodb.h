#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table OnlineImageInfo in "OnlineMediaInfo.db": photos mirrored from online
// services, ImageInfo's twin. Its coordinates are TEXT columns (bound as
// doubles, read back as texts); category, imageId and syncUrl follow the
// address; there is no photo-roll flag. Updates go through the online
// collection's builder, so updateRecord() writes nothing.
class VELORIN_EXPORT OnlineImageInfoDB : public SQLiteTable
{
public:
    OnlineImageInfoDB();
    ~OnlineImageInfoDB() override;

    bool insertRecord(DBOnlineImageInfo* info);
    // Does nothing and returns false.
    bool updateRecord(DBOnlineImageInfo* info);
    bool deleteRecord(QString& fullPath);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [OnlineImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[fullPath] TEXT NULL,[fileSize] BIGINT NULL,"
        "[mediaModifyDate] TIMESTAMP DEFAULT CURRENT_TIMESTAMP NULL,[mediaRating] INTEGER NULL,"
        "[mediaTag] TEXT NULL,[mediaComment] TEXT NULL,[exifDate] INTEGER NULL,"
        "[orientation] INTEGER NULL,[latitude] TEXT NULL,[longitude] TEXT NULL,[altitude] TEXT NULL,"
        "[address] TEXT NULL,[category] TEXT NULL,[imageId] TEXT NULL,[syncUrl] TEXT NULL,"
        "[faceDetected] INTEGER NULL,[fIsDeleted] INTEGER NULL,[fIsEdited] INTEGER NULL,"
        "[originalPath] TEXT NULL,[fIsLocalLost] INTEGER NULL,[fRotateAngle] INTEGER NULL)";
    static constexpr const char* CreateIndexFullPath =
        "CREATE INDEX [IDX_OnlineImageInfo_fullPath] ON [OnlineImageInfo] ([fullPath] ASC);";
    static constexpr const char* CreateIndexName =
        "CREATE INDEX [IDX_OnlineImageInfo_name] ON [OnlineImageInfo] ([name] ASC);";
    static constexpr const char* CreateIndexModifyDate =
        "CREATE INDEX [IDX_OnlineImageInfo_mediaModifyDate] ON [OnlineImageInfo] ([mediaModifyDate] ASC);";
    static constexpr const char* IndexStatements[] = {CreateIndexFullPath, CreateIndexName,
                                                      CreateIndexModifyDate};
    static constexpr const char* InsertStatement =
        "INSERT INTO OnlineImageInfo(name, fullPath, fileSize, mediaModifyDate, mediaRating, "
        "mediaTag, mediaComment, exifDate, orientation, latitude, longitude, altitude, address, "
        "category, imageId, syncUrl, faceDetected, fIsDeleted, fIsEdited, originalPath, "
        "fIsLocalLost, fRotateAngle) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?)";
    static constexpr const char* DeleteStatement = "DELETE FROM OnlineImageInfo where fullPath=?";

    // Column positions of a "select *" row, in schema order.
    enum Column {
        ColId, ColName, ColFullPath, ColFileSize, ColMediaModifyDate, ColMediaRating,
        ColMediaTag, ColMediaComment, ColExifDate, ColOrientation, ColLatitude,
        ColLongitude, ColAltitude, ColAddress, ColCategory, ColImageId, ColSyncUrl,
        ColFaceDetected, ColIsDeleted, ColIsEdited, ColOriginalPath, ColIsLocalLost,
        ColRotateAngle
    };
};
