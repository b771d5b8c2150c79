#include "kivvideoplaylist.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QUuid>

#include <velorin/db/cataloguetables.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/core/writetransaction.h>
#include <velorin/video/kivvideofilessort.h>

namespace velorin {

namespace {

using P = DBVideoPlayListInfo;

constexpr UpdateColumn<P> columns[] = {
    updateColumn<P, &P::name>(QVPlaylistUpdateName, "name=?"),
    updateColumn<P, &P::modifyTime>(QVPlaylistUpdateModifyTime, "modifyTime=?"),
    updateColumn<P, &P::description>(QVPlaylistUpdateDescription, "description=?"),
    updateColumn<P, &P::thumbnail>(QVPlaylistUpdateThumbnail, "thumbnail=?"),
};

// The background is set on the application's thread and read wherever a
// thumbnail is painted; QImage copies share the pixels.
QMutex backgroundLock;
QImage background;

} // namespace

std::span<const UpdateColumn<DBVideoPlayListInfo>> playlistUpdateColumns()
{
    return columns;
}

QImage playlistBackground()
{
    QMutexLocker lock(&backgroundLock);
    return background;
}

void setPlaylistBackground(const QImage& image)
{
    QMutexLocker lock(&backgroundLock);
    background = image;
}

} // namespace velorin

// The view is the playlist's child so that it moves with the playlist to
// the application's thread.
KivVideoPlaylist::KivVideoPlaylist(KivVideoFiles* files)
    : filesSort(new KivVideoFilesSort(VideosFilterLibrary, this))
    , videoFiles(files)
{
    qRegisterMetaType<KivVideoPlaylist*>();
    if (videoFiles) {
        connect(videoFiles, &KivVideoFiles::photoFileUpdated, filesSort, &KivVideoFilesSort::updatePhotoFile);
        connect(videoFiles, &KivVideoFiles::photoFileDeleted, filesSort, &KivVideoFilesSort::deletePhotoFile);
    }
}

KivVideoPlaylist::~KivVideoPlaylist()
{
    if (videoFiles)
        videoFiles->disconnect(filesSort);
}

KivVideoPlaylist& KivVideoPlaylist::operator=(KivVideoPlaylist& other)
{
    if (this == &other)
        return *this;
    dbInfo = other.dbInfo;
    *filesSort = *other.filesSort;
    thumbnailCache = other.thumbnailCache;
    cachedCount = other.cachedCount;
    cachedFiles = {};
    std::copy_n(other.cachedFiles.begin(), cachedCount, cachedFiles.begin());
    return *this;
}

KivVideoFilesSort* KivVideoPlaylist::getKivPhotoFilesSort() { return filesSort; }
int KivVideoPlaylist::getPhotoFilesCount() { return filesSort->videoFilesCount(); }
KivVideoFile* KivVideoPlaylist::getPhotoFile(int index) { return filesSort->getKivVideoFile(index); }
void KivVideoPlaylist::saveMemory() {}

void KivVideoPlaylist::loadAlbumInfoFromDatabase(KivVideoFiles* files)
{
    if (!files)
        return;
    // The rows are read to the end first: the view announces each member,
    // and no statement may hold the file while receivers run.
    QList<std::pair<int, int>> rows; // mapping id, video id
    {
        velorin::SqlStatement q(*velorin::catalogueTables()->getVideoPlayListMappingDB(),
                                velorin::sql::SelectEntriesByGuid);
        q.bind(dbInfo.albumGUID);
        if (!q.exec())
            return;
        while (q.next())
            rows.append({q.value(0).toInt(), q.value(3).toInt()});
    }
    int position = 0;
    for (const auto& [mappingId, videoId] : std::as_const(rows)) {
        if (KivVideoFile* video = files->findPhotoFileByID(videoId))
            filesSort->addPhotoFilePlusID(-1, video, mappingId, ++position);
    }
}

bool KivVideoPlaylist::saveNewAlbumToDatabase()
{
    if (dbInfo.albumGUID.isNull()) {
        dbInfo.albumGUID = QUuid::createUuid().toString();
        dbInfo.createTime = QDateTime::currentDateTime();
    }
    if (!velorin::catalogueTables()->getVideoPlayListDB()->insertRecord(&dbInfo))
        return false;
    return writeMembers(filesSort, dbInfo.albumGUID, false);
}

bool KivVideoPlaylist::updatePhotoAlbumToDatabase(KivVideoPlaylist* source, QVPlaylistUpdateFlag flags)
{
    if (!source)
        return false;
    VideoPlayListDB* lists = velorin::catalogueTables()->getVideoPlayListDB();
    const auto update = velorin::buildUpdate(lists->getTableName(), " where id=%1", velorin::playlistUpdateColumns(),
                                             source->dbInfo, flags);
    const bool written = !update.isEmpty() && update.exec(lists->getDatabase(), source->dbInfo.id);
    // The members do not change the result: a files-only update reports
    // false, as no column was written.
    if (flags & QVPlaylistUpdateFiles)
        writeMembers(source->filesSort, source->dbInfo.albumGUID, true);
    return written;
}

// In one transaction, so that the list is replaced whole or not at all.
bool KivVideoPlaylist::writeMembers(KivVideoFilesSort* members, const QString& guid, bool replace)
{
    VideoPlayListMappingDB* mapping = velorin::catalogueTables()->getVideoPlayListMappingDB();
    SQLiteDatabase* tables[] = {mapping};
    velorin::WriteTransaction transaction(tables);
    if (!transaction.begin())
        return false;
    if (replace && !velorin::SqlStatement(*mapping, VideoPlayListMappingDB::DeleteEntriesOfPlaylist).bind(dbInfo.albumGUID).exec())
        return false;
    for (int i = 0; i < members->videoFilesCount(); ++i) {
        KivViewVideoFile* member = members->getKivViewVideoFile(i);
        DBVideoPlayListMappingInfo row;
        row.albumGUID = guid;
        row.fullPath = member->getKivVideoFile()->dbInfo.fullPath;
        row.fileID = member->getKivVideoFile()->dbInfo.id;
        if (!mapping->insertRecord(&row))
            return false;
        member->SetID(row.id);
    }
    return transaction.commit();
}

bool KivVideoPlaylist::clearPhotoAlbumToDatabase()
{
    VideoPlayListMappingDB* mapping = velorin::catalogueTables()->getVideoPlayListMappingDB();
    if (!velorin::SqlStatement(*mapping, VideoPlayListMappingDB::DeleteEntriesOfPlaylist).bind(dbInfo.albumGUID).exec())
        return false;
    filesSort->clearPhotoFiles();
    return true;
}

bool KivVideoPlaylist::RemovePhotoFile(KivViewVideoFile* member)
{
    if (!member)
        return false;
    // The wrapper may be one of this view's own: its id is read before any
    // wrapper goes.
    const int id = member->GetID();
    const bool deleted =
        velorin::SqlStatement(*velorin::catalogueTables()->getVideoPlayListMappingDB(), VideoPlayListMappingDB::RemoveEntry, {id})
            .exec();
    for (int i = 0; i < filesSort->videoFilesCount(); ++i) {
        if (filesSort->getKivViewVideoFile(i)->GetID() == id) {
            filesSort->deletePhotoFileByIndex(i);
            break;
        }
    }
    return deleted;
}

qint64 KivVideoPlaylist::getDuration()
{
    qint64 total = 0;
    for (int i = 0; i < filesSort->videoFilesCount(); ++i)
        total += filesSort->getKivVideoFile(i)->dbInfo.duration;
    return total;
}

QPixmap KivVideoPlaylist::getThumbnail()
{
    if (!dbInfo.thumbnail.isNull()) {
        QPixmap own;
        own.loadFromData(dbInfo.thumbnail);
        return own;
    }
    const int n = std::min(filesSort->videoFilesCount(), 4);
    bool same = n == cachedCount;
    for (int i = 0; same && i < n; ++i)
        same = filesSort->getKivVideoFile(i) == cachedFiles[i];
    if (same)
        return thumbnailCache;
    cachedCount = n;
    cachedFiles = {};
    for (int i = 0; i < n; ++i)
        cachedFiles[i] = filesSort->getKivVideoFile(i);
    thumbnailCache = makeThumbnail(n);
    return thumbnailCache;
}

namespace {

QImage decoded(const QByteArray& bytes)
{
    QImage image;
    if (!bytes.isNull())
        image.loadFromData(bytes);
    return image;
}

} // namespace

// Cells of 150 x 120, left to right and top to bottom; each picture fits
// 144 x 114 keeping its shape, centred in its cell. Cells of members
// without a picture keep the background.
QPixmap KivVideoPlaylist::makeThumbnail(int count)
{
    constexpr int cellWidth = 150, cellHeight = 120, fitWidth = 144, fitHeight = 114;
    if (count == 1)
        return QPixmap::fromImage(decoded(cachedFiles[0]->dbInfo.thumbnail));
    QImage canvas = velorin::playlistBackground();
    if (count == 0 || canvas.isNull())
        return QPixmap();
    canvas = canvas.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    for (int i = 0; i < count; ++i) {
        const QImage picture = decoded(cachedFiles[i]->dbInfo.thumbnail);
        if (picture.isNull())
            continue;
        const QImage fitted = picture.scaled(fitWidth, fitHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const int left = (cellWidth - fitted.width()) / 2 + (i % 2 ? cellWidth : 0);
        const int top = (cellHeight - fitted.height()) / 2 + (i >= 2 ? cellHeight : 0);
        painter.drawImage(left, top, fitted);
    }
    painter.end();
    return QPixmap::fromImage(canvas);
}
