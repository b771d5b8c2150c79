#pragma once

#include <velorin/global.h>
#include <velorin/db/thumbnailstore.h>

// The four stores of local photo thumbnails, one file per size class, each
// with one table "ImageThumbnail". ImageThumbnailDB itself is abstract: only
// the size classes below can be made.
class VELORIN_EXPORT ImageThumbnailDB : public ThumbnailStore
{
public:
    ~ImageThumbnailDB() override;

    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [ImageThumbnail] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
        "[mediaModifyDate] TEXT NULL,[thumbnail] BLOB NULL,[recordTimestamp] TEXT NULL)";
    static constexpr const char* CreateIndexStatement =
        "CREATE INDEX [IDX_ImageThumbnail_fullPath] ON [ImageThumbnail] ([fullPath] ASC);";

    static constexpr const char* IndexStatements[] = {CreateIndexStatement};

protected:
    explicit ImageThumbnailDB(const TableDescription& description);
};

// "ImageThumbnail_Mini.db": 64-pixel thumbnails.
class VELORIN_EXPORT ImageThumbnailMiniDB : public ImageThumbnailDB
{
public:
    ImageThumbnailMiniDB();
    static const TableDescription Description;
};

// "ImageThumbnail_Small.db": 128-pixel thumbnails.
class VELORIN_EXPORT ImageThumbnailSmallDB : public ImageThumbnailDB
{
public:
    ImageThumbnailSmallDB();
    static const TableDescription Description;
};

// "ImageThumbnail_Medium.db": 256-pixel thumbnails.
class VELORIN_EXPORT ImageThumbnailMediumDB : public ImageThumbnailDB
{
public:
    ImageThumbnailMediumDB();
    static const TableDescription Description;
};

// "ImageThumbnail_Large.db": 384-pixel thumbnails.
class VELORIN_EXPORT ImageThumbnailLargeDB : public ImageThumbnailDB
{
public:
    ImageThumbnailLargeDB();
    static const TableDescription Description;
};
