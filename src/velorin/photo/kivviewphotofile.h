#pragma once

#include <velorin/global.h>
#include <velorin/core/viewentry.h>

class KivPhotoFile;

// What a photo view keeps per shown photo: the collection's object (not
// owned), selected, focus.
class VELORIN_EXPORT KivViewPhotoFile : public ViewEntry<KivPhotoFile>
{
public:
    void setKivPhotoFile(KivPhotoFile* photo) { setElement(photo); }
    KivPhotoFile* getKivPhotoFile() const { return element(); }
};
