#pragma once

#include <velorin/global.h>

#include <QtGlobal>

// Metadata properties of a picture. The picture layer keeps each one as raw
// bytes under its property number (PubImage::ZelPicture::property()); the
// numbers, the Exif tag behind each and the byte layout of its value are
// listed in exifproperties.cpp. Values are little-endian:
//   text       UTF-16, zero-terminated, at most 259 characters + 0
//              (127 + 0 for ExifPropDateTime)
//   rational   uint32 numerator, uint32 denominator (signed: int32, int32)
//   short      uint16; byte: uint8; long: uint32
//   version    4 bytes, as stored (ASCII digits "0230")
//   GPS triple degrees, minutes, seconds: three rationals, 24 bytes
//   GPS ref    one UTF-16 letter + 0 (4 bytes)
namespace velorin::exif {

enum ExifProperty {
    // Image file directory
    ExifPropMake = 11007,
    ExifPropModel = 11008,
    ExifPropOrientation = 11010,
    ExifPropXResolution = 11014,
    ExifPropYResolution = 11015,
    ExifPropResolutionUnit = 11017,
    ExifPropSoftware = 11019,
    ExifPropDateTime = 11020,
    ExifPropArtist = 11021,
    // Exif sub-directory
    ExifPropExposureTime = 11501,
    ExifPropFNumber = 11502,
    ExifPropExposureProgram = 11503,
    ExifPropIsoSpeed = 11505,
    ExifPropExifVersion = 11507,
    ExifPropDateTimeOriginal = 11508,
    ExifPropDateTimeDigitized = 11509,
    ExifPropCompressedBitsPerPixel = 11511,
    ExifPropShutterSpeedValue = 11512,
    ExifPropApertureValue = 11513,
    ExifPropBrightnessValue = 11514,
    ExifPropExposureBias = 11515,
    ExifPropMaxApertureValue = 11516,
    ExifPropSubjectDistance = 11517,
    ExifPropMeteringMode = 11518,
    ExifPropLightSource = 11519,
    ExifPropFlash = 11520,
    ExifPropFocalLength = 11521,
    ExifPropUserComment = 11523,
    ExifPropColorSpace = 11528,
    ExifPropPixelXDimension = 11529,
    ExifPropPixelYDimension = 11530,
    ExifPropFlashEnergy = 11533,
    ExifPropExposureIndex = 11539,
    ExifPropSensingMethod = 11540,
    ExifPropFileSource = 11541,
    ExifPropSceneType = 11542,
    ExifPropFocalPlaneResolutionUnit = 11544,
    ExifPropCustomRendered = 11545,
    ExifPropExposureMode = 11546,
    ExifPropWhiteBalance = 11547,
    ExifPropDigitalZoomRatio = 11548,
    ExifPropSceneCaptureType = 11550,
    ExifPropGainControl = 11551,
    ExifPropContrast = 11552,
    ExifPropSaturation = 11553,
    ExifPropSharpness = 11554,
    ExifPropDeviceSettingDescription = 11555,
    ExifPropSubjectDistanceRange = 11556,
    ExifPropImageUniqueId = 11557,
    // GPS sub-directory
    ExifPropGpsVersion = 11701,
    ExifPropGpsLatitudeRef = 11702,
    ExifPropGpsLatitude = 11703,
    ExifPropGpsLongitudeRef = 11704,
    ExifPropGpsLongitude = 11705,
    ExifPropGpsAltitudeRef = 11706,
    ExifPropGpsAltitude = 11707,
    // Descriptive texts
    ExifPropImageDescription = 11901,
    ExifPropCopyright = 11902,
    ExifPropXpTitle = 11903,
    ExifPropXpComment = 11904,
    ExifPropXpAuthor = 11905,
    ExifPropXpKeywords = 11906,
    ExifPropXpSubject = 11907,
    ExifPropUnmappedText = 11908, // no Exif tag carries it: never present
    ExifPropHostComputer = 11909,
    ExifPropLensMake = 11921,
    ExifPropLensModel = 11933,
    ExifPropBodySerialNumber = 11946,
    ExifPropCameraOwnerName = 11949,
    ExifPropLensSerialNumber = 11958,
};

// Longest text a property holds, terminating zero included.
inline constexpr int TextCapacity = 260;
inline constexpr int DateTimeTextCapacity = 128;

// The properties the EXIF reader formats, in the order it formats them (and
// a tool lists them), each with the resource string of its label.
struct DisplayRow
{
    int id;
    int label;
};

inline constexpr DisplayRow displayRows[] = {
    {11507, 39}, {11007, 1},   {11008, 2},   {11019, 20},  {11020, 21},  {11501, 22},  {11502, 23},  {11503, 24},
    {11505, 3},  {11508, 25},  {11509, 26},  {11512, 4},   {11513, 5},   {11515, 6},   {11518, 27},  {11520, 7},
    {11521, 8},  {11557, 9},   {11528, 36},  {11541, 40},  {11021, 44},  {11550, 49},  {11546, 50},  {11523, 54},
    {11511, 56}, {11519, 57},  {11539, 63},  {11545, 64},  {11547, 67},  {11548, 70},  {11551, 71},  {11514, 77},
    {11552, 78}, {11553, 82},  {11554, 86},  {11555, 90},  {11544, 91},  {11517, 95},  {11556, 96},  {11516, 101},
    {11533, 102}, {11540, 105}, {11542, 103}, {11901, 28}, {11902, 29},  {11903, 10},  {11904, 11},  {11905, 30},
    {11906, 31}, {11907, 12},  {11908, 27},  {11909, 14},  {11921, 15},  {11933, 32},  {11946, 33},  {11949, 34},
    {11958, 35}, {11703, 173}, {11705, 174}, {11707, 175},
};

} // namespace velorin::exif

struct ExifURational
{
    quint32 numerator;
    quint32 denominator;
};

struct ExifSRational
{
    qint32 numerator;
    qint32 denominator;
};

// The raw metadata of one picture as GetImageExif copies it (see
// exifpropertyreader.h). Each member holds its property in the raw form
// above; a member counts only when its presence bit is set. The bits follow
// the order in which GetImageExif reads the properties, which is also the
// order of the members: bit n lives in mask[n / 32] as 1 << (n % 32). Bit 43
// (the sound annotation) is never set; hasAudio tells of it instead. A
// structure whose two mask words are zero is empty.
struct _EXIF_INFORMATION
{
    quint32 mask[2];
    quint8 exifVersion[4];                          // 11507, bit 0
    char16_t make[velorin::exif::TextCapacity];     // 11007
    char16_t model[velorin::exif::TextCapacity];    // 11008
    char16_t software[velorin::exif::TextCapacity]; // 11019
    quint16 colorSpace;                             // 11528
    char16_t dateTime[velorin::exif::DateTimeTextCapacity]; // 11020, bit 5
    char16_t dateTimeDigitized[velorin::exif::TextCapacity]; // 11509
    quint8 fileSource;                                      // 11541
    char16_t artist[velorin::exif::TextCapacity];           // 11021
    char16_t dateTimeOriginal[velorin::exif::TextCapacity]; // 11508
    quint16 sceneCaptureType;                               // 11550, bit 10
    quint16 exposureMode;                                   // 11546
    ExifSRational shutterSpeedValue;                        // 11512
    ExifURational apertureValue;                            // 11513
    quint16 flash;                                          // 11520
    quint16 isoSpeed;                                       // 11505, bit 15
    char16_t userComment[velorin::exif::TextCapacity];      // 11523
    ExifURational compressedBitsPerPixel;                   // 11511
    ExifURational fNumber;                                  // 11502
    ExifURational focalLength;                              // 11521
    quint16 lightSource;                                    // 11519, bit 20
    quint16 exposureProgram;                                // 11503
    ExifSRational exposureBias;                             // 11515
    ExifURational exposureIndex;                            // 11539
    ExifURational exposureTime;                             // 11501
    quint16 customRendered;                                 // 11545, bit 25
    quint16 whiteBalance;                                   // 11547
    ExifURational digitalZoomRatio;                         // 11548
    quint16 gainControl;                                    // 11551
    ExifSRational brightnessValue;                          // 11514
    quint16 contrast;                                       // 11552, bit 30
    quint16 saturation;                                     // 11553
    quint16 sharpness;                                      // 11554
    char16_t deviceSettingDescription[velorin::exif::TextCapacity]; // 11555
    quint16 focalPlaneResolutionUnit;                       // 11544
    ExifURational subjectDistance;                          // 11517, bit 35
    quint16 subjectDistanceRange;                           // 11556
    char16_t imageUniqueId[velorin::exif::TextCapacity];    // 11557
    ExifURational maxApertureValue;                         // 11516
    quint16 meteringMode;                                   // 11518
    ExifURational flashEnergy;                              // 11533, bit 40
    quint16 sensingMethod;                                  // 11540
    quint16 sceneType;                                      // 11542
    // bit 43 is the sound annotation (10002): see hasAudio
    char16_t imageDescription[velorin::exif::TextCapacity]; // 11901, bit 44
    char16_t copyright[velorin::exif::TextCapacity];        // 11902, bit 45
    char16_t xpTitle[velorin::exif::TextCapacity];          // 11903
    char16_t xpComment[velorin::exif::TextCapacity];        // 11904
    char16_t xpAuthor[velorin::exif::TextCapacity];         // 11905
    char16_t xpKeywords[velorin::exif::TextCapacity];       // 11906
    char16_t xpSubject[velorin::exif::TextCapacity];        // 11907, bit 50
    char16_t unmappedText[velorin::exif::TextCapacity];     // 11908, never set
    char16_t hostComputer[velorin::exif::TextCapacity];     // 11909
    char16_t lensMake[velorin::exif::TextCapacity];         // 11921
    char16_t lensModel[velorin::exif::TextCapacity];        // 11933
    char16_t bodySerialNumber[velorin::exif::TextCapacity]; // 11946, bit 55
    char16_t cameraOwnerName[velorin::exif::TextCapacity];  // 11949
    char16_t lensSerialNumber[velorin::exif::TextCapacity]; // 11958
    char16_t gpsLatitudeRef[2];                             // 11702
    ExifURational gpsLatitude[3];                           // 11703
    char16_t gpsLongitudeRef[2];                            // 11704, bit 60
    ExifURational gpsLongitude[3];                          // 11705
    quint8 gpsAltitudeRef;                                  // 11706
    ExifURational gpsAltitude;                              // 11707, bit 63
    // Not read from files (GetImageExif leaves it 0); the EXIF writer copies
    // it onto a saved picture.
    quint16 orientation;
    // Set when the picture names a sound annotation file beside it.
    quint8 hasAudio;
};
