// Albums: loading with repairs, GUID lookup, partial updates, the file-list
// synchronisation and the removal of albums emptied by a photo purge.

#include <QSignalSpy>
#include <QSqlQuery>
#include <QUuid>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

using namespace Qt::StringLiterals;

namespace {

class AlbumsTest : public PhotoCatalogueTest
{
protected:
    int catalogued(const QString& path) { return ::catalogued(photoRecord(path)); }

    // An album row with memberships (path, fileID) written straight to the tables.
    QString storedAlbum(const QString& name, const QList<QPair<QString, int>>& members)
    {
        DBAlbumInfo album;
        album.name = name;
        album.albumGUID = QUuid::createUuid().toString();
        service->getAlbumInfoDB()->insertRecord(&album);
        for (const auto& [path, fileId] : members)
            addEntry(album.albumGUID, path, fileId);
        return album.albumGUID;
    }
    bool addEntry(const QString& guid, const QString& path, int fileId)
    {
        DBAlbumFileList entry;
        entry.albumGUID = guid;
        entry.fullPath = path;
        entry.fileID = fileId;
        return service->getAlbumFileListDB()->insertRecord(&entry);
    }

    QList<QVariantList> entries()
    {
        return selectRows(*service->getAlbumFileListDB(), QStringLiteral("select albumGUID, fullPath, "
                                                                         "cast(fileID as integer) from AlbumFileList order by id"));
    }
};

TEST_F(AlbumsTest, LoadingRepairsMembershipsAndHidesEmptyAlbums)
{
    const int a = catalogued(QStringLiteral("/p/a.jpg"));
    const int b = catalogued(QStringLiteral("/p/b.jpg"));
    // b re-imported under another id; the others vanished.
    const QString kept = storedAlbum(u"Kept"_s, {{u"/p/a.jpg"_s, a}, {u"/p/b.jpg"_s, 999}, {u"/p/gone.jpg"_s, 998}});
    storedAlbum(u"Empty"_s, {{u"/p/gone2.jpg"_s, 997}});

    KivPhotoFiles photos;
    photos.loadImageInfoFromDatabase(nullptr);
    KivPhotoAlbums albums(&photos);
    QSignalSpy added(&albums, &KivPhotoAlbums::photoAlbumAdded);
    albums.loadAlbumsFromDatabase(nullptr);
    ASSERT_EQ(albums.photoAlbumsCount(), 1);
    EXPECT_EQ(added.count(), 1);
    KivPhotoAlbum* album = albums.getAlbum(0);
    EXPECT_EQ(album->dbInfo.name, QStringLiteral("Kept"));
    EXPECT_EQ(album->getPhotoFilesCount(), 2);
    EXPECT_EQ(entries(), (QList<QVariantList>{{kept, QStringLiteral("/p/a.jpg"), a}, {kept, QStringLiteral("/p/b.jpg"), b}}))
        << "the re-imported photo's row now has its id, the vanished ones are gone";

    albums.loadAlbumsFromDatabase(nullptr);
    EXPECT_EQ(albums.photoAlbumsCount(), 1) << "loaded once per collection";
    QString otherCase = kept.toUpper();
    EXPECT_EQ(albums.getAlbum(otherCase), album);

    // The album's view follows the photo collection.
    photos.deletePhotoFile(photos.findPhotoFileByID(a));
    EXPECT_EQ(album->getPhotoFilesCount(), 1);
}

// A cancel answered once, while one album's photos load, ends the whole
// load; and albums are announced with no statement open, so a receiver can
// write to the album file at once.
TEST_F(AlbumsTest, LoadStopsAtACancelAndAnnouncesWithTheFileFree)
{
    const int a = catalogued(QStringLiteral("/p/a.jpg"));
    for (int i = 0; i < 3; ++i)
        storedAlbum(QStringLiteral("A%1").arg(i), {{QStringLiteral("/p/a.jpg"), a}});
    KivPhotoFiles photos;
    photos.loadImageInfoFromDatabase(nullptr);

    struct : CIsLoadCancled { int asked = 0; bool isCanceled() override { return ++asked == 1; } } once;
    KivPhotoAlbums cancelled(&photos);
    cancelled.loadAlbumsFromDatabase(&once);
    EXPECT_EQ(cancelled.photoAlbumsCount(), 1);

    KivPhotoAlbums albums(&photos);
    int written = 0;
    QObject::connect(&albums, &KivPhotoAlbums::photoAlbumAdded,
                     [&](int, KivPhotoAlbum* album) { written += addEntry(album->dbInfo.albumGUID, u"/p/a.jpg"_s, a); });
    albums.loadAlbumsFromDatabase(nullptr);
    EXPECT_EQ(written, 3);
}

TEST_F(AlbumsTest, NewAlbumUpdatesAndFileListDifference)
{
    const int a = catalogued(QStringLiteral("/p/a.jpg"));
    const int b = catalogued(QStringLiteral("/p/b.jpg"));
    const int c = catalogued(QStringLiteral("/p/c.jpg"));
    KivPhotoFiles photos;
    photos.loadImageInfoFromDatabase(nullptr);
    KivPhotoAlbums albums(&photos);

    KivPhotoAlbum draft(&photos);
    draft.dbInfo.name = QStringLiteral("Trip \"2024\"; DROP TABLE AlbumInfo; --\nsecond line");
    draft.dbInfo.albumGUID = QUuid::createUuid().toString();
    draft.getKivPhotoFilesSort()->addPhotoFile(-1, photos.findPhotoFileByID(a));
    draft.getKivPhotoFilesSort()->addPhotoFile(-1, photos.findPhotoFileByID(b));
    ASSERT_TRUE(albums.addPhotoAlbumToDB(&draft));
    KivPhotoAlbum* stored = albums.getAlbum(0);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->getPhotoFilesCount(), 2);
    EXPECT_EQ(entries().size(), 2);

    // Only the file list: no UPDATE runs, yet the rows follow the photos.
    stored->getKivPhotoFilesSort()->deletePhotoFileByIndex(0);
    stored->getKivPhotoFilesSort()->addPhotoFile(-1, photos.findPhotoFileByID(c));
    EXPECT_FALSE(stored->updatePhotoAlbumToDatabase(stored, QAUpdateFileList));
    const QString guid = draft.dbInfo.albumGUID;
    EXPECT_EQ(entries(), (QList<QVariantList>{{guid, u"/p/b.jpg"_s, b}, {guid, u"/p/c.jpg"_s, c}}));

    stored->dbInfo.albumRating = 4;
    stored->dbInfo.ssDuration = 5;
    stored->dbInfo.ssFIsShuffled = true;
    stored->dbInfo.category = QStringLiteral("it's");
    stored->dbInfo.ssMusicFullPathList = QStringLiteral("/m/a.mp3|/m/b.mp3");
    QSignalSpy updated(&albums, &KivPhotoAlbums::photoAlbumUpdated);
    EXPECT_TRUE(albums.updatePhotoAlbumToDB(stored, QAUpdateRating | QAUpdateSlideShow));
    EXPECT_EQ(updated.count(), 1);
    const auto row = velorin::selectFirstRow(
        *service->getAlbumInfoDB(),
        "select name, albumRating, ssDuration, ssFIsShuffled, category, ssMusicFullPathList, ssColor from %1");
    ASSERT_TRUE(row);
    EXPECT_EQ(*row, (QVariantList{draft.dbInfo.name, 4, 5, 1, QStringLiteral("it's"), QStringLiteral("/m/a.mp3|/m/b.mp3"), -1}));
}

TEST_F(AlbumsTest, TrashRestoreAndRemovalByPhotoPurge)
{
    const int a = catalogued(QStringLiteral("/p/only.jpg"));
    storedAlbum(QStringLiteral("Solo"), {{QStringLiteral("/p/only.jpg"), a}});
    Velorin* facade = getVelorin();
    facade->Initialize(true);
    KivPhotoFiles* photos = facade->getKivPhotoFiles();
    KivPhotoAlbums* albums = facade->getKivPhotoAlbums();
    ASSERT_TRUE(albums);
    photos->loadImageInfoFromDatabase(nullptr);
    albums->loadAlbumsFromDatabase(nullptr);
    ASSERT_EQ(albums->photoAlbumsCount(), 1);

    ASSERT_TRUE(albums->sendPhotoAlbumToTrashcan(albums->getAlbum(0)));
    EXPECT_EQ(albums->photoAlbumsCount(), 0);
    KivPhotoAlbums trash(photos);
    trash.loadDeletedAlbumsFromDatabase();
    ASSERT_EQ(trash.photoAlbumsCount(), 1);
    ASSERT_TRUE(trash.restorePhotoAlbumToLib(trash.getAlbum(0)));
    EXPECT_EQ(entries().size(), 1) << "memberships stay through trash and restore";

    KivPhotoAlbums library(photos);
    library.loadAlbumsFromDatabase(nullptr);
    ASSERT_EQ(library.photoAlbumsCount(), 1);
    // Through the facade's own album collection the purge reaches the album.
    albums->addPhotoAlbum(library.getAlbum(0));
    QSignalSpy deleted(albums, &KivPhotoAlbums::photoAlbumDeleted);
    QString only = QStringLiteral("/p/only.jpg");
    ASSERT_TRUE(photos->deletePhotoFileFromDB(photos->findPhotoFile(only)));
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_FALSE(velorin::selectFirstRow(*service->getAlbumInfoDB(), "select id from %1"));
    facade->UnInitialize();
}

} // namespace
