// The table classes beyond ImageInfo: one body per family of twins.

#include <functional>
#include <memory>
#include <thread>

#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

// Opens a table on this thread, creates it, and closes it at the end.
template <class Table>
struct Opened
{
    Opened()
    {
        EXPECT_TRUE(table.openConnection());
        EXPECT_TRUE(table.createTable());
        table.createIndex();
    }
    ~Opened() { table.closeConnection(); }
    Table* operator->() { return &table; }
    Table table;
};

QList<QVariantList> rows(SQLiteDatabase& table, const QString& sql)
{
    QList<QVariantList> result;
    QSqlQuery q(table.getDatabase());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row.append(q.value(i));
        result.append(row);
    }
    return result;
}

// --- the eight thumbnail stores: one body -----------------------------------

struct StoreCase
{
    const char* name;
    std::function<std::unique_ptr<ThumbnailStore>()> make;
    const char* file;
    const char* table;
};

class ThumbnailStoreTest : public TempHomeTest, public ::testing::WithParamInterface<StoreCase>
{
};

TEST_P(ThumbnailStoreTest, UpsertKeepsOneRowPerPathAndDeleteTakesOnlyThatPath)
{
    auto store = GetParam().make();
    EXPECT_EQ(store->getDatabaseName(), QLatin1String(GetParam().file));
    EXPECT_EQ(store->getTableName(), QLatin1String(GetParam().table));
    EXPECT_EQ(store->getConnectionName() + QStringLiteral(".db"), QLatin1String(GetParam().file));
    ASSERT_TRUE(store->openConnection());
    ASSERT_TRUE(store->createTable());
    EXPECT_TRUE(store->createIndex());

    DBImageThumbnail t;
    t.fullPath = QStringLiteral("/p/a.jpg");
    t.mediaModifyDate = QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9));
    t.thumbnail = QByteArray("BM\x00\x01first", 9);
    t.recordTimestamp = QDateTime(QDate(2021, 5, 7), QTime(1, 2, 3));
    EXPECT_TRUE(store->saveRecord(&t));
    t.thumbnail = QByteArray("BM\x00\x02second\xff", 11);
    EXPECT_TRUE(store->saveRecord(&t));
    DBImageThumbnail other;
    other.fullPath = QStringLiteral("/p/b.jpg");
    other.thumbnail = QByteArray("other");
    EXPECT_TRUE(store->insertRecord(&other));

    auto stored = rows(*store, QStringLiteral("select fullPath, thumbnail, mediaModifyDate, recordTimestamp from %1 "
                                              "order by id").arg(store->getTableName()));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0][1].toByteArray(), t.thumbnail) << "the second image, bytes intact";
    EXPECT_EQ(stored[0][2].toString(), QStringLiteral("2021-05-06T07:08:09"));
    EXPECT_EQ(stored[0][3].toString(), QStringLiteral("2021-05-07T01:02:03"));

    QString path = t.fullPath;
    EXPECT_TRUE(store->deleteRecord(path));
    stored = rows(*store, QStringLiteral("select fullPath from %1").arg(store->getTableName()));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0].toString(), other.fullPath);
    store->closeConnection();
}

template <class T>
StoreCase storeCase(const char* name, const char* file, const char* table)
{
    return {name, [] { return std::unique_ptr<ThumbnailStore>(new T); }, file, table};
}

INSTANTIATE_TEST_SUITE_P(
    AllSizes, ThumbnailStoreTest,
    ::testing::Values(
        storeCase<ImageThumbnailMiniDB>("Mini", "ImageThumbnail_Mini.db", "ImageThumbnail"),
        storeCase<ImageThumbnailSmallDB>("Small", "ImageThumbnail_Small.db", "ImageThumbnail"),
        storeCase<ImageThumbnailMediumDB>("Medium", "ImageThumbnail_Medium.db", "ImageThumbnail"),
        storeCase<ImageThumbnailLargeDB>("Large", "ImageThumbnail_Large.db", "ImageThumbnail"),
        storeCase<OnlineImageThumbnailMiniDB>("OnlineMini", "OnlineImageThumbnail_Mini.db", "OnlineImageThumbnail"),
        storeCase<OnlineImageThumbnailSmallDB>("OnlineSmall", "OnlineImageThumbnail_Small.db", "OnlineImageThumbnail"),
        storeCase<OnlineImageThumbnailMediumDB>("OnlineMedium", "OnlineImageThumbnail_Medium.db",
                                                "OnlineImageThumbnail"),
        storeCase<OnlineImageThumbnailLargeDB>("OnlineLarge", "OnlineImageThumbnail_Large.db",
                                               "OnlineImageThumbnail")),
    [](const auto& p) { return std::string(p.param.name); });

class TablesTest : public TempHomeTest
{
};

TEST_F(TablesTest, OneThreadHoldsAllFourStoresAtOnce)
{
    Opened<ImageThumbnailMiniDB> mini;
    Opened<ImageThumbnailSmallDB> small;
    Opened<ImageThumbnailMediumDB> medium;
    Opened<ImageThumbnailLargeDB> large;
    DBImageThumbnail t;
    t.fullPath = QStringLiteral("/p/x.jpg");
    for (ThumbnailStore* s : std::initializer_list<ThumbnailStore*>{&mini.table, &small.table, &medium.table,
                                                                    &large.table})
        EXPECT_TRUE(s->insertRecord(&t)) << s->getConnectionName().toStdString();
    EXPECT_NE(mini->getDatabase().connectionName(), small->getDatabase().connectionName());
}

// --- upgrades of older files: one body -------------------------------------

struct UpgradeCase
{
    const char* name;
    std::function<std::unique_ptr<SQLiteTable>()> make;
    const char* legacyCreate;
    QStringList added;
};

class UpgradeTest : public TempHomeTest, public ::testing::WithParamInterface<UpgradeCase>
{
};

TEST_P(UpgradeTest, AddsTheMissingColumnsInOrderAndKeepsTheRows)
{
    auto table = GetParam().make();
    ASSERT_TRUE(table->openConnection());
    {
        QSqlQuery q(table->getDatabase());
        ASSERT_TRUE(q.exec(QString::fromLatin1(GetParam().legacyCreate)));
        ASSERT_TRUE(q.exec(QStringLiteral("insert into %1(id) values(5)").arg(table->getTableName())));
    }
    const QStringList before = table->getTableColumns();
    EXPECT_TRUE(table->createTable()) << "an existing table is left as it is";
    EXPECT_EQ(table->getTableColumns(), before);

    EXPECT_TRUE(table->upgradeDatabase());
    EXPECT_EQ(table->getTableColumns(), before + GetParam().added);
    const auto stored = rows(*table, QStringLiteral("select * from %1").arg(table->getTableName()));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0].toInt(), 5);
    for (int i = before.size(); i < stored[0].size(); ++i)
        EXPECT_TRUE(stored[0][i].isNull());

    EXPECT_TRUE(table->upgradeDatabase()) << "nothing left to add";
    EXPECT_EQ(table->getTableColumns(), before + GetParam().added);
    table->closeConnection();
}

template <class T>
UpgradeCase upgradeCase(const char* name, const char* legacy, QStringList added)
{
    return {name, [] { return std::unique_ptr<SQLiteTable>(new T); }, legacy, added};
}

INSTANTIATE_TEST_SUITE_P(
    LegacyFiles, UpgradeTest,
    ::testing::Values(
        upgradeCase<ImageInfoDB>("ImageInfo",
                                 "CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
                                 "[fullPath] TEXT NULL,[fIsPhotoRoll] INTEGER NULL)",
                                 {QStringLiteral("fIsLocalLost"), QStringLiteral("fRotateAngle")}),
        upgradeCase<OnlineImageInfoDB>("OnlineImageInfo",
                                       "CREATE TABLE [OnlineImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,"
                                       "[fullPath] TEXT NULL,[syncUrl] TEXT NULL,[originalPath] TEXT NULL)",
                                       {QStringLiteral("fIsLocalLost"), QStringLiteral("fRotateAngle")}),
        upgradeCase<AddrListDB>("AddrList",
                                "Create  TABLE [AddrList]([id] integer PRIMARY KEY AUTOINCREMENT NOT NULL,"
                                "[addr] varchar(260) NULL,[count] INTEGER NULL)",
                                {QStringLiteral("latitude"), QStringLiteral("longitude"),
                                 QStringLiteral("altitude")})),
    [](const auto& p) { return std::string(p.param.name); });

// --- video tables -----------------------------------------------------------

TEST_F(TablesTest, VideoInsertsReadTheirIdsBack)
{
    Opened<VideoInfoDB> videos;
    DBVideoInfo clip;
    clip.fullPath = QStringLiteral("/v/holiday.mp4");
    clip.thumbnail = QByteArray("\x00\x01\x02", 3);
    clip.modifyDate = QDateTime(QDate(2022, 1, 1), QTime(0, 0, 1, 999));
    ASSERT_TRUE(videos->insertRecord(&clip));
    const int first = clip.id;
    EXPECT_GT(first, 0);

    clip.markIn = 1000;
    clip.markOut = 5000;
    ASSERT_TRUE(videos->insertRecord(&clip));
    EXPECT_GT(clip.id, first) << "the newer clip's row";

    DBVideoInfo other;
    other.fullPath = QStringLiteral("/v/other.mp4");
    ASSERT_TRUE(videos->insertRecord(&other));

    const auto stored = rows(videos.table, QStringLiteral("select id, markIn, markOut, modifyDate, thumbnail "
                                                          "from VideoInfo where fullPath='/v/holiday.mp4' order by id"));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0][1].toInt(), -1);
    EXPECT_EQ(stored[1][1].toInt(), 1000);
    EXPECT_EQ(stored[1][2].toInt(), 5000);
    EXPECT_EQ(stored[0][3].toString(), QStringLiteral("2022-01-01T00:00:01"));
    EXPECT_EQ(stored[0][4].toByteArray(), clip.thumbnail);

    QString path = clip.fullPath;
    EXPECT_TRUE(videos->deleteRecord(path));
    EXPECT_EQ(rows(videos.table, QStringLiteral("select fullPath from VideoInfo")).size(), 1) << "all clips gone";
}

TEST_F(TablesTest, PlaylistAndMappingIdsAreFoundAgain)
{
    Opened<VideoPlayListDB> lists;
    Opened<VideoPlayListMappingDB> mapping;
    EXPECT_EQ(mapping->getConnectionName(), QStringLiteral("VideoPlayListMappingInfo"));
    DBVideoPlayListInfo list;
    list.name = QStringLiteral("Summer");
    list.albumGUID = QUuid::createUuid().toString();
    ASSERT_TRUE(lists->insertRecord(&list));
    EXPECT_GT(list.id, 0);

    QList<int> ids;
    for (int fileId : {7, 8, 7}) {
        DBVideoPlayListMappingInfo m;
        m.albumGUID = list.albumGUID;
        m.fullPath = QStringLiteral("/v/%1.mp4").arg(fileId == 7 && ids.size() == 2 ? 70 : fileId);
        m.fileID = fileId;
        ASSERT_TRUE(mapping->insertRecord(&m));
        ids.append(m.id);
    }
    EXPECT_EQ(QSet<int>(ids.begin(), ids.end()).size(), 3) << "each entry has its own id";

    velorin::SqlStatement again(mapping.table, VideoPlayListMappingDB::SelectIdByEntry, {8});
    again.bind(list.albumGUID).bind(QStringLiteral("/v/8.mp4"));
    ASSERT_TRUE(again.exec() && again.next());
    EXPECT_EQ(again.value(0).toInt(), ids[1]);

    DBVideoPlayListMappingInfo changed;
    changed.id = ids[0];
    changed.fileID = 99;
    EXPECT_TRUE(mapping->updateRecord(&changed));
    EXPECT_TRUE(mapping->deleteRecord(ids[1]));
    auto stored = rows(mapping.table, QStringLiteral("select id, fileID from VideoPlayListMapping order by id"));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0][1].toInt(), 99);
    QString guid = list.albumGUID;
    EXPECT_TRUE(mapping->deleteRecord(guid));
    EXPECT_TRUE(rows(mapping.table, QStringLiteral("select id from VideoPlayListMapping")).isEmpty());
}

// --- reference-counted tags and places --------------------------------------

TEST_F(TablesTest, TagsAreCountedInAndOut)
{
    Opened<TagListDB> tags;
    QString sea = QStringLiteral("sea");
    for (int i = 0; i < 3; ++i)
        tags->addTagUse(sea);
    EXPECT_EQ(tags->findValue(sea)->count, 3);
    QString other = QStringLiteral("Sea");
    EXPECT_EQ(tags->addTagUse(other)->count, 1) << "letter case makes another tag";

    tags->removeTagUse(sea);
    tags->removeTagUse(sea);
    EXPECT_EQ(tags->findValue(sea)->count, 1);
    tags->removeTagUse(sea);
    EXPECT_FALSE(tags->findValue(sea));
    tags->removeTagUse(sea); // no row: nothing
    EXPECT_EQ(tags->queryRecord(), QStringList{QStringLiteral("Sea")});

    QString renamed = QStringLiteral("ocean");
    tags->addTagUse(other);
    EXPECT_TRUE(tags->updateRecord(other, renamed));
    EXPECT_EQ(tags->findValue(renamed)->count, 2) << "renaming keeps the count";
    EXPECT_EQ(tags->listValues(), QStringList{QStringLiteral("ocean")});
}

TEST_F(TablesTest, PlacesKeepTheFirstPhotosPosition)
{
    Opened<AddrListDB> places;
    DBAddressInfo first;
    first.addr = QStringLiteral("Bergen");
    first.latitude = 60.39299;
    first.longitude = 5.32415;
    first.altitude = 12.5;
    EXPECT_TRUE(places->addAddressUse(first));
    EXPECT_EQ(first.count, 1);
    EXPECT_GT(first.id, 0);

    DBAddressInfo second = first;
    second.latitude = 1.0;
    second.id = 0;
    EXPECT_TRUE(places->addAddressUse(second));
    EXPECT_EQ(second.count, 2);
    EXPECT_EQ(second.id, first.id);

    DBAddressInfo found;
    found.addr = QStringLiteral("untouched");
    ASSERT_TRUE(places->lookupPosition(QStringLiteral("Bergen"), found));
    EXPECT_EQ(found.latitude, 60.39299);
    EXPECT_EQ(found.longitude, 5.32415);
    EXPECT_EQ(found.altitude, 12.5);
    EXPECT_EQ(found.count, 2);
    EXPECT_EQ(found.addr, QStringLiteral("untouched"));

    DBAddressInfo none;
    EXPECT_FALSE(places->lookupPosition(QStringLiteral("Nowhere"), none));
    EXPECT_EQ(none.latitude, velorin::NoLatitude);

    // A stored count of 0 (written by hand) also removes the place.
    QString bergen = QStringLiteral("Bergen");
    rows(places.table, QStringLiteral("update AddrList set count=0"));
    places->removeAddressUse(bergen);
    EXPECT_TRUE(places->queryRecord().isEmpty());
}

// --- faces and people: values are bound, so any text is stored as it is -----

const QString hostileName = QStringLiteral("Ann\"; DROP TABLE PeopleInfo; --\n'quoted' \"name\"");

TEST_F(TablesTest, FaceUpdateWritesOnlyTheChosenColumns)
{
    Opened<ImageFaceInfoDB> faces;
    for (int i = 0; i < 3; ++i) {
        DBImageFaceInfo f;
        f.fullPath = QStringLiteral("/p/%1.jpg").arg(i);
        f.fileID = 10 + i;
        f.nameType = 1;
        f.name = QStringLiteral("before");
        f.excludingName = QStringLiteral("ex");
        ASSERT_TRUE(faces->insertRecord(&f));
    }
    const auto ids = rows(faces.table, QStringLiteral("select id from ImageFaceInfo order by id"));
    DBImageFaceInfo f;
    f.id = ids[1][0].toInt();
    f.fileID = 77;
    f.nameType = 3;
    f.name = hostileName;
    f.excludingName = QStringLiteral("x\"y");

    auto row = [&](int id) {
        return rows(faces.table,
                    QStringLiteral("select fileID, nameType, name, excludingName from ImageFaceInfo where id=%1").arg(id))
            .value(0);
    };
    EXPECT_TRUE(faces->updateRecord(&f, ImageFaceInfoDB::UpdateName));
    EXPECT_EQ(row(f.id), (QVariantList{11, 1, hostileName, QStringLiteral("ex")}));

    EXPECT_TRUE(faces->updateRecord(&f, ImageFaceInfoDB::UpdateFileId | ImageFaceInfoDB::UpdateExcludingName));
    EXPECT_EQ(row(f.id), (QVariantList{77, 1, hostileName, QStringLiteral("x\"y")}));

    EXPECT_TRUE(faces->updateRecord(&f, ImageFaceInfoDB::UpdateFileId | ImageFaceInfoDB::UpdateNameType));
    EXPECT_EQ(row(f.id), (QVariantList{77, 3, hostileName, QStringLiteral("x\"y")}));

    EXPECT_FALSE(faces->updateRecord(&f, 0)) << "no column chosen";
    EXPECT_FALSE(faces->updateRecord(nullptr, 4));

    EXPECT_EQ(row(ids[0][0].toInt()), (QVariantList{10, 1, QStringLiteral("before"), QStringLiteral("ex")}));
    EXPECT_EQ(row(ids[2][0].toInt()), (QVariantList{12, 1, QStringLiteral("before"), QStringLiteral("ex")}));
    EXPECT_TRUE(faces->deleteRecord(f.id));
    EXPECT_EQ(rows(faces.table, QStringLiteral("select id from ImageFaceInfo")).size(), 2);
}

TEST_F(TablesTest, PeopleFacesAreFoundByPathAndWholeRectangle)
{
    Opened<PeopleFaceDB> faces;
    Opened<PeopleInfoDB> people;
    for (int right : {50, 51}) {
        PEOPLE_FACE f;
        f.fullPath = QStringLiteral("/p/group \"photo\".jpg");
        f.left = 10;
        f.top = 20;
        f.right = right;
        f.bottom = 60;
        f.name = QStringLiteral("old");
        ASSERT_TRUE(faces->insertRecord(&f));
    }
    PEOPLE_FACE target;
    target.fullPath = QStringLiteral("/p/group \"photo\".jpg");
    target.left = 10;
    target.top = 20;
    target.right = 50;
    target.bottom = 60;
    target.name = hostileName;
    EXPECT_TRUE(faces->updateRecord(&target));
    EXPECT_EQ(rows(faces.table, QStringLiteral("select name from PeopleFace order by id")),
              (QList<QVariantList>{{hostileName}, {QStringLiteral("old")}}));

    {
        // Scoped: an unfinished read holds a lock on MediaInfo.db, which
        // PeopleInfo below writes through its own connection.
        velorin::SqlStatement byName(faces.table, velorin::sql::SelectRowsByName);
        byName.bind(hostileName);
        ASSERT_TRUE(byName.exec() && byName.next());
        EXPECT_EQ(byName.value(8).toString(), hostileName);
    }

    EXPECT_TRUE(faces->deleteRecord(target));
    EXPECT_EQ(rows(faces.table, QStringLiteral("select right from PeopleFace")), (QList<QVariantList>{{51}}));

    PEOPLE_INFO person;
    person.name = hostileName;
    person.peopleGUID = QUuid::createUuid().toString();
    ASSERT_TRUE(people->insertRecord(&person));
    velorin::SqlStatement name(people.table, PeopleInfoDB::SelectNameByGuid);
    name.bind(person.peopleGUID);
    ASSERT_TRUE(name.exec() && name.next());
    EXPECT_EQ(name.value(0).toString(), hostileName);
    EXPECT_TRUE(people->isTableCreated(QStringLiteral("PeopleInfo"))) << "still there";
    QString n = hostileName;
    EXPECT_TRUE(people->deleteRecord(n));
    EXPECT_TRUE(rows(people.table, QStringLiteral("select * from PeopleInfo")).isEmpty());
}

TEST_F(TablesTest, UpdatesThatAreNotOffered)
{
    Opened<AlbumInfoDB> albums;
    Opened<OnlineAlbumInfoDB> onlineAlbums;
    Opened<OnlineImageInfoDB> online;
    Opened<PeopleInfoDB> people;
    Opened<PeopleGroupDB> groups;
    Opened<PeopleGroupPeopleListDB> members;

    DBAlbumInfo album;
    album.name = QStringLiteral("a");
    album.albumGUID = QUuid::createUuid().toString();
    ASSERT_TRUE(albums->insertRecord(&album));
    DBOnlineAlbumInfo onlineAlbum;
    onlineAlbum.name = QStringLiteral("o");
    ASSERT_TRUE(onlineAlbums->insertRecord(&onlineAlbum));
    DBOnlineImageInfo photo;
    photo.fullPath = QStringLiteral("/o/1.jpg");
    ASSERT_TRUE(online->insertRecord(&photo));
    PEOPLE_INFO person;
    person.name = QStringLiteral("p");
    ASSERT_TRUE(people->insertRecord(&person));
    DBPeopleGroup group;
    group.name = QStringLiteral("g");
    ASSERT_TRUE(groups->insertRecord(&group));
    DBPeopleGroupPeopleList member;
    member.peopleGUID = QStringLiteral("m");
    ASSERT_TRUE(members->insertRecord(&member));

    album.name = onlineAlbum.name = photo.name = person.name = group.name = QStringLiteral("changed");
    member.peopleGUID = QStringLiteral("changed");
    EXPECT_FALSE(albums->updateRecord(&album));
    EXPECT_FALSE(onlineAlbums->updateRecord(&onlineAlbum));
    EXPECT_FALSE(online->updateRecord(&photo));
    EXPECT_FALSE(people->updateRecord(&person));
    EXPECT_FALSE(groups->updateRecord(&group));
    EXPECT_FALSE(members->updateRecord(&member));

    EXPECT_EQ(rows(albums.table, QStringLiteral("select name from AlbumInfo")), (QList<QVariantList>{{"a"}}));
    EXPECT_EQ(rows(onlineAlbums.table, QStringLiteral("select name from OnlineAlbumInfo")), (QList<QVariantList>{{"o"}}));
    EXPECT_EQ(rows(people.table, QStringLiteral("select name from PeopleInfo")), (QList<QVariantList>{{"p"}}));
    EXPECT_EQ(rows(groups.table, QStringLiteral("select name from PeopleGroup")), (QList<QVariantList>{{"g"}}));
    EXPECT_EQ(rows(members.table, QStringLiteral("select peopleGUID from PeopleGroupPeopleList")),
              (QList<QVariantList>{{"m"}}));
}

TEST_F(TablesTest, OnlineCoordinatesAreStoredAsText)
{
    Opened<OnlineImageInfoDB> online;
    DBOnlineImageInfo photo;
    photo.fullPath = QStringLiteral("/o/2.jpg");
    photo.latitude = 48.8584;
    photo.category = QStringLiteral("c");
    photo.imageId = QStringLiteral("i");
    photo.syncUrl = QStringLiteral("https://example.invalid/s");
    ASSERT_TRUE(online->insertRecord(&photo));
    const auto stored = rows(online.table, QStringLiteral("select typeof(latitude), latitude, typeof(altitude), "
                                                          "category, imageId, syncUrl from OnlineImageInfo"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0].toString(), QStringLiteral("text"));
    EXPECT_EQ(stored[0][1].toString(), QStringLiteral("48.8584"));
    EXPECT_EQ(stored[0][2].toString(), QStringLiteral("text"));
    EXPECT_EQ(stored[0].mid(3), (QVariantList{"c", "i", "https://example.invalid/s"}));
}

TEST_F(TablesTest, AlbumEntriesFollowTheirAlbum)
{
    Opened<AlbumInfoDB> albums;
    Opened<AlbumFileListDB> entries;
    Opened<OnlineAlbumFileListDB> onlineEntries;
    DBAlbumInfo album;
    album.albumGUID = QUuid::createUuid().toString();
    album.ssMusicFullPathList = QStringLiteral("/m/a.mp3|/m/b.mp3");
    album.ssFIsRepeated = true;
    ASSERT_TRUE(albums->insertRecord(&album));
    const auto stored = rows(albums.table, QStringLiteral("select ssDuration, ssColor, ssTransition, ssFIsMusicOn, "
                                                          "ssMusicFullPathList, ssFIsRepeated from AlbumInfo"));
    EXPECT_EQ(stored.value(0), (QVariantList{-1, -1, -1, 0, "/m/a.mp3|/m/b.mp3", 1}));

    for (int i = 1; i <= 3; ++i) {
        DBAlbumFileList e;
        e.albumGUID = i < 3 ? album.albumGUID : QStringLiteral("other");
        e.fullPath = QStringLiteral("/p/%1.jpg").arg(i);
        e.fileID = i;
        ASSERT_TRUE(entries->insertRecord(&e));
        DBOnlineAlbumFileList o;
        o.albumGUID = e.albumGUID;
        ASSERT_TRUE(onlineEntries->insertRecord(&o));
    }
    DBAlbumFileList moved;
    moved.id = 1;
    moved.fileID = 42;
    EXPECT_TRUE(entries->updateRecord(&moved));
    EXPECT_TRUE(entries->delRecordBy(2));
    QString guid = album.albumGUID;
    EXPECT_TRUE(entries->deleteRecord(guid));
    EXPECT_EQ(rows(entries.table, QStringLiteral("select albumGUID, fileID from AlbumFileList")),
              (QList<QVariantList>{{"other", "3"}})) << "fileID lives in a TEXT column";
    EXPECT_TRUE(onlineEntries->deleteRecord(guid));
    EXPECT_EQ(rows(onlineEntries.table, QStringLiteral("select albumGUID from OnlineAlbumFileList")).size(), 1);
    EXPECT_TRUE(albums->deleteRecord(guid));
    EXPECT_TRUE(rows(albums.table, QStringLiteral("select id from AlbumInfo")).isEmpty());
}

// --- two threads, two tables, one file ---------------------------------------

void writeConcurrently(const std::vector<std::function<bool(int)>>& writers, int rowsEach)
{
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (const auto& write : writers) {
        threads.emplace_back([&, write] {
            ++ready;
            while (ready.load() < int(writers.size()))
                std::this_thread::yield();
            for (int i = 0; i < rowsEach; ++i) {
                if (!write(i))
                    ++failures;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(TablesTest, ImagesAndTagsWrittenAtOnceIntoOneFile)
{
    ImageInfoDB images;
    TagListDB tags;
    constexpr int count = 120;
    writeConcurrently(
        {[&](int i) {
             if (i == 0 && !(images.openConnection() && images.createTable()))
                 return false;
             DBImageInfo info;
             info.fullPath = QStringLiteral("/p/%1.jpg").arg(i);
             const bool ok = images.insertRecord(&info);
             if (i == count - 1)
                 images.closeConnection();
             return ok;
         },
         [&](int i) {
             if (i == 0 && !(tags.openConnection() && tags.createTable()))
                 return false;
             QString tag = QStringLiteral("tag%1").arg(i);
             const bool ok = tags.insertRecord(tag);
             if (i == count - 1)
                 tags.closeConnection();
             return ok;
         }},
        count);
    Opened<ImageInfoDB> check;
    EXPECT_EQ(rows(check.table, QStringLiteral("select count(*) from ImageInfo")).value(0).value(0).toInt(), count);
    EXPECT_EQ(rows(check.table, QStringLiteral("select count(*) from TagList")).value(0).value(0).toInt(), count);
}

TEST_F(TablesTest, TheThreeVideoTablesWrittenAtOnce)
{
    VideoInfoDB videos;
    VideoPlayListDB lists;
    VideoPlayListMappingDB mapping;
    constexpr int count = 80;
    auto opening = [](SQLiteDatabase& t, int i, auto write) {
        if (i == 0 && !(t.openConnection() && t.createTable()))
            return false;
        const bool ok = write();
        if (i == count - 1)
            t.closeConnection();
        return ok;
    };
    writeConcurrently(
        {[&](int i) {
             return opening(videos, i, [&] {
                 DBVideoInfo v;
                 v.fullPath = QStringLiteral("/v/%1.mp4").arg(i);
                 return videos.insertRecord(&v) && v.id > 0;
             });
         },
         [&](int i) {
             return opening(lists, i, [&] {
                 DBVideoPlayListInfo p;
                 p.albumGUID = QStringLiteral("g%1").arg(i);
                 return lists.insertRecord(&p) && p.id > 0;
             });
         },
         [&](int i) {
             return opening(mapping, i, [&] {
                 DBVideoPlayListMappingInfo m;
                 m.albumGUID = QStringLiteral("g");
                 m.fullPath = QStringLiteral("/v/%1.mp4").arg(i);
                 m.fileID = i;
                 return mapping.insertRecord(&m) && m.id > 0;
             });
         }},
        count);
    Opened<VideoInfoDB> check;
    for (const char* table : {"VideoInfo", "VideoPlayList", "VideoPlayListMapping"})
        EXPECT_EQ(rows(check.table, QStringLiteral("select count(*) from %1").arg(QLatin1String(table)))
                      .value(0).value(0).toInt(),
                  count)
            << table;
}

} // namespace
