#pragma once

#include <velorin/global.h>
#include <velorin/db/albumentrytable.h>
#include <velorin/db/records.h>

// Table AlbumFileList in "PhotoAlbumInfo.db": which photos each album holds.
// An album's list is all rows with its GUID.
class VELORIN_EXPORT AlbumFileListDB : public AlbumEntryTable
{
public:
    AlbumFileListDB();
    ~AlbumFileListDB() override;

    bool insertRecord(DBAlbumFileList* e);
    // Sets the entry's fileID (the photo's new ImageInfo id).
    bool updateRecord(DBAlbumFileList* e);
    // Deletes the whole list of an album.
    bool deleteRecord(QString& albumGUID);
    bool delRecordBy(int id);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [AlbumFileList] ([id] INTEGER PRIMARY KEY NOT NULL,[albumGUID] TEXT NULL,"
        "[fullPath] TEXT NULL,[fileID] TEXT NULL)";

    // Issued by the album collections besides the shared entry statements.
    static constexpr const char* SelectEntriesByPath = "select id, albumGUID from %1 where fullPath=?";
    static constexpr const char* SelectFileIdsByGuid = "select id, fileID from %1 where albumGUID=?";
    // The edit operation moves album entries to a photo's new path: built
    // as "update %1 set " + this + "where fileID=%1".
    static constexpr const char* SetPathFragment = "fullPath=? ";
    static constexpr const char* WhereFileId = "where fileID=%1";
};
