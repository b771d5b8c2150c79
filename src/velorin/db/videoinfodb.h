#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table VideoInfo in "VideoInfo.db" of the video data folder: one row per
// video file or marked clip of a file (fullPath with markIn and markOut).
// The video's thumbnail is stored in the row itself.
class VELORIN_EXPORT VideoInfoDB : public SQLiteTable
{
public:
    VideoInfoDB();
    ~VideoInfoDB() override;

    // Inserts v, then reads the ids of the rows with v's path back into
    // v->id (the last row returned wins) and reports that read: a failed
    // insert whose read still runs returns true and leaves an older id.
    bool insertRecord(DBVideoInfo* v);
    // Removes every clip of the path.
    bool deleteRecord(QString& fullPath);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [VideoInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[description] TEXT NULL,[fullPath] TEXT NULL,[fileSize] BIGINT NULL,[format] TEXT NULL,"
        "[createDate] TEXT NULL,[accessDate] TEXT NULL,[modifyDate] TEXT NULL,[rating] INTEGER NULL,"
        "[resolutionX] INTEGER NULL,[resolutionY] INTEGER NULL,[duration] INTEGER NULL,"
        "[aspectRatioX] INTEGER NULL,[aspectRatioY] INTEGER NULL,[artist] TEXT NULL,[genre] TEXT NULL,"
        "[thumbnail] BLOB NULL,[year] INTEGER NULL,[lastPlayed] TEXT NULL,[mostPlayed] INTEGER NULL,"
        "[fIsDeleted] INTEGER NULL,[fIsEdited] INTEGER NULL,[originalPath] TEXT NULL,"
        "[fIsCaptured] INTEGER NULL,[markIn] INTEGER NULL,[markOut] INTEGER NULL)";
    static constexpr const char* CreateIndexStatement =
        "CREATE INDEX [IDX_VideoInfo_fullPath] ON [VideoInfo] ([fullPath] ASC);";
    // createIndex() is not part of opening the video side; an application
    // may call it.
    static constexpr const char* IndexStatements[] = {CreateIndexStatement};
    // The tabs are part of the text.
    static constexpr const char* InsertStatement =
        "INSERT INTO VideoInfo(name, description,fullPath,\t\tfileSize, format, createDate, accessDate, "
        "modifyDate, rating,\t\tresolutionX, resolutionY,duration,aspectRatioX,aspectRatioY,artist,genre,"
        "thumbnail,\t\tyear,lastPlayed,mostPlayed,fIsDeleted,fIsEdited,originalPath,fIsCaptured,markIn,"
        "markOut)\t\tVALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,?,?,?,?,?,?,?,?,?)";
    static constexpr const char* DeleteStatement = "DELETE FROM VideoInfo where fullPath=?";

    // Issued by the video collection and the folder scan ("%1" the table
    // name; the trash statements are shared, velorin::sql). The column lists
    // of the loads are the order in which rows are read by position; the
    // video-roll list has no fIsCaptured.
    static constexpr const char* SelectLibrary =
        "select id,name,description,fullPath,fileSize,format,createDate,accessDate,modifyDate,rating,"
        "resolutionX,resolutionY,duration,aspectRatioX,aspectRatioY,artist,genre,thumbnail,year,"
        "lastPlayed,mostPlayed,fIsEdited,originalPath,fIsDeleted,fIsCaptured,markIn,markOut "
        "from %1 where fIsDeleted=0 ";
    static constexpr const char* SelectVideoRoll =
        "select id,name,description,fullPath,fileSize,format,createDate,accessDate,modifyDate,rating,"
        "resolutionX,resolutionY,duration,aspectRatioX,aspectRatioY,artist,genre,thumbnail,year,"
        "lastPlayed,mostPlayed,fIsEdited,originalPath,fIsDeleted,markIn,markOut "
        "from %1 where fIsCaptured=1 and fIsDeleted=0 ";
    static constexpr const char* SelectTrash =
        "select id,name,description,fullPath,fileSize,format,createDate,accessDate,modifyDate,rating,"
        "resolutionX,resolutionY,duration,aspectRatioX,aspectRatioY,artist,genre,thumbnail,year,"
        "lastPlayed,mostPlayed,fIsEdited,originalPath,fIsDeleted,fIsCaptured,markIn,markOut "
        "from %1 where fIsDeleted=1";
    static constexpr const char* SelectStateByClip =
        "select modifyDate,fIsDeleted,id,fileSize from %1 where fullPath=? and markIn=? and markOut=? ";
    static constexpr const char* SelectSaveStateByClip =
        "select modifyDate, id, fileSize from %1 where fullPath=? and markIn=? and markOut=? ";
    static constexpr const char* RestoreById = "update %1 set fIsDeleted=0 where id=%2";
    static constexpr const char* SelectModifyDateByPath = "select modifyDate from %1 where fullPath=?";
};
