#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/updatebuilder.h>

#include <span>

// Bits selecting the VideoInfo columns a partial video update writes. There
// is no bit for format, the dates other than modifyDate and lastPlayed, the
// resolution, the aspect ratio or fIsCaptured: those are written on insert
// only.
enum QVFileUpdateFlagBits : quint32 {
    QVUpdateName = 0x0001,
    QVUpdateFileSize = 0x0002,
    QVUpdateModifyDate = 0x0004,
    QVUpdateRating = 0x0008,
    QVUpdateDescription = 0x0010,
    QVUpdateArtist = 0x0020,
    QVUpdateGenre = 0x0040,
    QVUpdateYear = 0x0080,
    QVUpdateLastPlayed = 0x0100,
    QVUpdateMostPlayed = 0x0200,
    QVUpdateDeleted = 0x0400,
    QVUpdateEdited = 0x0800,
    QVUpdateOriginalPath = 0x1000,
    QVUpdateThumbnail = 0x2000,
    QVUpdateDuration = 0x4000,
    QVUpdateMarks = 0x8000,
    QVUpdateAll = 0xFFFFFF,
};

// A combination of QVFileUpdateFlagBits.
using QVFileUpdateFlag = quint32;

namespace velorin {

// The fragments of a partial VideoInfo update, in statement order
// (duration before thumbnail; the marks one fragment of two numbers).
VELORIN_EXPORT std::span<const UpdateColumn<DBVideoInfo>> videoUpdateColumns();

// The UPDATE statement for the columns of `info` selected by `flags`, keyed
// by info.id, on the table `table`.
VELORIN_EXPORT UpdateFragments buildVideoUpdate(const QString& table, const DBVideoInfo& info, QVFileUpdateFlag flags);

} // namespace velorin
