#pragma once

#include <velorin/global.h>
#include <velorin/imaging/exifproperties.h>

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QTemporaryFile;

namespace velorin::exif {
struct DisplayText;
}

// Copies the raw metadata of the picture file at path (zero-terminated
// UTF-16) into info, reading only the file's header. JPEG and TIFF files
// (camera RAW files included) count only when they carry Exif data; PNG and
// WebP always do. When the picture names a sound annotation beside it,
// info->hasAudio is set (no copy of it is made). Returns 1 when the file
// carries metadata, else 0 (null or empty path, unreadable file, other
// formats); info is cleared first.
VELORIN_EXPORT int GetImageExif(const unsigned short* path, _EXIF_INFORMATION* info);
// The same, and from the same reading of the file the orientation code of
// its stored pixels (0 when it has none) into *orientation (may be null).
VELORIN_EXPORT int GetImageExif(const unsigned short* path, _EXIF_INFORMATION* info, int* orientation);

// A picture's GPS position as numbers, computed from the raw rationals of
// info (degrees, minutes and seconds each with its own denominator) and the
// reference letters: decimal degrees, south and west negative; metres,
// below sea level negative. Latitude and longitude come as a pair or not at
// all: a rational with a zero denominator, a missing axis or a value beyond
// the poles or the date line means no position. Exact where the display
// texts round (minutes to hundredths, seconds to 0.01").
struct ExifPosition
{
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<double> altitude;
};
VELORIN_EXPORT ExifPosition GetExifPosition(const _EXIF_INFORMATION* info);

// An Exif date-time, "YYYY:MM:DD HH:MM:SS", as a date-time without a zone
// (the Exif time carries none); nothing when the text is not a valid one.
VELORIN_EXPORT std::optional<QDateTime> ExifDateTimeOf(const QString& text);

// Turns a picture's metadata into display texts: for each known property a
// localized label and a formatted value (an f-number, an exposure time, a
// focal length in millimetres, a date in the user's format, GPS degrees and
// minutes), kept in a table keyed by the property number (see
// exifproperties.h).
//
// Use one reader per picture: construct, import, query, destroy. The table
// is one for the process: every reader on every thread fills the same
// table, and every reader's destruction empties it, so a reader sees the
// values of the last import on any thread. Threads that must keep to their
// own picture format with FormatPropValue instead. The table is guarded by a
// lock; the texts GetPropNameByID and GetPropValueByID point at stay
// readable until this reader's next import or its destruction, even when
// another thread replaces or clears them meanwhile.
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
    // the sound annotation the file at path names, in the temporary folder.
    // 1 when a path was written. The copy is deleted at this reader's next
    // import or look-up, or with the reader.
    int GetAudioFile(const unsigned short* path, unsigned short* out);

    // The label and the formatted value of a property; null when absent.
    const unsigned short* GetPropNameByID(long id);
    const unsigned short* GetPropValueByID(long id);

    // The value text of one property of info as ImportExifInfo formats it,
    // leaving the shared table alone. Null when info has no such value.
    static QString FormatPropValue(const _EXIF_INFORMATION* info, long id);

private:
    // Copies the sound annotation of the file at path; false when it names
    // none or the copy fails.
    bool copySound(const QString& path);
    void dropImported();
    // The shared table's entry for id, kept alive for the caller.
    const velorin::exif::DisplayText* handOut(long id);

    // The copy of the sound annotation of the last imported picture.
    std::unique_ptr<QTemporaryFile> m_audioCopy;
    // The entries this reader handed out since its last import.
    std::vector<std::shared_ptr<const velorin::exif::DisplayText>> m_handedOut;
};
