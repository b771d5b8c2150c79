#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table OnlineAlbumInfo in "OnlineAlbumInfo.db": albums mirrored from online
// services. AlbumInfo's twin without slide-show columns, ending with the
// service's albumId and category.
class VELORIN_EXPORT OnlineAlbumInfoDB : public SQLiteTable
{
public:
    OnlineAlbumInfoDB();
    ~OnlineAlbumInfoDB() override;

    bool insertRecord(DBOnlineAlbumInfo* a);
    // Does nothing and returns false.
    bool updateRecord(DBOnlineAlbumInfo* a);
    bool deleteRecord(QString& albumGUID);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [OnlineAlbumInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,[albumGUID] TEXT NULL,"
        "[modifyTime] TEXT NULL,[fIsDeleted] INTEGER NULL,[albumRating] INTEGER NULL,"
        "[albumId] TEXT NULL,[category] TEXT NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO OnlineAlbumInfo(name, description, createTime, thumbnail, albumGUID, "
        "modifyTime, fIsDeleted, albumRating, albumId, category) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
};
