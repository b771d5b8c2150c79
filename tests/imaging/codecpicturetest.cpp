// HEIC and camera RAW pictures, made by each test from one painted picture:
// a HEIC by heif-enc from a JPEG tagged by exiftool, a HEIC stored turned
// with an irot box, and a DNG tagged by exiftool. All show one picture.

#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/photofixtures.h"
#include "support/temphome.h"

#include <QPainter>
#include <QRandomGenerator>

#include <thread>
#include <libheif/heif_cxx.h>

using namespace Qt::StringLiterals;
using namespace velorin::exif;

namespace {

const QSize Upright(640, 480);
// Orientation 6: the camera stored the picture turned a quarter to the left.
const QImage Sensor = quadrantImage(Upright.width(), Upright.height()).transformed(QTransform().rotate(-90));

struct Tag { quint16 id, type, unit; QByteArray values; }; // type 1 byte, 2 text, 3 short, 4 long, 10 srational
Tag shorts(quint16 id, std::initializer_list<quint32> v) { return {id, 3, 2, le(v, 2)}; }
Tag longs(quint16 id, std::initializer_list<quint32> v) { return {id, 4, 4, le(v, 4)}; }

// Appends a TIFF directory; values longer than four bytes follow it.
quint32 appendDirectory(QByteArray& out, const QList<Tag>& tags)
{
    const quint32 at = quint32(out.size());
    QByteArray entries = le({quint32(tags.size())}, 2), values;
    for (const Tag& t : tags) {
        entries += le({t.id, t.type}, 2) + le({quint32(t.values.size() / t.unit)}, 4);
        const quint32 valuesAt = at + 6 + 12 * quint32(tags.size()) + quint32(values.size());
        entries += t.values.size() <= 4 ? t.values.leftJustified(4, '\0') : le({valuesAt}, 4);
        values += t.values.size() <= 4 ? QByteArray() : t.values + QByteArray(t.values.size() % 2, '\0');
    }
    out += entries + le({0}, 4) + values;
    return at;
}

// A DNG laid out as cameras write them: directories first, IFD0 with the
// raw RGGB mosaic of sensor and the camera tags, its sub-IFD the preview.
QByteArray dngOf(const QImage& sensor, QSize preview, const QByteArray& jpeg)
{
    QByteArray mosaic;
    for (int y = 0; y < sensor.height(); ++y)
        for (int x = 0; x < sensor.width(); ++x)
            mosaic += le({quint32(sensor.pixel(x, y) >> (16 - 8 * (y % 2 + x % 2)) & 0xFF) * 257}, 2);
    const auto layout = [&](quint32 rawAt, quint32 previewAt) {
        QByteArray out("II*\0\0\0\0\0", 8);
        // Subfile type, size, bits, compression, colours (YCbCr; colour
        // filter array), data, samples, data length; then the sub-IFD, the
        // filter pattern, DNG version, model and an identity colour matrix.
        const quint32 sub = appendDirectory(out, {longs(254, {1}), longs(256, {quint32(preview.width())}),
            longs(257, {quint32(preview.height())}), shorts(258, {8, 8, 8}), shorts(259, {7}), shorts(262, {6}),
            longs(273, {previewAt}), shorts(277, {3}), longs(279, {quint32(jpeg.size())})});
        const quint32 ifd0 = appendDirectory(out, {longs(254, {0}), longs(256, {quint32(sensor.width())}),
            longs(257, {quint32(sensor.height())}), shorts(258, {16}), shorts(259, {1}), shorts(262, {32803}),
            longs(273, {rawAt}), shorts(277, {1}), longs(279, {quint32(mosaic.size())}), longs(330, {sub}),
            shorts(33421, {2, 2}), {33422, 1, 1, le({0, 1, 1, 2}, 1)}, {50706, 1, 1, le({1, 4, 0, 0}, 1)},
            {50708, 2, 1, QByteArray("Velorin Test", 13)},
            {50721, 10, 8, le({1, 1, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 1, 1}, 4)}});
        out.replace(4, 4, le({ifd0}, 4));
        return out;
    };
    const quint32 start = quint32(layout(0, 0).size());
    return layout(start, start + quint32(mosaic.size())) + mosaic + jpeg;
}

// A HEIC of sensor with an irot box that turns it upright, and exif (orientation 6 too).
void writeTurnedHeic(const QString& path, const QImage& sensor, const QByteArray& exif)
{
    const QImage rgb = sensor.convertToFormat(QImage::Format_RGB888);
    heif::Image image;
    image.create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB);
    image.add_plane(heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = image.get_plane(heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    heif::Context context;
    heif::Encoder encoder(heif_compression_HEVC);
    heif::Context::EncodingOptions options;
    options.image_orientation = heif_orientation_rotate_90_cw;
    context.add_exif_metadata(context.encode_image(image, encoder, options), exif.constData(), int(exif.size()));
    context.write_to_file(path.toStdString());
}

// Red, green / blue, yellow in the quadrants of image, as far as lossy
// coding and raw development leave them.
void expectUpright(const QImage& image, const QString& what)
{
    const QRgb want[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    for (int q = 0; q < 4; ++q) {
        const QRgb got = image.pixel((q % 2 * 2 + 1) * image.width() / 4, (q / 2 * 2 + 1) * image.height() / 4);
        for (int shift : {16, 8, 0}) // red, green, blue
            EXPECT_LT(std::abs(int(got >> shift & 0xFF) - int(want[q] >> shift & 0xFF)), 90) << qPrintable(what) << q;
    }
}

class CodecPictureTest : public TempHomeTest
{
protected:
    void SetUp() override
    {
        TempHomeTest::SetUp();
        const auto tag = [&](const QString& path) {
            runProgram(u"exiftool"_s, {u"-q"_s, u"-overwrite_original"_s, u"-n"_s, u"-EXIF:Make=Canon"_s,
                u"-EXIF:Model=Canon EOS 5D Mark IV"_s, u"-EXIF:Orientation=6"_s,
                u"-EXIF:DateTimeOriginal=2023:07:14 15:42:07"_s, u"-GPS:GPSLatitude=48.858370"_s,
                u"-GPS:GPSLatitudeRef=N"_s, u"-GPS:GPSLongitude=2.294481"_s, u"-GPS:GPSLongitudeRef=W"_s, path});
        };
        ASSERT_TRUE(Sensor.save(jpeg, "JPEG", 95));
        tag(jpeg);
        runProgram(u"heif-enc"_s, {u"-q"_s, u"60"_s, u"-t"_s, u"96"_s, u"-o"_s, heic, jpeg});
        writeTurnedHeic(turned, Sensor, runProgram(u"exiftool"_s, {u"-b"_s, u"-EXIF"_s, jpeg}));
        // A small preview marked white in the middle, the raw data unmarked.
        QImage preview = Sensor.scaled(Sensor.size() / 5);
        QPainter(&preview).fillRect(preview.width() / 2 - 4, preview.height() / 2 - 4, 8, 8, Qt::white);
        ASSERT_TRUE(preview.save(dng + u".jpg"_s, "JPEG", 90));
        writeFile(dng, dngOf(Sensor, preview.size(), fileBytes(dng + u".jpg"_s)));
        tag(dng);
    }

    const QString jpeg = root() + u"/camera.jpg"_s;
    const QString heic = root() + u"/camera.heic"_s;
    const QString turned = root() + u"/turned.heic"_s;
    const QString dng = root() + u"/camera.DNG"_s;
};

bool markedWhite(const QImage& image)
{
    const QRgb p = image.pixel(image.width() / 2, image.height() / 2);
    return std::min({qRed(p), qGreen(p), qBlue(p)}) > 220;
}

} // namespace

// Every box and the full picture stand upright: the HEIC from a JPEG by its
// Exif orientation, the turned one by its irot box alone, the DNG by LibRaw's
// orientation, from the preview for small boxes, else from the raw data (at
// half, then full size). Each decodes on a thread of its own, all at once.
TEST_F(CodecPictureTest, PicturesStandUpright)
{
    std::vector<std::jthread> threads;
    for (const QString& path : {heic, turned, dng, dng}) {
        threads.emplace_back([&, path] {
            for (int box : {64, 128, 256, 384}) {
                const QImage image = thumbnailOf(path, box);
                EXPECT_EQ(image.size(), Upright.scaled(box, box, Qt::KeepAspectRatio)) << qPrintable(path) << box;
                expectUpright(image, path + QString::number(box));
                EXPECT_TRUE(path != dng || markedWhite(image) == (box <= 128)) << box;
            }
            const QImage full = QImage::fromData(ZellibHelper().GetPicture(u16(path)), "BMP");
            expectUpright(full, path);
            EXPECT_EQ(full.size(), Upright) << qPrintable(path);
        });
    }
}

// The catalogue gets the same metadata from each as from the JPEG they were
// made from, and the exif reader shows the same texts; the turned HEIC is
// recorded upright, as its pixels come out.
TEST_F(CodecPictureTest, MetadataAsFromTheJpeg)
{
    QFileInfo source(jpeg);
    DBImageInfo expected;
    AddFileToPhotoLibrary::getDBImageInfoFromImageFile(source, expected);
    EXPECT_NEAR(expected.latitude, 48.85837, 1e-5);
    EXPECT_NEAR(expected.longitude, -2.294481, 1e-5);
    CExifPropertyReader reference;
    ASSERT_EQ(reference.ImportExifInfo(u16(jpeg)), 1);
    for (const QString& path : {heic, turned, dng}) {
        QFileInfo file(path);
        DBImageInfo info;
        AddFileToPhotoLibrary::getDBImageInfoFromImageFile(file, info);
        EXPECT_EQ(std::tuple(info.exifDate, info.latitude, info.longitude, info.orientation),
                  std::tuple(expected.exifDate, expected.latitude, expected.longitude, path == turned ? 1 : 6))
            << qPrintable(path);
        CExifPropertyReader reader;
        ASSERT_EQ(reader.ImportExifInfo(u16(path)), 1) << qPrintable(path);
        for (int id : {ExifPropMake, ExifPropModel, ExifPropDateTimeOriginal, ExifPropGpsLatitude, ExifPropGpsLongitude})
            EXPECT_EQ(fromU16(reader.GetPropValueByID(id)), fromU16(reference.GetPropValueByID(id))) << id;
    }
}

// Cut-off and random files under the names of the formats fail cleanly and
// quickly in every reader of files; so does a HEIC claiming a picture too
// large to decode. A DNG cut after its preview shows the preview; a JPEG
// under a RAW name is shown.
TEST_F(CodecPictureTest, BrokenFiles)
{
    const auto cut = [&](const QString& path, qsizetype size) {
        const QString name = root() + u"/cut%1-"_s.arg(size) + QFileInfo(path).fileName();
        writeFile(name, fileBytes(path).left(size));
        return name;
    };
    const qsizetype heicSize = QFileInfo(heic).size();
    QStringList broken = {cut(dng, 0), cut(dng, 100)};
    for (qsizetype size : {qsizetype(0), qsizetype(100), qsizetype(2000), heicSize / 2, heicSize - 100})
        broken << cut(heic, size);
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    QByteArray huge = fileBytes(heic);
    huge.replace(huge.indexOf("ispe") + 8, 8, le({60000, 60000}, 4)); // little-endian reads as ~1.5 billion
    for (const auto& [name, bytes] : {std::pair{"noise.dng", noise}, {"noise.cr2", noise}, {"noise.nef", noise},
                                      {"noise.heic", fileBytes(heic).left(64) + noise}, {"huge.heic", huge}}) {
        broken << root() + u'/' + QLatin1String(name);
        writeFile(broken.last(), bytes);
    }
    for (const QString& path : broken) {
        const Reading r = readEverything(path);
        EXPECT_TRUE(r.finished && r.noThumbnails && r.noPicture && r.audio == 0) << qPrintable(path);
        EXPECT_LT(r.ms, 5000) << qPrintable(path);
    }

    // The preview lies before the raw data, which LibRaw finds cut short.
    for (const QString& path : {cut(dng, 2000), cut(dng, QFileInfo(dng).size() - 100)}) {
        const QImage image = thumbnailOf(path, 256);
        EXPECT_EQ(image.size(), QSize(128, 96)) << qPrintable(path);
        expectUpright(image, path);
        EXPECT_TRUE(markedWhite(image)) << qPrintable(path);
    }
    QFile::copy(jpeg, root() + u"/disguised.cr2"_s);
    expectUpright(thumbnailOf(root() + u"/disguised.cr2"_s, 128), u"disguised"_s);
}
