#pragma once

// The schema of every catalogue file as the files in the field hold it: each
// table's CREATE TABLE text and its index texts as SQLite keeps them (leading
// keywords in upper case and single-spaced, no closing semicolon), written
// out here independently of the library so that any drift in its constants
// shows.

#include <vector>

struct ExpectedTable
{
    const char* file; // nullptr: the table is in each of its size-class files
    const char* table;
    const char* create;
    std::vector<const char*> indexes = {};
};

inline const std::vector<ExpectedTable>& expectedTables()
{
    static const std::vector<ExpectedTable> tables = {
        {"ImageInfo.db", "ImageInfo",
         "CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[fullPath] TEXT NULL,[fileSize] BIGINT NULL,"
         "[mediaModifyDate] TIMESTAMP DEFAULT CURRENT_TIMESTAMP NULL,[mediaRating] INTEGER NULL,"
         "[mediaTag] TEXT NULL,[mediaComment] TEXT NULL,[exifDate] INTEGER NULL,"
         "[orientation] INTEGER NULL,[latitude] REAL NULL,[longitude] REAL NULL,"
         "[altitude] REAL NULL,[address] TEXT NULL,[faceDetected] INTEGER NULL,"
         "[fIsDeleted] INTEGER NULL,[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,"
         "[fIsPhotoRoll] INTEGER NULL,[fIsLocalLost] INTEGER NULL,[fRotateAngle] INTEGER NULL)",
         {"CREATE INDEX [IDX_ImageInfo_fullPath] ON [ImageInfo] ([fullPath] ASC)",
          "CREATE INDEX [IDX_ImageInfo_name] ON [ImageInfo] ([name] ASC)",
          "CREATE INDEX [IDX_ImageInfo_mediaModifyDate] ON [ImageInfo] ([mediaModifyDate] ASC)"}},
        {nullptr, "ImageThumbnail",
         "CREATE TABLE [ImageThumbnail] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
         "[mediaModifyDate] TEXT NULL,[thumbnail] BLOB NULL,[recordTimestamp] TEXT NULL)",
         {"CREATE INDEX [IDX_ImageThumbnail_fullPath] ON [ImageThumbnail] ([fullPath] ASC)"}},
        {"PhotoAlbumInfo.db", "AlbumInfo",
         "CREATE TABLE [AlbumInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,"
         "[albumGUID] TEXT NULL,[modifyTime] TEXT NULL,[fIsDeleted] INTEGER NULL,"
         "[albumRating] INTEGER NULL,[category] TEXT NULL,[ssDuration] INTEGER NULL,"
         "[ssColor] INTEGER NULL,[ssTransition] INTEGER NULL,[ssFIsMusicOn] INTEGER NULL,"
         "[ssMusicCount] INTEGER NULL,[ssMusicFullPathList] TEXT NULL,"
         "[ssFIsRepeated] INTEGER NULL,[ssFIsShuffled] INTEGER NULL)"},
        {"PhotoAlbumInfo.db", "AlbumFileList",
         "CREATE TABLE [AlbumFileList] ([id] INTEGER PRIMARY KEY NOT NULL,[albumGUID] TEXT NULL,"
         "[fullPath] TEXT NULL,[fileID] TEXT NULL)"},
        {"ImageInfo.db", "TagList",
         "CREATE TABLE [TagList]([id] integer PRIMARY KEY AUTOINCREMENT UNIQUE NOT NULL,"
         "[tag] varchar(260) NOT NULL,[count] INTEGER NULL)",
         {"CREATE INDEX [IDX_TagList_tag] ON [TagList] ([tag] ASC)"}},
        {"ImageInfo.db", "AddrList",
         "CREATE TABLE [AddrList]([id] integer PRIMARY KEY AUTOINCREMENT NOT NULL,"
         "[addr] varchar(260) NOT NULL,[count] INTEGER NULL,[latitude] REAL NULL,"
         "[longitude] REAL NULL,[altitude] REAL NULL)",
         {"CREATE INDEX [IDX_AddrList_addr] ON [AddrList] ([addr] ASC)"}},
        {"VideoInfo.db", "VideoInfo",
         "CREATE TABLE [VideoInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[description] TEXT NULL,[fullPath] TEXT NULL,[fileSize] BIGINT NULL,[format] TEXT NULL,"
         "[createDate] TEXT NULL,[accessDate] TEXT NULL,[modifyDate] TEXT NULL,"
         "[rating] INTEGER NULL,[resolutionX] INTEGER NULL,[resolutionY] INTEGER NULL,"
         "[duration] INTEGER NULL,[aspectRatioX] INTEGER NULL,[aspectRatioY] INTEGER NULL,"
         "[artist] TEXT NULL,[genre] TEXT NULL,[thumbnail] BLOB NULL,[year] INTEGER NULL,"
         "[lastPlayed] TEXT NULL,[mostPlayed] INTEGER NULL,[fIsDeleted] INTEGER NULL,"
         "[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,[fIsCaptured] INTEGER NULL,"
         "[markIn] INTEGER NULL,[markOut] INTEGER NULL)",
         {"CREATE INDEX [IDX_VideoInfo_fullPath] ON [VideoInfo] ([fullPath] ASC)"}},
        {"VideoInfo.db", "VideoPlayList",
         "CREATE TABLE [VideoPlayList] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,"
         "[albumGUID] TEXT NULL,[modifyTime] TEXT NULL,[fIsDeleted] INTEGER NULL,"
         "[rating] INTEGER NULL)"},
        {"VideoInfo.db", "VideoPlayListMapping",
         "CREATE TABLE [VideoPlayListMapping] ([id] INTEGER PRIMARY KEY NOT NULL,"
         "[albumGUID] TEXT NULL,[fullPath] TEXT NULL,[fileID] TEXT NULL)"},
        {"ImageFaceInfo.db", "ImageFaceInfo",
         "CREATE TABLE [ImageFaceInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
         "[fileID] INTEGER NULL,[peopleGUID] TEXT NULL,[left] INTEGER NULL,[top] INTEGER NULL,"
         "[right] INTEGER NULL,[bottom] INTEGER NULL,[nameType] INTEGER NULL,[name] TEXT NULL,"
         "[excludingName] TEXT NULL,[AFRFaceFeature] BLOB NULL,[FaceThumbnail] BLOB NULL)"},
        {"MediaInfo.db", "PeopleFace",
         "CREATE TABLE [PeopleFace] ([id] INTEGER PRIMARY KEY NOT NULL,[fullPath] TEXT NULL,"
         "[fileID] INTEGER NULL,[peopleGUID] TEXT NULL,[left] INTEGER NULL,[top] INTEGER NULL,"
         "[right] INTEGER NULL,[bottom] INTEGER NULL,[name] TEXT NULL,[FaceThumbnail] BLOB NULL)"},
        {"MediaInfo.db", "PeopleInfo",
         "CREATE TABLE [PeopleInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[email] TEXT NULL,[face] BLOB NULL,[description] TEXT NULL,[peopleGUID] TEXT NULL)"},
        {"ImageInfo.db", "PeopleGroup",
         "CREATE TABLE [PeopleGroup] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,"
         "[peopleGroupGUID] TEXT NULL)"},
        {"ImageInfo.db", "PeopleGroupPeopleList",
         "CREATE TABLE [PeopleGroupPeopleList] ([id] INTEGER PRIMARY KEY NOT NULL,"
         "[peopleGroupGUID] TEXT NULL,[peopleGUID] TEXT NULL)"},
        {"OnlineMediaInfo.db", "OnlineImageInfo",
         "CREATE TABLE [OnlineImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[fullPath] TEXT NULL,[fileSize] BIGINT NULL,"
         "[mediaModifyDate] TIMESTAMP DEFAULT CURRENT_TIMESTAMP NULL,[mediaRating] INTEGER NULL,"
         "[mediaTag] TEXT NULL,[mediaComment] TEXT NULL,[exifDate] INTEGER NULL,"
         "[orientation] INTEGER NULL,[latitude] TEXT NULL,[longitude] TEXT NULL,"
         "[altitude] TEXT NULL,[address] TEXT NULL,[category] TEXT NULL,[imageId] TEXT NULL,"
         "[syncUrl] TEXT NULL,[faceDetected] INTEGER NULL,[fIsDeleted] INTEGER NULL,"
         "[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,[fIsLocalLost] INTEGER NULL,"
         "[fRotateAngle] INTEGER NULL)",
         {"CREATE INDEX [IDX_OnlineImageInfo_fullPath] ON [OnlineImageInfo] ([fullPath] ASC)",
          "CREATE INDEX [IDX_OnlineImageInfo_name] ON [OnlineImageInfo] ([name] ASC)",
          "CREATE INDEX [IDX_OnlineImageInfo_mediaModifyDate] ON [OnlineImageInfo] ([mediaModifyDate] ASC)"}},
        {nullptr, "OnlineImageThumbnail",
         "CREATE TABLE [OnlineImageThumbnail] ([id] INTEGER PRIMARY KEY NOT NULL,"
         "[fullPath] TEXT NULL,[mediaModifyDate] TEXT NULL,[thumbnail] BLOB NULL,"
         "[recordTimestamp] TEXT NULL)",
         {"CREATE INDEX [IDX_OnlineImageThumbnail_fullPath] ON [OnlineImageThumbnail] ([fullPath] ASC)"}},
        {"OnlineAlbumInfo.db", "OnlineAlbumInfo",
         "CREATE TABLE [OnlineAlbumInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
         "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,"
         "[albumGUID] TEXT NULL,[modifyTime] TEXT NULL,[fIsDeleted] INTEGER NULL,"
         "[albumRating] INTEGER NULL,[albumId] TEXT NULL,[category] TEXT NULL)"},
        {"OnlineAlbumInfo.db", "OnlineAlbumFileList",
         "CREATE TABLE [OnlineAlbumFileList] ([id] INTEGER PRIMARY KEY NOT NULL,"
         "[albumGUID] TEXT NULL,[fullPath] TEXT NULL,[fileID] TEXT NULL)"},
    };
    return tables;
}
