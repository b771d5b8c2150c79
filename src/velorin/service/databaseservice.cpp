#include "databaseservice.h"

#include <initializer_list>

namespace {

// Constructed when the library is loaded, before any application call; its
// destructor leaves connections alone (applications close them first).
DatabaseService theService;

} // namespace

DatabaseService* getDatabaseService()
{
    return &theService;
}

DatabaseService::DatabaseService() = default;
DatabaseService::~DatabaseService() = default;

void DatabaseService::Initialize(bool mode)
{
    photoMode = mode;

    if (!mode) {
        for (SQLiteDatabase* table : std::initializer_list<SQLiteDatabase*>{
                 &videoInfoDB, &videoPlayListDB, &videoPlayListMappingDB})
            table->openConnection();
        // The VideoInfo index is the application's to create.
        videoInfoDB.createTable();
        videoPlayListDB.createTable();
        videoPlayListMappingDB.createTable();
        return;
    }

    // Every connection first, so that no table is created before all are
    // open; then tables and indexes in a fixed order.
    for (SQLiteDatabase* table : std::initializer_list<SQLiteDatabase*>{
             &albumFileListDB, &albumInfoDB, &imageInfoDB, &imageThumbnailMiniDB,
          &imageThumbnailSmallDB, &imageThumbnailMediumDB, &imageThumbnailLargeDB, &imageFaceInfoDB,
          &peopleFaceDB, &peopleGroupDB, &peopleGroupPeopleListDB, &peopleInfoDB, &onlineAlbumFileListDB,
          &onlineAlbumInfoDB, &onlineImageInfoDB, &onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB,
          &onlineImageThumbnailMediumDB, &onlineImageThumbnailLargeDB, &addrListDB, &tagListDB})
        table->openConnection();

    albumFileListDB.createTable();
    albumInfoDB.createTable();
    imageInfoDB.createTable();
    imageInfoDB.createIndex();
    for (ThumbnailStore* store : std::initializer_list<ThumbnailStore*>{
             &imageThumbnailMiniDB, &imageThumbnailSmallDB, &imageThumbnailMediumDB, &imageThumbnailLargeDB}) {
        store->createTable();
        store->createIndex();
    }
    imageFaceInfoDB.createTable();
    peopleFaceDB.createTable();
    peopleGroupDB.createTable();
    peopleGroupPeopleListDB.createTable();
    peopleInfoDB.createTable();
    addrListDB.createTable();
    addrListDB.createIndex();
    tagListDB.createTable();
    tagListDB.createIndex();
    onlineAlbumFileListDB.createTable();
    onlineAlbumInfoDB.createTable();
    onlineImageInfoDB.createTable();
    onlineImageInfoDB.createIndex();
    for (ThumbnailStore* store : std::initializer_list<ThumbnailStore*>{
             &onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB, &onlineImageThumbnailMediumDB,
             &onlineImageThumbnailLargeDB}) {
        store->createTable();
        store->createIndex();
    }
}

void DatabaseService::UnInitialize()
{
    const std::initializer_list<SQLiteDatabase*> photoSide = {
        &albumFileListDB, &albumInfoDB, &imageInfoDB, &imageThumbnailMiniDB, &imageThumbnailSmallDB,
        &imageThumbnailMediumDB, &imageThumbnailLargeDB, &imageFaceInfoDB, &peopleFaceDB, &peopleGroupDB,
        &peopleGroupPeopleListDB, &peopleInfoDB, &addrListDB, &tagListDB, &onlineAlbumFileListDB,
        &onlineAlbumInfoDB, &onlineImageInfoDB, &onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB,
        &onlineImageThumbnailMediumDB, &onlineImageThumbnailLargeDB};
    const std::initializer_list<SQLiteDatabase*> videoSide = {&videoInfoDB, &videoPlayListDB,
                                                              &videoPlayListMappingDB};
    for (SQLiteDatabase* table : photoMode.load() ? photoSide : videoSide)
        table->closeConnection();
}
