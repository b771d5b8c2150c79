#include <algorithm>

#include <QDateTime>
#include <QFileInfo>
#include <QList>
#include <QTextStream>
#include <QUuid>

#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// Messages quote album names and paths: printed as one safe line.
void fail(const char* command, const QString& message)
{
    QTextStream(stderr) << "velorin " << command << ": " << printable(message) << '\n';
}

int usageError(const char* command, const char* message)
{
    fail(command, QString::fromLatin1(message));
    return 2;
}

// Every named file resolved in `files`, or null after naming the first one
// that is not there; nothing has been written by then.
bool resolvePhotos(const char* command, KivPhotoFiles* files, const QStringList& paths, const char* missing,
                   QList<KivPhotoFile*>* out)
{
    for (const QString& path : paths) {
        QString absolute = QFileInfo(path).absoluteFilePath();
        KivPhotoFile* photo = files->findPhotoFile(absolute);
        if (!photo) {
            fail(command, QString::fromLatin1(missing) + QStringLiteral(": ") + absolute);
            return false;
        }
        out->append(photo);
    }
    return true;
}

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

// The album a command names, in the library or the trash: by GUID (any
// letter case, braces or not) or by a name only one album carries. Names
// need not be unique, so a name several albums share is refused with the
// candidates listed, to be named by GUID instead; acting on the first one
// found could change the wrong album for good.
KivPhotoAlbum* findAlbum(KivPhotoAlbums* albums, const QString& key)
{
    const QUuid guid(key);
    QList<KivPhotoAlbum*> found;
    for (int i = 0; i < albums->photoAlbumsCount(); ++i) {
        KivPhotoAlbum* album = albums->getAlbum(i);
        if (album && (album->dbInfo.name == key || (!guid.isNull() && QUuid(album->dbInfo.albumGUID) == guid)))
            found.append(album);
    }
    if (found.size() == 1)
        return found.first();
    if (found.isEmpty()) {
        fail("albums", QStringLiteral("no album '%1'").arg(key));
        return nullptr;
    }
    fail("albums", QStringLiteral("%1 albums match '%2'; name one by its GUID:").arg(found.size()).arg(key));
    QTextStream err(stderr);
    for (const KivPhotoAlbum* album : std::as_const(found))
        err << "  " << printable(album->dbInfo.name) << '\t' << printable(album->dbInfo.albumGUID) << '\t'
            << (album->dbInfo.fIsDeleted ? "in the trash" : "in the library") << '\n';
    return nullptr;
}

int indexInAlbum(KivPhotoAlbum* album, const KivPhotoFile* photo)
{
    for (int i = 0; i < album->getPhotoFilesCount(); ++i) {
        if (album->getPhotoFile(i)->dbInfo.id == photo->dbInfo.id)
            return i;
    }
    return -1;
}

int listAlbums(KivPhotoAlbums* albums)
{
    QList<KivPhotoAlbum*> all;
    for (int i = 0; i < albums->photoAlbumsCount(); ++i)
        all.append(albums->getAlbum(i));
    std::sort(all.begin(), all.end(), [](KivPhotoAlbum* a, KivPhotoAlbum* b) {
        const int order = QString::localeAwareCompare(a->dbInfo.name, b->dbInfo.name);
        return order != 0 ? order < 0 : a->dbInfo.albumGUID < b->dbInfo.albumGUID;
    });
    QTextStream out(stdout);
    auto print = [&out](KivPhotoAlbum* album) {
        out << printable(album->dbInfo.name) << '\t' << album->getPhotoFilesCount() << '\t'
            << printable(album->dbInfo.albumGUID) << '\n';
    };
    for (KivPhotoAlbum* album : all) {
        if (!album->dbInfo.fIsDeleted)
            print(album);
    }
    bool heading = false;
    for (KivPhotoAlbum* album : all) {
        if (!album->dbInfo.fIsDeleted)
            continue;
        if (!heading)
            out << "Trash:\n";
        heading = true;
        print(album);
    }
    return 0;
}

int createAlbum(KivPhotoAlbums* albums, const QString& name, const QStringList& paths)
{
    KivPhotoFiles* files = getVelorin()->getKivPhotoFiles();
    QList<KivPhotoFile*> photos;
    if (!resolvePhotos("albums", files, paths, "not in the catalogue", &photos))
        return 1;
    KivPhotoAlbum album(files);
    album.dbInfo.name = name;
    album.dbInfo.albumGUID = QUuid::createUuid().toString();
    album.dbInfo.createTime = album.dbInfo.modifyTime = QDateTime::currentDateTime();
    for (KivPhotoFile* photo : photos) {
        if (indexInAlbum(&album, photo) < 0)
            album.getKivPhotoFilesSort()->addPhotoFile(-1, photo);
    }
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
    if (!resolvePhotos("albums", getVelorin()->getKivPhotoFiles(), paths, "not in the catalogue", &photos))
        return 1;
    KivPhotoFilesSort* view = album->getKivPhotoFilesSort();
    if (action == QLatin1String("add")) {
        for (KivPhotoFile* photo : photos) {
            if (indexInAlbum(album, photo) < 0)
                view->addPhotoFile(-1, photo);
        }
    } else {
        for (KivPhotoFile* photo : photos) {
            if (indexInAlbum(album, photo) < 0) {
                fail("albums", QStringLiteral("not in album '%1': %2").arg(key, photo->dbInfo.fullPath));
                return 1;
            }
        }
        for (KivPhotoFile* photo : photos) {
            const int index = indexInAlbum(album, photo);
            if (index >= 0)
                view->deletePhotoFileByIndex(index);
        }
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
    if (!album)
        return 1;
    bool ok = false;
    if (action == QLatin1String("delete")) {
        ok = albums->deletePhotoAlbumFromDB(album);
    } else if (action == QLatin1String("trash")) {
        if (album->dbInfo.fIsDeleted) {
            fail("albums", QStringLiteral("already in the trash: '%1'").arg(key));
            return 1;
        }
        ok = albums->sendPhotoAlbumToTrashcan(album);
    } else {
        if (!album->dbInfo.fIsDeleted) {
            fail("albums", QStringLiteral("not in the trash: '%1'").arg(key));
            return 1;
        }
        ok = albums->restorePhotoAlbumToLib(album);
    }
    if (!ok) {
        fail("albums", QStringLiteral("could not %1 '%2'").arg(action, key));
        return 1;
    }
    return 0;
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
        if (!resolvePhotos("trash", trashed, paths, "not in the trash", &photos))
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
