#pragma once

#include <velorin/global.h>

#include <array>
#include <atomic>

#include <velorin/db/addrlistdb.h>
#include <velorin/db/albumfilelistdb.h>
#include <velorin/db/albuminfodb.h>
#include <velorin/db/imagefaceinfodb.h>
#include <velorin/db/imageinfodb.h>
#include <velorin/db/imagethumbnaildb.h>
#include <velorin/db/onlinealbumfilelistdb.h>
#include <velorin/db/onlinealbuminfodb.h>
#include <velorin/db/onlineimageinfodb.h>
#include <velorin/db/onlineimagethumbnaildb.h>
#include <velorin/db/peoplefacedb.h>
#include <velorin/db/peoplegroupdb.h>
#include <velorin/db/peoplegrouppeoplelistdb.h>
#include <velorin/db/peopleinfodb.h>
#include <velorin/db/taglistdb.h>
#include <velorin/db/videoinfodb.h>
#include <velorin/db/videoplaylistdb.h>
#include <velorin/db/videoplaylistmappingdb.h>

namespace velorin {

// The 24 table objects of the catalogue, opened, created and closed as a
// group for one side: the photo side (photos, thumbnails, albums, tags,
// places, people, faces, online photos) or the video side (videos and
// playlists).
//
// Every thread that uses the tables opens its own connections, either all of
// a side with open()/close() or one table at a time; calls nest and threads
// are independent (SQLiteDatabase). There is no lock here. The side flag is
// one for all threads: close() closes the side of the most recent open(),
// whichever thread made it.
//
// The library has one set, the database service at its top; the layers
// under the service reach it through catalogueTables().
class VELORIN_EXPORT CatalogueTables
{
public:
    CatalogueTables(const CatalogueTables&) = delete;
    CatalogueTables& operator=(const CatalogueTables&) = delete;

    // Opens this thread's connections to every table of the side, then
    // creates missing tables and indexes. When a file of the side cannot be
    // used (not a database, a folder that cannot be made),
    // velorin::lastDbError() on the calling thread says why right after, and
    // statements on its tables fail. A file is never replaced.
    void open(bool photoSide);
    // Closes this thread's connections to the side of the last open().
    void close();

    // The four thumbnail stores of local and of online photos: mini, small,
    // medium, large.
    std::array<ThumbnailStore*, 4> imageThumbnailStores();
    std::array<ThumbnailStore*, 4> onlineImageThumbnailStores();

    AlbumFileListDB* getAlbumFileListDB() { return &albumFileListDB; }
    AlbumInfoDB* getAlbumInfoDB() { return &albumInfoDB; }
    ImageInfoDB* getImageInfoDB() { return &imageInfoDB; }
    VideoInfoDB* getVideoInfoDB() { return &videoInfoDB; }
    VideoPlayListDB* getVideoPlayListDB() { return &videoPlayListDB; }
    VideoPlayListMappingDB* getVideoPlayListMappingDB() { return &videoPlayListMappingDB; }
    ImageThumbnailMiniDB* getImageThumbnailMiniDB() { return &imageThumbnailMiniDB; }
    ImageThumbnailSmallDB* getImageThumbnailSmallDB() { return &imageThumbnailSmallDB; }
    ImageThumbnailMediumDB* getImageThumbnailMediumDB() { return &imageThumbnailMediumDB; }
    ImageThumbnailLargeDB* getImageThumbnailLargeDB() { return &imageThumbnailLargeDB; }
    PeopleFaceDB* getPeopleFaceDB() { return &peopleFaceDB; }
    PeopleGroupDB* getPeopleGroupDB() { return &peopleGroupDB; }
    PeopleGroupPeopleListDB* getPeopleGroupPeopleListDB() { return &peopleGroupPeopleListDB; }
    PeopleInfoDB* getPeopleInfoDB() { return &peopleInfoDB; }
    ImageFaceInfoDB* getImageFaceInfoDB() { return &imageFaceInfoDB; }
    AddrListDB* getAddrListDB() { return &addrListDB; }
    TagListDB* getTagListDB() { return &tagListDB; }
    OnlineAlbumFileListDB* getOnlineAlbumFileListDB() { return &onlineAlbumFileListDB; }
    OnlineAlbumInfoDB* getOnlineAlbumInfoDB() { return &onlineAlbumInfoDB; }
    OnlineImageInfoDB* getOnlineImageInfoDB() { return &onlineImageInfoDB; }
    OnlineImageThumbnailMiniDB* getOnlineImageThumbnailMiniDB() { return &onlineImageThumbnailMiniDB; }
    OnlineImageThumbnailSmallDB* getOnlineImageThumbnailSmallDB() { return &onlineImageThumbnailSmallDB; }
    OnlineImageThumbnailMediumDB* getOnlineImageThumbnailMediumDB() { return &onlineImageThumbnailMediumDB; }
    OnlineImageThumbnailLargeDB* getOnlineImageThumbnailLargeDB() { return &onlineImageThumbnailLargeDB; }

protected:
    CatalogueTables();
    ~CatalogueTables();

private:
    // In the order their connections are opened and their tables created.
    std::array<SQLiteTable*, 21> photoSideTables();
    std::array<SQLiteTable*, 3> videoSideTables();

    // Constructed in this order, destroyed in the reverse one.
    std::atomic<bool> photoSide{true};
    AlbumFileListDB albumFileListDB;
    AlbumInfoDB albumInfoDB;
    ImageInfoDB imageInfoDB;
    ImageThumbnailMiniDB imageThumbnailMiniDB;
    ImageThumbnailSmallDB imageThumbnailSmallDB;
    ImageThumbnailMediumDB imageThumbnailMediumDB;
    ImageThumbnailLargeDB imageThumbnailLargeDB;
    ImageFaceInfoDB imageFaceInfoDB;
    AddrListDB addrListDB;
    TagListDB tagListDB;
    VideoInfoDB videoInfoDB;
    VideoPlayListDB videoPlayListDB;
    VideoPlayListMappingDB videoPlayListMappingDB;
    PeopleFaceDB peopleFaceDB;
    PeopleGroupDB peopleGroupDB;
    PeopleGroupPeopleListDB peopleGroupPeopleListDB;
    PeopleInfoDB peopleInfoDB;
    OnlineAlbumFileListDB onlineAlbumFileListDB;
    OnlineAlbumInfoDB onlineAlbumInfoDB;
    OnlineImageInfoDB onlineImageInfoDB;
    OnlineImageThumbnailMiniDB onlineImageThumbnailMiniDB;
    OnlineImageThumbnailSmallDB onlineImageThumbnailSmallDB;
    OnlineImageThumbnailMediumDB onlineImageThumbnailMediumDB;
    OnlineImageThumbnailLargeDB onlineImageThumbnailLargeDB;
};

// The library's set of tables: the database service, registered when the
// library is loaded; never null once the library's static objects exist.
VELORIN_EXPORT CatalogueTables* catalogueTables();

} // namespace velorin
