#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table PeopleFace in "MediaInfo.db": faces assigned to a person by name,
// each located by the photo's path and the face rectangle.
class VELORIN_EXPORT PeopleFaceDB : public SQLiteTable
{
public:
    PeopleFaceDB();
    ~PeopleFaceDB() override;

    bool insertRecord(PEOPLE_FACE* f);
    // Renames the face at f's path and rectangle (all four values match).
    bool updateRecord(PEOPLE_FACE* f);
    bool deleteRecord(int id);
    // Deletes the face at f's path and rectangle.
    bool deleteRecord(PEOPLE_FACE f);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [PeopleFace] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
        "[fileID] INTEGER NULL,[peopleGUID] TEXT NULL,[left] INTEGER NULL,[top] INTEGER NULL,"
        "[right] INTEGER NULL,[bottom] INTEGER NULL,[name] TEXT NULL,[FaceThumbnail] BLOB NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO PeopleFace(fullPath, fileID, peopleGUID, left, top, right, bottom, name, "
        "FaceThumbnail) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)";
    // "%1" to "%4" are the rectangle, written in as numbers; the texts are bound.
    static constexpr const char* RenameStatement =
        "update PeopleFace set name=? where fullPath=? and left=%1 and top=%2 and right=%3 and bottom=%4";
    static constexpr const char* DeleteByIdStatement = "DELETE FROM PeopleFace where id=%1";
    static constexpr const char* DeleteByRectStatement =
        "DELETE FROM PeopleFace where fullPath=? and left=%1 and top=%2 and right=%3 and bottom=%4";

private:
    bool execWithRect(const char* text, const PEOPLE_FACE& f, const QVariantList& values);
};
