#pragma once

#include <velorin/global.h>
#include <velorin/db/albumentrytable.h>
#include <velorin/db/records.h>

// Table OnlineAlbumFileList in "OnlineAlbumInfo.db": the photos of each
// online album. Unlike AlbumFileList it has no delete by id.
class VELORIN_EXPORT OnlineAlbumFileListDB : public AlbumEntryTable
{
public:
    OnlineAlbumFileListDB();
    ~OnlineAlbumFileListDB() override;

    bool insertRecord(DBOnlineAlbumFileList* e);
    bool updateRecord(DBOnlineAlbumFileList* e);
    bool deleteRecord(QString& albumGUID);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [OnlineAlbumFileList] ([id] INTEGER PRIMARY KEY NOT NULL,[albumGUID] TEXT NULL,"
        "[fullPath] TEXT NULL,[fileID] TEXT NULL)";

    static constexpr const char* SelectEntriesWithPathByGuid =
        "select id, fileID, fullPath from %1 where albumGUID=?";
};
