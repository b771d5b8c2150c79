#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/video/videoupdateflag.h>

#include <vector>

class SQLiteDatabase;

// The video writer: the reading of the video loads and every write of a
// video's row, on the calling thread's
// connection of the video table, inside a transaction of the caller's when
// there is one. The video collection writes through it and then brings its
// memory in step; the video import uses it through a collection of its own.
// Every failed read or write gives false or Failed, never success (the
// reason is in velorin::lastDbError()).
namespace velorin {

// The tables a video's write touches: the video table.
VELORIN_EXPORT std::vector<SQLiteDatabase*> videoWriteTables();

// What reconciling a record with its row (same path and marks) did.
enum class VideoSaveResult {
    Inserted,  // a new row; info.id is the new row's
    Rewritten, // the file changed (modification time to the second, or size): writeVideoFacts()
    Restored,  // a trashed row came back; only its flag changed
    Unchanged, // nothing written
    Failed,    // a read or a write failed
};

// Inserts info and reads its id back; false when the insert or the read
// failed.
VELORIN_EXPORT bool insertVideoRow(DBVideoInfo& info);

// For a scanned video: a new row is inserted, a changed one rewritten, a
// trashed one brought back (its other columns kept). info.id is the row's
// for every outcome but Failed.
VELORIN_EXPORT VideoSaveResult reconcileScannedVideo(DBVideoInfo& info);

// For the import: the same without the trash case (a trashed row that
// changed is rewritten, flag included). info.id is the row's for every
// outcome but Failed.
VELORIN_EXPORT VideoSaveResult saveVideoToDB(DBVideoInfo& info);

// Every row of one of the video loads (VideoInfoDB::SelectLibrary,
// SelectVideoRoll, SelectTrash), its columns read by position in that
// order; `withCaptured` false for the video-roll list, which has no
// fIsCaptured (its rows are captured ones). Empty when the read fails.
VELORIN_EXPORT std::vector<DBVideoInfo> readVideoRecords(const char* statement, bool withCaptured);

// Whether the row of info's path and marks describes the same file (time
// to the second, size) and holds a thumbnail, so that reading the video
// again would change nothing; false also when it cannot be read.
VELORIN_EXPORT bool isVideoRowCurrent(const DBVideoInfo& info);

// Writes the columns of info.id that `flags` selects; false with no column
// selected or a failed statement.
VELORIN_EXPORT bool writeVideoColumns(const DBVideoInfo& info, QVFileUpdateFlag flags);

// The flagged columns a read of the file fills (with the frame size and
// display aspect, which no flag selects).
inline constexpr QVFileUpdateFlag VideoReadFlags =
    QVUpdateArtist | QVUpdateGenre | QVUpdateYear | QVUpdateDuration | QVUpdateThumbnail;

// Copies what a read of the file fills from `read` into `to`.
VELORIN_EXPORT void copyReadFacts(DBVideoInfo& to, const DBVideoInfo& read);

// Writes every column of info.id that has an update flag and, in the same
// statement, the frame size and display aspect, which no flag selects: the
// form used when a video's facts were read (a changed file rewritten, the
// background service's and the import's reads), so that they are not lost
// on the next load. `flags` narrows the flagged columns.
VELORIN_EXPORT bool writeVideoFacts(const DBVideoInfo& info, QVFileUpdateFlag flags = QVUpdateAll);

// The trash: marks the row deleted, brings a deleted one back, or removes
// the row for good when its deleted flag is `deleted`.
VELORIN_EXPORT bool moveVideoRowToTrash(int id);
VELORIN_EXPORT bool restoreVideoRowFromTrash(int id);
VELORIN_EXPORT bool deleteVideoRow(int id, bool deleted);

} // namespace velorin
