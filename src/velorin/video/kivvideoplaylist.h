#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/video/kivvideofiles.h>
#include <velorin/core/updatebuilder.h>

#include <array>
#include <span>

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>

class KivVideoFilesSort;
class KivViewVideoFile;

// What updatePhotoAlbumToDatabase writes. QVPlaylistUpdateFiles writes no
// column: it rewrites the playlist's mapping rows from its members.
enum QVPlaylistUpdateFlagBits : quint32 {
    QVPlaylistUpdateName = 0x01,
    QVPlaylistUpdateModifyTime = 0x02,
    QVPlaylistUpdateDescription = 0x04,
    QVPlaylistUpdateThumbnail = 0x08,
    QVPlaylistUpdateFiles = 0x10,
};
using QVPlaylistUpdateFlag = quint32;

namespace velorin {
// The column fragments of a playlist update, in statement order.
VELORIN_EXPORT std::span<const UpdateColumn<DBVideoPlayListInfo>> playlistUpdateColumns();

// The canvas of every composite playlist thumbnail, one for the process
// (null until the application sets one).
VELORIN_EXPORT QImage playlistBackground();
VELORIN_EXPORT void setPlaylistBackground(const QImage& background);
} // namespace velorin

// One video playlist: its VideoPlayList row and its members, held in order by
// an embedded video view over the video collection. Each member's wrapper
// carries the id of its mapping row (GetID) and its 1-based position
// (GetCustomID). The view follows the collection's updates and removals, so
// a video that leaves the library leaves every playlist at once; new videos
// join no playlist by themselves.
//
// Stored playlists live on the application's thread (the collection moves
// them there), so the view's slots run there too. The composite thumbnail
// is painted on the calling thread and has no lock.
class VELORIN_EXPORT KivVideoPlaylist : public QObject
{
    Q_OBJECT

public:
    explicit KivVideoPlaylist(KivVideoFiles* videoFiles = nullptr);
    ~KivVideoPlaylist() override;

    // Copies the row, the other playlist's members (through this playlist's
    // view) and its cached thumbnail; the video collection stays.
    KivVideoPlaylist& operator=(KivVideoPlaylist& other);

    // Shows the members stored in the mapping table, in row order; rows
    // whose video is not in `files` are skipped and take no position.
    void loadAlbumInfoFromDatabase(KivVideoFiles* files);
    // Inserts the row (a playlist without a GUID gets one, and its creation
    // time, first) and one mapping row per member; the members' wrappers
    // get their mapping ids. False when a write failed.
    bool saveNewAlbumToDatabase();
    // Writes the flagged columns of `source` (false when no column is
    // flagged or the write failed) and, with QVPlaylistUpdateFiles, replaces
    // this playlist's mapping rows by the members of `source`, whose
    // wrappers get the new ids. Memory is not touched otherwise.
    bool updatePhotoAlbumToDatabase(KivVideoPlaylist* source, QVPlaylistUpdateFlag flags);
    // Deletes every mapping row of the playlist and, when that worked, its
    // members in memory.
    bool clearPhotoAlbumToDatabase();
    // Removes one member: its mapping row (by the wrapper's id) and the
    // first wrapper with that id. The deletion's result; the member leaves
    // memory either way.
    bool RemovePhotoFile(KivViewVideoFile* member);

    int getPhotoFilesCount();
    KivVideoFile* getPhotoFile(int index);
    // The sum of the members' durations.
    qint64 getDuration();
    // The playlist's own thumbnail when it has one; otherwise the first
    // member's, or for two to four members a 2 x 2 grid of them on the
    // shared background. Remade only when the first four members change
    // by identity or count.
    QPixmap getThumbnail();
    KivVideoFilesSort* getKivPhotoFilesSort();
    // Playlists keep no pictures of their own beyond the composite.
    void saveMemory();

    DBVideoPlayListInfo dbInfo;

private:
    // Deletes the playlist's mapping rows and inserts one per member of
    // `members` under `guid`, giving each wrapper its row's id.
    bool writeMembers(KivVideoFilesSort* members, const QString& guid, bool replace);
    QPixmap makeThumbnail(int count);

    KivVideoFilesSort* filesSort;
    // Guarded: the video collection may go first (its connections then go
    // with it).
    QPointer<KivVideoFiles> videoFiles;
    QPixmap thumbnailCache;
    int cachedCount = 0;
    std::array<KivVideoFile*, 4> cachedFiles{};
};

Q_DECLARE_METATYPE(KivVideoPlaylist*)
