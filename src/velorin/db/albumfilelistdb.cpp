#include "albumfilelistdb.h"
#include <velorin/env/appfolders.h>

const TableDescription AlbumFileListDB::Description = {
    "AlbumFileList", "PhotoAlbumInfo.db", "AlbumFileList", velorin::photoDataFolder, CreateTableStatement};

AlbumFileListDB::AlbumFileListDB()
    : AlbumEntryTable(Description)
{
}

AlbumFileListDB::~AlbumFileListDB() = default;

bool AlbumFileListDB::insertRecord(DBAlbumFileList* e)
{
    return e && insertEntry(e->albumGUID, e->fullPath, e->fileID);
}

bool AlbumFileListDB::updateRecord(DBAlbumFileList* e)
{
    return e && updateEntryFileId(e->fileID, e->id);
}

bool AlbumFileListDB::deleteRecord(QString& albumGUID)
{
    return deleteEntries(albumGUID);
}

bool AlbumFileListDB::delRecordBy(int id)
{
    return deleteEntry(id);
}
