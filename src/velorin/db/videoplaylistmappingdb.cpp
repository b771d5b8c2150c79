#include "videoplaylistmappingdb.h"

#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

const TableDescription VideoPlayListMappingDB::Description = {
    "VideoPlayListMappingInfo", "VideoInfo.db", "VideoPlayListMapping", velorin::videoDataFolder,
    CreateTableStatement};

VideoPlayListMappingDB::VideoPlayListMappingDB()
    : AlbumEntryTable(Description)
{
}

VideoPlayListMappingDB::~VideoPlayListMappingDB() = default;

bool VideoPlayListMappingDB::insertRecord(DBVideoPlayListMappingInfo* m)
{
    if (!m)
        return false;
    insertEntry(m->albumGUID, m->fullPath, m->fileID);
    velorin::SqlStatement readBack(*this, SelectIdByEntry, {m->fileID});
    readBack.bind(m->albumGUID).bind(m->fullPath);
    const bool ok = readBack.exec();
    while (readBack.next())
        m->id = readBack.value(0).toInt();
    return ok;
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
