// The table classes beyond ImageInfo: one body per family of twins, and
// writers on many threads at once. (Tag and place counting is tested through
// their models, in the photo tests.)

#include <functional>
#include <memory>
#include <thread>

#include <QSqlQuery>
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
    QList<QVariantList> rows(const QString& sql) { return selectRows(table, sql); }
    Table table;
};

// --- the eight thumbnail stores: one body -----------------------------------

template <class Store>
class ThumbnailStoreTest : public TempHomeTest
{
};

using Stores = ::testing::Types<ImageThumbnailMiniDB, ImageThumbnailSmallDB, ImageThumbnailMediumDB, ImageThumbnailLargeDB,
                                OnlineImageThumbnailMiniDB, OnlineImageThumbnailSmallDB, OnlineImageThumbnailMediumDB,
                                OnlineImageThumbnailLargeDB>;
TYPED_TEST_SUITE(ThumbnailStoreTest, Stores);

TYPED_TEST(ThumbnailStoreTest, UpsertKeepsOneRowPerPathAndDeleteTakesOnlyThatPath)
{
    Opened<TypeParam> store;
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

    const QString table = store->getTableName();
    auto stored = store.rows(QStringLiteral("select thumbnail, mediaModifyDate, recordTimestamp from %1 order by id").arg(table));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0], (QVariantList{t.thumbnail, QStringLiteral("2021-05-06T07:08:09"),
                                       QStringLiteral("2021-05-07T01:02:03")})) << "the second image, bytes intact";
    EXPECT_TRUE(stored[1][1].isNull()) << "no date by default";

    EXPECT_TRUE(store->deleteRecord(t.fullPath));
    EXPECT_EQ(store.rows(QStringLiteral("select fullPath from %1").arg(table)), (QList<QVariantList>{{other.fullPath}}));
}

// --- upgrades of older files: one body -------------------------------------

struct UpgradeCase
{
    const char* name;
    std::function<std::unique_ptr<SQLiteTable>()> make;
    const char* added; // the columns, comma-separated
    const char* legacyCreate;
};

class UpgradeTest : public TempHomeTest, public ::testing::WithParamInterface<UpgradeCase>
{
};

TEST_P(UpgradeTest, AddsTheMissingColumnsInOrderAndKeepsTheRows)
{
    auto table = GetParam().make();
    const QStringList added = QString::fromLatin1(GetParam().added).split(u',');
    ASSERT_TRUE(table->openConnection());
    selectRows(*table, QString::fromLatin1(GetParam().legacyCreate));
    selectRows(*table, QStringLiteral("insert into %1(id) values(5)").arg(table->getTableName()));
    const QStringList before = table->getTableColumns();
    EXPECT_TRUE(table->createTable()) << "an existing table is left as it is";
    EXPECT_EQ(table->getTableColumns(), before);

    for (int pass = 0; pass < 2; ++pass) { // the second finds nothing to add
        EXPECT_TRUE(table->upgradeDatabase());
        EXPECT_EQ(table->getTableColumns(), before + added);
    }
    const QVariantList row = selectRows(*table, QStringLiteral("select * from %1").arg(table->getTableName())).value(0);
    ASSERT_EQ(row.size(), before.size() + added.size());
    EXPECT_EQ(row[0].toInt(), 5);
    for (qsizetype i = before.size(); i < row.size(); ++i)
        EXPECT_TRUE(row[i].isNull()) << "the new columns are empty";
    table->closeConnection();
}

template <class T>
UpgradeCase upgradeCase(const char* name, const char* added, const char* legacy)
{
    return {name, [] { return std::unique_ptr<SQLiteTable>(new T); }, added, legacy};
}

INSTANTIATE_TEST_SUITE_P(
    LegacyFiles, UpgradeTest,
    ::testing::Values(
        upgradeCase<ImageInfoDB>("ImageInfo", "fIsLocalLost,fRotateAngle",
                                 "CREATE TABLE [ImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
                                 "[fullPath] TEXT NULL,[fIsPhotoRoll] INTEGER NULL)"),
        upgradeCase<OnlineImageInfoDB>("OnlineImageInfo", "fIsLocalLost,fRotateAngle",
                                       "CREATE TABLE [OnlineImageInfo] ([id] INTEGER PRIMARY KEY NOT NULL,"
                                       "[fullPath] TEXT NULL,[syncUrl] TEXT NULL,[originalPath] TEXT NULL)"),
        upgradeCase<AddrListDB>("AddrList", "latitude,longitude,altitude",
                                "Create  TABLE [AddrList]([id] integer PRIMARY KEY AUTOINCREMENT NOT NULL,"
                                "[addr] varchar(260) NULL,[count] INTEGER NULL)")),
    [](const auto& p) { return std::string(p.param.name); });

// --- video tables -----------------------------------------------------------

using TablesTest = TempHomeTest;

TEST_F(TablesTest, VideoInsertsReadTheirIdsBack)
{
    Opened<VideoInfoDB> videos;
    DBVideoInfo clip;
    clip.fullPath = QStringLiteral("/v/holiday.mp4");
    clip.thumbnail = QByteArray("\x00\x01\x02", 3);
    clip.modifyDate = QDateTime(QDate(2022, 1, 1), QTime(0, 0, 1, 999));
    ASSERT_TRUE(videos->insertRecord(&clip));
    const int first = clip.id;

    clip.markIn = 1000;
    clip.markOut = 5000;
    ASSERT_TRUE(videos->insertRecord(&clip));
    EXPECT_GT(clip.id, first) << "the newer clip's row";
    DBVideoInfo other;
    other.fullPath = QStringLiteral("/v/other.mp4");
    ASSERT_TRUE(videos->insertRecord(&other));

    EXPECT_EQ(videos.rows(QStringLiteral("select markIn, markOut, modifyDate, thumbnail from VideoInfo "
                                         "where fullPath='/v/holiday.mp4' order by id")),
              (QList<QVariantList>{{-1, -1, QStringLiteral("2022-01-01T00:00:01"), clip.thumbnail},
                                   {1000, 5000, QStringLiteral("2022-01-01T00:00:01"), clip.thumbnail}}));
    EXPECT_TRUE(videos->deleteRecord(clip.fullPath));
    EXPECT_EQ(videos.rows(QStringLiteral("select fullPath from VideoInfo")).size(), 1) << "all clips gone";
}

TEST_F(TablesTest, PlaylistAndMappingIdsAreFoundAgain)
{
    Opened<VideoPlayListDB> lists;
    Opened<VideoPlayListMappingDB> mapping;
    DBVideoPlayListInfo list;
    list.name = QStringLiteral("Summer");
    list.albumGUID = QUuid::createUuid().toString();
    ASSERT_TRUE(lists->insertRecord(&list));

    QList<int> ids;
    for (const auto& [fileId, path] : {std::pair{7, "/v/7.mp4"}, {8, "/v/8.mp4"}, {7, "/v/70.mp4"}}) {
        DBVideoPlayListMappingInfo m;
        m.albumGUID = list.albumGUID;
        m.fullPath = QLatin1String(path);
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
    EXPECT_EQ(mapping.rows(QStringLiteral("select fileID from VideoPlayListMapping order by id")),
              (QList<QVariantList>{{99}, {7}}));
    EXPECT_TRUE(mapping->deleteRecord(list.albumGUID));
    EXPECT_TRUE(mapping.rows(QStringLiteral("select id from VideoPlayListMapping")).isEmpty());
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
    const auto ids = faces.rows(QStringLiteral("select id from ImageFaceInfo order by id"));
    DBImageFaceInfo f;
    f.id = ids[1][0].toInt();
    f.fileID = 77;
    f.nameType = 3;
    f.name = hostileName;
    f.excludingName = QStringLiteral("x\"y");
    const auto all = [&] { return faces.rows(QStringLiteral("select fileID, nameType, name, excludingName from "
                                                             "ImageFaceInfo order by id")); };
    const auto untouched = [](int fileId) { return QVariantList{fileId, 1, QStringLiteral("before"), QStringLiteral("ex")}; };
    using F = ImageFaceInfoDB;
    for (const auto& [columns, row] :
         {std::pair{int(F::UpdateName), QVariantList{11, 1, hostileName, QStringLiteral("ex")}},
          {F::UpdateFileId | F::UpdateExcludingName, QVariantList{77, 1, hostileName, QStringLiteral("x\"y")}},
          {F::UpdateFileId | F::UpdateNameType, QVariantList{77, 3, hostileName, QStringLiteral("x\"y")}}}) {
        EXPECT_TRUE(faces->updateRecord(&f, columns));
        EXPECT_EQ(all(), (QList<QVariantList>{untouched(10), row, untouched(12)})) << columns;
    }
    EXPECT_FALSE(faces->updateRecord(&f, 0)) << "no column chosen";
    EXPECT_FALSE(faces->updateRecord(nullptr, 4));
    EXPECT_TRUE(faces->deleteRecord(f.id));
    EXPECT_EQ(all().size(), 2);
}

TEST_F(TablesTest, PeopleFacesAreFoundByPathAndWholeRectangle)
{
    Opened<PeopleFaceDB> faces;
    Opened<PeopleInfoDB> people;
    PEOPLE_FACE target;
    target.fullPath = QStringLiteral("/p/group \"photo\".jpg");
    target.left = 10;
    target.top = 20;
    target.bottom = 60;
    target.name = QStringLiteral("old");
    for (int right : {50, 51}) {
        target.right = right;
        ASSERT_TRUE(faces->insertRecord(&target));
    }
    target.right = 50;
    target.name = hostileName;
    EXPECT_TRUE(faces->updateRecord(&target));
    EXPECT_EQ(faces.rows(QStringLiteral("select name from PeopleFace order by id")),
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
    EXPECT_EQ(faces.rows(QStringLiteral("select right from PeopleFace")), (QList<QVariantList>{{51}}));

    PEOPLE_INFO person;
    person.name = hostileName;
    person.peopleGUID = QUuid::createUuid().toString();
    ASSERT_TRUE(people->insertRecord(&person));
    EXPECT_EQ(velorin::selectFirstRow(people.table, PeopleInfoDB::SelectNameByGuid, {person.peopleGUID}),
              QVariantList{hostileName});
    EXPECT_TRUE(people->isTableCreated(QStringLiteral("PeopleInfo"))) << "still there";
    EXPECT_TRUE(people->deleteRecord(person.name));
    EXPECT_TRUE(people.rows(QStringLiteral("select * from PeopleInfo")).isEmpty());
}

// Six tables offer no update: it fails and writes nothing.
TEST_F(TablesTest, UpdatesThatAreNotOffered)
{
    Opened<AlbumInfoDB> albums;
    Opened<OnlineAlbumInfoDB> onlineAlbums;
    Opened<OnlineImageInfoDB> online;
    Opened<PeopleInfoDB> people;
    Opened<PeopleGroupDB> groups;
    Opened<PeopleGroupPeopleListDB> members;
    DBAlbumInfo album;
    DBOnlineAlbumInfo onlineAlbum;
    DBOnlineImageInfo photo;
    PEOPLE_INFO person;
    DBPeopleGroup group;
    DBPeopleGroupPeopleList member;
    album.name = onlineAlbum.name = photo.name = person.name = group.name = member.peopleGUID = QStringLiteral("a");
    ASSERT_TRUE(albums->insertRecord(&album) && onlineAlbums->insertRecord(&onlineAlbum) && online->insertRecord(&photo)
                && people->insertRecord(&person) && groups->insertRecord(&group) && members->insertRecord(&member));
    album.name = onlineAlbum.name = photo.name = person.name = group.name = member.peopleGUID = QStringLiteral("b");
    EXPECT_FALSE(albums->updateRecord(&album) || onlineAlbums->updateRecord(&onlineAlbum) || online->updateRecord(&photo)
                 || people->updateRecord(&person) || groups->updateRecord(&group) || members->updateRecord(&member));
    QList<QVariantList> stored;
    for (const auto& [table, sql] : {std::pair<SQLiteDatabase*, const char*>{&albums.table, "select name from AlbumInfo"},
                                     {&onlineAlbums.table, "select name from OnlineAlbumInfo"},
                                     {&online.table, "select name from OnlineImageInfo"},
                                     {&people.table, "select name from PeopleInfo"},
                                     {&groups.table, "select name from PeopleGroup"},
                                     {&members.table, "select peopleGUID from PeopleGroupPeopleList"}})
        stored += selectRows(*table, QLatin1String(sql));
    EXPECT_EQ(stored, QList<QVariantList>(6, {QStringLiteral("a")}));
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
    const auto stored = online.rows(QStringLiteral("select typeof(latitude), latitude, typeof(altitude), category, "
                                                   "imageId, syncUrl, longitude, altitude from OnlineImageInfo"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].mid(0, 6), (QVariantList{"text", "48.8584", "text", "c", "i", "https://example.invalid/s"}));
    EXPECT_EQ(std::pair(stored[0][6].toDouble(), stored[0][7].toDouble()), std::pair(10000.0, -10000000.0))
        << "the sentinels when unset";
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
    EXPECT_EQ(albums.rows(QStringLiteral("select ssDuration, ssColor, ssTransition, ssFIsMusicOn, "
                                         "ssMusicFullPathList, ssFIsRepeated from AlbumInfo")),
              (QList<QVariantList>{{-1, -1, -1, 0, "/m/a.mp3|/m/b.mp3", 1}})) << "unset settings are -1";

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
    EXPECT_TRUE(entries->deleteRecord(album.albumGUID));
    EXPECT_EQ(entries.rows(QStringLiteral("select albumGUID, fileID from AlbumFileList")),
              (QList<QVariantList>{{"other", "3"}})) << "fileID lives in a TEXT column";
    EXPECT_TRUE(onlineEntries->deleteRecord(album.albumGUID));
    EXPECT_EQ(onlineEntries.rows(QStringLiteral("select albumGUID from OnlineAlbumFileList")).size(), 1);
    EXPECT_TRUE(albums->deleteRecord(album.albumGUID));
    EXPECT_TRUE(albums.rows(QStringLiteral("select id from AlbumInfo")).isEmpty());
}

// --- many threads, several tables, two files ----------------------------------

// Six threads write at once: two through one shared image table (a
// connection each) in short transactions that hold the write lock across
// statements, the tags into the same file, and the three video tables into
// theirs, each creating its table first. The busy timeout makes each wait for
// the others instead of failing, so every row arrives.
TEST_F(TablesTest, WritersOnOneFileWaitForEachOther)
{
    ImageInfoDB images;
    TagListDB tags;
    VideoInfoDB videos;
    VideoPlayListDB lists;
    VideoPlayListMappingDB mapping;
    constexpr int count = 100;
    const auto image = [&](int i) { DBImageInfo r; r.fullPath = QString::number(i); return images.insertRecord(&r); };
    const auto tag = [&](int i) { QString t = QString::number(i); return tags.insertRecord(t); };
    const auto video = [&](int i) { DBVideoInfo r; r.fullPath = QString::number(i); return videos.insertRecord(&r) && r.id > 0; };
    const auto list = [&](int i) { DBVideoPlayListInfo r; r.albumGUID = QString::number(i); return lists.insertRecord(&r) && r.id > 0; };
    const auto entry = [&](int i) {
        DBVideoPlayListMappingInfo r;
        r.albumGUID = QStringLiteral("g");
        r.fullPath = QString::number(r.fileID = i);
        return mapping.insertRecord(&r) && r.id > 0;
    };
    struct Writer
    {
        SQLiteDatabase* table;
        bool inTransaction;
        std::function<bool(int)> insert;
        int first = 0;
    };
    const std::vector<Writer> writers = {{&images, true, image},  {&images, true, image, count}, {&tags, false, tag},
                                         {&videos, false, video}, {&lists, false, list},         {&mapping, false, entry}};
    std::atomic<int> ready{0}, failures{0};
    std::vector<std::thread> threads;
    for (const Writer& w : writers) {
        threads.emplace_back([&] {
            failures += !(w.table->openConnection() && w.table->createTable());
            for (++ready; ready.load() < int(writers.size());)
                std::this_thread::yield();
            for (int i = 0; i < count; ++i) {
                if (w.inTransaction)
                    w.table->getDatabase().transaction();
                failures += !w.insert(w.first + i);
                if (w.inTransaction)
                    failures += !w.table->getDatabase().commit();
            }
            w.table->closeConnection();
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    Opened<ImageInfoDB> photoFile;
    Opened<VideoInfoDB> videoFile;
    for (const auto& [table, file, rows] : {std::tuple<const char*, SQLiteDatabase*, int>{"ImageInfo", &photoFile.table, 2 * count},
                                            {"TagList", &photoFile.table, count}, {"VideoInfo", &videoFile.table, count},
                                            {"VideoPlayList", &videoFile.table, count},
                                            {"VideoPlayListMapping", &videoFile.table, count}})
        EXPECT_EQ(selectValue(*file, QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toInt(), rows)
            << table;
}

} // namespace
