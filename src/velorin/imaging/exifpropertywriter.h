#pragma once

#include <velorin/global.h>

#include <QByteArray>
#include <QDateTime>

namespace PubImage {
class ZelPicture;
}

// A rational: signed numerator, then denominator.
struct _ZELDIV
{
    qint32 num;
    qint32 den;
};

// Puts metadata onto a picture before it is saved: pixel dimensions, the
// local time, camera, resolution and GPS fields copied from the source
// photograph, an orientation code and an embedded thumbnail. Each value is
// set as a raw picture property (see exifproperties.h); the picture layer
// writes them into the file on save. exifSource is an _EXIF_INFORMATION read
// from the source photograph by GetImageExif.
//
// The object owns the last thumbnail it prepared (a descriptor and a packed
// bitmap); FreeCache() drops them, the destructor leaves them to it (they are
// plain byte arrays and go with the object anyway). Copies share nothing.
class VELORIN_EXPORT CExifPropertyWriter
{
public:
    CExifPropertyWriter() = default;
    CExifPropertyWriter(const CExifPropertyWriter&) = default;
    CExifPropertyWriter& operator=(const CExifPropertyWriter&) = default;
    virtual ~CExifPropertyWriter();

    // 11529 and 11530 = the picture's width and height. 1; 0 for null.
    static int SetNormalExifInfo(PubImage::ZelPicture* picture);
    // 11020 = the local time as "YYYY:MM:DD HH:MM:SS". 1; 0 for null.
    static int SetExifTime(PubImage::ZelPicture* picture);
    static int SetExifTime(PubImage::ZelPicture* picture, const QDateTime& localTime);
    // Nothing to add; 1.
    static int SetExifExtend(PubImage::ZelPicture* picture);
    // The source's orientation and maker, and a resolution of 180 dots per
    // inch on both axes. 0 when either argument is null.
    static int SetExifCamera(PubImage::ZelPicture* picture, void* exifSource);
    // The source's GPS position: references, latitude, longitude and
    // altitude, with the altitude above sea level. Only what the source has
    // is copied, so a source without a position gives the picture none.
    // 0 when either argument is null.
    int SetExifGPSInfo(PubImage::ZelPicture* picture, void* exifSource);
    // 11010 = code; 0 for a null picture. Code 0 means "none": the saved
    // file then carries no orientation.
    static int SetExifOrientation(PubImage::ZelPicture* picture, unsigned short code);

    // Whole degrees, whole minutes and seconds to a thousandth (cut, not
    // rounded) of |value|; the hemisphere goes into the reference letters.
    void TransFloat2Degree(double value, _ZELDIV& degrees, _ZELDIV& minutes, _ZELDIV& seconds);

    // A new 24-bit picture holding layer 1 scaled to fit inside width x
    // height (aspect kept, smaller pictures grow). Null when the picture has
    // no layer 1 or scaling fails. The caller owns the result.
    PubImage::ZelPicture* CreateThumbnailImage(PubImage::ZelPicture* picture, long width, long height);
    // Makes thumbnail the embedded Exif thumbnail of target: property 10003
    // receives a packed bitmap (40-byte header, 1270 pixels per metre, rows
    // bottom-up of exactly width x 3 bytes), which the picture layer encodes
    // as JPEG into the file on save. 1 on success, 0 for null arguments or
    // when the bitmap cannot be allocated.
    int SetExifThumbnailImage(PubImage::ZelPicture* target, PubImage::ZelPicture* thumbnail);
    // Drops the prepared thumbnail. 1.
    int FreeCache();

private:
    // Six 32-bit words {2, 24, height, width, width x 3, offset of the
    // pixels in m_pixels}.
    QByteArray m_descriptor;
    // The packed bitmap handed to the picture.
    QByteArray m_pixels;
};
