// The seam between the picture layer and Exiv2: which files count as which
// format, how tags become raw properties and properties become tags again,
// and what happens to files Exiv2 should not parse.

#include <cmath>
#include <cstring>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <velorin/imaging/exifbridge_p.h>
#include <velorin/imaging/zelpicture.h>
#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/temphome.h"

using namespace velorin::exif;
using namespace Qt::StringLiterals;

namespace {

QString textOf(const QByteArray& bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2 - 1);
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, format).write(image)) << format;
    return bytes;
}

// A camera JPEG made by ImageMagick and exiftool, and the same picture as
// TIFF, PNG and WebP carrying its Exif data, plus a GIF without any.
TEST(ExifBridgeTest, FormatCodesAndExifPresence)
{
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(u"camera.jpg"_s);
    makeTaggedJpeg(jpeg, {u"-EXIF:Make=Canon"_s, u"-EXIF:FNumber=2.8"_s});
    for (const char* suffix : {"tif", "png", "webp", "gif"}) {
        const QString target = dir.filePath(u"camera."_s + QLatin1String(suffix));
        runProgram(u"/usr/bin/convert"_s, {jpeg, u"-strip"_s, target});
        if (QLatin1String(suffix) != QLatin1String("gif"))
            runProgram(u"exiftool"_s, {u"-q"_s, u"-overwrite_original"_s, u"-tagsfromfile"_s, jpeg, u"-EXIF:all"_s, target});
    }
    for (const auto& [suffix, format] : {std::pair{"jpg", 1}, {"tif", 3}, {"png", 15}, {"webp", 51}}) {
        const QString path = dir.filePath(u"camera."_s + QLatin1String(suffix));
        const MetadataRead read = readMetadata(fileBytes(path), path, false);
        EXPECT_TRUE(read.ok) << suffix;
        EXPECT_EQ(read.format, format) << suffix;
        EXPECT_EQ(read.properties.value(PubImage::ZelPropHasExif), raw(qint32(1))) << suffix;
        EXPECT_EQ(textOf(read.properties.value(ExifPropMake)), u"Canon") << suffix;
        EXPECT_EQ(read.properties.value(ExifPropFNumber), ratio(14, 5)) << suffix;
        _EXIF_INFORMATION info;
        EXPECT_EQ(GetImageExif(u16(path), &info), 1) << suffix;
    }
    const QString gif = dir.filePath(u"camera.gif"_s);
    const MetadataRead read = readMetadata(fileBytes(gif), {}, false);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.format, 0);
    EXPECT_TRUE(read.properties.isEmpty());

    // GIF files and JPEG files without Exif data carry no metadata; a PNG
    // without Exif data is still taken, and one named .jpg is still a PNG.
    const QString plain = dir.filePath(u"plain.jpg"_s);
    const QString png = dir.filePath(u"png.jpg"_s);
    runProgram(u"/usr/bin/convert"_s, {jpeg, u"-strip"_s, plain});
    runProgram(u"/usr/bin/convert"_s, {jpeg, u"-strip"_s, u"png:"_s + png});
    _EXIF_INFORMATION info;
    EXPECT_EQ(GetImageExif(u16(gif), &info), 0);
    EXPECT_EQ(GetImageExif(u16(plain), &info), 0);
    EXPECT_EQ(info.mask[0] | info.mask[1], 0u);
    CExifPropertyReader reader;
    EXPECT_EQ(reader.ImportExifInfo(u16(plain)), 0);
    EXPECT_EQ(reader.ImportExifInfo(u16(png)), 1);
}

// Texts in 8-bit tags, UCS-2 tags and comments come out as Unicode; overlong
// ones are cut to the 259 characters a property holds; a missing
// modification time is filled by the time the picture was taken; codes
// stored with the wrong type still count.
TEST(ExifBridgeTest, TagsAsTheirWritersMeantThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"texts.jpg"_s);
    const QString longMake(300, u'M');
    makeTaggedJpeg(path, {u"-EXIF:Make="_s + longMake, u"-EXIF:Artist=J\u00FCrgen \u00C4"_s,
                          u"-EXIF:XPTitle=Gr\u00F6\u00DFe \u2713"_s, u"-EXIF:UserComment=Gr\u00FC\u00DFe \U0001F600"_s,
                          u"-EXIF:DateTimeOriginal=2023:07:14 15:42:07"_s});
    const MetadataRead read = readMetadata(fileBytes(path), path, false);
    ASSERT_TRUE(read.ok);
    QStringList texts;
    for (int id : {ExifPropMake, ExifPropArtist, ExifPropXpTitle, ExifPropUserComment, ExifPropDateTime})
        texts.append(textOf(read.properties.value(id)));
    EXPECT_EQ(texts, (QStringList{longMake.left(259), u"J\u00FCrgen \u00C4"_s, u"Gr\u00F6\u00DFe \u2713"_s,
                                  u"Gr\u00FC\u00DFe \U0001F600"_s, u"2023:07:14 15:42:07"_s}));
    EXPECT_FALSE(read.properties.contains(ExifPropUnmappedText));

    // An orientation stored with the wrong data type still reads 6.
    const QString rotated = pixbufTest(u"bug725582-testrotate.jpg"_s);
    EXPECT_EQ(readMetadata(fileBytes(rotated), rotated, false).properties.value(ExifPropOrientation), raw(quint16(6)));
}

// One value of every form for every property that has a tag.
QHash<int, QByteArray> everyProperty()
{
    QHash<int, QByteArray> p;
    const QString unicode = u"Stra\u00DFe \u65E5\u672C"_s;
    for (int id : {11007, 11008, 11019, 11021, 11555, 11557, 11901, 11902, 11909, 11921, 11933, 11946, 11949, 11958})
        p[id] = utf16z(u"text of %1"_s.arg(id));
    for (int id : {11903, 11904, 11905, 11906, 11907, 11523})
        p[id] = utf16z(unicode + QString::number(id));
    p[11020] = utf16z(u"2024:03:07 09:05:03"_s);
    p[11508] = utf16z(u"2023:07:14 15:42:07"_s);
    p[11509] = utf16z(u"2023:07:14 15:42:08"_s);
    quint32 n = 3;
    for (int id : {11014, 11015, 11501, 11502, 11511, 11513, 11516, 11517, 11521, 11533, 11539, 11548, 11707})
        p[id] = ratio(n++, 7);
    p[11512] = raw(ExifSRational{-8, 3});
    p[11514] = raw(ExifSRational{-5, 2});
    p[11515] = raw(ExifSRational{-1, 3});
    quint16 code = 1;
    for (int id : {11010, 11017, 11503, 11505, 11518, 11519, 11520, 11528, 11540, 11542, 11544, 11545, 11546, 11547,
                   11550, 11551, 11552, 11553, 11554, 11556})
        p[id] = raw(quint16(code++ % 7 + 1));
    p[11541] = raw(quint8(3));
    p[11706] = raw(quint8(1));
    p[11529] = raw(quint32(70000));
    p[11530] = raw(quint32(480));
    p[11507] = QByteArray("0231");
    p[11701] = QByteArray("\x02\x03\x00\x00", 4);
    p[11702] = utf16z(u"S"_s);
    p[11704] = utf16z(u"W"_s);
    p[11703] = ratio(33, 1) + ratio(5123, 100) + ratio(0, 1);
    p[11705] = ratio(70, 1) + ratio(39, 1) + ratio(4512, 1000);
    return p;
}

// Written into a freshly encoded file of each format, every property reads
// back as the same bytes, and exiftool agrees on what was written.
TEST(ExifBridgeTest, EveryPropertyRoundTripsThroughEncodedFiles)
{
    const QImage image = QImage(64, 48, QImage::Format_RGB32);
    const QHash<int, QByteArray> properties = everyProperty();
    QTemporaryDir dir;
    for (const char* format : {"jpeg", "png", "webp", "tiff"}) {
        SCOPED_TRACE(format);
        QByteArray file = encoded(image, format);
        ASSERT_TRUE(writeMetadata(file, properties));
        const MetadataRead read = readMetadata(file, {}, false);
        ASSERT_TRUE(read.ok);
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            // A TIFF's resolution and orientation belong to its image
            // structure and stay as its encoder wrote them.
            const bool structure = it.key() == ExifPropXResolution || it.key() == ExifPropYResolution
                || it.key() == ExifPropResolutionUnit || it.key() == ExifPropOrientation;
            if (QByteArray(format) == "tiff" && structure)
                continue;
            EXPECT_EQ(read.properties.value(it.key()).toHex(' '), it.value().toHex(' ')) << it.key();
        }
        // The file is still a picture.
        QImage back;
        EXPECT_TRUE(back.loadFromData(file));
        EXPECT_EQ(back.size(), image.size());

        const QString path = dir.filePath(u"written."_s + QLatin1String(format));
        writeFile(path, file);
        const QJsonObject tool = exiftoolRead(path);
        expectTags(tool, {{"Make", "text of 11007"}, {"XPTitle", u"Stra\u00DFe \u65E5\u672C11903"_s},
                          {"UserComment", u"Stra\u00DFe \u65E5\u672C11523"_s}, {"GPSLatitude", -(33 + 51.23 / 60)},
                          {"GPSLatitudeRef", "S"}, {"GPSLongitude", -(70 + 39.0 / 60 + 4.512 / 3600)},
                          {"GPSVersionID", "2 3 0 0"}, {"ExposureCompensation", -1.0 / 3}, {"FileSource", 3},
                          {"ExifImageWidth", 70000}, {"ExifVersion", "0231"}, {"ModifyDate", "2024:03:07 09:05:03"}});
    }
}

// A GPS position written without a version gets one; orientation 0 (none),
// empty texts and thumbnails that are no bitmap write nothing.
TEST(ExifBridgeTest, WrittenTagsFollowTheStandard)
{
    QHash<int, QByteArray> properties;
    properties[ExifPropGpsLatitude] = ratio(10, 1) + ratio(0, 1) + ratio(0, 1);
    properties[ExifPropOrientation] = raw(quint16(0));
    properties[ExifPropMake] = utf16z(QString());
    QByteArray file = encoded(QImage(8, 8, QImage::Format_RGB32), "jpeg");
    ASSERT_TRUE(writeMetadata(file, properties));
    QTemporaryDir dir;
    writeFile(dir.filePath(u"a.jpg"_s), file);
    const QJsonObject tool = exiftoolRead(dir.filePath(u"a.jpg"_s));
    EXPECT_EQ(tool[u"GPSVersionID"].toString(), u"2 2 0 0");
    EXPECT_FALSE(tool.contains(u"Orientation"));
    EXPECT_FALSE(tool.contains(u"Make"));

    // Something that is not a packed 24-bit bitmap is no thumbnail.
    QByteArray other = encoded(QImage(32, 24, QImage::Format_RGB32), "jpeg");
    const QByteArray notABitmap(500, '\x28');
    ASSERT_TRUE(writeMetadata(other, {{PubImage::ZelPropExifThumbnail, notABitmap}}));
    EXPECT_TRUE(readMetadata(other, {}, true).preview.isEmpty());
}

TEST(ExifBridgeTest, PreviewIsTheLargestEmbeddedImage)
{
    const QString path = goexif(u"sample1.jpg"_s);
    const QByteArray thumbnail = runProgram(u"exiftool"_s, {u"-b"_s, u"-ThumbnailImage"_s, path});
    ASSERT_FALSE(thumbnail.isEmpty());
    EXPECT_EQ(readMetadata(fileBytes(path), path, true).preview, thumbnail);
    EXPECT_TRUE(readMetadata(fileBytes(path), path, false).preview.isEmpty());
}

// Formats Exiv2 is not asked to write leave the bytes as they were, and
// formats it is not asked to read (video containers, animations) are never
// parsed: its RIFF parser loops forever on this broken one.
TEST(ExifBridgeTest, OtherFormatsAreLeftAlone)
{
    const QByteArray riff = fileBytes(pixbufTest(u"test-images/fail/invalid.3.ico"_s));
    ASSERT_TRUE(riff.startsWith("RIFF"));
    QElapsedTimer timer;
    timer.start();
    const MetadataRead read = readMetadata(riff, {}, true);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.format, 0);
    EXPECT_LT(timer.elapsed(), 1000);

    for (QByteArray bytes : {QByteArray(), QByteArray("not a picture at all"), riff,
                             encoded(QImage(8, 8, QImage::Format_RGB32), "bmp")}) {
        const QByteArray before = bytes;
        EXPECT_FALSE(writeMetadata(bytes, {{ExifPropMake, utf16z(u"Canon"_s)}}));
        EXPECT_EQ(bytes, before);
    }
}

} // namespace
