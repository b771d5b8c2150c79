#include "onlineimagethumbnaildb.h"

#include "thumbnailstore_p.h"

OnlineImageThumbnailDB::OnlineImageThumbnailDB(const TableDescription& description)
    : ThumbnailStore(description)
{
}

OnlineImageThumbnailDB::~OnlineImageThumbnailDB() = default;

VELORIN_DEFINE_THUMBNAIL_SIZE(OnlineImageThumbnailMiniDB, OnlineImageThumbnailDB, "OnlineImageThumbnail", "Mini")
VELORIN_DEFINE_THUMBNAIL_SIZE(OnlineImageThumbnailSmallDB, OnlineImageThumbnailDB, "OnlineImageThumbnail", "Small")
VELORIN_DEFINE_THUMBNAIL_SIZE(OnlineImageThumbnailMediumDB, OnlineImageThumbnailDB, "OnlineImageThumbnail", "Medium")
VELORIN_DEFINE_THUMBNAIL_SIZE(OnlineImageThumbnailLargeDB, OnlineImageThumbnailDB, "OnlineImageThumbnail", "Large")
