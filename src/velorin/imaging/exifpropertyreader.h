#pragma once

#include <velorin/global.h>
#include <velorin/imaging/exifproperties.h>

#include <QString>

// Copies the raw metadata of the picture file at path (zero-terminated
// UTF-16) into info, reading only the file's header. JPEG and TIFF files
// (camera RAW files included) count only when they carry Exif data; PNG and
// WebP always do. When the picture names a sound annotation, the library's
// copy of it is deleted at once and info->hasAudio set. Returns 1 when the
// file carries metadata, else 0 (null or empty path, unreadable file, other
// formats); info is cleared first.
VELORIN_EXPORT int GetImageExif(const unsigned short* path, _EXIF_INFORMATION* info);

// Turns a picture's metadata into display texts: for each known property a
// localized label and a formatted value (an f-number, an exposure time, a
// focal length in millimetres, a date in the user's format, GPS degrees and
// minutes), kept in a table keyed by the property number (see
// exifproperties.h).
//
// Use one reader per picture: construct, import, query, destroy. The table
// belongs to the calling thread, so readers on different threads never see
// each other's values; the destructor empties the calling thread's table,
// and the pointers GetPropNameByID and GetPropValueByID return stay valid
// until then (or until the next import replaces that property).
//
// Labels, units and enumerated values come from the resource strings
// "VelorinRes.xml" (CLocalizedStrings), loaded by the first reader and
// shared by all readers alive at the same time; without the file they are
// empty, and labels and enumerated values are then absent.
class VELORIN_EXPORT CExifPropertyReader
{
public:
    CExifPropertyReader();
    ~CExifPropertyReader();
    CExifPropertyReader(const CExifPropertyReader&) = delete;
    CExifPropertyReader& operator=(const CExifPropertyReader&) = delete;

    // Formats the metadata of the file at path, read from its header. 1 when
    // formatting ran (the file carries metadata), else 0. Deletes the sound
    // annotation copy of the previous import and keeps this file's, if any.
    int ImportExifInfo(const unsigned short* path);
    // Formats the metadata GetImageExif copied. 0 when info is null or empty.
    int ImportExifInfo(_EXIF_INFORMATION* info);
    // Writes into out (260 characters, zero included) the path of a copy of
    // the sound annotation the file at path names. 1 when a path was
    // written. The copy lives until this reader's next import or look-up.
    int GetAudioFile(const unsigned short* path, unsigned short* out);

    // The label and the formatted value of a property; null when absent.
    const unsigned short* GetPropNameByID(long id);
    const unsigned short* GetPropValueByID(long id);

private:
    // The sound annotation copy of the last imported picture.
    QString m_audioPath;
};
