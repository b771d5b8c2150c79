#include "velorin.h"

#include <velorin/photo/kivphotoaddresses.h>
#include <velorin/photo/kivphotoalbums.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/photo/kivphototags.h>

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
            photoFiles = new KivPhotoFiles(nullptr);
        if (!photoAlbums)
            photoAlbums = new KivPhotoAlbums(photoFiles, nullptr);
        if (!deletedPhotoFiles)
            deletedPhotoFiles = new KivPhotoFiles(nullptr);
        if (!photoTags)
            photoTags = new KivPhotoTags(nullptr);
        if (!photoAddresses)
            photoAddresses = new KivPhotoAddresses(nullptr);
    }
}

void Velorin::UnInitialize()
{
    // Albums go before the photos their views watch.
    release(photoAlbums);
    release(photoFiles);
    release(deletedPhotoFiles);
    release(photoTags);
    release(photoAddresses);
}
