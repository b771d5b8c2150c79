#include "records.h"

// The special members are defaulted here rather than in the header so that
// each of them is emitted once, in the library, as an exported symbol.
#define VELORIN_DEFINE_RECORD(Type)                       \
    Type::Type() = default;                               \
    Type::Type(const Type&) = default;                    \
    Type::Type(Type&&) noexcept = default;                \
    Type& Type::operator=(const Type&) = default;         \
    Type& Type::operator=(Type&&) noexcept = default;     \
    Type::~Type() = default;

VELORIN_DEFINE_RECORD(DBBaseInfo)
VELORIN_DEFINE_RECORD(DBImageCommonInfo)
VELORIN_DEFINE_RECORD(DBImageInfo)
VELORIN_DEFINE_RECORD(DBOnlineImageInfo)
VELORIN_DEFINE_RECORD(DBImageThumbnail)
VELORIN_DEFINE_RECORD(DBOnlineImageThumbnail)
VELORIN_DEFINE_RECORD(DBAlbumCommonInfo)
VELORIN_DEFINE_RECORD(DBAlbumInfo)
VELORIN_DEFINE_RECORD(DBOnlineAlbumInfo)
VELORIN_DEFINE_RECORD(DBAlbumFileList)
VELORIN_DEFINE_RECORD(DBOnlineAlbumFileList)
VELORIN_DEFINE_RECORD(DBTagInfo)
VELORIN_DEFINE_RECORD(DBAddressInfo)
VELORIN_DEFINE_RECORD(DBPeopleGroup)
VELORIN_DEFINE_RECORD(DBPeopleGroupPeopleList)
VELORIN_DEFINE_RECORD(DBImageFaceInfo)
VELORIN_DEFINE_RECORD(PEOPLE_FACE)
VELORIN_DEFINE_RECORD(PEOPLE_INFO)
VELORIN_DEFINE_RECORD(DBVideoInfo)
VELORIN_DEFINE_RECORD(DBVideoPlayListInfo)
VELORIN_DEFINE_RECORD(DBVideoPlayListMappingInfo)
VELORIN_DEFINE_RECORD(DBUPnPServerInfo)
