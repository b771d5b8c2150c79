#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/updatebuilder.h>

#include <span>

// Bits selecting the ImageInfo columns a partial photo update writes. There
// is no bit for fullPath or fIsPhotoRoll: the photo-roll flag is written only
// on insert, the path only by the edit operations. Bits 0x10000 to 0x80000
// select nothing.
enum QPhotoUpdateFlagBits : quint32 {
    QPUpdateName = 0x0001,
    QPUpdateFileSize = 0x0002,
    QPUpdateModifyDate = 0x0004,
    QPUpdateRating = 0x0008,
    QPUpdateTag = 0x0010,
    QPUpdateComment = 0x0020,
    QPUpdateExifDate = 0x0040,
    QPUpdateOrientation = 0x0080,
    QPUpdateLatitude = 0x0100,
    QPUpdateLongitude = 0x0200,
    QPUpdateAltitude = 0x0400,
    QPUpdateAddress = 0x0800,
    QPUpdateFaceDetected = 0x1000,
    QPUpdateDeleted = 0x2000,
    QPUpdateEdited = 0x4000,
    QPUpdateOriginalPath = 0x8000,
    QPUpdateLocalLost = 0x100000,
    QPUpdateRotateAngle = 0x200000,
    QPUpdateAll = 0x0FFFFFFF,
};

// A combination of QPhotoUpdateFlagBits.
using QPhotoUpdateFlag = quint32;

namespace velorin {

// The fragments of a partial ImageInfo update, in statement order. Values
// with "?" are bound (dates as ISO text); the others are written in, the
// coordinates at full precision.
VELORIN_EXPORT std::span<const UpdateColumn<DBImageInfo>> photoUpdateColumns();

// Closing text of the photo update statements.
inline constexpr const char* PhotoUpdateWhere = "where id=%1";

// The UPDATE statement for the columns of `info` selected by `flags`, keyed
// by info.id, on the table `table`.
VELORIN_EXPORT UpdateFragments buildPhotoUpdate(const QString& table, const DBImageInfo& info,
                                               QPhotoUpdateFlag flags);

} // namespace velorin
