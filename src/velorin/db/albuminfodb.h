#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table AlbumInfo in "PhotoAlbumInfo.db": the user's photo albums, each
// identified by its albumGUID; fIsDeleted 1 puts an album in the trash can.
// Albums are changed through the album collection's update builder, so
// updateRecord() writes nothing.
class VELORIN_EXPORT AlbumInfoDB : public SQLiteTable
{
public:
    AlbumInfoDB();
    ~AlbumInfoDB() override;

    bool insertRecord(DBAlbumInfo* a);
    // Does nothing and returns false.
    bool updateRecord(DBAlbumInfo* a);
    bool deleteRecord(QString& albumGUID);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [AlbumInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,[albumGUID] TEXT NULL,"
        "[modifyTime] TEXT NULL,[fIsDeleted] INTEGER NULL,[albumRating] INTEGER NULL,"
        "[category] TEXT NULL,[ssDuration] INTEGER NULL,[ssColor] INTEGER NULL,"
        "[ssTransition] INTEGER NULL,[ssFIsMusicOn] INTEGER NULL,[ssMusicCount] INTEGER NULL,"
        "[ssMusicFullPathList] TEXT NULL,[ssFIsRepeated] INTEGER NULL,[ssFIsShuffled] INTEGER NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO AlbumInfo(name, description, createTime, thumbnail, albumGUID, modifyTime, "
        "fIsDeleted, albumRating, category, ssDuration, ssColor, ssTransition, ssFIsMusicOn, "
        "ssMusicCount, ssMusicFullPathList, ssFIsRepeated, ssFIsShuffled) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
};
