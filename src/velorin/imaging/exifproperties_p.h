#pragma once

#include <velorin/imaging/exifproperties.h>

#include <QByteArray>
#include <QString>

#include <span>

// The property table shared by the Exiv2 bridge, GetImageExif, the EXIF
// reader and the writer.
namespace velorin::exif {

enum class RawForm : quint8 {
    Text,      // UTF-16, zero-terminated
    Rational,  // uint32 numerator, uint32 denominator
    SRational, // int32 numerator, int32 denominator
    Short,     // uint16
    Byte,      // uint8
    Version,   // 4 bytes
    Long,      // uint32
    GpsTriple, // three rationals
    GpsRef,    // UTF-16 letter + 0
};

struct PropertyRow
{
    int id;
    const char* key;      // Exiv2 key; null for properties no tag carries
    const char* fallback; // read when key is absent; never written
    RawForm form;
    int offset;           // offsetof the member in _EXIF_INFORMATION, -1 when none
};

// Every property. The first ReadListSize rows are the ones GetImageExif
// copies, in its order; a row's index there is its presence bit.
std::span<const PropertyRow> propertyTable();
inline constexpr int ReadListSize = 64;
const PropertyRow* findProperty(int id);

// The row's presence bit in _EXIF_INFORMATION, -1 when it has none.
int presenceBit(const PropertyRow& row);
bool isPresent(const _EXIF_INFORMATION& info, int bit);
// The raw value the structure holds for the row (rawSize(row) bytes), empty
// when its presence bit is clear.
QByteArray storedValue(const _EXIF_INFORMATION& info, const PropertyRow& row);

// Size in bytes of a value in this raw form; for texts the largest, the
// terminating zero included.
int rawSize(const PropertyRow& row);

// Raw texts: UTF-16 with a terminating zero, cut to capacity characters
// (zero included) without splitting a surrogate pair.
QByteArray textBytes(QString text, int capacity = TextCapacity);
// The text up to the first zero (or the end of bytes).
QString textFromBytes(const QByteArray& bytes);

// A sound annotation larger than this is not taken: the recordings cameras
// make beside their pictures last seconds, a few megabytes at most.
inline constexpr qint64 MaxSoundBytes = 64 * 1024 * 1024;

} // namespace velorin::exif
