#include "exifproperties_p.h"

#include <velorin/imaging/zelpicture.h>

#include <algorithm>
#include <cstddef>

namespace velorin::exif {

namespace {

#define MEMBER(name) int(offsetof(_EXIF_INFORMATION, name))

// One row per property: number, Exiv2 key, fallback key, raw form, member of
// _EXIF_INFORMATION. The first 64 rows are GetImageExif's read list in its
// order (a row's index is its presence bit); the rest are only written or
// only used by the picture layer. The Exif value sets decide what each
// number means: 11518 holds the metering mode and 11519 the light source.
const PropertyRow table[] = {
    {11507, "Exif.Photo.ExifVersion", nullptr, RawForm::Version, MEMBER(exifVersion)},
    {11007, "Exif.Image.Make", nullptr, RawForm::Text, MEMBER(make)},
    {11008, "Exif.Image.Model", nullptr, RawForm::Text, MEMBER(model)},
    {11019, "Exif.Image.Software", nullptr, RawForm::Text, MEMBER(software)},
    {11528, "Exif.Photo.ColorSpace", nullptr, RawForm::Short, MEMBER(colorSpace)},
    // Pictures without a modification time show when they were taken.
    {11020, "Exif.Image.DateTime", "Exif.Photo.DateTimeOriginal", RawForm::Text, MEMBER(dateTime)},
    {11509, "Exif.Photo.DateTimeDigitized", nullptr, RawForm::Text, MEMBER(dateTimeDigitized)},
    {11541, "Exif.Photo.FileSource", nullptr, RawForm::Byte, MEMBER(fileSource)},
    {11021, "Exif.Image.Artist", nullptr, RawForm::Text, MEMBER(artist)},
    {11508, "Exif.Photo.DateTimeOriginal", nullptr, RawForm::Text, MEMBER(dateTimeOriginal)},
    {11550, "Exif.Photo.SceneCaptureType", nullptr, RawForm::Short, MEMBER(sceneCaptureType)},
    {11546, "Exif.Photo.ExposureMode", nullptr, RawForm::Short, MEMBER(exposureMode)},
    {11512, "Exif.Photo.ShutterSpeedValue", nullptr, RawForm::SRational, MEMBER(shutterSpeedValue)},
    {11513, "Exif.Photo.ApertureValue", nullptr, RawForm::Rational, MEMBER(apertureValue)},
    {11520, "Exif.Photo.Flash", nullptr, RawForm::Short, MEMBER(flash)},
    {11505, "Exif.Photo.ISOSpeedRatings", nullptr, RawForm::Short, MEMBER(isoSpeed)},
    {11523, "Exif.Photo.UserComment", nullptr, RawForm::Text, MEMBER(userComment)},
    {11511, "Exif.Photo.CompressedBitsPerPixel", nullptr, RawForm::Rational, MEMBER(compressedBitsPerPixel)},
    {11502, "Exif.Photo.FNumber", nullptr, RawForm::Rational, MEMBER(fNumber)},
    {11521, "Exif.Photo.FocalLength", nullptr, RawForm::Rational, MEMBER(focalLength)},
    {11519, "Exif.Photo.LightSource", nullptr, RawForm::Short, MEMBER(lightSource)},
    {11503, "Exif.Photo.ExposureProgram", nullptr, RawForm::Short, MEMBER(exposureProgram)},
    {11515, "Exif.Photo.ExposureBiasValue", nullptr, RawForm::SRational, MEMBER(exposureBias)},
    {11539, "Exif.Photo.ExposureIndex", nullptr, RawForm::Rational, MEMBER(exposureIndex)},
    {11501, "Exif.Photo.ExposureTime", nullptr, RawForm::Rational, MEMBER(exposureTime)},
    {11545, "Exif.Photo.CustomRendered", nullptr, RawForm::Short, MEMBER(customRendered)},
    {11547, "Exif.Photo.WhiteBalance", nullptr, RawForm::Short, MEMBER(whiteBalance)},
    {11548, "Exif.Photo.DigitalZoomRatio", nullptr, RawForm::Rational, MEMBER(digitalZoomRatio)},
    {11551, "Exif.Photo.GainControl", nullptr, RawForm::Short, MEMBER(gainControl)},
    {11514, "Exif.Photo.BrightnessValue", nullptr, RawForm::SRational, MEMBER(brightnessValue)},
    {11552, "Exif.Photo.Contrast", nullptr, RawForm::Short, MEMBER(contrast)},
    {11553, "Exif.Photo.Saturation", nullptr, RawForm::Short, MEMBER(saturation)},
    {11554, "Exif.Photo.Sharpness", nullptr, RawForm::Short, MEMBER(sharpness)},
    {11555, "Exif.Photo.DeviceSettingDescription", nullptr, RawForm::Text, MEMBER(deviceSettingDescription)},
    {11544, "Exif.Photo.FocalPlaneResolutionUnit", nullptr, RawForm::Short, MEMBER(focalPlaneResolutionUnit)},
    {11517, "Exif.Photo.SubjectDistance", nullptr, RawForm::Rational, MEMBER(subjectDistance)},
    {11556, "Exif.Photo.SubjectDistanceRange", nullptr, RawForm::Short, MEMBER(subjectDistanceRange)},
    {11557, "Exif.Photo.ImageUniqueID", nullptr, RawForm::Text, MEMBER(imageUniqueId)},
    {11516, "Exif.Photo.MaxApertureValue", nullptr, RawForm::Rational, MEMBER(maxApertureValue)},
    {11518, "Exif.Photo.MeteringMode", nullptr, RawForm::Short, MEMBER(meteringMode)},
    {11533, "Exif.Photo.FlashEnergy", nullptr, RawForm::Rational, MEMBER(flashEnergy)},
    {11540, "Exif.Photo.SensingMethod", nullptr, RawForm::Short, MEMBER(sensingMethod)},
    {11542, "Exif.Photo.SceneType", nullptr, RawForm::Short, MEMBER(sceneType)},
    // The path of the library's copy of a sound annotation; the bridge
    // fills it from Exif.Photo.RelatedSoundFile.
    {PubImage::ZelPropAudioFile, nullptr, nullptr, RawForm::Text, -1},
    {11901, "Exif.Image.ImageDescription", nullptr, RawForm::Text, MEMBER(imageDescription)},
    {11902, "Exif.Image.Copyright", nullptr, RawForm::Text, MEMBER(copyright)},
    {11903, "Exif.Image.XPTitle", nullptr, RawForm::Text, MEMBER(xpTitle)},
    {11904, "Exif.Image.XPComment", nullptr, RawForm::Text, MEMBER(xpComment)},
    {11905, "Exif.Image.XPAuthor", nullptr, RawForm::Text, MEMBER(xpAuthor)},
    {11906, "Exif.Image.XPKeywords", nullptr, RawForm::Text, MEMBER(xpKeywords)},
    {11907, "Exif.Image.XPSubject", nullptr, RawForm::Text, MEMBER(xpSubject)},
    {11908, nullptr, nullptr, RawForm::Text, MEMBER(unmappedText)},
    {11909, "Exif.Image.HostComputer", nullptr, RawForm::Text, MEMBER(hostComputer)},
    {11921, "Exif.Photo.LensMake", nullptr, RawForm::Text, MEMBER(lensMake)},
    {11933, "Exif.Photo.LensModel", nullptr, RawForm::Text, MEMBER(lensModel)},
    {11946, "Exif.Photo.BodySerialNumber", nullptr, RawForm::Text, MEMBER(bodySerialNumber)},
    {11949, "Exif.Photo.CameraOwnerName", nullptr, RawForm::Text, MEMBER(cameraOwnerName)},
    {11958, "Exif.Photo.LensSerialNumber", nullptr, RawForm::Text, MEMBER(lensSerialNumber)},
    {11702, "Exif.GPSInfo.GPSLatitudeRef", nullptr, RawForm::GpsRef, MEMBER(gpsLatitudeRef)},
    {11703, "Exif.GPSInfo.GPSLatitude", nullptr, RawForm::GpsTriple, MEMBER(gpsLatitude)},
    {11704, "Exif.GPSInfo.GPSLongitudeRef", nullptr, RawForm::GpsRef, MEMBER(gpsLongitudeRef)},
    {11705, "Exif.GPSInfo.GPSLongitude", nullptr, RawForm::GpsTriple, MEMBER(gpsLongitude)},
    {11706, "Exif.GPSInfo.GPSAltitudeRef", nullptr, RawForm::Byte, MEMBER(gpsAltitudeRef)},
    {11707, "Exif.GPSInfo.GPSAltitude", nullptr, RawForm::Rational, MEMBER(gpsAltitude)},
    // Read for the picture layer or written on save only.
    {11010, "Exif.Image.Orientation", nullptr, RawForm::Short, MEMBER(orientation)},
    {11014, "Exif.Image.XResolution", nullptr, RawForm::Rational, -1},
    {11015, "Exif.Image.YResolution", nullptr, RawForm::Rational, -1},
    {11017, "Exif.Image.ResolutionUnit", nullptr, RawForm::Short, -1},
    {11529, "Exif.Photo.PixelXDimension", nullptr, RawForm::Long, -1},
    {11530, "Exif.Photo.PixelYDimension", nullptr, RawForm::Long, -1},
    {11701, "Exif.GPSInfo.GPSVersionID", nullptr, RawForm::Version, -1},
};

#undef MEMBER

static_assert(std::size(table) >= ReadListSize);

} // namespace

std::span<const PropertyRow> propertyTable()
{
    return table;
}

const PropertyRow* findProperty(int id)
{
    const auto it =
        std::find_if(std::begin(table), std::end(table), [id](const PropertyRow& row) { return row.id == id; });
    return it == std::end(table) ? nullptr : &*it;
}

int presenceBit(const PropertyRow& row)
{
    const qsizetype index = &row - std::begin(table);
    return index >= 0 && index < ReadListSize ? int(index) : -1;
}

bool isPresent(const _EXIF_INFORMATION& info, int bit)
{
    return bit >= 0 && bit < ReadListSize && (info.mask[bit / 32] & (1u << (bit % 32))) != 0;
}

QByteArray storedValue(const _EXIF_INFORMATION& info, const PropertyRow& row)
{
    if (row.offset < 0 || !isPresent(info, presenceBit(row)))
        return {};
    return QByteArray(reinterpret_cast<const char*>(&info) + row.offset, rawSize(row));
}

int rawSize(const PropertyRow& row)
{
    switch (row.form) {
    case RawForm::Text:
        return 2 * (row.id == ExifPropDateTime ? DateTimeTextCapacity : TextCapacity);
    case RawForm::Rational:
    case RawForm::SRational:
        return 8;
    case RawForm::Short:
        return 2;
    case RawForm::Byte:
        return 1;
    case RawForm::Version:
    case RawForm::Long:
    case RawForm::GpsRef:
        return 4;
    case RawForm::GpsTriple:
        return 24;
    }
    return 0;
}

QByteArray textBytes(QString text, int capacity)
{
    if (text.size() > capacity - 1) {
        text.truncate(capacity - 1);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
    }
    // The terminating zero is part of the value.
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), (text.size() + 1) * 2);
}

QString textFromBytes(const QByteArray& bytes)
{
    const auto* chars = reinterpret_cast<const char16_t*>(bytes.constData());
    const qsizetype capacity = bytes.size() / 2;
    qsizetype length = 0;
    while (length < capacity && chars[length] != 0)
        ++length;
    return QString::fromUtf16(chars, length);
}

} // namespace velorin::exif
