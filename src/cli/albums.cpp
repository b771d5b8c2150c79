#include <QDateTime>
#include <QList>
#include <QTextStream>
#include <QUuid>

#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"
#include "groups.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// Trashed albums are loaded next to the library's; the row tells them apart.
KivPhotoAlbums* loadAlbums()
{
    Velorin* velorin = getVelorin();
    velorin->getKivPhotoFiles()->loadImageInfoFromDatabase(nullptr);
    KivPhotoAlbums* albums = velorin->getKivPhotoAlbums();
    albums->loadAlbumsFromDatabase(nullptr);
    albums->loadDeletedAlbumsFromDatabase();
    return albums;
}

KivPhotoAlbum* findAlbum(KivPhotoAlbums* albums, const QString& key)
{
    return findGroup("albums", "album", groupsOf<KivPhotoAlbum>(albums), key);
}

int listAlbums(KivPhotoAlbums* albums)
{
    return listGroups(groupsOf<KivPhotoAlbum>(albums), [](QTextStream& out, KivPhotoAlbum* album) {
        out << printable(album->dbInfo.name) << '\t' << album->getPhotoFilesCount() << '\t'
            << printable(album->dbInfo.albumGUID) << '\n';
    });
}

int createAlbum(KivPhotoAlbums* albums, const QString& name, const QStringList& paths)
{
    KivPhotoFiles* files = getVelorin()->getKivPhotoFiles();
    QList<KivPhotoFile*> photos;
    if (!resolveFiles("albums", files, paths, "not in the catalogue", &photos))
        return 1;
    KivPhotoAlbum album(files);
    album.dbInfo.name = name;
    album.dbInfo.albumGUID = QUuid::createUuid().toString();
    album.dbInfo.createTime = album.dbInfo.modifyTime = QDateTime::currentDateTime();
    addNewMembers(&album, photos);
    if (!albums->addPhotoAlbumToDB(&album)) {
        fail("albums", QStringLiteral("album not created: ") + catalogueFailure());
        return 1;
    }
    QTextStream(stdout) << album.dbInfo.albumGUID << '\n';
    return 0;
}

int changeMembers(KivPhotoAlbums* albums, const QString& action, const QString& key, const QStringList& paths)
{
    KivPhotoAlbum* album = findAlbum(albums, key);
    if (!album)
        return 1;
    QList<KivPhotoFile*> photos;
    if (!resolveFiles("albums", getVelorin()->getKivPhotoFiles(), paths, "not in the catalogue", &photos))
        return 1;
    if (action == QLatin1String("add")) {
        addNewMembers(album, photos);
    } else {
        if (!allMembers("albums", "album", album, key, photos))
            return 1;
        removeMembers(album, photos);
    }
    album->dbInfo.modifyTime = QDateTime::currentDateTime();
    // The album's own write reports its result (the collection's reports
    // success whatever the tables said).
    if (!album->updatePhotoAlbumToDatabase(album, QAUpdateFileList | QAUpdateModifyTime)) {
        fail("albums", QStringLiteral("album not changed: ") + catalogueFailure());
        return 1;
    }
    albums->updatePhotoAlbum(album);
    return 0;
}

int changeState(KivPhotoAlbums* albums, const QString& action, const QString& key)
{
    KivPhotoAlbum* album = findAlbum(albums, key);
    return changeGroupState("albums", album, action, key, [&] {
        if (action == QLatin1String("delete"))
            return albums->deletePhotoAlbumFromDB(album);
        if (action == QLatin1String("trash"))
            return albums->sendPhotoAlbumToTrashcan(album);
        return albums->restorePhotoAlbumToLib(album);
    });
}

} // namespace

int albums(const QStringList& args)
{
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    if (action == QLatin1String("create")) {
        if (rest.size() < 2)
            return usageError("albums", "usage: velorin albums create NAME FILE...");
    } else if (action == QLatin1String("add") || action == QLatin1String("remove")) {
        if (rest.size() < 2)
            return usageError("albums", "usage: velorin albums add|remove ALBUM FILE...");
    } else if (action == QLatin1String("trash") || action == QLatin1String("restore")
               || action == QLatin1String("delete")) {
        if (rest.size() != 1)
            return usageError("albums", "usage: velorin albums trash|restore|delete ALBUM");
    } else if (!action.isEmpty()) {
        fail("albums", QStringLiteral("unknown action '%1'").arg(action));
        return 2;
    }

    CatalogueSession session("albums", true, true);
    if (!session.usable())
        return 1;
    KivPhotoAlbums* all = loadAlbums();
    if (action.isEmpty())
        return listAlbums(all);
    if (action == QLatin1String("create"))
        return createAlbum(all, rest.first(), rest.mid(1));
    if (action == QLatin1String("add") || action == QLatin1String("remove"))
        return changeMembers(all, action, rest.first(), rest.mid(1));
    return changeState(all, action, rest.first());
}

int trash(const QStringList& args)
{
    const QString action = args.value(0);
    const QStringList paths = args.mid(1);
    if (action == QLatin1String("restore")) {
        if (paths.isEmpty())
            return usageError("trash", "usage: velorin trash restore FILE...");
    } else if (action != QLatin1String("purge") && !action.isEmpty()) {
        fail("trash", QStringLiteral("unknown action '%1'").arg(action));
        return 2;
    }

    CatalogueSession session("trash", true, true);
    if (!session.usable())
        return 1;
    KivPhotoFiles* trashed = getVelorin()->getDeletedPhotoFiles();
    trashed->loadDeletedImageInfoFromDatabase();
    if (action.isEmpty()) {
        QTextStream out(stdout);
        for (int i = 0; i < trashed->photoFilesCount(); ++i)
            out << printable(trashed->getPhotoFile(i)->dbInfo.fullPath) << '\n';
        return 0;
    }

    // Entries leave the collection as they go: each is found afresh by path.
    QStringList targets;
    if (paths.isEmpty()) {
        for (int i = 0; i < trashed->photoFilesCount(); ++i)
            targets.append(trashed->getPhotoFile(i)->dbInfo.fullPath);
    } else {
        QList<KivPhotoFile*> photos;
        if (!resolveFiles("trash", trashed, paths, "not in the trash", &photos))
            return 1;
        for (KivPhotoFile* photo : std::as_const(photos))
            targets.append(photo->dbInfo.fullPath);
        targets.removeDuplicates();
    }
    int status = 0;
    for (QString& path : targets) {
        KivPhotoFile* photo = trashed->findPhotoFile(path);
        const bool ok = action == QLatin1String("restore") ? trashed->restorePhotoFileToLib(photo)
                                                            : trashed->deletePhotoFileFromDB(photo);
        if (!ok) {
            fail("trash", QStringLiteral("could not %1 %2").arg(action, path));
            status = 1;
        }
    }
    return status;
}

} // namespace velorin::cli
