#pragma once

#include <velorin/global.h>
#include <velorin/db/albumentrytable.h>
#include <velorin/db/records.h>

// Table VideoPlayListMapping in "VideoInfo.db": the videos of each playlist.
// Its connection is named "VideoPlayListMappingInfo", unlike its table.
class VELORIN_EXPORT VideoPlayListMappingDB : public AlbumEntryTable
{
public:
    VideoPlayListMappingDB();
    ~VideoPlayListMappingDB() override;

    // Inserts m and gives it the new row's id; false when the insert
    // failed (m->id is then left alone).
    bool insertRecord(DBVideoPlayListMappingInfo* m);
    bool updateRecord(DBVideoPlayListMappingInfo* m);
    bool deleteRecord(QString& albumGUID);
    bool deleteRecord(int id);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [VideoPlayListMapping] ([id] INTEGER PRIMARY KEY NOT NULL,[albumGUID] TEXT NULL,"
        "[fullPath] TEXT NULL,[fileID] TEXT NULL)";
    static constexpr const char* SelectIdByEntry =
        "select id from %1 where albumGUID=? and fileID=%2 and fullPath=? ";

    // Issued by the playlist collections ("%1" the table name).
    static constexpr const char* DeleteEntriesOfPlaylist = "delete from %1 where albumGUID=?";
    static constexpr const char* RemoveEntry = "delete from %1 where id=%2 ";
};
