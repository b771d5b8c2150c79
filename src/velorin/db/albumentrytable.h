#pragma once

#include <velorin/global.h>
#include <velorin/core/sqlitetable.h>

// Base of the entry lists of albums and playlists: rows of (albumGUID,
// fullPath, fileID), fileID being the media row's id (stored in a TEXT
// column, bound as an integer). AlbumFileListDB, OnlineAlbumFileListDB and
// VideoPlayListMappingDB are this table under three names.
class VELORIN_EXPORT AlbumEntryTable : public SQLiteTable
{
public:
    ~AlbumEntryTable() override;

protected:
    using SQLiteTable::SQLiteTable;

    // Inserts one row; with `newId`, the new row's own id is written there
    // (untouched when the insert fails).
    bool insertEntry(const QString& albumGUID, const QString& fullPath, int fileID, int* newId = nullptr);
    bool updateEntryFileId(int fileID, int id);
    bool deleteEntries(const QString& albumGUID);
    bool deleteEntry(int id);
};
