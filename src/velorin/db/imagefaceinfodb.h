#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table ImageFaceInfo in "ImageFaceInfo.db": the faces found in photos, each
// with its rectangle, the recogniser's feature data and the name given.
class VELORIN_EXPORT ImageFaceInfoDB : public SQLiteTable
{
public:
    ImageFaceInfoDB();
    ~ImageFaceInfoDB() override;

    bool insertRecord(DBImageFaceInfo* f);
    // Writes the columns chosen by `fields` (UpdateFileId, UpdateNameType,
    // UpdateName, UpdateExcludingName) of row f->id. Numbers are written into
    // the statement, the two names are bound, so any text is stored as it is.
    // With no column chosen the statement is incomplete and fails.
    bool updateRecord(DBImageFaceInfo* f, int fields);
    bool deleteRecord(int id);

    enum UpdateField { UpdateFileId = 1, UpdateNameType = 2, UpdateName = 4, UpdateExcludingName = 8 };

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [ImageFaceInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
        "[fileID] INTEGER NULL,[peopleGUID] TEXT NULL,[left] INTEGER NULL,[top] INTEGER NULL,"
        "[right] INTEGER NULL,[bottom] INTEGER NULL,[nameType] INTEGER NULL,[name] TEXT NULL,"
        "[excludingName] TEXT NULL,[AFRFaceFeature] BLOB NULL,[FaceThumbnail] BLOB NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO ImageFaceInfo(fullPath, fileID, peopleGUID, left, top, right, bottom, nameType, "
        "name, excludingName, AFRFaceFeature, FaceThumbnail) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* UpdateHead = "update ImageFaceInfo set ";
    static constexpr const char* DeleteStatement = "DELETE FROM ImageFaceInfo where id=?";

    // Issued by the face service and the photo objects ("%1" the table
    // name; the lookups by path and by name are shared, velorin::sql).
    static constexpr const char* SelectPeopleGuidsByPath = "select peopleGUID from %1 where fullPath=?";

    // Column positions of a "select *" row.
    enum Column {
        ColId, ColFullPath, ColFileId, ColPeopleGuid, ColLeft, ColTop, ColRight, ColBottom,
        ColNameType, ColName, ColExcludingName, ColFaceFeature, ColFaceThumbnail
    };
};
