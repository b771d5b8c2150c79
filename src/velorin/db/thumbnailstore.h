#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// One size class of stored thumbnails: a file holding one table of
// (fullPath, mediaModifyDate, thumbnail, recordTimestamp) rows, at most one
// row per path. The local stores (ImageThumbnailDB) and the online stores
// (OnlineImageThumbnailDB) are this same table under other names; their
// statements differ only in the table name, written in for "%1".
class VELORIN_EXPORT ThumbnailStore : public SQLiteTable
{
public:
    ~ThumbnailStore() override;

    bool insertRecord(DBImageThumbnail* t);
    bool updateRecord(DBImageThumbnail* t);
    bool deleteRecord(QString& fullPath);

    // Upsert: updates the row of t's path when one exists, otherwise inserts.
    // Reports whether the row was written.
    bool saveRecord(DBImageThumbnail* t);

    static constexpr const char* InsertStatement =
        "INSERT INTO %1(fullPath, mediaModifyDate, thumbnail, recordTimestamp) VALUES(?, ?, ?, ?)";
    static constexpr const char* UpdateStatement =
        "update %1 set mediaModifyDate=?, thumbnail=?, recordTimestamp=? where fullPath=?";
    static constexpr const char* DeleteStatement = "DELETE FROM %1 where fullPath=?";

protected:
    using SQLiteTable::SQLiteTable;
};
