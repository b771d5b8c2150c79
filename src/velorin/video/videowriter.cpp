#include "videowriter.h"

#include <velorin/core/dberror.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/db/sharedstatements.h>

namespace velorin {

namespace {

constexpr const char* SelectThumbnailLength = "select length(thumbnail) from %1 where id=?";

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
    return writeVideoColumns(info, QVUpdateAll) ? VideoSaveResult::Rewritten : VideoSaveResult::Failed;
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

bool videoRowHasThumbnail(int id)
{
    const auto row = selectFirstRow(*videoTable(), SelectThumbnailLength, {id});
    return row && row->value(0).toLongLong() > 0;
}

bool writeVideoColumns(const DBVideoInfo& info, QVFileUpdateFlag flags)
{
    VideoInfoDB* videos = videoTable();
    return buildVideoUpdate(videos->getTableName(), info, flags).exec(videos->getDatabase(), info.id);
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
