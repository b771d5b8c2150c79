#include "videoplaylistmappingdb.h"

#include <velorin/env/appfolders.h>

const TableDescription VideoPlayListMappingDB::Description = {
    "VideoPlayListMappingInfo", "VideoInfo.db", "VideoPlayListMapping", velorin::videoDataFolder,
    CreateTableStatement};

VideoPlayListMappingDB::VideoPlayListMappingDB()
    : AlbumEntryTable(Description)
{
}

VideoPlayListMappingDB::~VideoPlayListMappingDB() = default;

// The new row's id comes from the insert itself. Reading it back by GUID,
// file id and path finds nothing for a playlist without a GUID (NULL never
// equals NULL), which left the record with id 0, and after a failed insert
// found an older row and reported success.
bool VideoPlayListMappingDB::insertRecord(DBVideoPlayListMappingInfo* m)
{
    return m && insertEntry(m->albumGUID, m->fullPath, m->fileID, &m->id);
}

bool VideoPlayListMappingDB::updateRecord(DBVideoPlayListMappingInfo* m)
{
    return m && updateEntryFileId(m->fileID, m->id);
}

bool VideoPlayListMappingDB::deleteRecord(QString& albumGUID)
{
    return deleteEntries(albumGUID);
}

bool VideoPlayListMappingDB::deleteRecord(int id)
{
    return deleteEntry(id);
}
