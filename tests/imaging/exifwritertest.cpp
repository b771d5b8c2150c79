// The EXIF writer: properties it puts on a picture, the embedded thumbnail
// it prepares, and a picture saved with a source photograph's metadata as
// exiftool reads the file afterwards.

#include <array>
#include <cmath>
#include <cstring>

#include <QDateTime>
#include <QImage>
#include <QTemporaryDir>

#include <velorin/imaging/zelpicture.h>
#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/temphome.h"

using namespace velorin::exif;
using namespace Qt::StringLiterals;
using PubImage::ZelPicture;

namespace {

QString textProperty(const ZelPicture* picture, int id)
{
    const QByteArray bytes = picture->property(id);
    const QString all = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    return all.section(QChar(0), 0, 0);
}

// A camera photograph at 48.858370 N, 2.294481 E, 35.5 m, and its raw
// metadata.
class CameraSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        photo = dir.filePath(u"camera.jpg"_s);
        makeTaggedJpeg(photo, {u"-EXIF:Make=Canon"_s, u"-EXIF:Model=Canon EOS 5D Mark IV"_s, u"-EXIF:ExposureTime=0.004"_s,
                               u"-EXIF:FNumber=2.8"_s, u"-EXIF:DateTimeOriginal=2023:07:14 15:42:07"_s,
                               u"-GPS:GPSLatitude=48.858370"_s, u"-GPS:GPSLatitudeRef=N"_s, u"-GPS:GPSLongitude=2.294481"_s,
                               u"-GPS:GPSLongitudeRef=E"_s, u"-GPS:GPSAltitude=35.5"_s, u"-GPS:GPSAltitudeRef=0"_s});
        ASSERT_EQ(GetImageExif(u16(photo), &source), 1);
    }

    QTemporaryDir dir;
    QString photo;
    _EXIF_INFORMATION source;
};

TEST(ExifWriterTest, DegreesMinutesAndSecondsOfADecimalAngle)
{
    CExifPropertyWriter writer;
    using Parts = std::array<int, 6>; // degrees, minutes and seconds as fractions
    for (const auto& [value, parts] : {std::pair{-52.5, Parts{52, 1, 30, 1, 0, 1000}}, {10.25, Parts{10, 1, 15, 1, 0, 1000}},
                                       {52.51, Parts{52, 1, 30, 1, 35999, 1000}}, {0.0, Parts{0, 1, 0, 1, 0, 1000}},
                                       {116.390833, Parts{116, 1, 23, 1, 26998, 1000}}}) {
        _ZELDIV d{}, m{}, s{};
        writer.TransFloat2Degree(value, d, m, s);
        EXPECT_EQ((Parts{int(d.num), int(d.den), int(m.num), int(m.den), int(s.num), int(s.den)}), parts) << value;
    }
}

// What the saved file cannot show: the time text of a given moment, the
// source's orientation, no position from a source without one, and 0 for
// missing arguments.
TEST_F(CameraSourceTest, PropertiesSetOnThePicture)
{
    Picture picture(pictureOf(QImage(64, 48, QImage::Format_RGB32)));
    EXPECT_EQ(CExifPropertyWriter::SetExifTime(picture.p, QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3))), 1);
    EXPECT_EQ(textProperty(picture.p, ExifPropDateTime), u"2024:03:07 09:05:03");
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(CExifPropertyWriter::SetExifTime(picture.p), 1);
    const QString stamped = textProperty(picture.p, ExifPropDateTime);
    EXPECT_LE(std::abs(QDateTime::fromString(stamped, u"yyyy:MM:dd HH:mm:ss"_s).secsTo(now)), 2);

    source.orientation = 3;
    EXPECT_EQ(CExifPropertyWriter::SetExifCamera(picture.p, &source), 1);
    EXPECT_EQ(picture->property(ExifPropOrientation), QByteArray("\x03\x00", 2));
    EXPECT_FALSE(picture->hasProperty(ExifPropModel));

    Picture plain(pictureOf(QImage(8, 8, QImage::Format_RGB32)));
    _EXIF_INFORMATION empty{};
    CExifPropertyWriter writer;
    EXPECT_EQ(writer.SetExifGPSInfo(plain.p, &empty), 1);
    EXPECT_TRUE(plain->properties().isEmpty());

    for (int result : {CExifPropertyWriter::SetExifTime(nullptr), CExifPropertyWriter::SetNormalExifInfo(nullptr),
                       CExifPropertyWriter::SetExifOrientation(nullptr, 1),
                       CExifPropertyWriter::SetExifCamera(picture.p, nullptr),
                       CExifPropertyWriter::SetExifCamera(nullptr, &source), writer.SetExifGPSInfo(nullptr, &source),
                       writer.SetExifGPSInfo(picture.p, nullptr)})
        EXPECT_EQ(result, 0);
}

TEST(ExifWriterTest, ThumbnailsFitTheirBox)
{
    CExifPropertyWriter writer;
    for (const auto& [size, box, fitted] : {std::tuple{QSize(400, 300), QSize(160, 160), QSize(160, 120)},
                                            {QSize(300, 400), QSize(160, 160), QSize(120, 160)},
                                            {QSize(100, 50), QSize(160, 160), QSize(160, 80)},
                                            {QSize(640, 480), QSize(64, 128), QSize(64, 48)}}) {
        Picture picture(pictureOf(QImage(size, QImage::Format_RGB32)));
        Picture thumbnail(writer.CreateThumbnailImage(picture.p, box.width(), box.height()));
        ASSERT_NE(thumbnail.p, nullptr);
        EXPECT_EQ(thumbnail->size(), fitted) << size.width() << "x" << size.height();
        EXPECT_EQ(thumbnail->bitDepth(), 24);
        ASSERT_NE(thumbnail->layer(1), nullptr);
        EXPECT_EQ(thumbnail->layer(1)->rect().width(), fitted.width());
    }
    Picture empty(ZelPicture::create());
    EXPECT_EQ(writer.CreateThumbnailImage(empty.p, 160, 160), nullptr);
    EXPECT_EQ(writer.CreateThumbnailImage(nullptr, 160, 160), nullptr);
}

// The packed bitmap: a 40-byte header, then rows bottom-up of exactly
// width x 3 bytes (no padding), blue-green-red.
TEST(ExifWriterTest, ThumbnailBitmapLayout)
{
    QImage image(5, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int x = 0; x < 5; ++x)
        image.setPixel(x, 1, qRgb(0, 0, 255));
    image.setPixel(4, 0, qRgb(0, 255, 0));
    Picture thumbnail(pictureOf(image));
    Picture target(pictureOf(QImage(64, 48, QImage::Format_RGB32)));

    CExifPropertyWriter writer;
    ASSERT_EQ(writer.SetExifThumbnailImage(target.p, thumbnail.p), 1);
    const QByteArray dib = target->property(PubImage::ZelPropExifThumbnail);
    ASSERT_EQ(dib.size(), 40 + 5 * 3 * 2);
    // size, width, height, planes and bits, no compression, 1270 pixels
    // per metre on both axes
    const qint32 header[10] = {40, 5, 2, 1 | (24 << 16), 0, 0, 1270, 1270, 0, 0};
    EXPECT_EQ(dib.left(40), QByteArray(reinterpret_cast<const char*>(header), 40));
    const QByteArray blue("\xff\x00\x00", 3), red("\x00\x00\xff", 3), green("\x00\xff\x00", 3);
    EXPECT_EQ(dib.mid(40, 15), blue.repeated(5));        // the bottom row first
    EXPECT_EQ(dib.mid(55, 15), red.repeated(4) + green); // then the top row

    // The picture keeps its bitmap when the writer lets go of its own.
    EXPECT_EQ(writer.FreeCache(), 1);
    EXPECT_EQ(target->property(PubImage::ZelPropExifThumbnail), dib);
    EXPECT_EQ(writer.SetExifThumbnailImage(nullptr, thumbnail.p), 0);
}

// A picture saved with the source's metadata through the writer, as
// exiftool reads the file: the source's position and maker, the time of
// saving, 180 dots per inch on both axes and the embedded thumbnail.
TEST_F(CameraSourceTest, SavedPictureCarriesTheMetadata)
{
    for (const QString& name : {u"saved.jpg"_s, u"saved.tif"_s}) {
        SCOPED_TRACE(name.toStdString());
        Picture picture(ZelPicture::create());
        ASSERT_EQ(picture->load(photo, PubImage::ZelLoadMode::Full), 0);
        CExifPropertyWriter writer;
        writer.SetNormalExifInfo(picture.p);
        writer.SetExifTime(picture.p, QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3)));
        writer.SetExifCamera(picture.p, &source);
        writer.SetExifGPSInfo(picture.p, &source);
        Picture thumbnail(writer.CreateThumbnailImage(picture.p, 160, 160));
        ASSERT_EQ(writer.SetExifThumbnailImage(picture.p, thumbnail.p), 1);
        const QString saved = dir.filePath(name);
        ASSERT_EQ(picture->save(saved), 0);

        const QJsonObject tool = exiftoolRead(saved);
        expectTags(tool, {{"Make", "Canon"}, {"ModifyDate", "2024:03:07 09:05:03"}, {"ExifImageWidth", 640},
                          {"ExifImageHeight", 480}, {"GPSLatitude", 48.858370}, {"GPSLatitudeRef", "N"},
                          {"GPSLongitude", 2.294481}, {"GPSLongitudeRef", "E"}, {"GPSAltitude", 35.5}, {"GPSAltitudeRef", 0}});
        // A TIFF keeps the resolution and orientation its encoder wrote:
        // they are part of its image structure.
        if (!name.endsWith(u".tif")) {
            expectTags(tool, {{"XResolution", 180}, {"YResolution", 180}, {"ResolutionUnit", 2}});
            EXPECT_FALSE(tool.contains(u"Orientation"));
        }

        QImage embedded;
        EXPECT_TRUE(embedded.loadFromData(runProgram(u"exiftool"_s, {u"-b"_s, u"-ThumbnailImage"_s, saved})));
        EXPECT_EQ(embedded.size(), QSize(160, 120));
        // Upright: the picture runs from red at the top to blue at the bottom.
        EXPECT_GT(qRed(embedded.pixel(80, 4)), 200);
        EXPECT_GT(qBlue(embedded.pixel(80, 115)), 200);

        // The saved file reads back through the reader.
        _EXIF_INFORMATION again;
        ASSERT_EQ(GetImageExif(u16(saved), &again), 1);
        EXPECT_EQ(QString::fromUtf16(again.make), u"Canon");
        EXPECT_EQ(std::memcmp(again.gpsLatitude, source.gpsLatitude, sizeof source.gpsLatitude), 0);
    }
}

// Copies saved from a picture shown upright say nothing that turns them
// again, and carry only what the saving rules give: without a source no
// camera and no position, with one the source's maker and position.
TEST_F(CameraSourceTest, SavedCopiesOfAnUprightPicture)
{
    runProgram(u"exiftool"_s, {u"-q"_s, u"-overwrite_original"_s, u"-n"_s, u"-EXIF:Orientation=6"_s, photo});
    for (const bool withSource : {false, true}) {
        Picture picture(ZellibHelper().ReadPicture(u16(photo), true, 0));
        ASSERT_NE(picture.p, nullptr);
        const QString saved = dir.filePath(withSource ? u"with.jpg"_s : u"without.jpg"_s);
        ASSERT_EQ(ZellibHelper().SaveImgFile(picture.p, u16(saved), withSource ? &source : nullptr), 1);
        const QJsonObject tool = exiftoolRead(saved);
        EXPECT_EQ(tool[u"Orientation"].toInt(1), 1) << withSource;
        EXPECT_EQ(std::pair(tool[u"ImageWidth"].toInt(), tool[u"ImageHeight"].toInt()), std::pair(480, 640));
        EXPECT_EQ(tool.contains(u"GPSLatitude"), withSource);
        EXPECT_EQ(tool[u"Make"].toString(), withSource ? u"Canon"_s : QString());
        EXPECT_FALSE(tool.contains(u"Model") || tool.contains(u"ExposureTime") || tool.contains(u"DateTimeOriginal"));
    }
}

} // namespace
