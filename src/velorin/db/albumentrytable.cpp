#include "albumentrytable.h"

#include <velorin/db/sharedstatements.h>
#include <velorin/core/sqlstatement.h>

AlbumEntryTable::~AlbumEntryTable() = default;

bool AlbumEntryTable::insertEntry(const QString& albumGUID, const QString& fullPath, int fileID, int* newId)
{
    velorin::SqlStatement insert(*this, velorin::sql::InsertEntry);
    insert.bind(albumGUID).bind(fullPath).bind(fileID);
    if (!insert.exec())
        return false;
    if (newId)
        *newId = insert.query().lastInsertId().toInt();
    return true;
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
