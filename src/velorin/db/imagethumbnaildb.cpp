#include "imagethumbnaildb.h"

#include "thumbnailstore_p.h"

ImageThumbnailDB::ImageThumbnailDB(const TableDescription& description)
    : ThumbnailStore(description)
{
}

ImageThumbnailDB::~ImageThumbnailDB() = default;

VELORIN_DEFINE_THUMBNAIL_SIZE(ImageThumbnailMiniDB, ImageThumbnailDB, "ImageThumbnail", "Mini")
VELORIN_DEFINE_THUMBNAIL_SIZE(ImageThumbnailSmallDB, ImageThumbnailDB, "ImageThumbnail", "Small")
VELORIN_DEFINE_THUMBNAIL_SIZE(ImageThumbnailMediumDB, ImageThumbnailDB, "ImageThumbnail", "Medium")
VELORIN_DEFINE_THUMBNAIL_SIZE(ImageThumbnailLargeDB, ImageThumbnailDB, "ImageThumbnail", "Large")
