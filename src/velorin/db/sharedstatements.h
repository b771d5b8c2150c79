#pragma once

// Statement texts that several tables share, each defined once. "%1" is the
// table's name, "%2" and "%3" numbers written into the text; "?" values are
// bound in order. Texts that belong to a single table are constants of its
// class. A trailing blank is part of the text where one is shown.
namespace velorin::sql {

// Rows in and out of the trash can (tables with fIsDeleted).
inline constexpr const char* SelectActiveRows = "select * from %1 where fIsDeleted=0 ";
inline constexpr const char* SelectTrashRows = "select * from %1 where fIsDeleted=1 ";
inline constexpr const char* SetDeletedFlag = "update %1 set fIsDeleted=%2 where id=%3";
inline constexpr const char* DeleteRowById = "delete from %1 where id=%2";
inline constexpr const char* DeleteRowByBoundId = "delete from %1 where id=?";

// The video-side forms of the same (VideoInfo, VideoPlayList).
inline constexpr const char* MoveToTrash = "update %1 set fIsDeleted=1 where id=%2";
inline constexpr const char* DeleteFromTrash = "delete from %1 where fIsDeleted=%2 and id=%3";
inline constexpr const char* RestoreFromTrash = "update %1 set fIsDeleted=0 where fIsDeleted=1 and id=%2";

// Rows found by the media file's path.
inline constexpr const char* SelectIdByPath = "select id from %1 where fullPath=?";
inline constexpr const char* SelectRowsByPath = "select * from %1 where fullPath=?";
inline constexpr const char* SelectSaveStateByPath =
    "select mediaModifyDate, id, fileSize from %1 where fullPath=?";
inline constexpr const char* SelectModifyDateByPath = "select mediaModifyDate from %1 where fullPath=?";

// Thumbnail stores, local and online.
inline constexpr const char* SelectThumbnailByPath = "select thumbnail from %1 where fullPath=?";
inline constexpr const char* DeleteByPath = "delete from %1 where fullPath=?";

// Albums, playlists and their entries.
inline constexpr const char* SelectAlbumIdByGuid = "select id from %1 where albumGUID=? ";
inline constexpr const char* SelectEntryIdsByGuid = "select id from %1 where albumGUID=?";
inline constexpr const char* SelectEntriesByGuid = "select * from %1 where albumGUID=?";
inline constexpr const char* SelectEntryIdByGuidAndPath =
    "select id from %1 where albumGUID=? and fullPath=?";

// Faces and people found by name.
inline constexpr const char* SelectRowsByName = "select * from %1 where name=?";

// Reference-counted dictionaries (TagList, AddrList).
inline constexpr const char* SetCount = "update %1 set count=%2 where id=%3";

} // namespace velorin::sql

namespace velorin::sql {

// Whole albums, playlists and entry lists by GUID (the table's own delete).
inline constexpr const char* DeleteByAlbumGuid = "DELETE FROM %1 where albumGUID=?";

// Album and playlist entry lists (AlbumFileList, OnlineAlbumFileList,
// VideoPlayListMapping): one row per photo or video of a GUID.
inline constexpr const char* InsertEntry = "INSERT INTO %1(albumGUID, fullPath, fileID) VALUES(?, ?, ?)";
inline constexpr const char* UpdateEntryFileId = "update %1 set fileID=? where id=?";
inline constexpr const char* DeleteEntryById = "DELETE FROM %1 where id=?";

} // namespace velorin::sql
