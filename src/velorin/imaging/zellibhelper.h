#pragma once

#include <velorin/global.h>
#include <velorin/imaging/zelpicture.h>

#include <QByteArray>
#include <QList>
#include <QSize>

// A pixel size as the picture helper reports it.
struct tagSIZE
{
    long cx = 0;
    long cy = 0;
};

// Turns picture files into pixels and pixels back into files: full and
// thumbnail decodes shown upright by the picture's orientation code plus an
// extra rotation, the thumbnail blob (a complete 24-bit BMP file, rows bottom
// first, each padded to four bytes, zero resolution fields), pictures built
// from packed bitmaps, resampling, rotation, mirroring, automatic
// enhancement and saving with metadata.
//
// The helper keeps no state: every call works on picture objects of its own,
// so temporaries on several threads may be used at once. Paths are
// zero-terminated UTF-16 strings. Pictures returned to the caller carry one
// reference, released with Zel0Release. Nothing throws.
class VELORIN_EXPORT ZellibHelper
{
public:
    ZellibHelper() = default;
    ZellibHelper(const ZellibHelper&) = default;
    ZellibHelper& operator=(const ZellibHelper&) = default;
    virtual ~ZellibHelper();

    // Full decode, then the orientation code (autoRotate; the picture's code
    // then reads 1) and the extra clockwise rotation. Without autoRotate the
    // stored pixels come as they are, with their code. Null on failure.
    PubImage::ZelPicture* ReadPicture(const unsigned short* path, bool autoRotate, int rotate);
    // Decode shrunk to fit a box of width x height. Null on failure.
    PubImage::ZelPicture* ReadZelPictureThumbnail(const unsigned short* path, long width, long height);
    // Thumbnail decode, orientation, rotation and BMP blob; the outs receive
    // the blob's pixel size. Empty on failure.
    QByteArray GetThumbnailUseZelLib(const unsigned short* path, int width, int height, int* outWidth,
                                     int* outHeight, bool autoRotate, int rotate);
    // Several square thumbnails of one picture from one decode: the picture
    // is decoded for the largest box and shown upright, then each smaller
    // box is scaled from the next larger result. Blobs come back in the
    // order of boxes (empty ones when the decode fails); sizes, when given,
    // receives each blob's pixel size, loadError the decode's
    // PubImage::ZelLoadError.
    QList<QByteArray> GetThumbnailsUseZelLib(const unsigned short* path, const QList<int>& boxes,
                                             bool autoRotate, int rotate, QList<QSize>* sizes = nullptr,
                                             int* loadError = nullptr);
    // The full picture, upright, as BMP blob.
    QByteArray GetPicture(const unsigned short* path);
    QByteArray GetPictureNotFlipLayer(const unsigned short* path, bool autoRotate, int rotate);

    // BMP blob of the picture. Leaves layer 1 mirrored top to bottom (mirror
    // it back with FlipZelPicture to keep using the picture).
    QByteArray ZelPicture2Bitmap(PubImage::ZelPicture* picture, int* width, int* height);
    // The same rows top row first and the picture untouched; empty when
    // layer 1 has no area.
    QByteArray ZelPicture2BitmapNotFlipLayer(PubImage::ZelPicture* picture, int* width, int* height);

    // A new picture of the size with no layers.
    PubImage::ZelPicture* CreateZelPicture(int width, int height);
    // A picture from a packed bitmap: 40-byte header, colour table, bottom-up
    // rows of 24 or 32 bits. Null on failure.
    PubImage::ZelPicture* DibDataToPicture(unsigned char* dib);
    // Packed bitmap -> picture -> resample to width x height when both are
    // non-zero -> automatic enhancement when asked -> SaveImgFile. 1 on success.
    int SaveBitmaptoFile(unsigned char* dib, const unsigned short* path, void* exifSource, int width,
                         int height, int autoEnhance);
    // Writes the picture in the format the path's extension names, with the
    // pixel size, the current time, and the camera fields and GPS position of
    // exifSource (an _EXIF_INFORMATION; may be null). Metadata decoded with
    // the picture is not written (and is dropped from it); pixels shown
    // upright get no orientation code. 1 on success.
    int SaveImgFile(PubImage::ZelPicture* picture, const unsigned short* path, void* exifSource);
    // Turns every layer counter-clockwise by degrees (0 is a full turn). 1 on success.
    int RotatePicture(PubImage::ZelPicture* picture, int degrees);
    // Mirrors layer 1 top to bottom, in place.
    void FlipZelPicture(PubImage::ZelPicture* picture);
    // The stored pixel size, read from the header; (0, 0) on failure.
    tagSIZE GetPictureSize(const unsigned short* path);

private:
    PubImage::ZelPicture* ResamplePicture(PubImage::ZelPicture* picture, long width, long height, int keepAspect);
    int DoAutoEnhance(PubImage::ZelPicture* picture);
    int FindPaintLyr(PubImage::ZelPicture* picture);
};
