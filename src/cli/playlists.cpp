#include <algorithm>

#include <QDateTime>
#include <QList>
#include <QTextStream>

#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"
#include "groups.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// Trashed playlists are loaded next to the library's; the row tells them
// apart.
KivVideoPlaylists* loadPlaylists()
{
    Velorin* velorin = getVelorin();
    velorin->getKivVideoFiles()->loadImageInfoFromDatabase();
    KivVideoPlaylists* playlists = velorin->getKivVideoPlaylists();
    playlists->loadAlbumsFromDatabase();
    playlists->loadTrashCan();
    return playlists;
}

KivVideoPlaylist* findPlaylist(KivVideoPlaylists* playlists, const QString& key)
{
    return findGroup("playlists", "playlist", groupsOf<KivVideoPlaylist>(playlists), key);
}

int listPlaylists(KivVideoPlaylists* playlists)
{
    return listGroups(groupsOf<KivVideoPlaylist>(playlists), [](QTextStream& out, KivVideoPlaylist* p) {
        out << printable(p->dbInfo.name) << '\t' << p->getPhotoFilesCount() << '\t'
            << millisecondsClock(p->getDuration()) << '\t' << printable(p->dbInfo.albumGUID) << '\n';
    });
}

// The playlist's videos in their order: position, duration, path.
int showPlaylist(KivVideoPlaylists* playlists, const QString& key)
{
    KivVideoPlaylist* playlist = findPlaylist(playlists, key);
    if (!playlist)
        return 1;
    QTextStream out(stdout);
    for (int i = 0; i < playlist->getPhotoFilesCount(); ++i) {
        const DBVideoInfo& video = playlist->getPhotoFile(i)->dbInfo;
        out << i + 1 << '\t' << millisecondsClock(video.duration) << '\t'
            << printable(video.fullPath) << '\n';
    }
    return 0;
}

int createPlaylist(KivVideoPlaylists* playlists, const QString& name, const QStringList& paths)
{
    KivVideoFiles* files = getVelorin()->getKivVideoFiles();
    QList<KivVideoFile*> videos;
    if (!resolveFiles("playlists", files, paths, "not in the catalogue", &videos))
        return 1;
    KivVideoPlaylist playlist(files);
    playlist.dbInfo.name = name;
    playlist.dbInfo.modifyTime = QDateTime::currentDateTime();
    addNewMembers(&playlist, videos);
    if (!playlists->addPhotoAlbumToDB(&playlist)) {
        fail("playlists", QStringLiteral("playlist not created: ") + catalogueFailure());
        return 1;
    }
    QTextStream(stdout) << playlist.dbInfo.albumGUID << '\n';
    return 0;
}

// Writes the members as they stand now, in view order, with the
// modification time. The member rows report no result of their own, so a
// failure is read from the thread's last database failure.
int saveMembers(KivVideoPlaylists* playlists, KivVideoPlaylist* playlist)
{
    playlist->dbInfo.modifyTime = QDateTime::currentDateTime();
    clearDbError();
    if (!playlist->updatePhotoAlbumToDatabase(playlist, QVPlaylistUpdateFiles | QVPlaylistUpdateModifyTime)
        || lastDbError().failure != DbFailure::None) {
        fail("playlists", QStringLiteral("playlist not changed: ") + catalogueFailure());
        return 1;
    }
    playlists->updatePhotoAlbum(playlist);
    return 0;
}

// add appends the videos not yet in the playlist; remove takes each out
// (all must be members, or nothing changes); move puts one at a 1-based
// position.
int changeMembers(KivVideoPlaylists* playlists, const QString& action, const QString& key, const QStringList& args)
{
    KivVideoPlaylist* playlist = findPlaylist(playlists, key);
    if (!playlist)
        return 1;
    const bool move = action == QLatin1String("move");
    bool positionOk = true;
    const int position = move ? args.last().toInt(&positionOk) : 0;
    if (!positionOk || (move && position < 1)) {
        fail("playlists", QStringLiteral("not a position: '%1'").arg(args.last()));
        return 2;
    }
    QList<KivVideoFile*> videos;
    if (!resolveFiles("playlists", getVelorin()->getKivVideoFiles(), move ? args.mid(0, 1) : args,
                      "not in the catalogue", &videos))
        return 1;
    if (action == QLatin1String("add")) {
        addNewMembers(playlist, videos);
        return saveMembers(playlists, playlist);
    }
    if (!allMembers("playlists", "playlist", playlist, key, videos))
        return 1;
    if (move) {
        // The target counts in the list as it stands, the moved entry
        // included: one further on when it moves down.
        KivVideoFilesSort* view = playlist->getKivPhotoFilesSort();
        const int from = indexInGroup(playlist, videos.first());
        const int to = std::min(position, playlist->getPhotoFilesCount()) - 1;
        for (int i = 0; i < view->videoFilesCount(); ++i)
            view->getKivViewVideoFile(i)->setSelected(i == from);
        view->moveSelectedPhotoFilesToIndex(to > from ? to + 1 : to);
    } else {
        removeMembers(playlist, videos);
    }
    return saveMembers(playlists, playlist);
}

int changeState(KivVideoPlaylists* playlists, const QString& action, const QString& key)
{
    KivVideoPlaylist* playlist = findPlaylist(playlists, key);
    return changeGroupState("playlists", playlist, action, key, [&] {
        if (action == QLatin1String("delete"))
            return playlists->EmptyPhotoAlbum(playlist, playlist->dbInfo.fIsDeleted);
        if (action == QLatin1String("trash"))
            return playlists->sendPhotoAlbumToTrashcan(playlist);
        return playlists->RestorePhotoAlbumFromTrashcan(playlist);
    });
}

} // namespace

int playlists(const QStringList& args)
{
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    const auto is = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return action == QLatin1String(n); });
    };
    if (is({"create"})) {
        if (rest.size() < 2)
            return usageError("playlists", "usage: velorin playlists create NAME FILE...");
    } else if (is({"add", "remove"})) {
        if (rest.size() < 2)
            return usageError("playlists", "usage: velorin playlists add|remove PLAYLIST FILE...");
    } else if (is({"move"})) {
        if (rest.size() != 3)
            return usageError("playlists", "usage: velorin playlists move PLAYLIST FILE POSITION");
    } else if (is({"show", "trash", "restore", "delete"})) {
        if (rest.size() != 1)
            return usageError("playlists", "usage: velorin playlists show|trash|restore|delete PLAYLIST");
    } else if (!action.isEmpty()) {
        fail("playlists", QStringLiteral("unknown action '%1'").arg(action));
        return 2;
    }

    CatalogueSession session("playlists", false, true);
    if (!session.usable())
        return 1;
    KivVideoPlaylists* all = loadPlaylists();
    if (action.isEmpty())
        return listPlaylists(all);
    if (is({"create"}))
        return createPlaylist(all, rest.first(), rest.mid(1));
    if (is({"add", "remove", "move"}))
        return changeMembers(all, action, rest.first(), rest.mid(1));
    if (is({"show"}))
        return showPlaylist(all, rest.first());
    return changeState(all, action, rest.first());
}

} // namespace velorin::cli
