#pragma once

// Binding of the column runs that twin tables share, in column order.

#include <velorin/db/records.h>
#include <velorin/core/sqlitedatabase.h>
#include <velorin/core/sqlstatement.h>

namespace velorin {

// name ... address of ImageInfo and OnlineImageInfo.
inline void bindImageCommon(SqlStatement& q, const DBImageCommonInfo& r)
{
    q.bind(r.name)
        .bind(r.fullPath)
        .bind(r.fileSize)
        .bind(r.mediaModifyDate)
        .bind(r.mediaRating)
        .bind(r.mediaTag)
        .bind(r.mediaComment)
        .bind(r.exifDate)
        .bind(r.orientation)
        .bind(r.latitude)
        .bind(r.longitude)
        .bind(r.altitude)
        .bind(r.address);
}

// name ... albumRating of AlbumInfo and OnlineAlbumInfo.
inline void bindAlbumCommon(SqlStatement& q, const DBAlbumCommonInfo& r)
{
    q.bind(r.name)
        .bind(r.description)
        .bind(r.createTime)
        .bind(r.thumbnail)
        .bind(r.albumGUID)
        .bind(r.modifyTime)
        .bind(r.fIsDeleted)
        .bind(r.albumRating);
}

// The two columns a newer image table has that older files lack; shared by
// ImageInfo and OnlineImageInfo, added in this order.
inline constexpr SQLiteDatabase::ColumnUpgrade ImageColumnUpgrades[] = {
    {"fIsLocalLost", "ALTER TABLE %1 ADD COLUMN [fIsLocalLost] INTEGER NULL"},
    {"fRotateAngle", "ALTER TABLE %1 ADD COLUMN [fRotateAngle] INTEGER NULL"},
};

} // namespace velorin
