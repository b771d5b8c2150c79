#pragma once

// Umbrella header of libvelorin: includes every exported class.

#include <velorin/global.h>

#include <velorin/core/chunkedvector.h>
#include <velorin/core/collectioncore.h>
#include <velorin/core/dberror.h>
#include <velorin/core/sortedviewcore.h>
#include <velorin/core/sqlitedatabase.h>
#include <velorin/core/sqlitetable.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/core/tablegroup.h>
#include <velorin/core/updatebuilder.h>
#include <velorin/core/viewentry.h>
#include <velorin/core/viewordering.h>
#include <velorin/core/writetransaction.h>

#include <velorin/env/appfolders.h>
#include <velorin/env/islideshowfile.h>
#include <velorin/env/localizedstrings.h>

#include <velorin/db/addrlistdb.h>
#include <velorin/db/albumentrytable.h>
#include <velorin/db/albumfilelistdb.h>
#include <velorin/db/albuminfodb.h>
#include <velorin/db/countedlisttable.h>
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
#include <velorin/db/records.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/db/taglistdb.h>
#include <velorin/db/thumbnailstore.h>
#include <velorin/db/videoinfodb.h>
#include <velorin/db/videoplaylistdb.h>
#include <velorin/db/videoplaylistmappingdb.h>

#include <velorin/photo/cisloadcancled.h>
#include <velorin/photo/kivphotoalbum.h>
#include <velorin/photo/kivphotoalbums.h>
#include <velorin/photo/kivphotoaddresses.h>
#include <velorin/photo/kivphotofile.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/photo/kivphotofilessort.h>
#include <velorin/photo/kivphototags.h>
#include <velorin/photo/kivviewphotofile.h>
#include <velorin/photo/photoupdateflag.h>
#include <velorin/photo/photoviewinterfaces.h>
#include <velorin/photo/photowriter.h>

#include <velorin/video/kivvideofile.h>
#include <velorin/video/kivvideofiles.h>
#include <velorin/video/kivvideofilessort.h>
#include <velorin/video/kivvideoplaylist.h>
#include <velorin/video/kivvideoplaylists.h>
#include <velorin/video/kivviewvideofile.h>
#include <velorin/video/videobackgroundservice.h>
#include <velorin/video/videoupdateflag.h>
#include <velorin/video/videoviewinterfaces.h>
#include <velorin/video/videowriter.h>

#include <velorin/import/addfiletophotolibrary.h>
#include <velorin/import/addfiletovideolibrary.h>
#include <velorin/import/supportmediatypes.h>

#include <velorin/imaging/exifproperties.h>
#include <velorin/imaging/exifpropertyreader.h>
#include <velorin/imaging/exifpropertywriter.h>
#include <velorin/imaging/zellibhelper.h>
#include <velorin/imaging/zelpicture.h>

#include <velorin/service/databaseservice.h>
#include <velorin/service/velorin.h>
