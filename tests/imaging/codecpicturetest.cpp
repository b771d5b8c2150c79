// HEIC and camera RAW pictures. No such file is in the registries, so each
// test makes its own from one painted picture: a HEIC by heif-enc from a
// JPEG tagged by exiftool, a HEIC whose pixels libheif stores turned with
// an irot box, and a DNG (a 16-bit RGGB mosaic with a JPEG preview) tagged
// by exiftool. All show the same upright picture with the same metadata.

#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/photofixtures.h"
#include "support/temphome.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <thread>

#include <libheif/heif.h>

using namespace Qt::StringLiterals;
using namespace velorin::exif;

namespace {

const QSize Upright(640, 480);
// Orientation 6: the camera stored the picture turned a quarter to the left.
const QImage Sensor = quadrantImage(Upright.width(), Upright.height()).transformed(QTransform().rotate(-90));

QByteArray le(std::initializer_list<quint32> values, int width)
{
    QByteArray out;
    for (quint32 v : values)
        out.append(reinterpret_cast<const char*>(&v), width); // the machine is little-endian, as TIFF "II"
    return out;
}

struct Tag
{
    quint16 id;
    quint16 type; // 1 byte, 2 text, 3 short, 4 long, 5/10 (s)rational
    QByteArray values;
};

Tag longTag(quint16 id, quint32 value)
{
    return {id, 4, le({value}, 4)};
}

// Appends a TIFF directory; values longer than four bytes follow it.
quint32 appendDirectory(QByteArray& out, const QList<Tag>& tags)
{
    const quint32 at = quint32(out.size());
    QByteArray entries = le({quint32(tags.size())}, 2);
    QByteArray values;
    for (const Tag& t : tags) {
        const int unit = t.type == 3 ? 2 : t.type == 4 ? 4 : t.type >= 5 ? 8 : 1;
        entries += le({t.id, t.type}, 2) + le({quint32(t.values.size() / unit)}, 4);
        entries += t.values.size() <= 4 ? t.values.leftJustified(4, '\0')
                                        : le({at + 6 + 12 * quint32(tags.size()) + quint32(values.size())}, 4);
        if (t.values.size() > 4)
            values += t.values + QByteArray(t.values.size() % 2, '\0');
    }
    out += entries + le({0}, 4) + values;
    return at;
}

// A DNG laid out as cameras write them: directories first, IFD0 with the
// raw mosaic of sensor and the camera tags, its sub-IFD with the preview.
QByteArray dngOf(const QImage& sensor, const QImage& preview)
{
    QByteArray mosaic;
    for (int y = 0; y < sensor.height(); ++y) {
        for (int x = 0; x < sensor.width(); ++x) {
            const QRgb p = sensor.pixel(x, y);
            const int channel = y % 2 + x % 2; // red, green / green, blue
            mosaic += le({quint32((channel == 0 ? qRed(p) : channel == 1 ? qGreen(p) : qBlue(p)) * 257)}, 2);
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    preview.save(&buffer, "JPEG", 90);
    const auto layout = [&](quint32 rawAt, quint32 previewAt) {
        QByteArray out("II*\0\0\0\0\0", 8);
        // Subfile type, size, bits, compression (7 JPEG), colours (6 YCbCr,
        // 32803 colour filter array), data, samples, data length.
        const quint32 sub = appendDirectory(
            out, {longTag(254, 1), longTag(256, preview.width()), longTag(257, preview.height()),
                  {258, 3, le({8, 8, 8}, 2)}, {259, 3, le({7}, 2)}, {262, 3, le({6}, 2)}, longTag(273, previewAt),
                  {277, 3, le({3}, 2)}, longTag(279, jpeg.size())});
        // Then the sub-IFD, the filter pattern (RGGB), the DNG version, the
        // model, an identity colour matrix and a neutral white balance.
        const quint32 ifd0 = appendDirectory(
            out, {longTag(254, 0), longTag(256, sensor.width()), longTag(257, sensor.height()), {258, 3, le({16}, 2)},
                  {259, 3, le({1}, 2)}, {262, 3, le({32803}, 2)}, longTag(273, rawAt), {277, 3, le({1}, 2)},
                  longTag(279, mosaic.size()), longTag(330, sub), {33421, 3, le({2, 2}, 2)},
                  {33422, 1, le({0, 1, 1, 2}, 1)}, {50706, 1, le({1, 4, 0, 0}, 1)},
                  {50708, 2, QByteArray("Velorin Test", 13)},
                  {50721, 10, le({1, 1, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 1, 1}, 4)},
                  {50728, 5, le({1, 1, 1, 1, 1, 1}, 4)}});
        out.replace(4, 4, le({ifd0}, 4));
        return out;
    };
    const quint32 start = quint32(layout(0, 0).size());
    return layout(start, start + quint32(mosaic.size())) + mosaic + jpeg;
}

// An HEIC of sensor stored with an irot box that turns it upright, and the
// Exif block of exifSource (which says orientation 6 as well).
void writeTurnedHeic(const QString& path, const QImage& sensor, const QByteArray& exif)
{
    const QImage rgb = sensor.convertToFormat(QImage::Format_RGB888);
    heif_context* context = heif_context_alloc();
    heif_image* image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation_rotate_90_cw;
    heif_image_handle* handle = nullptr;
    ASSERT_EQ(heif_context_encode_image(context, image, encoder, options, &handle).code, heif_error_Ok);
    heif_context_add_exif_metadata(context, handle, exif.constData(), int(exif.size()));
    ASSERT_EQ(heif_context_write_to_file(context, path.toUtf8().constData()).code, heif_error_Ok);
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_image_release(image);
    heif_context_free(context);
}

// Red, green / blue, yellow in the quadrants of image, as far as lossy
// coding and raw development leave them.
void expectUpright(const QImage& image, const QString& what)
{
    const QRgb want[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    for (int q = 0; q < 4; ++q) {
        const QRgb got = image.pixel((q % 2 * 2 + 1) * image.width() / 4, (q / 2 * 2 + 1) * image.height() / 4);
        for (int shift : {16, 8, 0}) // red, green, blue
            EXPECT_LT(std::abs(int(got >> shift & 0xFF) - int(want[q] >> shift & 0xFF)), 90)
                << qPrintable(what) << " quadrant " << q;
    }
}

class CodecPictureTest : public TempHomeTest
{
protected:
    void SetUp() override
    {
        TempHomeTest::SetUp();
        const QStringList tags = {u"-EXIF:Make=Canon"_s, u"-EXIF:Model=Canon EOS 5D Mark IV"_s,
                                  u"-EXIF:Orientation=6"_s, u"-EXIF:DateTimeOriginal=2023:07:14 15:42:07"_s,
                                  u"-GPS:GPSLatitude=48.858370"_s, u"-GPS:GPSLatitudeRef=N"_s,
                                  u"-GPS:GPSLongitude=2.294481"_s, u"-GPS:GPSLongitudeRef=W"_s};
        const auto tag = [&](const QString& path) {
            runProgram(u"exiftool"_s, QStringList{u"-q"_s, u"-overwrite_original"_s, u"-n"_s} + tags + QStringList{path});
        };
        ASSERT_TRUE(Sensor.save(jpeg, "JPEG", 95));
        tag(jpeg);
        runProgram(u"heif-enc"_s, {u"-q"_s, u"60"_s, u"-t"_s, u"96"_s, u"-o"_s, heic, jpeg});
        writeTurnedHeic(turned, Sensor, runProgram(u"exiftool"_s, {u"-b"_s, u"-EXIF"_s, jpeg}));
        // The preview is small and marked white in the middle, so that
        // which of preview and raw data a thumbnail came from shows.
        QImage preview = Sensor.scaled(Sensor.size() / 5);
        QPainter(&preview).fillRect(preview.width() / 2 - 4, preview.height() / 2 - 4, 8, 8, Qt::white);
        writeFile(dng, dngOf(Sensor, preview));
        tag(dng);
    }

    const QString jpeg = root() + u"/camera.jpg"_s;
    const QString heic = root() + u"/camera.heic"_s;
    const QString turned = root() + u"/turned.heic"_s;
    const QString dng = root() + u"/camera.DNG"_s;
};

QImage thumbnail(const QString& path, int box)
{
    return QImage::fromData(ZellibHelper().GetThumbnailUseZelLib(u16(path), box, box, nullptr, nullptr, true, 0), "BMP");
}

bool markedWhite(const QImage& image)
{
    const QRgb p = image.pixel(image.width() / 2, image.height() / 2);
    return std::min({qRed(p), qGreen(p), qBlue(p)}) > 220;
}

} // namespace

// Every box and the full picture stand upright: the HEIC converted from a
// JPEG through its Exif orientation, the turned one through its irot box
// alone, the DNG through LibRaw's orientation, from the preview for a
// small box and from the raw data (at half size, then full) for larger ones.
TEST_F(CodecPictureTest, PicturesStandUpright)
{
    for (const QString& path : {heic, turned, dng}) {
        for (int box : {64, 128, 256, 384}) {
            const QImage image = thumbnail(path, box);
            EXPECT_EQ(image.size(), Upright.scaled(box, box, Qt::KeepAspectRatio)) << qPrintable(path) << box;
            expectUpright(image, path + QString::number(box));
            if (path == dng) {
                EXPECT_EQ(markedWhite(image), box <= 128) << box;
            }
        }
        const QByteArray full = ZellibHelper().GetPicture(u16(path));
        expectUpright(QImage::fromData(full, "BMP"), path);
        EXPECT_EQ(QImage::fromData(full, "BMP").size(), Upright) << qPrintable(path);
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
    EXPECT_EQ(expected.orientation, 6);
    CExifPropertyReader reference;
    ASSERT_EQ(reference.ImportExifInfo(u16(jpeg)), 1);
    for (const QString& path : {heic, turned, dng}) {
        QFileInfo file(path);
        DBImageInfo info;
        AddFileToPhotoLibrary::getDBImageInfoFromImageFile(file, info);
        EXPECT_EQ(info.exifDate, expected.exifDate) << qPrintable(path);
        EXPECT_EQ(info.latitude, expected.latitude) << qPrintable(path);
        EXPECT_EQ(info.longitude, expected.longitude) << qPrintable(path);
        EXPECT_EQ(info.orientation, path == turned ? 1 : 6) << qPrintable(path);
        CExifPropertyReader reader;
        ASSERT_EQ(reader.ImportExifInfo(u16(path)), 1) << qPrintable(path);
        for (int id : {ExifPropMake, ExifPropModel, ExifPropDateTimeOriginal, ExifPropGpsLatitude, ExifPropGpsLongitude})
            EXPECT_EQ(fromU16(reader.GetPropValueByID(id)), fromU16(reference.GetPropValueByID(id))) << id;
    }
}

// Cut-off and random files under the names of the formats fail cleanly and
// quickly; so does a HEIC claiming a picture too large to decode. A DNG cut
// after its preview shows the preview; a JPEG under a RAW name is shown.
TEST_F(CodecPictureTest, BrokenFiles)
{
    const auto cut = [&](const QString& path, qsizetype size) {
        const QString name = root() + u"/cut%1-"_s.arg(size) + QFileInfo(path).fileName();
        writeFile(name, fileBytes(path).left(size));
        return name;
    };
    QStringList broken = {cut(dng, 0), cut(dng, 100)};
    const qsizetype heicSize = QFileInfo(heic).size();
    for (qsizetype size : {qsizetype(0), qsizetype(100), qsizetype(2000), heicSize / 2, heicSize - 100})
        broken << cut(heic, size);
    QRandomGenerator random(7);
    for (const char* name : {"noise.heic", "noise.dng", "noise.cr2", "noise.nef"}) {
        QByteArray noise(64 * 1024, '\0');
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        broken << root() + u'/' + QLatin1String(name);
        writeFile(broken.last(), name == QByteArrayView("noise.heic") ? fileBytes(heic).left(64) + noise : noise);
    }
    QByteArray huge = fileBytes(heic);
    huge.replace(huge.indexOf("ispe") + 8, 8, le({60000, 60000}, 4)); // little-endian reads as ~1.5 billion
    broken << root() + u"/huge.heic"_s;
    writeFile(broken.last(), huge);
    for (const QString& path : broken) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(ZellibHelper().GetThumbnailUseZelLib(u16(path), 128, 128, nullptr, nullptr, true, 0).isEmpty())
            << qPrintable(path);
        EXPECT_TRUE(ZellibHelper().GetPicture(u16(path)).isEmpty()) << qPrintable(path);
        _EXIF_INFORMATION info;
        GetImageExif(u16(path), &info);
        EXPECT_LT(clock.elapsed(), 5000) << qPrintable(path);
    }

    // The preview lies before the raw data, which LibRaw finds cut short.
    for (const QString& path : {cut(dng, 2000), cut(dng, QFileInfo(dng).size() - 100)}) {
        const QImage image = thumbnail(path, 256);
        EXPECT_EQ(image.size(), QSize(128, 96)) << qPrintable(path);
        expectUpright(image, path);
        EXPECT_TRUE(markedWhite(image)) << qPrintable(path);
    }
    QFile::copy(jpeg, root() + u"/disguised.cr2"_s);
    expectUpright(thumbnail(root() + u"/disguised.cr2"_s, 128), u"disguised"_s);
}

// Four threads decode HEIC and DNG pictures at once, each as alone.
TEST_F(CodecPictureTest, ConcurrentDecodes)
{
    const QImage expected[2] = {thumbnail(turned, 256), thumbnail(dng, 256)};
    ASSERT_FALSE(expected[0].isNull() || expected[1].isNull());
    std::vector<std::thread> threads;
    std::atomic<int> differing{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round)
                differing += thumbnail(t % 2 ? dng : turned, 256) != expected[t % 2];
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(differing, 0);
}
