#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>

#include <array>

#include <QString>

// Writing one picture's record and its four thumbnails (mini, small, medium,
// large) on the calling thread's connections, inside a transaction of the
// caller's. The import and the collections' save operations share it, so
// that every path decides alike what a file needs and reports every failed
// write (the reason is in velorin::lastDbError()).
namespace velorin {

// Where a picture's stored state stands against the file it was made from.
enum class StoredPhoto {
    Missing,    // no row for the path
    Changed,    // the file's modification time (to the second) or size differ
    Incomplete, // same file, but a thumbnail store has no picture for it
    Current,    // same file, four stored thumbnails
    Unknown,    // the catalogue could not be read
};

struct StoredPhotoState
{
    StoredPhoto state = StoredPhoto::Unknown;
    int id = -1;
};

// What a save did.
enum class PhotoSaveResult {
    Inserted,  // a new row with its thumbnails
    Rewritten, // the row of a changed file and its thumbnails, or missing thumbnails filled in
    Unchanged, // nothing written
    Failed,    // a read or a write failed: see lastDbError()
};

// The stored state of `info.fullPath` against info's modification time and
// size (trashed rows included).
VELORIN_EXPORT StoredPhotoState storedPhotoState(const DBImageInfo& info);

// Brings the catalogue in line with the file: inserts a new path (thumbnails
// first, then the row), rewrites the thumbnails and every column of a
// changed file's row, fills in the thumbnails of an unchanged one that lacks
// any, and leaves a current one alone. Sets info.id to the stored id of an
// existing row.
VELORIN_EXPORT PhotoSaveResult savePhotoToDB(DBImageInfo& info, std::array<DBImageThumbnail*, 4> thumbnails);

// Upserts the four thumbnails in store order; false at the first failure.
VELORIN_EXPORT bool savePhotoThumbnails(std::array<DBImageThumbnail*, 4> thumbnails);

} // namespace velorin
