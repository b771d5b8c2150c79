#include "onlinealbumfilelistdb.h"
#include <velorin/env/appfolders.h>

const TableDescription OnlineAlbumFileListDB::Description = {
    "OnlineAlbumFileList", "OnlineAlbumInfo.db", "OnlineAlbumFileList", velorin::photoDataFolder,
    CreateTableStatement};

OnlineAlbumFileListDB::OnlineAlbumFileListDB()
    : AlbumEntryTable(Description)
{
}

OnlineAlbumFileListDB::~OnlineAlbumFileListDB() = default;

bool OnlineAlbumFileListDB::insertRecord(DBOnlineAlbumFileList* e)
{
    return e && insertEntry(e->albumGUID, e->fullPath, e->fileID);
}

bool OnlineAlbumFileListDB::updateRecord(DBOnlineAlbumFileList* e)
{
    return e && updateEntryFileId(e->fileID, e->id);
}

bool OnlineAlbumFileListDB::deleteRecord(QString& albumGUID)
{
    return deleteEntries(albumGUID);
}
