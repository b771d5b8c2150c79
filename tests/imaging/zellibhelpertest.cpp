// The picture helper: the bitmap blobs it makes, thumbnails upright and
// fitted, picture operations, saving, and every reader of files facing bad,
// hostile, huge and special files.

#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/media.h"
#include "support/photofixtures.h"
#include "support/temphome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QtEndian>

#include <future>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using PubImage::ZelLayer;
using PubImage::ZelPicture;

namespace {

class ZellibHelperTest : public TempHomeTest
{
protected:
    QString file(const QString& name) const { return root() + u'/' + name; }
    QString writeImage(const QString& name, const QImage& image, const char* format = nullptr)
    {
        const QString path = file(name);
        EXPECT_TRUE(image.save(path, format));
        return path;
    }
};

} // namespace

// The blob is a complete BMP file: 54-byte header with the zeroed fields,
// rows bottom-up, each padded to four bytes.
TEST_F(ZellibHelperTest, BitmapBlobLayout)
{
    const QImage source = quadrantImage(100, 50);
    const QImage upright = source.convertToFormat(QImage::Format_RGB32);
    Picture picture(pictureOf(source));
    int w = 0, h = 0;
    const QByteArray blob = ZellibHelper().ZelPicture2Bitmap(picture.p, &w, &h);
    EXPECT_EQ(QSize(w, h), QSize(100, 50));
    ASSERT_EQ(blob.size(), 54 + 300 * 50);
    // "BM", file size, reserved, pixel offset, header size, 100 x 50, one
    // plane of 24 bits, no compression, pixel bytes, nothing else.
    EXPECT_EQ(blob.left(54).toHex(' '), QByteArray::fromHex("424d ce3a0000 00000000 36000000 28000000 64000000 32000000 "
                                                            "0100 1800 00000000 983a0000").leftJustified(54, '\0').toHex(' '));
    // First stored row is the picture's bottom row (blue left, yellow right
    // in the quadrant picture), pixels blue-green-red.
    EXPECT_EQ(blob.mid(54, 3).toHex(), QByteArray("ff0000"));
    EXPECT_EQ(fromBmp(blob), upright);

    // A second export without mirroring back stores the other order; it put
    // the picture back, so without the mirror the rows stand top first under
    // the same header.
    EXPECT_EQ(fromBmp(ZellibHelper().ZelPicture2Bitmap(picture.p, nullptr, nullptr)), upright.mirrored(false, true));
    const QByteArray topFirst = ZellibHelper().ZelPicture2BitmapNotFlipLayer(picture.p, nullptr, nullptr);
    EXPECT_EQ(topFirst.left(54), blob.left(54));
    EXPECT_EQ(fromBmp(topFirst), upright.mirrored(false, true));

    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(1, 2, 3));
    Picture one(pictureOf(dot));
    const QByteArray padded = ZellibHelper().ZelPicture2Bitmap(one.p, nullptr, nullptr);
    ASSERT_EQ(padded.size(), 58);
    EXPECT_EQ(std::pair(qFromLittleEndian<quint32>(padded.constData() + 2), qFromLittleEndian<quint32>(padded.constData() + 34)),
              std::pair(58u, 4u));
    EXPECT_EQ(padded.mid(54).toHex(), QByteArray("03020100"));
    EXPECT_TRUE(ZellibHelper().ZelPicture2Bitmap(nullptr, &w, &h).isEmpty());
}

// Every orientation code comes out upright; the extra rotation turns
// clockwise after it.
TEST_F(ZellibHelperTest, OrientationAndRotation)
{
    const QImage upright = thumbnailOf(orientationSet(0), 128);
    ASSERT_FALSE(upright.isNull());
    for (int code = 1; code <= 8; ++code)
        EXPECT_LT(meanDifference(thumbnailOf(orientationSet(code), 128), upright), 2.0) << "orientation " << code;
    // Stored with the orientation in the wrong data type: read anyway.
    QImage reference(pixbufTest(u"bug725582-testrotate.png"_s));
    const QImage turned = thumbnailOf(pixbufTest(u"bug725582-testrotate.jpg"_s), 1000);
    EXPECT_LT(meanDifference(turned, reference.convertToFormat(QImage::Format_RGB32)), 6.0);

    // Code 1 turned 90 clockwise equals code 6 (which shows turned).
    const QString plain = writeImage(u"plain.png"_s, quadrantImage(80, 40));
    const QImage stored = quadrantImage(80, 40).convertToFormat(QImage::Format_RGB32);
    int w = 0, h = 0;
    EXPECT_EQ(thumbnailOf(plain, 128, 90, &w, &h), stored.transformed(QTransform().rotate(90)));
    EXPECT_EQ(QSize(w, h), QSize(40, 80));
    EXPECT_EQ(thumbnailOf(plain, 128, -90), thumbnailOf(plain, 128, 270));
    EXPECT_EQ(thumbnailOf(plain, 128, 360), thumbnailOf(plain, 128, 0));
    EXPECT_EQ(thumbnailOf(plain, 128, 180), stored.mirrored(true, true));

    // Without autoRotate the stored pixels come untouched, mirrored codes too.
    for (int code = 1; code <= 8; ++code) {
        QImageReader file(orientationSet(code));
        file.setAutoTransform(false);
        Picture asStored(ZellibHelper().ReadPicture(u16(orientationSet(code)), false, 0));
        ASSERT_NE(asStored.p, nullptr);
        EXPECT_EQ(asStored->layer(1)->image(), file.read().convertToFormat(QImage::Format_RGB32)) << code;
    }
}

// Thumbnails fit the box without enlarging; the four from one decode match
// the sizes of four separate decodes. A truncated picture still yields what
// decodes, and a PNG named .jpg decodes by its content.
TEST_F(ZellibHelperTest, ThumbnailSizes)
{
    QImage big(1600, 1200, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    const QString jpeg = writeImage(u"big.jpg"_s, big);
    int w = 0, h = 0;
    EXPECT_FALSE(thumbnailOf(jpeg, 384, 0, &w, &h).isNull());
    EXPECT_EQ(QSize(w, h), QSize(384, 288));
    EXPECT_EQ(thumbnailOf(writeImage(u"small.png"_s, quadrantImage(30, 20)), 64).size(), QSize(30, 20));

    QList<QSize> sizes;
    const QList<QByteArray> four = ZellibHelper().GetThumbnailsUseZelLib(u16(jpeg), {64, 128, 256, 384}, true, 0, &sizes);
    ASSERT_EQ(four.size(), 4);
    EXPECT_EQ(sizes, (QList<QSize>{{64, 48}, {128, 96}, {256, 192}, {384, 288}}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fromBmp(four[i]).size(), sizes[i]);
    const tagSIZE size = ZellibHelper().GetPictureSize(u16(jpeg));
    EXPECT_EQ(QSize(int(size.cx), int(size.cy)), QSize(1600, 1200));

    EXPECT_FALSE(thumbnailOf(pixbufTest(u"premature-end.jpg"_s), 64).isNull());
    const QString disguised = writeImage(u"disguised.jpg"_s, quadrantImage(20, 10), "PNG");
    EXPECT_EQ(thumbnailOf(disguised, 64).size(), QSize(20, 10));
}

// Rotation of every layer, the paint layer made current, mirroring, and
// packed bitmaps in and out.
TEST_F(ZellibHelperTest, PictureOperations)
{
    const QImage source = quadrantImage(40, 20).convertToFormat(QImage::Format_RGB32);
    ZellibHelper helper;
    {
        Picture picture(pictureOf(source));
        ZelLayer* paint = ZelLayer::create({0, 0, 40, 20});
        paint->setName(u"MyPaintBrushLayer"_s);
        picture->insertLayer(2, paint);
        EXPECT_EQ(helper.RotatePicture(picture.p, 0), 1);
        EXPECT_EQ(picture->size(), QSize(40, 20));
        EXPECT_EQ(picture->layer(1)->image(), source);
        EXPECT_EQ(helper.RotatePicture(picture.p, -90), 1); // 270 counter-clockwise
        EXPECT_EQ(picture->size(), QSize(20, 40));
        EXPECT_EQ(picture->layer(2)->rect().width(), 20);
        EXPECT_EQ(picture->currentLayer(), 2);
        EXPECT_EQ(picture->layer(1)->image(), source.transformed(QTransform().rotate(90)));
    }
    EXPECT_EQ(helper.RotatePicture(nullptr, 90), 0);

    // A bottom-up 24-bit DIB with padded rows, and a 32-bit one after a
    // colour table.
    for (const int bits : {24, 32}) {
        const int width = 5, height = 3, colours = bits == 32 ? 2 : 0;
        const int stride = (width * bits + 31) / 32 * 4;
        // Header size, width, height, one plane, bits, then colours used.
        QByteArray dib = le({40, width, height}, 4) + le({1, quint32(bits)}, 2) + le({0, 0, 0, 0, quint32(colours), 0}, 4)
            + QByteArray(colours * 4 + stride * height, '\0');
        auto* p = reinterpret_cast<uchar*>(dib.data());
        QImage expected(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb c = qRgb(x * 40, y * 80, 7);
                expected.setPixel(x, y, c);
                uchar* px = p + 40 + colours * 4 + (height - 1 - y) * stride + x * bits / 8;
                px[0] = uchar(qBlue(c));
                px[1] = uchar(qGreen(c));
                px[2] = uchar(qRed(c));
            }
        Picture picture(helper.DibDataToPicture(p));
        ASSERT_NE(picture.p, nullptr) << bits;
        EXPECT_EQ(picture->layer(1)->image(), expected) << bits;
        qToLittleEndian<qint32>(-height, p + 8); // top-down: refused
        EXPECT_EQ(helper.DibDataToPicture(p), nullptr);
    }
}

// Saved pictures decode again to the same pixels; a failed save leaves the
// file it was to replace untouched. Enhancing stretches a dull picture to the
// full range and balances a cast to grey.
TEST_F(ZellibHelperTest, SaveAndEnhance)
{
    const QImage source = quadrantImage(64, 48);
    Picture picture(pictureOf(source));
    const QString png = file(u"out.png"_s);
    EXPECT_EQ(picture->save(png), 0);
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), source.convertToFormat(QImage::Format_RGB32));
    const QString jpg = file(u"out.jpg"_s);
    EXPECT_EQ(ZellibHelper().SaveImgFile(picture.p, u16(jpg), nullptr), 1);
    EXPECT_LT(meanDifference(QImage(jpg), source), 6.0);
    writeFile(file(u"keep.gif"_s), "precious");
    EXPECT_NE(picture->save(file(u"keep.gif"_s)), 0);
    EXPECT_EQ(fileBytes(file(u"keep.gif"_s)), QByteArray("precious"));
    EXPECT_NE(picture->save(root() + u"/missing/folder/x.png"_s), 0);

    QImage dull(64, 64, QImage::Format_RGB32); // values 100..150
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            dull.setPixel(x, y, qRgb(100 + (x * 50) / 63, 100 + (y * 50) / 63, 125));
    Picture dullPicture(pictureOf(dull));
    EXPECT_EQ(dullPicture->autoEnhance(), 0);
    const QImage stretched = dullPicture->layer(1)->image(); // red rises from left to right
    EXPECT_LE(qRed(stretched.pixel(0, 0)), 10);
    EXPECT_GE(qRed(stretched.pixel(63, 0)), 245);

    QImage cast(32, 32, QImage::Format_RGB32);
    cast.fill(qRgb(180, 120, 90));
    Picture castPicture(pictureOf(cast));
    EXPECT_EQ(castPicture->colorFix(), 0);
    const QRgb fixed = castPicture->layer(1)->image().pixel(5, 5);
    EXPECT_NEAR(qRed(fixed), 120, 1);
    EXPECT_NEAR(qBlue(fixed), 120, 1);
}

// Every reader of files (thumbnails, the picture, its size, the EXIF
// structure and properties, sound annotations, the catalogue record) on
// files that are empty, cut short, noise, missing, a folder, a FIFO or a
// link to /dev/zero (which used to block for ever or read without end),
// headers claiming absurd sizes (refused without taking the memory they
// claim), and the corrupt files that fuzzers of picture libraries found:
// each ends quickly, gives only bitmaps, and where there is nothing to
// decode gives the empty results.
TEST_F(ZellibHelperTest, BadFilesFailCleanlyInEveryReader)
{
    const QByteArray camera = fileBytes(goexif(u"sample1.jpg"_s));
    QByteArray noise(50000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    for (const auto& [name, bytes] : {std::pair{"empty.jpg", QByteArray()}, {"soi.jpg", QByteArray("\xff\xd8", 2)},
                                      {"noise.jpg", noise}, {"truncated.jpg", camera.left(2000)},
                                      {"header-only.jpg", camera.left(400)},
                                      {"random-after-soi.jpg", QByteArray("\xff\xd8\xff\xe1", 4) + noise}})
        writeFile(file(QLatin1String(name)), bytes);
    const QString fifo = file(u"fifo.jpg"_s), zero = file(u"zero.jpg"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, zero));
    // A small progressive JPEG whose frame claims 16000 x 16000.
    const QString bomb = file(u"bomb.jpg"_s);
    runProgram(u"/usr/bin/convert"_s, {u"rose:"_s, u"-interlace"_s, u"JPEG"_s, bomb});
    QByteArray bytes = fileBytes(bomb);
    const qsizetype frame = bytes.indexOf("\xff\xc2");
    ASSERT_GT(frame, 0);
    qToBigEndian<quint32>(16000 * 0x10001u, bytes.data() + frame + 5);
    writeFile(bomb, bytes);

    const QStringList special{fifo, zero, file(u"noise.jpg"_s), file(u"missing.jpg"_s)};
    const QStringList nothing = special
        + QStringList{file(u"empty.jpg"_s), file(u"soi.jpg"_s), file(u"truncated.jpg"_s), root(),
                      pixbufTest(u"issue205.jpg"_s), pixbufTest(u"large.jpg"_s), bomb};
    const QStringList cutOff = filesIn(goexif(u"samples"_s), {u"*-sep-*.jpg"_s}); // 47 camera files cut after their Exif
    const QStringList hostile = QStringList{file(u"header-only.jpg"_s), file(u"random-after-soi.jpg"_s)}
        + cutOff + filesIn(pixbufTest(u"test-images/fail"_s))
        + filesIn(pixbufTest(u"test-images/randomly-modified"_s)) + filesIn(goexif(u"corrupt"_s));
    ASSERT_GT(hostile.size(), 80);
    for (const QString& path : nothing + hostile) {
        const Reading r = readEverything(path);
        ASSERT_TRUE(r.finished) << qPrintable(path);
        EXPECT_TRUE(r.bitmaps && (r.exif == 0 || r.exif == 1) && r.audio == 0) << qPrintable(path);
        EXPECT_LT(r.ms, 5000) << qPrintable(path);
        EXPECT_TRUE(!nothing.contains(path) || (r.noThumbnails && r.noPicture)) << qPrintable(path);
        EXPECT_TRUE(!special.contains(path) || (r.width <= 0 && r.exif == 0 && r.imported <= 0)) << qPrintable(path);
        EXPECT_TRUE(path != cutOff.first() || r.exif == 0) << "the cut-off camera files hold nothing Exiv2 accepts";
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 512 * 1024) << "kB at the peak";

    _EXIF_INFORMATION info;
    EXPECT_EQ(GetImageExif(u16(QString()), &info), 0);
    EXPECT_EQ(GetImageExif(nullptr, &info), 0);
    EXPECT_EQ(GetImageExif(u16(goexif(u"sample1.jpg"_s)), nullptr), 0);
    EXPECT_EQ(ZellibHelper().GetPictureSize(nullptr).cy, 0);
}

// Decodes on two threads at once use their own pictures.
TEST_F(ZellibHelperTest, ConcurrentDecodes)
{
    const QImage expected = thumbnailOf(orientationSet(6), 96);
    QList<QImage> results(2);
    std::thread a([&] { results[0] = thumbnailOf(orientationSet(6), 96); });
    std::thread b([&] { results[1] = thumbnailOf(orientationSet(8), 96); });
    a.join();
    b.join();
    EXPECT_EQ(results[0], expected);
    EXPECT_LT(meanDifference(results[1], expected), 2.0);
}

// 72-megapixel panoramas in formats decoded at full size get their
// thumbnails (a full decode of each would pass the memory budget).
TEST_F(ZellibHelperTest, Panoramas)
{
    const QString tiff = file(u"pano.tif"_s);
    const QString png = file(u"pano.png"_s);
    runProgram(u"/usr/bin/convert"_s, {u"-size"_s, u"12000x6000"_s, u"-depth"_s, u"8"_s, u"gradient:red-blue"_s,
                                       u"-compress"_s, u"lzw"_s, u"-write"_s, tiff, u"-quality"_s, u"10"_s, png});
    for (const QString& path : {png, tiff}) {
        QList<QSize> sizes;
        ZellibHelper().GetThumbnailsUseZelLib(u16(path), {64, 128, 256, 384}, true, 0, &sizes);
        EXPECT_EQ(sizes, (QList<QSize>{{64, 32}, {128, 64}, {256, 128}, {384, 192}})) << qPrintable(path);
    }
}
