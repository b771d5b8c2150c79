#include "albumentrytable.h"

#include <velorin/db/sharedstatements.h>

AlbumEntryTable::~AlbumEntryTable() = default;

bool AlbumEntryTable::insertEntry(const QString& albumGUID, const QString& fullPath, int fileID)
{
    return exec(velorin::sql::InsertEntry, {albumGUID, fullPath, fileID});
}

bool AlbumEntryTable::updateEntryFileId(int fileID, int id)
{
    return exec(velorin::sql::UpdateEntryFileId, {fileID, id});
}

bool AlbumEntryTable::deleteEntries(const QString& albumGUID)
{
    return exec(velorin::sql::DeleteByAlbumGuid, {albumGUID});
}

bool AlbumEntryTable::deleteEntry(int id)
{
    return exec(velorin::sql::DeleteEntryById, {id});
}
