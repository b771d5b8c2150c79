// Life of a photo beyond the scan: trash and restore between the library
// and the trash instances, removal for good, edits, rotation, lost files and
// the photo roll.

#include <QSignalSpy>
#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

class MaintenanceTest : public PhotoCatalogueTest
{
protected:
    // A row with four thumbnails; its id.
    int catalogued(const DBImageInfo& info) { return ::catalogued(info, quadrantBmp(8, 8)); }

    QList<QVariantList> rows(const QString& sql) { return selectRows(*service->getImageInfoDB(), sql); }
};

TEST_F(MaintenanceTest, TrashAndRestoreTouchOnlyTheInstanceCalled)
{
    const int id = catalogued(photoRecord(QStringLiteral("/m/a.jpg")));
    KivPhotoFiles library;
    KivPhotoFiles trash;
    library.loadImageInfoFromDatabase(nullptr);
    QSignalSpy libraryDeleted(&library, &KivPhotoFiles::photoFileDeleted);
    QSignalSpy trashAdded(&trash, &KivPhotoFiles::photoFileAdded);

    ASSERT_TRUE(library.sendPhotoFileToTrashcan(library.getPhotoFile(0)));
    EXPECT_EQ(std::tuple(libraryDeleted.count(), library.photoFilesCount(), trashAdded.count()), std::tuple(1, 0, 0));
    EXPECT_EQ(rows(QStringLiteral("select fIsDeleted from ImageInfo")), QList<QVariantList>{{1}});
    EXPECT_EQ(thumbnailRows(QStringLiteral("/m/a.jpg")), 4) << "thumbnails stay with a trashed photo";

    trash.loadDeletedImageInfoFromDatabase();
    ASSERT_EQ(trash.photoFilesCount(), 1);
    QSignalSpy trashDeleted(&trash, &KivPhotoFiles::photoFileDeleted);
    ASSERT_TRUE(trash.restorePhotoFileToLib(trash.getPhotoFile(0)));
    EXPECT_EQ(trashDeleted.count(), 1);
    EXPECT_EQ(library.photoFilesCount(), 0) << "the library learns of it from the application";
    EXPECT_EQ(rows(QStringLiteral("select fIsDeleted from ImageInfo where id=%1").arg(id)), QList<QVariantList>{{0}});
}

// A purge takes the row and the four thumbnails, and gives back the photo's
// tag and place through the facade; the other photo keeps everything.
TEST_F(MaintenanceTest, PurgeRemovesRowAndThumbnailsAndGivesBackTagAndPlace)
{
    Velorin* facade = getVelorin();
    facade->Initialize(true);
    KivPhotoTags* tags = facade->getKivPhotoTags();
    KivPhotoAddresses* places = facade->getKivPhotoAddresses();
    ASSERT_TRUE(tags && places);
    DBImageInfo info = photoRecord(QStringLiteral("/m/tagged.jpg"));
    info.mediaTag = QStringLiteral("sea");
    info.address = QStringLiteral("Bergen");
    catalogued(info);
    DBImageInfo bare = photoRecord(QStringLiteral("/m/bare.jpg"));
    catalogued(bare);
    for (int i = 0; i < 2; ++i) {
        tags->addPhotoTagToDB(info.mediaTag);
        DBAddressInfo place;
        place.addr = info.address;
        places->addPhotoAddressToDB(place);
    }
    KivPhotoFiles* library = facade->getKivPhotoFiles();
    library->loadImageInfoFromDatabase(nullptr);
    QSignalSpy deleted(library, &KivPhotoFiles::photoFileDeleted);
    ASSERT_TRUE(library->deletePhotoFileFromDB(library->findPhotoFile(info.fullPath)));
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(rows(QStringLiteral("select fullPath from ImageInfo")), QList<QVariantList>{{bare.fullPath}});
    EXPECT_EQ(std::pair(thumbnailRows(info.fullPath), thumbnailRows(bare.fullPath)), std::pair(0, 4));
    EXPECT_EQ(service->getTagListDB()->findValue(info.mediaTag)->count, 1);
    EXPECT_EQ(service->getAddrListDB()->findValue(info.address)->count, 1);
    ASSERT_TRUE(library->deletePhotoFileFromDB(library->findPhotoFile(bare.fullPath))) << "nothing to give back";
    EXPECT_EQ(library->photoFilesCount(), 0);
    facade->UnInitialize();
}

TEST_F(MaintenanceTest, FacadeCreatesOnceAndDeletesAll)
{
    Velorin* facade = getVelorin();
    EXPECT_EQ(facade->getKivPhotoFiles(), nullptr);
    facade->Initialize(true);
    KivPhotoFiles* photos = facade->getKivPhotoFiles();
    KivPhotoFiles* trash = facade->getDeletedPhotoFiles();
    ASSERT_TRUE(photos && trash && facade->getKivPhotoTags() && facade->getKivPhotoAddresses()
                && facade->getKivPhotoAlbums());
    EXPECT_NE(photos, trash);
    facade->Initialize(true);
    EXPECT_EQ(facade->getKivPhotoFiles(), photos) << "a second call creates nothing";
    facade->Initialize(false);
    EXPECT_EQ(facade->getDeletedPhotoFiles(), trash) << "the photo side stays";
    facade->UnInitialize();
    EXPECT_FALSE(facade->getKivPhotoFiles() || facade->getDeletedPhotoFiles() || facade->getKivPhotoTags()
                 || facade->getKivPhotoAddresses() || facade->getKivPhotoAlbums());
    EXPECT_EQ(facade->getKivVideoFiles(), nullptr) << "the video side is not built yet";
}

TEST_F(MaintenanceTest, EditedPhotoMovesInMemoryAndTable)
{
    const int id = catalogued(photoRecord(QStringLiteral("/m/orig.jpg")));
    DBAlbumFileList entry;
    entry.albumGUID = QStringLiteral("{album}");
    entry.fullPath = QStringLiteral("/m/orig.jpg");
    entry.fileID = id;
    ASSERT_TRUE(service->getAlbumFileListDB()->insertRecord(&entry));

    KivPhotoFiles library;
    library.loadImageInfoFromDatabase(nullptr);
    KivPhotoFile* p = library.getPhotoFile(0);
    p->dbInfo.fileSize = 4321;
    p->dbInfo.fRotateAngle = 90;
    QString edited = QStringLiteral("/e/orig edited.jpg");
    DBImageThumbnail t = thumbnailRecord(edited, quadrantBmp(6, 6));
    DBImageThumbnail a = t, b = t, c = t, d = t;
    QSignalSpy updated(&library, &KivPhotoFiles::photoFileUpdated);
    ASSERT_TRUE(library.saveModifiedPhoto(p, edited, false, a, b, c, d));

    EXPECT_EQ(std::tuple(p->dbInfo.fullPath, p->dbInfo.originalPath, p->dbInfo.fIsEdited, updated.count()),
              std::tuple(edited, QStringLiteral("/m/orig.jpg"), true, 1));
    EXPECT_EQ(library.findPhotoFile(edited), p) << "found under its new path";
    const QVariantList row = selectRows(*service->getImageInfoDB(), QStringLiteral("select fullPath, fIsEdited, "
                                        "fRotateAngle, fileSize, originalPath from ImageInfo")).value(0);
    EXPECT_EQ(row.mid(0, 4), (QVariantList{edited, 1, 90, 4321}));
    EXPECT_TRUE(row.value(4).isNull()) << "originalPath is kept in memory only";
    EXPECT_EQ(thumbnailRows(edited), 4);
    EXPECT_EQ(velorin::selectFirstRow(*service->getAlbumFileListDB(), "select fullPath from %1"), QVariantList{edited})
        << "the album entry follows";

    // Reverting switches back and clears the original in memory.
    QString original = QStringLiteral("/m/orig.jpg");
    ASSERT_TRUE(library.saveModifiedPhoto(p, original, true, a, b, c, d));
    EXPECT_TRUE(!p->dbInfo.fIsEdited && p->dbInfo.originalPath.isEmpty());
    EXPECT_EQ(rows(QStringLiteral("select fIsEdited from ImageInfo")), QList<QVariantList>{{0}});
}

TEST_F(MaintenanceTest, LostPhotoNeedsAllFourThumbnails)
{
    catalogued(photoRecord(QStringLiteral("/m/lost.jpg")));
    KivPhotoFiles library;
    library.loadImageInfoFromDatabase(nullptr);
    KivPhotoFile* p = library.getPhotoFile(0);
    p->dbInfo.fIsLocalLost = true;
    DBImageThumbnail t = thumbnailRecord(p->dbInfo.fullPath, quadrantBmp(4, 4));
    DBImageThumbnail a = t, b = t, c = t, d = t;
    EXPECT_TRUE(library.restoreDBImageInfo4LostImageFile(p, a, b, c, d, QPUpdateLocalLost));
    EXPECT_EQ(rows(QStringLiteral("select fIsLocalLost from ImageInfo")), QList<QVariantList>{{1}});
    EXPECT_TRUE(library.restoreDBImageInfo4LostImageFile(p, a, b, c, d, 0)) << "the record update may fail";

    // A store that cannot be written: nothing of the record is written.
    QSqlQuery(service->getImageThumbnailLargeDB()->getDatabase()).exec(QStringLiteral("drop table ImageThumbnail"));
    p->dbInfo.fIsLocalLost = false;
    EXPECT_FALSE(library.restoreDBImageInfo4LostImageFile(p, a, b, c, d, QPUpdateLocalLost));
    EXPECT_EQ(rows(QStringLiteral("select fIsLocalLost from ImageInfo")), QList<QVariantList>{{1}});

    p->dbInfo.fRotateAngle = 180;
    EXPECT_TRUE(library.saveRotateAngle(p, QPUpdateRotateAngle));
    EXPECT_EQ(rows(QStringLiteral("select fRotateAngle from ImageInfo")), QList<QVariantList>{{180}});
}

TEST_F(MaintenanceTest, PhotoRollQueries)
{
    KivPhotoFiles library;
    EXPECT_EQ(library.getLatestPhotoRollID(), -1);
    const QDateTime noon(QDate(2024, 7, 1), QTime(12, 0));
    const auto roll = [&](const char* name, int daysBefore, bool deleted) {
        DBImageInfo info = photoRecord(QStringLiteral("C:/Roll/") + QLatin1String(name), noon.addDays(-daysBefore));
        info.fIsPhotoRoll = true;
        info.fIsDeleted = deleted;
        return info;
    };
    DBImageInfo first = roll("one.jpg", 0, false);
    first.id = catalogued(first);
    const int secondId = catalogued(roll("two.jpg", 0, false));
    catalogued(roll("old.jpg", 3, true));
    catalogued(photoRecord(QStringLiteral("/m/not-roll.jpg"), noon.addDays(5)));
    EXPECT_EQ(library.getLatestPhotoRollID(), secondId) << "on a tie the row read last wins";

    QString backslashed = QStringLiteral("C:\\Roll\\one.jpg");
    EXPECT_TRUE(library.isPhotoRoll(backslashed));
    QString otherCase = QStringLiteral("c:/roll/one.jpg");
    EXPECT_FALSE(library.isPhotoRoll(otherCase));

    QString one = QStringLiteral("C:/Roll/one.jpg");
    KivPhotoFile present;
    present.dbInfo = first;
    library.addPhotoFile(&present);
    library.loadPhotoRoll();
    EXPECT_EQ(library.photoFilesCount(), 2) << "the roll's second photo joins; present and trashed ones do not";
    library.loadPhotoRoll();
    EXPECT_EQ(library.photoFilesCount(), 2);
    EXPECT_NE(library.findPhotoFile(one), nullptr);
}

} // namespace
