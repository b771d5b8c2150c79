#pragma once

#include <velorin/global.h>
#include <velorin/db/thumbnailstore.h>

// The four stores of online photo thumbnails: the local stores' twins, with
// the table "OnlineImageThumbnail" in files of their own. Abstract, like
// ImageThumbnailDB.
class VELORIN_EXPORT OnlineImageThumbnailDB : public ThumbnailStore
{
public:
    ~OnlineImageThumbnailDB() override;

    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [OnlineImageThumbnail] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
        "[mediaModifyDate] TEXT NULL,[thumbnail] BLOB NULL,[recordTimestamp] TEXT NULL)";
    static constexpr const char* CreateIndexStatement =
        "CREATE INDEX [IDX_OnlineImageThumbnail_fullPath] ON [OnlineImageThumbnail] ([fullPath] ASC);";

    static constexpr const char* IndexStatements[] = {CreateIndexStatement};

protected:
    explicit OnlineImageThumbnailDB(const TableDescription& description);
};

class VELORIN_EXPORT OnlineImageThumbnailMiniDB : public OnlineImageThumbnailDB
{
public:
    OnlineImageThumbnailMiniDB();
    static const TableDescription Description;
};

class VELORIN_EXPORT OnlineImageThumbnailSmallDB : public OnlineImageThumbnailDB
{
public:
    OnlineImageThumbnailSmallDB();
    static const TableDescription Description;
};

class VELORIN_EXPORT OnlineImageThumbnailMediumDB : public OnlineImageThumbnailDB
{
public:
    OnlineImageThumbnailMediumDB();
    static const TableDescription Description;
};

class VELORIN_EXPORT OnlineImageThumbnailLargeDB : public OnlineImageThumbnailDB
{
public:
    OnlineImageThumbnailLargeDB();
    static const TableDescription Description;
};
