#include <velorin/velorin.h>

#include "imaging/exiftestsupport.h"
#include "support/media.h"
#include "support/photofixtures.h"
#include "support/temphome.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

#include <future>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>

using PubImage::ZelLayer;
using PubImage::ZelPicture;

namespace {

// A picture holding image as layer 1, as DibDataToPicture or a decode makes it.
ZelPicture* pictureOf(const QImage& image)
{
    ZelPicture* picture = ZelPicture::create();
    picture->setSize(image.size());
    picture->insertLayer(1, ZelLayer::fromImage(image));
    return picture;
}

QImage fromBmp(const QByteArray& blob)
{
    QImage image;
    image.loadFromData(blob, "BMP");
    return image;
}

QImage thumbnail(const QString& path, int box, int rotate = 0, int* w = nullptr, int* h = nullptr)
{
    int width = 0, height = 0;
    const QByteArray blob = ZellibHelper().GetThumbnailUseZelLib(u16(path), box, box, &width, &height, true, rotate);
    if (w)
        *w = width;
    if (h)
        *h = height;
    return fromBmp(blob);
}

quint32 le32(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

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
    ZelPicture* picture = pictureOf(source);
    int w = 0, h = 0;
    const QByteArray blob = ZellibHelper().ZelPicture2Bitmap(picture, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    ASSERT_EQ(blob.size(), 54 + 300 * 50);
    QByteArray header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    qToLittleEndian<quint32>(54 + 15000, header.data() + 2);
    qToLittleEndian<quint32>(54, header.data() + 10);
    qToLittleEndian<quint32>(40, header.data() + 14);
    qToLittleEndian<quint32>(100, header.data() + 18);
    qToLittleEndian<quint32>(50, header.data() + 22);
    qToLittleEndian<quint16>(1, header.data() + 26);
    qToLittleEndian<quint16>(24, header.data() + 28);
    qToLittleEndian<quint32>(15000, header.data() + 34);
    EXPECT_EQ(blob.left(54).toHex(), header.toHex());
    // First stored row is the picture's bottom row (blue left, yellow right
    // in the quadrant picture), pixels blue-green-red.
    EXPECT_EQ(blob.mid(54, 3).toHex(), QByteArray("ff0000"));
    EXPECT_EQ(fromBmp(blob), source.convertToFormat(QImage::Format_RGB32));

    // A second export without mirroring back stores the other order.
    const QByteArray again = ZellibHelper().ZelPicture2Bitmap(picture, nullptr, nullptr);
    EXPECT_EQ(fromBmp(again), source.convertToFormat(QImage::Format_RGB32).mirrored(false, true));
    // The second export put the picture back; without the mirror the rows
    // stand top first under the same header.
    const QByteArray topFirst = ZellibHelper().ZelPicture2BitmapNotFlipLayer(picture, nullptr, nullptr);
    EXPECT_EQ(topFirst.left(54), blob.left(54));
    EXPECT_EQ(fromBmp(topFirst), source.convertToFormat(QImage::Format_RGB32).mirrored(false, true));
    Zel0Release(picture);

    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(1, 2, 3));
    picture = pictureOf(dot);
    const QByteArray one = ZellibHelper().ZelPicture2Bitmap(picture, nullptr, nullptr);
    ASSERT_EQ(one.size(), 58);
    EXPECT_EQ(le32(one, 2), 58u);
    EXPECT_EQ(le32(one, 34), 4u);
    EXPECT_EQ(one.mid(54).toHex(), QByteArray("03020100"));
    Zel0Release(picture);

    EXPECT_TRUE(ZellibHelper().ZelPicture2Bitmap(nullptr, &w, &h).isEmpty());
}

// Every orientation code comes out upright; the extra rotation turns
// clockwise after it.
TEST_F(ZellibHelperTest, OrientationAndRotation)
{
    const QImage upright = thumbnail(orientationSet(0), 128);
    ASSERT_FALSE(upright.isNull());
    for (int code = 1; code <= 8; ++code)
        EXPECT_LT(meanDifference(thumbnail(orientationSet(code), 128), upright), 2.0) << "orientation " << code;
    const QImage f1 = thumbnail(goexif(QStringLiteral("samples/f1-exif.jpg")), 128);
    for (int code = 2; code <= 8; ++code)
        EXPECT_LT(meanDifference(thumbnail(goexif(QStringLiteral("samples/f%1-exif.jpg").arg(code)), 128), f1), 2.0)
            << "f" << code;
    // Stored with the orientation in the wrong data type: read anyway.
    QImage reference(pixbufTest(QStringLiteral("bug725582-testrotate.png")));
    const QImage turned = thumbnail(pixbufTest(QStringLiteral("bug725582-testrotate.jpg")), 1000);
    EXPECT_LT(meanDifference(turned, reference.convertToFormat(QImage::Format_RGB32)), 6.0);

    // Code 1 turned 90 clockwise equals code 6 (which shows turned).
    const QString plain = writeImage(QStringLiteral("plain.png"), quadrantImage(80, 40));
    int w = 0, h = 0;
    const QImage quarter = thumbnail(plain, 128, 90, &w, &h);
    EXPECT_EQ(QSize(w, h), QSize(40, 80));
    EXPECT_EQ(quarter, quadrantImage(80, 40).convertToFormat(QImage::Format_RGB32).transformed(QTransform().rotate(90)));
    EXPECT_EQ(thumbnail(plain, 128, -90), thumbnail(plain, 128, 270));
    EXPECT_EQ(thumbnail(plain, 128, 360), thumbnail(plain, 128, 0));
    EXPECT_EQ(thumbnail(plain, 128, 180), quadrantImage(80, 40).convertToFormat(QImage::Format_RGB32).mirrored(true, true));

    // Without autoRotate the stored pixels come untouched, mirrored codes too.
    for (int code = 1; code <= 8; ++code) {
        QImageReader stored(orientationSet(code));
        stored.setAutoTransform(false);
        ZelPicture* asStored = ZellibHelper().ReadPicture(u16(orientationSet(code)), false, 0);
        ASSERT_NE(asStored, nullptr);
        EXPECT_EQ(asStored->layer(1)->image(), stored.read().convertToFormat(QImage::Format_RGB32)) << code;
        Zel0Release(asStored);
    }
}

// Thumbnails fit the box without enlarging; the four from one decode match
// the sizes of four separate decodes.
TEST_F(ZellibHelperTest, ThumbnailSizes)
{
    QImage big(1600, 1200, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    const QString jpeg = writeImage(QStringLiteral("big.jpg"), big);
    int w = 0, h = 0;
    EXPECT_FALSE(thumbnail(jpeg, 384, 0, &w, &h).isNull());
    EXPECT_EQ(QSize(w, h), QSize(384, 288));
    const QString small = writeImage(QStringLiteral("small.png"), quadrantImage(30, 20));
    EXPECT_EQ(thumbnail(small, 64).size(), QSize(30, 20));

    QList<QSize> sizes;
    const QList<QByteArray> four =
        ZellibHelper().GetThumbnailsUseZelLib(u16(jpeg), {64, 128, 256, 384}, true, 0, &sizes);
    ASSERT_EQ(four.size(), 4);
    EXPECT_EQ(sizes, (QList<QSize>{{64, 48}, {128, 96}, {256, 192}, {384, 288}}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fromBmp(four[i]).size(), sizes[i]);
    const tagSIZE size = ZellibHelper().GetPictureSize(u16(jpeg));
    EXPECT_EQ(size.cx, 1600);
    EXPECT_EQ(size.cy, 1200);
}

// Rotation of every layer, the paint layer made current, mirroring, and
// packed bitmaps in and out.
TEST_F(ZellibHelperTest, PictureOperations)
{
    const QImage source = quadrantImage(40, 20);
    ZelPicture* picture = pictureOf(source);
    ZelLayer* paint = ZelLayer::create({0, 0, 40, 20});
    paint->setName(QStringLiteral("MyPaintBrushLayer"));
    picture->insertLayer(2, paint);
    ZellibHelper helper;
    EXPECT_EQ(helper.RotatePicture(picture, 0), 1);
    EXPECT_EQ(picture->size(), QSize(40, 20));
    EXPECT_EQ(picture->layer(1)->image(), source.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(helper.RotatePicture(picture, -90), 1); // 270 counter-clockwise
    EXPECT_EQ(picture->size(), QSize(20, 40));
    EXPECT_EQ(picture->layer(2)->rect().width(), 20);
    EXPECT_EQ(picture->currentLayer(), 2);
    EXPECT_EQ(picture->layer(1)->image(),
              source.convertToFormat(QImage::Format_RGB32).transformed(QTransform().rotate(90)));
    Zel0Release(picture);
    EXPECT_EQ(helper.RotatePicture(nullptr, 90), 0);

    // A bottom-up 24-bit DIB with padded rows, and a 32-bit one after a
    // colour table.
    for (const int bits : {24, 32}) {
        const int width = 5, height = 3, colours = bits == 32 ? 2 : 0;
        const int stride = (width * bits + 31) / 32 * 4;
        QByteArray dib(40 + colours * 4 + stride * height, '\0');
        auto* p = reinterpret_cast<uchar*>(dib.data());
        qToLittleEndian<quint32>(40, p);
        qToLittleEndian<qint32>(width, p + 4);
        qToLittleEndian<qint32>(height, p + 8);
        qToLittleEndian<quint16>(1, p + 12);
        qToLittleEndian<quint16>(bits, p + 14);
        qToLittleEndian<quint32>(colours, p + 32);
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
        picture = helper.DibDataToPicture(p);
        ASSERT_NE(picture, nullptr) << bits;
        EXPECT_EQ(picture->layer(1)->image(), expected) << bits;
        Zel0Release(picture);
        qToLittleEndian<qint32>(-height, p + 8); // top-down: refused
        EXPECT_EQ(helper.DibDataToPicture(p), nullptr);
    }
}

// Saved pictures decode again to the same pixels; a failed save leaves the
// file it was to replace untouched.
TEST_F(ZellibHelperTest, SaveAndEnhance)
{
    const QImage source = quadrantImage(64, 48);
    ZelPicture* picture = pictureOf(source);
    const QString png = file(QStringLiteral("out.png"));
    EXPECT_EQ(picture->save(png), 0);
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), source.convertToFormat(QImage::Format_RGB32));
    const QString jpg = file(QStringLiteral("out.jpg"));
    EXPECT_EQ(ZellibHelper().SaveImgFile(picture, u16(jpg), nullptr), 1);
    EXPECT_LT(meanDifference(QImage(jpg), source), 6.0);
    writeFile(file(QStringLiteral("keep.gif")), "precious");
    EXPECT_NE(picture->save(file(QStringLiteral("keep.gif"))), 0);
    EXPECT_EQ(fileBytes(file(QStringLiteral("keep.gif"))), QByteArray("precious"));
    EXPECT_NE(picture->save(root() + QStringLiteral("/missing/folder/x.png")), 0);
    Zel0Release(picture);

    // A dull picture (values 100..150) is stretched to the full range.
    QImage dull(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            dull.setPixel(x, y, qRgb(100 + (x * 50) / 63, 100 + (y * 50) / 63, 125));
    picture = pictureOf(dull);
    EXPECT_EQ(picture->autoEnhance(), 0);
    int lo = 255, hi = 0;
    const QImage& enhanced = picture->layer(1)->image();
    for (int x = 0; x < 64; ++x) {
        lo = std::min(lo, qRed(enhanced.pixel(x, 0)));
        hi = std::max(hi, qRed(enhanced.pixel(x, 0)));
    }
    EXPECT_LE(lo, 10);
    EXPECT_GE(hi, 245);
    Zel0Release(picture);

    // A reddish cast is balanced to grey.
    QImage cast(32, 32, QImage::Format_RGB32);
    cast.fill(qRgb(180, 120, 90));
    picture = pictureOf(cast);
    EXPECT_EQ(picture->colorFix(), 0);
    const QRgb fixed = picture->layer(1)->image().pixel(5, 5);
    EXPECT_NEAR(qRed(fixed), 120, 1);
    EXPECT_NEAR(qBlue(fixed), 120, 1);
    Zel0Release(picture);
}

// Broken, truncated, hostile and huge files give the empty results quickly
// and without crashing.
TEST_F(ZellibHelperTest, BadInput)
{
    QStringList bad;
    writeFile(file(QStringLiteral("empty.jpg")), {});
    writeFile(file(QStringLiteral("soi.jpg")), QByteArray("\xff\xd8", 2));
    QByteArray noise(20000, '\0');
    QRandomGenerator rng(7);
    for (char& c : noise)
        c = char(rng.bounded(256));
    writeFile(file(QStringLiteral("noise.jpg")), noise);
    writeFile(file(QStringLiteral("truncated.jpg")), fileBytes(goexif(QStringLiteral("sample1.jpg"))).left(2000));
    bad << file(QStringLiteral("empty.jpg")) << file(QStringLiteral("soi.jpg")) << file(QStringLiteral("noise.jpg"))
        << file(QStringLiteral("missing.jpg")) << root() << pixbufTest(QStringLiteral("issue205.jpg"))
        << pixbufTest(QStringLiteral("large.jpg"));
    ZellibHelper helper;
    QElapsedTimer timer;
    for (const QString& path : std::as_const(bad)) {
        timer.start();
        EXPECT_TRUE(helper.GetThumbnailUseZelLib(u16(path), 128, 128, nullptr, nullptr, true, 0).isEmpty()) << qPrintable(path);
        EXPECT_TRUE(helper.GetPicture(u16(path)).isEmpty()) << qPrintable(path);
        EXPECT_LT(timer.elapsed(), 5000) << qPrintable(path);
    }
    EXPECT_EQ(helper.GetPictureSize(u16(file(QStringLiteral("noise.jpg")))).cx, 0);
    EXPECT_EQ(helper.GetPictureSize(nullptr).cy, 0);
    // A truncated picture still yields what decodes, a PNG named .jpg decodes
    // by its content.
    EXPECT_FALSE(thumbnail(pixbufTest(QStringLiteral("premature-end.jpg")), 64).isNull());
    const QString disguised = writeImage(QStringLiteral("disguised.jpg"), quadrantImage(20, 10), "PNG");
    EXPECT_EQ(thumbnail(disguised, 64).size(), QSize(20, 10));

    // Corrupt files of every format the fuzzers of a picture library found,
    // and randomly modified ones: whatever comes back, nothing crashes.
    const QStringList hostile = filesIn(pixbufTest(QStringLiteral("test-images/fail")))
                                + filesIn(pixbufTest(QStringLiteral("test-images/randomly-modified")))
                                + filesIn(goexif(QStringLiteral("corrupt")))
                                + filesIn(goexif(QStringLiteral("samples")), {QStringLiteral("*-sep-*.jpg")});
    ASSERT_GT(hostile.size(), 80);
    for (const QString& path : hostile) {
        const QList<QByteArray> blobs = helper.GetThumbnailsUseZelLib(u16(path), {64, 384}, true, 0);
        for (const QByteArray& blob : blobs)
            EXPECT_TRUE(blob.isEmpty() || !fromBmp(blob).isNull()) << qPrintable(path);
        helper.GetPictureSize(u16(path));
    }
}

// Decodes on two threads at once use their own pictures.
TEST_F(ZellibHelperTest, ConcurrentDecodes)
{
    const QImage expected = thumbnail(orientationSet(6), 96);
    QList<QImage> results(2);
    std::thread a([&] { results[0] = thumbnail(orientationSet(6), 96); });
    std::thread b([&] { results[1] = thumbnail(orientationSet(8), 96); });
    a.join();
    b.join();
    EXPECT_EQ(results[0], expected);
    EXPECT_LT(meanDifference(results[1], expected), 2.0);
}

// A FIFO and a link to /dev/zero named like pictures are refused at once by
// every reader of files, where they used to block for ever or read without
// end.
TEST_F(ZellibHelperTest, OnlyRegularFilesAreRead)
{
    const QString fifo = file(QStringLiteral("fifo.jpg"));
    const QString zero = file(QStringLiteral("zero.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const QString& path : {fifo, zero}) {
        auto refused = std::make_shared<std::promise<bool>>();
        std::future<bool> result = refused->get_future();
        // Detached: a regression blocks it for good, and the test must end.
        std::thread([path, refused] {
            refused->set_value([&path] {
                ZellibHelper helper;
                _EXIF_INFORMATION info;
                CExifPropertyReader reader;
                QFileInfo facts(path);
                DBImageInfo record;
                AddFileToPhotoLibrary::getDBImageInfoFromImageFile(facts, record);
                return helper.GetThumbnailsUseZelLib(u16(path), {64, 384}, true, 0).first().isEmpty()
                       && helper.GetPicture(u16(path)).isEmpty() && helper.GetPictureSize(u16(path)).cx == 0
                       && GetImageExif(u16(path), &info) == 0 && reader.ImportExifInfo(u16(path)) == 0;
            }());
        }).detach();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready) << qPrintable(path);
        EXPECT_TRUE(result.get()) << qPrintable(path);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 512 * 1024) << "kB at the peak";
}

// 72-megapixel panoramas in formats decoded at full size get their
// thumbnails; headers claiming absurd sizes are refused without taking the
// memory they claim.
TEST_F(ZellibHelperTest, PanoramasButNoAbsurdSizes)
{
    // A small progressive JPEG whose frame claims 16000 x 16000.
    const QString bomb = file(QStringLiteral("bomb.jpg"));
    runProgram(QStringLiteral("/usr/bin/convert"), {QStringLiteral("rose:"), QStringLiteral("-interlace"),
                                                    QStringLiteral("JPEG"), bomb});
    QByteArray bytes = fileBytes(bomb);
    const qsizetype frame = bytes.indexOf("\xff\xc2");
    ASSERT_GT(frame, 0);
    qToBigEndian<quint32>(16000 * 0x10001u, bytes.data() + frame + 5);
    writeFile(bomb, bytes);
    ZellibHelper helper;
    for (const QString& path : {pixbufTest(QStringLiteral("issue205.jpg")), pixbufTest(QStringLiteral("large.jpg")), bomb})
        EXPECT_TRUE(helper.GetThumbnailsUseZelLib(u16(path), {64, 384}, true, 0).first().isEmpty()) << qPrintable(path);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 512 * 1024) << "kB at the peak";

    const QString tiff = file(QStringLiteral("pano.tif"));
    const QString png = file(QStringLiteral("pano.png"));
    runProgram(QStringLiteral("/usr/bin/convert"),
               {QStringLiteral("-size"), QStringLiteral("12000x6000"), QStringLiteral("-depth"), QStringLiteral("8"),
                QStringLiteral("gradient:red-blue"), QStringLiteral("-compress"), QStringLiteral("lzw"),
                QStringLiteral("-write"), tiff, QStringLiteral("-quality"), QStringLiteral("10"), png});
    for (const QString& path : {png, tiff}) {
        QList<QSize> sizes;
        helper.GetThumbnailsUseZelLib(u16(path), {64, 128, 256, 384}, true, 0, &sizes);
        EXPECT_EQ(sizes, (QList<QSize>{{64, 32}, {128, 64}, {256, 128}, {384, 192}})) << qPrintable(path);
    }
}
