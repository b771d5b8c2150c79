#include "databaseservice.h"

#include <initializer_list>

#include <velorin/core/dberror.h>

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

namespace {

// Keeps the first failure of a table's creation, so that the calling thread
// learns from lastDbError() why its catalogue is unusable (a file that is
// not a database, a folder that cannot be written) rather than the last
// statement's outcome.
class FirstFailure
{
public:
    FirstFailure() { velorin::clearDbError(); }
    ~FirstFailure() { velorin::setDbError(first); }
    void check(bool ok)
    {
        if (!ok && first.failure == velorin::DbFailure::None)
            first = velorin::lastDbError();
    }

private:
    velorin::DbError first;
};

} // namespace

void DatabaseService::Initialize(bool mode)
{
    photoMode = mode;
    FirstFailure failure;

    if (!mode) {
        for (SQLiteDatabase* table : std::initializer_list<SQLiteDatabase*>{
                 &videoInfoDB, &videoPlayListDB, &videoPlayListMappingDB})
            failure.check(table->openConnection());
        // The VideoInfo index is the application's to create.
        failure.check(videoInfoDB.createTable());
        failure.check(videoPlayListDB.createTable());
        failure.check(videoPlayListMappingDB.createTable());
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
        failure.check(table->openConnection());

    failure.check(albumFileListDB.createTable());
    failure.check(albumInfoDB.createTable());
    failure.check(imageInfoDB.createTable());
    imageInfoDB.createIndex();
    for (ThumbnailStore* store : std::initializer_list<ThumbnailStore*>{
             &imageThumbnailMiniDB, &imageThumbnailSmallDB, &imageThumbnailMediumDB, &imageThumbnailLargeDB}) {
        failure.check(store->createTable());
        store->createIndex();
    }
    failure.check(imageFaceInfoDB.createTable());
    failure.check(peopleFaceDB.createTable());
    failure.check(peopleGroupDB.createTable());
    failure.check(peopleGroupPeopleListDB.createTable());
    failure.check(peopleInfoDB.createTable());
    failure.check(addrListDB.createTable());
    addrListDB.createIndex();
    failure.check(tagListDB.createTable());
    tagListDB.createIndex();
    failure.check(onlineAlbumFileListDB.createTable());
    failure.check(onlineAlbumInfoDB.createTable());
    failure.check(onlineImageInfoDB.createTable());
    onlineImageInfoDB.createIndex();
    for (ThumbnailStore* store : std::initializer_list<ThumbnailStore*>{
             &onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB, &onlineImageThumbnailMediumDB,
             &onlineImageThumbnailLargeDB}) {
        failure.check(store->createTable());
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
