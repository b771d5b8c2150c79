#include "videowriter.h"

#include <velorin/core/dberror.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/db/sharedstatements.h>

namespace velorin {

namespace {

constexpr const char* SelectThumbnailLength = "select length(thumbnail) from %1 where id=?";
// The columns a video's read fills that no update flag selects.
constexpr const char* FrameFactsFragment = "resolutionX=%1 , resolutionY=%2 , aspectRatioX=%3 , aspectRatioY=%4 ";

VideoInfoDB* videoTable()
{
    return catalogueTables()->getVideoInfoDB();
}

// Whether a row's stored modification date and size describe the file info
// was made from. Times match when their texts to the second do: the row
// keeps no milliseconds.
bool isSavedFileState(const QVariant& storedDate, const QVariant& storedSize, const DBVideoInfo& info)
{
    return storedDate.toDateTime().toString(Qt::TextDate) == info.modifyDate.toString(Qt::TextDate)
        && storedSize.toLongLong() == info.fileSize;
}

struct StoredClip
{
    bool readable = false;
    bool found = false;
    QVariant modifyDate;
    QVariant fileSize;
    bool trashed = false;
    int id = -1;
};

// The row of info's path and marks through `statement`, whose columns are
// the modification date, the id and the size at the given positions, and
// the deleted flag at `trashedColumn` (-1: not selected).
StoredClip storedClip(const char* statement, const DBVideoInfo& info, int idColumn, int sizeColumn,
                      int trashedColumn)
{
    StoredClip clip;
    SqlStatement q(*videoTable(), statement);
    q.bind(info.fullPath).bind(info.markIn).bind(info.markOut);
    if (!q.exec())
        return clip;
    clip.readable = true;
    if (!q.next())
        return clip;
    clip.found = true;
    clip.modifyDate = q.value(0);
    clip.id = q.value(idColumn).toInt();
    clip.fileSize = q.value(sizeColumn);
    clip.trashed = trashedColumn >= 0 && q.value(trashedColumn).toInt() != 0;
    return clip;
}

// The common part of both reconciliations once the row is known.
VideoSaveResult saveAgainst(const StoredClip& clip, DBVideoInfo& info)
{
    if (!clip.readable)
        return VideoSaveResult::Failed; // unknown is not "new": inserting would duplicate the row
    if (!clip.found)
        return insertVideoRow(info) ? VideoSaveResult::Inserted : VideoSaveResult::Failed;
    info.id = clip.id;
    if (isSavedFileState(clip.modifyDate, clip.fileSize, info))
        return VideoSaveResult::Unchanged;
    return writeVideoFacts(info) ? VideoSaveResult::Rewritten : VideoSaveResult::Failed;
}

} // namespace

std::vector<SQLiteDatabase*> videoWriteTables()
{
    return {videoTable()};
}

bool insertVideoRow(DBVideoInfo& info)
{
    // The table reports its read-back of the id, which still succeeds when
    // the insert failed; the insert's own failure is recorded here.
    clearDbError();
    const bool readBack = videoTable()->insertRecord(&info);
    return readBack && lastDbError().failure == DbFailure::None;
}

VideoSaveResult reconcileScannedVideo(DBVideoInfo& info)
{
    // modifyDate, fIsDeleted, id, fileSize
    const StoredClip clip = storedClip(VideoInfoDB::SelectStateByClip, info, 2, 3, 1);
    if (clip.found && clip.trashed) {
        info.id = clip.id;
        return SqlStatement(*videoTable(), VideoInfoDB::RestoreById, {clip.id}).exec() ? VideoSaveResult::Restored
                                                                                       : VideoSaveResult::Failed;
    }
    return saveAgainst(clip, info);
}

VideoSaveResult saveVideoToDB(DBVideoInfo& info)
{
    // modifyDate, id, fileSize
    return saveAgainst(storedClip(VideoInfoDB::SelectSaveStateByClip, info, 1, 2, -1), info);
}

// Read to the end: the statement is finished, and its read lock gone,
// before the caller does anything with the rows.
std::vector<DBVideoInfo> readVideoRecords(const char* statement, bool withCaptured)
{
    std::vector<DBVideoInfo> rows;
    SqlStatement q(*videoTable(), statement);
    if (!q.exec())
        return rows;
    while (q.next()) {
        DBVideoInfo& r = rows.emplace_back();
        int c = 0;
        r.id = q.value(c++).toInt();
        r.name = q.value(c++).toString();
        r.description = q.value(c++).toString();
        r.fullPath = q.value(c++).toString();
        r.fileSize = q.value(c++).toULongLong();
        r.format = q.value(c++).toString();
        r.createDate = q.value(c++).toDateTime();
        r.accessDate = q.value(c++).toDateTime();
        r.modifyDate = q.value(c++).toDateTime();
        r.rating = q.value(c++).toInt();
        r.resolutionX = q.value(c++).toInt();
        r.resolutionY = q.value(c++).toInt();
        r.duration = q.value(c++).toInt();
        r.aspectRatioX = q.value(c++).toInt();
        r.aspectRatioY = q.value(c++).toInt();
        r.artist = q.value(c++).toString();
        r.genre = q.value(c++).toString();
        r.thumbnail = q.value(c++).toByteArray();
        r.year = q.value(c++).toInt();
        r.lastPlayed = q.value(c++).toDateTime();
        r.mostPlayed = q.value(c++).toInt();
        r.fIsEdited = q.value(c++).toInt() != 0;
        r.originalPath = q.value(c++).toString();
        r.fIsDeleted = q.value(c++).toInt() != 0;
        r.fIsCaptured = withCaptured ? q.value(c++).toInt() != 0 : true;
        r.markIn = q.value(c++).toInt();
        r.markOut = q.value(c++).toInt();
    }
    return rows;
}

bool isVideoRowCurrent(const DBVideoInfo& info)
{
    // modifyDate, id, fileSize
    const StoredClip clip = storedClip(VideoInfoDB::SelectSaveStateByClip, info, 1, 2, -1);
    if (!clip.found || !isSavedFileState(clip.modifyDate, clip.fileSize, info))
        return false;
    const auto row = selectFirstRow(*videoTable(), SelectThumbnailLength, {clip.id});
    return row && row->value(0).toLongLong() > 0;
}

bool writeVideoColumns(const DBVideoInfo& info, QVFileUpdateFlag flags)
{
    VideoInfoDB* videos = videoTable();
    return buildVideoUpdate(videos->getTableName(), info, flags).exec(videos->getDatabase(), info.id);
}

bool writeVideoFacts(const DBVideoInfo& info, QVFileUpdateFlag flags)
{
    VideoInfoDB* videos = videoTable();
    UpdateFragments update = buildVideoUpdate(videos->getTableName(), info, flags);
    update.add(FrameFactsFragment,
               QVariantList{info.resolutionX, info.resolutionY, info.aspectRatioX, info.aspectRatioY});
    return update.exec(videos->getDatabase(), info.id);
}

void copyReadFacts(DBVideoInfo& to, const DBVideoInfo& read)
{
    copyFlaggedFields(to, read, videoUpdateColumns(), VideoReadFlags);
    to.resolutionX = read.resolutionX;
    to.resolutionY = read.resolutionY;
    to.aspectRatioX = read.aspectRatioX;
    to.aspectRatioY = read.aspectRatioY;
}

bool moveVideoRowToTrash(int id)
{
    return SqlStatement(*videoTable(), sql::MoveToTrash, {id}).exec();
}

bool restoreVideoRowFromTrash(int id)
{
    return SqlStatement(*videoTable(), sql::RestoreFromTrash, {id}).exec();
}

bool deleteVideoRow(int id, bool deleted)
{
    return SqlStatement(*videoTable(), sql::DeleteFromTrash, {deleted ? 1 : 0, id}).exec();
}

} // namespace velorin
