#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/photo/photoupdateflag.h>

#include <array>
#include <vector>

#include <QString>
#include <QVariant>

class SQLiteDatabase;

// The photo writer: every write of a picture's row and its four thumbnails
// (mini, small, medium, large), on the calling thread's connections, inside
// a transaction of the caller's when there is one. The import uses it
// directly; the photo collection uses it and then brings its memory in step.
// Every failed read or write is reported (the reason is in
// velorin::lastDbError()).
namespace velorin {

using PhotoThumbnails = std::array<DBImageThumbnail*, 4>;

// The tables a picture's write touches, in the order their transactions
// commit: the four thumbnail stores, then the image table, so that a row is
// never committed without its thumbnails.
VELORIN_EXPORT std::vector<SQLiteDatabase*> photoWriteTables();

// Whether a row's stored modification date and size describe the file info
// was made from. Modification times match when their texts to the second
// do, as the rows have always been compared.
VELORIN_EXPORT bool isSavedFileState(const QVariant& storedDate, const QVariant& storedSize, const DBImageInfo& info);

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

// The stored state of `info.fullPath` against info's modification time and
// size (trashed rows included).
VELORIN_EXPORT StoredPhotoState storedPhotoState(const DBImageInfo& info);

// What a save did.
enum class PhotoSaveResult {
    Inserted,  // a new row with its thumbnails
    Rewritten, // the row of a changed file and its thumbnails, or missing thumbnails filled in
    Unchanged, // nothing written
    Failed,    // a read or a write failed: see lastDbError()
};

// Brings the catalogue in line with the file, for the import: inserts a new
// path (thumbnails first, then the row), rewrites the thumbnails and every
// column of a changed file's row, fills in the thumbnails of an unchanged
// one that lacks any, and leaves a current one alone. Sets info.id to the
// stored id of an existing row.
VELORIN_EXPORT PhotoSaveResult savePhotoToDB(DBImageInfo& info, PhotoThumbnails thumbnails);

// What reconciling a scanned file did.
enum class ScannedPhoto {
    Inserted,  // a new row with its thumbnails; info.id is -1 when it could not be read back
    Restored,  // a trashed row came back (only its flag changed)
    Unchanged, // nothing written
    Rewritten, // a changed file: its thumbnails and every column
    Failed,    // a read or a write failed
};

// Reconciles a file the user scanned with its row: as savePhotoToDB, but a
// trashed row comes back from the trash, and an unchanged row is left as it
// is whatever its thumbnails. Sets info.id for every outcome but Failed.
VELORIN_EXPORT ScannedPhoto reconcileScannedPhoto(DBImageInfo& info, PhotoThumbnails thumbnails);

// Upserts the four thumbnails in store order, all four attempted whatever
// the earlier ones gave; true when all four were written.
VELORIN_EXPORT bool savePhotoThumbnails(PhotoThumbnails thumbnails);

// Writes the columns of info.id that `flags` selects; false with no column
// selected or a failed statement.
VELORIN_EXPORT bool writePhotoColumns(const DBImageInfo& info, QPhotoUpdateFlag flags);

// Removes the row `id` for good, then the thumbnails of `fullPath`; false
// when the row could not be removed (the thumbnails are then kept).
VELORIN_EXPORT bool deletePhotoRows(int id, const QString& fullPath);

// After the editor wrote an edited picture to newPath (or switched back to
// the original, `reverted`): moves the row of info.id to newPath with the
// row's new facts (rotation, size, modification date), and the album
// entries of the photo `id` to newPath.
VELORIN_EXPORT bool movePhotoRow(const DBImageInfo& info, const QString& newPath, bool reverted);
VELORIN_EXPORT bool movePhotoAlbumEntries(int id, const QString& newPath);

} // namespace velorin
