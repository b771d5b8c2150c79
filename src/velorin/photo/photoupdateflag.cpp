#include "photoupdateflag.h"

namespace velorin {

namespace {

using R = DBImageInfo;

constexpr UpdateColumn<R> columns[] = {
    updateColumn<R, &R::name>(QPUpdateName, "name=? "),
    updateColumn<R, &R::fileSize>(QPUpdateFileSize, "fileSize=%1 "),
    updateColumn<R, &R::mediaModifyDate>(QPUpdateModifyDate, "mediaModifyDate=? "),
    updateColumn<R, &R::mediaRating>(QPUpdateRating, "mediaRating=%1 "),
    updateColumn<R, &R::mediaTag>(QPUpdateTag, "mediaTag=? "),
    updateColumn<R, &R::mediaComment>(QPUpdateComment, "mediaComment=? "),
    updateColumn<R, &R::exifDate>(QPUpdateExifDate, "exifDate=? "),
    updateColumn<R, &R::orientation>(QPUpdateOrientation, "orientation=%1 "),
    updateColumn<R, &R::latitude>(QPUpdateLatitude, "latitude=%1 "),
    updateColumn<R, &R::longitude>(QPUpdateLongitude, "longitude=%1 "),
    updateColumn<R, &R::altitude>(QPUpdateAltitude, "altitude=%1 "),
    updateColumn<R, &R::address>(QPUpdateAddress, "address=? "),
    updateColumn<R, &R::faceDetected>(QPUpdateFaceDetected, "faceDetected=%1 "),
    updateColumn<R, &R::fIsDeleted>(QPUpdateDeleted, "fIsDeleted=%1 "),
    updateColumn<R, &R::fIsEdited>(QPUpdateEdited, "fIsEdited=%1 "),
    updateColumn<R, &R::originalPath>(QPUpdateOriginalPath, "originalPath=? "),
    updateColumn<R, &R::fIsLocalLost>(QPUpdateLocalLost, "fIsLocalLost=%1 "),
    updateColumn<R, &R::fRotateAngle>(QPUpdateRotateAngle, "fRotateAngle=%1 "),
};

} // namespace

std::span<const UpdateColumn<DBImageInfo>> photoUpdateColumns()
{
    return columns;
}

UpdateFragments buildPhotoUpdate(const QString& table, const DBImageInfo& info, QPhotoUpdateFlag flags)
{
    return buildUpdate(table, PhotoUpdateWhere, photoUpdateColumns(), info, flags);
}

} // namespace velorin
