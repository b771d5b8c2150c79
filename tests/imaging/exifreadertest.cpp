// The EXIF reader: the display text of each value rule, real camera files
// against exiftool's reading of them, the process-wide property table and sound
// annotations. (Broken and hostile files: the picture helper's test, which
// runs every reader of files over them.)

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <thread>

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <velorin/imaging/exifbridge_p.h>
#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/temphome.h"

using namespace velorin::exif;
using namespace Qt::StringLiterals;

namespace {

// A resource string as the reader finds it (empty without the file).
QString resource(int number)
{
    CLocalizedStrings strings;
    strings.load(u"VelorinRes.xml"_s);
    return strings.getString(number);
}

// The user's date and time of an Exif "YYYY:MM:DD HH:MM:SS" text.
QString localDateTime(const QString& exif)
{
    const QDateTime dt = QDateTime::fromString(exif, u"yyyy:MM:dd HH:mm:ss"_s);
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(u"\\s*t+\\s*"_s));
    return locale.toString(dt.date(), QLocale::ShortFormat) + u' ' + locale.toString(dt.time(), timeFormat.trimmed());
}

// Back from "52°30.6000' N" or "39°54'56.00\" N" to signed decimal degrees.
double degreesOf(const QString& text)
{
    static const QRegularExpression dms(u"^(\\d+)\u00B0([\\d.]+)'(?:([\\d.]+)\")?(?: ([NSEW]))?$"_s);
    const auto m = dms.match(text);
    if (!m.hasMatch())
        return NAN;
    const double value = m.captured(1).toDouble() + m.captured(2).toDouble() / 60 + m.captured(3).toDouble() / 3600;
    return m.captured(4) == u"S" || m.captured(4) == u"W" ? -value : value;
}

// geodegrees_as_string.jpg stores its position as the texts
// "52,00000,50,00000,34,01180" and "11,00000,10,00000,58,28360": degrees,
// minutes and seconds with decimal commas, which exiftool misreads as 52 0 50.
const std::pair<double, double> geodegrees{52 + 50.0 / 60 + 34.0118 / 3600, 11 + 10.0 / 60 + 58.2836 / 3600};

// The value rules, each with raw values put into a structure by hand: the
// member's offset, its presence bit (its place in the read list), the raw
// bytes, and the text shown (null: none).
TEST(ExifReaderTest, ValueRules)
{
    const QString sec = u' ' + resource(129);
    using Case = std::tuple<int, size_t, int, QByteArray, QString>; // id, offset, bit, raw, text
#define AT(member, bit) offsetof(_EXIF_INFORMATION, member), bit
    const Case cases[] = {
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(1, 250), u"1/250"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(1, 2), u"0.5"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(1, 4), u"1/4"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(8, 1), u"8"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(120, 1), u"120.0"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(45, 10), u"5"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(10, 2500), u"1/250"_s + sec},
        {ExifPropExposureTime, AT(exposureTime, 24), ratio(1, 0), {}},
        {ExifPropFNumber, AT(fNumber, 18), ratio(28, 10), u"F/2.8"_s},
        {ExifPropFNumber, AT(fNumber, 18), ratio(4, 1), u"F/4"_s},
        {ExifPropFNumber, AT(fNumber, 18), ratio(35, 12), u"F/2.92"_s},
        {ExifPropFNumber, AT(fNumber, 18), ratio(5, 0), u""_s},
        {ExifPropExposureBias, AT(exposureBias, 22), ratio(0, 1), u"0"_s},
        {ExifPropExposureBias, AT(exposureBias, 22), ratio(2, 3), u"+0.7"_s},
        {ExifPropExposureBias, AT(exposureBias, 22), ratio(-1, 1), u"-1"_s},
        {ExifPropExposureBias, AT(exposureBias, 22), ratio(-1, 3), u"-0.3"_s},
        {ExifPropShutterSpeedValue, AT(shutterSpeedValue, 12), ratio(8, 1), u"1/256"_s + sec},
        {ExifPropShutterSpeedValue, AT(shutterSpeedValue, 12), ratio(-1, 1), u"2.00"_s + sec},
        {ExifPropApertureValue, AT(apertureValue, 13), ratio(28, 10), u"2.8"_s},
        {ExifPropApertureValue, AT(apertureValue, 13), ratio(7, 0), u"7"_s},
        {ExifPropApertureValue, AT(apertureValue, 13), ratio(35, 12), u"2.92"_s},
        {ExifPropBrightnessValue, AT(brightnessValue, 29), ratio(-5, 2), u"-2.50"_s},
        {ExifPropFocalLength, AT(focalLength, 19), ratio(2333, 100), u"23.3 "_s + resource(130)},
        {ExifPropIsoSpeed, AT(isoSpeed, 15), raw<quint16>(400), u"400"_s},
        {ExifPropExifVersion, AT(exifVersion, 0), QByteArray("0230"), u"0230"_s},
        {ExifPropGpsAltitude, AT(gpsAltitude, 63), ratio(1500, 1), u"1.500 km"_s},
        {ExifPropGpsAltitude, AT(gpsAltitude, 63), ratio(999, 2), u"499 m"_s},
        {ExifPropMake, AT(make, 1), utf16z(u"Fujifilm \u00C9dition"_s), u"Fujifilm \u00C9dition"_s},
        {ExifPropDateTimeOriginal, AT(dateTimeOriginal, 9), utf16z(u"2023:07:14 15:42:07"_s),
         localDateTime(u"2023:07:14 15:42:07"_s)},
        {ExifPropDateTime, AT(dateTime, 5), utf16z(u"0000:00:00 00:00:00"_s), {}},
        {ExifPropDateTime, AT(dateTime, 5), utf16z(u"2023:13:45 99:00:00"_s), {}},
        // Codes show resource strings; codes outside a value set show
        // nothing, except exposure programs, which have an "other".
        {ExifPropMeteringMode, AT(meteringMode, 39), raw<quint16>(255), resource(120)},
        {ExifPropMeteringMode, AT(meteringMode, 39), raw<quint16>(7), {}},
        {ExifPropLightSource, AT(lightSource, 20), raw<quint16>(10), resource(60)},
        {ExifPropLightSource, AT(lightSource, 20), raw<quint16>(4), {}},
        {ExifPropFlash, AT(flash, 14), raw<quint16>(0x19), resource(16)},
        {ExifPropExposureProgram, AT(exposureProgram, 21), raw<quint16>(9), resource(19)},
        {ExifPropColorSpace, AT(colorSpace, 4), raw<quint16>(0xFFFF), resource(38)},
    };
#undef AT
    for (const auto& [id, offset, bit, bytes, text] : cases) {
        _EXIF_INFORMATION info{};
        std::memcpy(reinterpret_cast<char*>(&info) + offset, bytes.constData(), size_t(bytes.size()));
        info.mask[bit / 32] |= 1u << (bit % 32);
        CExifPropertyReader reader;
        ASSERT_EQ(reader.ImportExifInfo(&info), 1);
        const unsigned short* shown = reader.GetPropValueByID(id);
        EXPECT_EQ(shown != nullptr, !text.isNull()) << id << " " << bytes.toHex(' ').constData();
        EXPECT_EQ(fromU16(shown), text) << id << " " << bytes.toHex(' ').constData();
    }
}

TEST(ExifReaderTest, GpsPositionTexts)
{
    _EXIF_INFORMATION info{};
    const ExifURational latitude[3] = {{52, 1}, {3060, 100}, {0, 1}}, longitude[3] = {{13, 1}, {24, 1}, {3621, 100}};
    std::copy_n(latitude, 3, info.gpsLatitude);
    std::copy_n(longitude, 3, info.gpsLongitude);
    info.gpsLatitudeRef[0] = u'N';
    info.gpsLongitudeRef[0] = u'N'; // a letter of the other axis
    info.mask[1] = 0xF << (58 - 32);
    CExifPropertyReader reader;
    ASSERT_EQ(reader.ImportExifInfo(&info), 1);
    EXPECT_EQ(fromU16(reader.GetPropValueByID(ExifPropGpsLatitude)), u"52\u00B030.6000' N");
    EXPECT_EQ(fromU16(reader.GetPropValueByID(ExifPropGpsLongitude)), u"13\u00B024'36.21\"");

    // A structure without presence bits is empty.
    info.mask[1] = 0;
    EXPECT_EQ(reader.ImportExifInfo(&info), 0);
    EXPECT_EQ(reader.ImportExifInfo(static_cast<_EXIF_INFORMATION*>(nullptr)), 0);
}

// Everything GetImageExif copies from a real camera file agrees with
// exiftool's reading of the same file, and so do the texts made of it;
// reading the file directly gives the same texts.
TEST(ExifReaderTest, CameraFilesAgreeWithExiftool)
{
    for (const QString& path : cameraFiles()) {
        SCOPED_TRACE(path.toStdString());
        // Tags by directory: a tag in the wrong directory is not the one the
        // property names.
        const QJsonObject tool = exiftoolRead(path, {u"-EXIF:all"_s, u"-G1"_s});
        _EXIF_INFORMATION info;
        ASSERT_EQ(GetImageExif(u16(path), &info), 1);
        CExifPropertyReader reader;
        ASSERT_EQ(reader.ImportExifInfo(&info), 1);
        const auto text = [&reader](int id) { return fromU16(reader.GetPropValueByID(id)); };
        const auto value = [](const ExifURational& r) { return double(r.numerator) / double(r.denominator); };

        if (const double t = tool[u"ExifIFD:ExposureTime"].toDouble(); t > 0) {
            EXPECT_NEAR(value(info.exposureTime), t, t * 1e-6);
            const QString shown = text(ExifPropExposureTime).section(u' ', 0, 0);
            EXPECT_NEAR(shown.startsWith(u"1/") ? 1 / shown.mid(2).toDouble() : shown.toDouble(), t, t * 0.05);
        }
        for (const auto& [id, tag, member] :
             {std::tuple{int(ExifPropFNumber), u"ExifIFD:FNumber", &_EXIF_INFORMATION::fNumber},
              std::tuple{int(ExifPropFocalLength), u"ExifIFD:FocalLength", &_EXIF_INFORMATION::focalLength}}) {
            if (tool.contains(tag)) {
                EXPECT_NEAR(value(info.*member), tool[tag].toDouble(), 1e-6);
                EXPECT_NEAR(text(id).remove(u"F/"_s).section(u' ', 0, 0).toDouble(), tool[tag].toDouble(), 0.05);
            }
        }
        const QJsonValue iso = tool[u"ExifIFD:ISO"];
        EXPECT_EQ(text(ExifPropIsoSpeed), iso.isUndefined() ? QString() : QString::number(iso.toInt()));
        if (tool.contains(u"ExifIFD:ExposureCompensation")) {
            EXPECT_NEAR(text(ExifPropExposureBias).toDouble(), tool[u"ExifIFD:ExposureCompensation"].toDouble(), 0.05);
        }
        for (const auto& [id, tag] : {std::pair{int(ExifPropDateTimeOriginal), u"ExifIFD:DateTimeOriginal"},
                                      std::pair{int(ExifPropDateTimeDigitized), u"ExifIFD:CreateDate"}}) {
            EXPECT_EQ(text(id), tool.contains(tag) ? localDateTime(tool[tag].toString()) : QString());
        }
        // The modification time, or else when the picture was taken.
        const auto modified = tool.contains(u"IFD0:ModifyDate") ? u"IFD0:ModifyDate" : u"ExifIFD:DateTimeOriginal";
        EXPECT_EQ(QString::fromUtf16(info.dateTime), tool[modified].toString());
        for (const auto& [id, tag] :
             {std::pair{int(ExifPropMake), u"IFD0:Make"}, std::pair{int(ExifPropModel), u"IFD0:Model"},
              std::pair{int(ExifPropUserComment), u"ExifIFD:UserComment"}}) {
            const QString expected = tool[tag].toString().trimmed();
            EXPECT_EQ(text(id).trimmed(), expected.isEmpty() ? QString() : expected);
        }

        auto [latitude, longitude] = path.endsWith(u"geodegrees_as_string.jpg") ? geodegrees
            : std::pair(tool[u"GPS:GPSLatitude"].toDouble(NAN), tool[u"GPS:GPSLongitude"].toDouble(NAN));
        latitude *= tool[u"GPS:GPSLatitudeRef"].toString() == u"S" ? -1 : 1;
        longitude *= tool[u"GPS:GPSLongitudeRef"].toString() == u"W" ? -1 : 1;
        for (const auto& [id, expected] : {std::pair{int(ExifPropGpsLatitude), latitude},
                                           std::pair{int(ExifPropGpsLongitude), longitude}}) {
            if (std::isnan(expected))
                EXPECT_TRUE(text(id).isNull());
            else
                EXPECT_NEAR(degreesOf(text(id)), expected, 2e-6) << text(id).toStdString();
        }
        if (tool.contains(u"GPS:GPSAltitude")) {
            const double metres = tool[u"GPS:GPSAltitude"].toDouble();
            EXPECT_EQ(text(ExifPropGpsAltitude), u"%1 m"_s.arg(std::floor(metres)));
        }

        // The same texts straight from the file, with their labels; the
        // structure leaves out only values whose first bytes are zero.
        QMap<int, QString> viaStructure;
        for (const DisplayRow& row : displayRows)
            viaStructure[row.id] = text(row.id);
        CExifPropertyReader direct;
        ASSERT_EQ(direct.ImportExifInfo(u16(path)), 1);
        for (const DisplayRow& row : displayRows) {
            if (viaStructure[row.id].isNull())
                continue;
            EXPECT_EQ(fromU16(direct.GetPropValueByID(row.id)), viaStructure[row.id]) << row.id;
            EXPECT_EQ(fromU16(direct.GetPropNameByID(row.id)), resource(row.label)) << row.id;
        }
    }
}

// The catalogue's position comes from the raw rationals, not the display
// texts: it agrees with exiftool's numbers to 1e-6 degrees on camera files
// and on pictures written at known places (south and west, minutes with
// four decimals, which the texts round to whole minutes); a zero
// denominator is no position, never 0,0.
TEST(ExifReaderTest, CataloguePositionsFromTheRationals)
{
    QTemporaryDir dir;
    const QString made = dir.filePath(u"made.jpg"_s);
    makeTaggedJpeg(made, {u"-GPS:GPSLatitude=36.5974416666"_s, u"-GPS:GPSLatitudeRef=S"_s,
                          u"-GPS:GPSLongitude=121.894200944"_s, u"-GPS:GPSLongitudeRef=W"_s});
    const auto written = [&dir](const QString& name, const QByteArray& latitude) {
        QByteArray file = fileBytes(goexif(u"samples/f1-exif.jpg"_s));
        EXPECT_TRUE(writeMetadata(file, {{ExifPropGpsLatitude, latitude}, {ExifPropGpsLatitudeRef, utf16z(u"N"_s)},
                                         {ExifPropGpsLongitude, ratio(121, 1) + ratio(53, 1) + ratio(391234, 10000)},
                                         {ExifPropGpsLongitudeRef, utf16z(u"W"_s)}}));
        writeFile(dir.filePath(name), file);
        return dir.filePath(name);
    };
    const QString minutes = written(u"minutes.jpg"_s, ratio(36, 1) + ratio(358465, 10000) + ratio(0, 1));
    const QString zero = written(u"zero.jpg"_s, ratio(36, 1) + ratio(35, 0) + ratio(0, 1));
    for (const QString& path : {goexif(u"sample1.jpg"_s), goexif(u"samples/has-lens-info.jpg"_s), made, minutes,
                                zero, goexif(u"samples/geodegrees_as_string.jpg"_s)}) {
        SCOPED_TRACE(path.toStdString());
        QFileInfo file(path);
        DBImageInfo info;
        AddFileToPhotoLibrary::getDBImageInfoFromImageFile(file, info);
        const QJsonObject tool = exiftoolRead(path);
        const auto [latitude, longitude] = path == zero ? std::pair(10000.0, 10000.0)
            : path.endsWith(u"geodegrees_as_string.jpg") ? geodegrees
            : std::pair(tool[u"GPSLatitude"].toDouble(), tool[u"GPSLongitude"].toDouble());
        EXPECT_NEAR(info.latitude, latitude, 1e-6);
        EXPECT_NEAR(info.longitude, longitude, 1e-6);
    }
}

// One table for the process: an import on one thread shows in a reader on
// another, and a reader going on any thread empties it; a text handed out
// stays readable meanwhile. Many threads at once never trip over each other.
TEST(ExifReaderTest, OneTableForTheProcess)
{
    const QString nikon = goexif(u"sample1.jpg"_s);
    const QString apple = goexif(u"samples/has-lens-info.jpg"_s);
    CExifPropertyReader reader;
    ASSERT_EQ(reader.ImportExifInfo(u16(nikon)), 1);
    const unsigned short* model = reader.GetPropValueByID(ExifPropModel);
    std::atomic<bool> imported{false}, seen{false};
    std::thread other([&] {
        CExifPropertyReader theirs;
        theirs.ImportExifInfo(u16(apple));
        imported = true;
        while (!seen)
            std::this_thread::yield();
    });
    while (!imported)
        std::this_thread::yield();
    EXPECT_EQ(fromU16(reader.GetPropValueByID(ExifPropMake)), u"Apple");
    seen = true;
    other.join();
    EXPECT_EQ(reader.GetPropValueByID(ExifPropMake), nullptr);
    EXPECT_EQ(fromU16(model), u"NIKON D2H");

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                CExifPropertyReader r;
                r.ImportExifInfo(u16((t + i) % 2 ? nikon : apple));
                const QString make = fromU16(r.GetPropValueByID(ExifPropMake));
                wrong += !make.isNull() && make != u"Apple" && make != u"NIKON CORPORATION";
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

// Pictures in dir/pics name a recording: MEMO.WAV beside them is the
// user's; only a copy of it is handed out, and the reader deletes the copy.
// Nothing is left in the temporary folder once the readers are gone.
TEST(ExifReaderTest, SoundAnnotations)
{
    QTemporaryDir dir, temp;
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    const QByteArray recording = "RIFF....WAVEfmt the user's recording";
    writeFile(dir.filePath(u"pics/MEMO.WAV"_s), recording);
    writeFile(dir.filePath(u"MEMO.WAV"_s), "above");
    writeFile(dir.filePath(u"pics/s/in.wav"_s), "inner");
    QFile::link(dir.filePath(u"MEMO.WAV"_s), dir.filePath(u"pics/link.wav"_s));
    const auto copies = [&temp] { return QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); };
    const auto picture = [&dir](const QString& sound) {
        const QString path = dir.filePath(u"pics/"_s + QString(sound).replace(u'/', u'_') + u".jpg"_s);
        makeTaggedJpeg(path, {u"-EXIF:Make=Sony"_s, u"-EXIF:RelatedSoundFile="_s + sound});
        return path;
    };
    const QStringList before = copies();

    const QString photo = picture(u"MEMO.WAV"_s);
    _EXIF_INFORMATION info;
    ASSERT_EQ(GetImageExif(u16(photo), &info), 1);
    EXPECT_EQ(info.hasAudio, 1);
    QFileInfo facts(photo);
    DBImageInfo record;
    AddFileToPhotoLibrary::getDBImageInfoFromImageFile(facts, record);
    EXPECT_EQ(ZellibHelper().GetPictureSize(u16(photo)).cx, 640);
    EXPECT_EQ(copies(), before); // made no copy, or deleted it at once
    {
        CExifPropertyReader once;
        ASSERT_EQ(once.ImportExifInfo(u16(photo)), 1);
    }
    EXPECT_EQ(copies(), before);
    auto reader = std::make_unique<CExifPropertyReader>();
    unsigned short out[260];
    ASSERT_EQ(reader->GetAudioFile(u16(photo), out), 1);
    const QString copy = fromU16(out);
    EXPECT_NE(QFileInfo(copy).absolutePath(), QFileInfo(photo).absolutePath());
    EXPECT_EQ(fileBytes(copy), recording);
    ASSERT_EQ(reader->ImportExifInfo(u16(photo)), 1); // deletes the last copy, keeps a new one
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(copies().size(), before.size() + 1);
    reader.reset();
    EXPECT_EQ(copies(), before);
    reader = std::make_unique<CExifPropertyReader>();
    EXPECT_EQ(fileBytes(dir.filePath(u"pics/MEMO.WAV"_s)), recording);

    // Only plain files beside the picture count.
    for (const QString& name : {u"s/in.wav"_s, u"../MEMO.WAV"_s, u"link.wav"_s, u"s"_s, u".."_s, u"missing.wav"_s}) {
        const QString other = picture(name);
        ASSERT_EQ(GetImageExif(u16(other), &info), 1);
        EXPECT_EQ(info.hasAudio, 0) << name.toStdString();
        EXPECT_EQ(reader->GetAudioFile(u16(other), out), 0) << name.toStdString();
    }
    EXPECT_EQ(copies(), before);
    qputenv("TMPDIR", oldTemp);
}

} // namespace
