#include "velorin.h"

#include <velorin/photo/kivphotoaddresses.h>
#include <velorin/photo/kivphotoalbums.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/photo/kivphototags.h>
#include <velorin/video/kivvideofiles.h>
#include <velorin/video/kivvideoplaylists.h>

namespace {

Velorin theFacade;

// Deletes a collection that exists and forgets it.
template <class T>
void release(T*& collection)
{
    delete collection;
    collection = nullptr;
}

} // namespace

// A photo removed for good gives back its tag and its place to the tag and
// place models and leaves every album, for those models that exist then.
void Velorin::releaseMemberships(DBImageInfo info)
{
    if (photoTags && !info.mediaTag.isEmpty())
        photoTags->deletePhotoTagToDB(info.mediaTag);
    if (photoAddresses && !info.address.isEmpty())
        photoAddresses->deletePhotoAddressToDB(info.address);
    if (photoAlbums)
        photoAlbums->delRecordFromAlbFileListDB(info.fullPath);
}

Velorin* getVelorin()
{
    return &theFacade;
}

Velorin::Velorin() = default;
Velorin::Velorin(const Velorin&) = default;
Velorin& Velorin::operator=(const Velorin&) = default;
Velorin::~Velorin() = default;

// Collections given another one at construction come after it. The
// collections of the subsystems still to come (online photos, albums,
// people, faces, videos, UPnP) join this list as they arrive.
void Velorin::Initialize(bool mode)
{
    photoMode = mode;
    if (mode) {
        if (!photoFiles)
            photoFiles = newPhotoFiles();
        if (!photoAlbums)
            photoAlbums = new KivPhotoAlbums(photoFiles, nullptr);
        if (!deletedPhotoFiles)
            deletedPhotoFiles = newPhotoFiles();
        if (!photoTags)
            photoTags = new KivPhotoTags(nullptr);
        if (!photoAddresses)
            photoAddresses = new KivPhotoAddresses(nullptr);
    } else {
        if (!videoFiles)
            videoFiles = new KivVideoFiles(nullptr);
        if (!videoPlaylists)
            videoPlaylists = new KivVideoPlaylists(videoFiles, nullptr);
    }
}

// A photo collection whose purges, on whichever thread, reach the tag, place
// and album models at once.
KivPhotoFiles* Velorin::newPhotoFiles()
{
    auto* files = new KivPhotoFiles(nullptr);
    QObject::connect(files, &KivPhotoFiles::photoFilePurged, files,
                     [this](const DBImageInfo& info) { releaseMemberships(info); }, Qt::DirectConnection);
    return files;
}

void Velorin::UnInitialize()
{
    // Albums go before the photos their views watch.
    release(photoAlbums);
    release(photoFiles);
    // The playlists, which watch the videos, go before them.
    release(videoPlaylists);
    release(videoFiles);
    release(deletedPhotoFiles);
    release(photoTags);
    release(photoAddresses);
}
