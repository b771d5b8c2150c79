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
        for (SQLiteTable* table : videoSideTables())
            failure.check(table->openConnection());
        // The VideoInfo index is the application's to create.
        for (SQLiteTable* table : videoSideTables())
            failure.check(table->createTable());
        return;
    }

    // Every connection first, so that no table is created before all are
    // open; then each table with its indexes, in the same order.
    for (SQLiteTable* table : photoSideTables())
        failure.check(table->openConnection());
    for (SQLiteTable* table : photoSideTables()) {
        failure.check(table->createTable());
        table->createIndex();
    }
}

void CatalogueTables::close()
{
    if (photoSide.load()) {
        for (SQLiteTable* table : photoSideTables())
            table->closeConnection();
    } else {
        for (SQLiteTable* table : videoSideTables())
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

std::array<SQLiteTable*, 21> CatalogueTables::photoSideTables()
{
    return {&albumFileListDB, &albumInfoDB, &imageInfoDB, &imageThumbnailMiniDB, &imageThumbnailSmallDB,
            &imageThumbnailMediumDB, &imageThumbnailLargeDB, &imageFaceInfoDB, &peopleFaceDB, &peopleGroupDB,
            &peopleGroupPeopleListDB, &peopleInfoDB, &onlineAlbumFileListDB, &onlineAlbumInfoDB,
            &onlineImageInfoDB, &onlineImageThumbnailMiniDB, &onlineImageThumbnailSmallDB,
            &onlineImageThumbnailMediumDB, &onlineImageThumbnailLargeDB, &addrListDB, &tagListDB};
}

std::array<SQLiteTable*, 3> CatalogueTables::videoSideTables()
{
    return {&videoInfoDB, &videoPlayListDB, &videoPlayListMappingDB};
}

} // namespace velorin
