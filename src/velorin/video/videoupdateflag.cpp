#include "videoupdateflag.h"

namespace velorin {

namespace {

using R = DBVideoInfo;

// Both marks in one fragment: the text is the two clauses "markIn=%1 " and
// "markOut=%1 " joined by ", ", each with its own number written in.
constexpr UpdateColumn<R> marksColumn = {
    QVUpdateMarks, "markIn=%1 , markOut=%2 ",
    [](const R& r) { return QVariant(QVariantList{r.markIn, r.markOut}); },
    [](R& to, const R& from) {
        to.markIn = from.markIn;
        to.markOut = from.markOut;
    }};

// Table order, except that duration comes before thumbnail.
constexpr UpdateColumn<R> columns[] = {
    updateColumn<R, &R::name>(QVUpdateName, "name=? "),
    updateColumn<R, &R::fileSize>(QVUpdateFileSize, "fileSize=%1 "),
    updateColumn<R, &R::modifyDate>(QVUpdateModifyDate, "modifyDate=? "),
    updateColumn<R, &R::rating>(QVUpdateRating, "rating=%1 "),
    updateColumn<R, &R::description>(QVUpdateDescription, "description=? "),
    updateColumn<R, &R::artist>(QVUpdateArtist, "artist=? "),
    updateColumn<R, &R::genre>(QVUpdateGenre, "genre=? "),
    updateColumn<R, &R::year>(QVUpdateYear, "year=%1 "),
    updateColumn<R, &R::lastPlayed>(QVUpdateLastPlayed, "lastPlayed=? "),
    updateColumn<R, &R::mostPlayed>(QVUpdateMostPlayed, "mostPlayed=%1 "),
    updateColumn<R, &R::fIsDeleted>(QVUpdateDeleted, "fIsDeleted=%1 "),
    updateColumn<R, &R::fIsEdited>(QVUpdateEdited, "fIsEdited=%1 "),
    updateColumn<R, &R::originalPath>(QVUpdateOriginalPath, "originalPath=? "),
    updateColumn<R, &R::duration>(QVUpdateDuration, "duration=? "),
    updateColumn<R, &R::thumbnail>(QVUpdateThumbnail, "thumbnail=? "),
    marksColumn,
};

} // namespace

std::span<const UpdateColumn<DBVideoInfo>> videoUpdateColumns()
{
    return columns;
}

UpdateFragments buildVideoUpdate(const QString& table, const DBVideoInfo& info, QVFileUpdateFlag flags)
{
    return buildUpdate(table, "where id=%1", videoUpdateColumns(), info, flags);
}

} // namespace velorin
