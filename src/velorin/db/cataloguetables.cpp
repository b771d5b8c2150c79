#include "cataloguetables.h"

#include <velorin/core/dberror.h>

namespace velorin {

namespace {

// The set of the library: the first one made, which is the database
// service's, made when the library is loaded.
std::atomic<CatalogueTables*> theTables{nullptr};

} // namespace

CatalogueTables* catalogueTables()
{
    return theTables.load(std::memory_order_acquire);
}

CatalogueTables::CatalogueTables()
{
    CatalogueTables* none = nullptr;
    theTables.compare_exchange_strong(none, this, std::memory_order_acq_rel);
}

CatalogueTables::~CatalogueTables()
{
    CatalogueTables* self = this;
    theTables.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

namespace {

// Keeps the first failure of a table's creation, so that the calling thread
// learns from lastDbError() why its catalogue is unusable (a file that is
// not a database, a folder that cannot be written) rather than the last
// statement's outcome.
class FirstFailure
{
public:
    FirstFailure() { clearDbError(); }
    ~FirstFailure() { setDbError(first); }
    void check(bool ok)
    {
        if (!ok && first.failure == DbFailure::None)
            first = lastDbError();
    }

private:
    DbError first;
};

} // namespace

void CatalogueTables::open(bool mode)
{
    photoSide = mode;
    FirstFailure failure;

    if (!mode) {
        for (SQLiteDatabase* table : videoSideTables())
            failure.check(table->openConnection());
        // The VideoInfo index is the application's to create.
        failure.check(videoInfoDB.createTable());
        failure.check(videoPlayListDB.createTable());
        failure.check(videoPlayListMappingDB.createTable());
        return;
    }

    // Every connection first, so that no table is created before all are
    // open; then tables and indexes in a fixed order.
    for (SQLiteDatabase* table : photoSideTables())
        failure.check(table->openConnection());

    failure.check(albumFileListDB.createTable());
    failure.check(albumInfoDB.createTable());
    failure.check(imageInfoDB.createTable());
    imageInfoDB.createIndex();
    for (ThumbnailStore* store : imageThumbnailStores()) {
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
    for (ThumbnailStore* store : onlineImageThumbnailStores()) {
        failure.check(store->createTable());
        store->createIndex();
    }
}

void CatalogueTables::close()
{
    if (photoSide.load()) {
        for (SQLiteDatabase* table : photoSideTables())
            table->closeConnection();
    } else {
        for (SQLiteDatabase* table : videoSideTables())
            table->closeConnection();
    }
}

std::array<ThumbnailStore*, 4> CatalogueTables::imageThumbnailStores()
{
    return {&imageThumbnailMiniDB, &imageThumbnailSmallDB, &imageThumbnailMediumDB, &imageThumbnailLargeDB};
}

std::array<ThumbnailStore*, 4> CatalogueTables::onlineImageThumbnailStores()
{
    return {&onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB, &onlineImageThumbnailMediumDB,
            &onlineImageThumbnailLargeDB};
}

std::array<SQLiteDatabase*, 21> CatalogueTables::photoSideTables()
{
    return {&albumFileListDB, &albumInfoDB, &imageInfoDB, &imageThumbnailMiniDB, &imageThumbnailSmallDB,
            &imageThumbnailMediumDB, &imageThumbnailLargeDB, &imageFaceInfoDB, &peopleFaceDB, &peopleGroupDB,
            &peopleGroupPeopleListDB, &peopleInfoDB, &onlineAlbumFileListDB, &onlineAlbumInfoDB,
            &onlineImageInfoDB, &onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB,
            &onlineImageThumbnailMediumDB, &onlineImageThumbnailLargeDB, &addrListDB, &tagListDB};
}

std::array<SQLiteDatabase*, 3> CatalogueTables::videoSideTables()
{
    return {&videoInfoDB, &videoPlayListDB, &videoPlayListMappingDB};
}

} // namespace velorin
