#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table VideoPlayList in "VideoInfo.db": the video playlists, each
// identified by its albumGUID.
class VELORIN_EXPORT VideoPlayListDB : public SQLiteTable
{
public:
    VideoPlayListDB();
    ~VideoPlayListDB() override;

    // Inserts p and reads the id of the first row with p's GUID into p->id;
    // reports the insert.
    bool insertRecord(DBVideoPlayListInfo* p);
    bool deleteRecord(QString& albumGUID);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [VideoPlayList] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,[albumGUID] TEXT NULL,"
        "[modifyTime] TEXT NULL,[fIsDeleted] INTEGER NULL,[rating] INTEGER NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO VideoPlayList(name, description, createTime, thumbnail, albumGUID,modifyTime, "
        "fIsDeleted, rating) VALUES(?, ?, ?, ?, ?, ?, ?, ?)";
};
