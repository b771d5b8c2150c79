#include "zellibhelper.h"

#include "bmpheader_p.h"
#include "exifpropertywriter.h"

#include <QString>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <new>
#include <numeric>
#include <utility>

using PubImage::ZelLayer;
using PubImage::ZelPicture;
using PubImage::ZelPixelTransfer;
using PubImage::ZelRect;

namespace {

constexpr qsizetype BmpHeaderBytes = velorin::imaging::BmpFileHeaderBytes + velorin::imaging::DibHeaderBytes;
const QString PaintLayerName = QStringLiteral("MyPaintBrushLayer");

QString pathText(const unsigned short* path)
{
    return path ? QString::fromUtf16(reinterpret_cast<const char16_t*>(path)) : QString();
}

// Owns one reference to a picture for the length of a scope.
struct PictureRef
{
    ZelPicture* picture;
    explicit PictureRef(ZelPicture* p) : picture(p) {}
    ~PictureRef() { Zel0Release(picture); }
    PictureRef(const PictureRef&) = delete;
    PictureRef& operator=(const PictureRef&) = delete;
    ZelPicture* take() { return std::exchange(picture, nullptr); }
};

// The BMP file of a picture: the two headers, then the rows. With bottomUp
// the picture's last row is stored first (as BMP wants); otherwise the rows
// follow in the picture's own order.
QByteArray bmpFile(const ZelPicture* picture, int* outWidth, int* outHeight, bool bottomUp)
{
    const int width = picture->width();
    const int height = picture->height();
    if (outWidth)
        *outWidth = width;
    if (outHeight)
        *outHeight = height;
    if (width <= 0 || height <= 0)
        return {};
    const qsizetype stride = velorin::imaging::bmpRowBytes(width);
    const qint64 imageSize = qint64(stride) * height;
    if (imageSize > std::numeric_limits<qint32>::max() - BmpHeaderBytes)
        return {};
    QByteArray blob;
    try {
        blob = QByteArray(BmpHeaderBytes + imageSize, '\0');
    } catch (const std::bad_alloc&) {
        return {};
    }
    auto* p = reinterpret_cast<uchar*>(blob.data());
    velorin::imaging::writeBmpFileHeader(p, BmpHeaderBytes + imageSize);
    velorin::imaging::writeDibHeader24(p + velorin::imaging::BmpFileHeaderBytes, width, height, imageSize);
    uchar* rows = p + BmpHeaderBytes;
    ZelPixelTransfer transfer;
    transfer.firstRow = bottomUp ? rows + (height - 1) * stride : rows;
    transfer.rect = {0, 0, width, height};
    transfer.bitsPerPixel = 24;
    transfer.stride = bottomUp ? -stride : stride;
    if (!picture->exportPixels(transfer))
        return {};
    return blob;
}

bool layerHasArea(const ZelPicture* picture)
{
    const ZelLayer* first = picture->layer(1);
    return first && first->rect().width() != 0 && first->rect().height() != 0;
}

// Replaces layer 1 by its counter-clockwise turn; for quarter turns the
// picture's size follows.
void turnFirstLayer(ZelPicture* picture, int degreesCounterClockwise, bool swapSize)
{
    if (ZelLayer* turned = picture->layer(1)->rotated(degreesCounterClockwise))
        picture->replaceLayer(1, turned);
    if (swapSize)
        picture->setSize(picture->size().transposed());
}

// What an orientation code asks for to show the stored pixels upright: a
// top-to-bottom mirror first (the mirrored codes: a left-to-right mirror is
// that mirror and a half turn), then a counter-clockwise turn.
struct Uprighting
{
    bool mirror = false;
    int angle = 0;
};

Uprighting uprightingOf(int code)
{
    switch (code) {
    case 2: return {true, 180};
    case 3: return {false, 180};
    case 4: return {true, 0};
    case 5: return {true, 270};
    case 6: return {false, 270};
    case 7: return {true, 90};
    case 8: return {false, 90};
    default: return {};
    }
}

// Shows a decoded picture upright: first the orientation code (mirror and
// turn), then the caller's clockwise rotation. Without autoRotate the
// stored pixels stay as they are, and so does their code.
void applyOrientation(ZelPicture* picture, bool autoRotate, int rotate)
{
    if (autoRotate && layerHasArea(picture) && picture->hasProperty(PubImage::ZelPropOrientation)) {
        const Uprighting upright = uprightingOf(picture->intProperty(PubImage::ZelPropOrientation));
        if (upright.mirror) {
            if (ZelLayer* mirrored = picture->layer(1)->mirrored())
                picture->replaceLayer(1, mirrored);
        }
        if (upright.angle != 0)
            turnFirstLayer(picture, upright.angle, upright.angle != 180);
        // Nothing is left to apply: a save must not turn the pixels again.
        CExifPropertyWriter::SetExifOrientation(picture, 1);
    }
    int r = rotate % 360;
    if (r != 0 && layerHasArea(picture)) {
        if (r < 0)
            r += 360;
        turnFirstLayer(picture, 360 - r, rotate % 180 != 0);
    }
}

ZelPicture* loaded(const unsigned short* path, PubImage::ZelLoadMode mode, QSize box = {}, int* error = nullptr)
{
    int result = PubImage::ZelLoadUnreadable;
    const QString file = pathText(path);
    PictureRef picture(file.isEmpty() ? nullptr : ZelPicture::create());
    if (picture.picture)
        result = picture.picture->load(file, mode, box);
    if (error)
        *error = result;
    return result == PubImage::ZelLoadOk ? picture.take() : nullptr;
}

// Fits width x height inside the box, keeping the aspect: both scales are
// box height / height when the picture is relatively taller, else box width
// / width. Returns the scale as a fraction.
std::pair<long, long> fitScale(long width, long height, long boxWidth, long boxHeight)
{
    if (qint64(width) * boxHeight <= qint64(height) * boxWidth)
        return {boxHeight, height};
    return {boxWidth, width};
}

// A new 24-bit picture holding layer as layer 1, sized by it.
ZelPicture* pictureOfLayer(ZelLayer* layer)
{
    if (!layer)
        return nullptr;
    ZelPicture* picture = ZelPicture::create();
    if (!picture) {
        layer->release();
        return nullptr;
    }
    const ZelRect r = layer->rect();
    layer->setRect({0, 0, r.width(), r.height()});
    picture->setSize({r.width(), r.height()});
    picture->setBitDepth(24);
    picture->insertLayer(1, layer);
    return picture;
}

} // namespace

ZellibHelper::~ZellibHelper() = default;

ZelPicture* ZellibHelper::ReadPicture(const unsigned short* path, bool autoRotate, int rotate)
{
    ZelPicture* picture = loaded(path, PubImage::ZelLoadMode::Full);
    if (picture)
        applyOrientation(picture, autoRotate, rotate);
    return picture;
}

ZelPicture* ZellibHelper::ReadZelPictureThumbnail(const unsigned short* path, long width, long height)
{
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return nullptr;
    return loaded(path, PubImage::ZelLoadMode::Thumbnail, QSize(int(width), int(height)));
}

QByteArray ZellibHelper::GetThumbnailUseZelLib(const unsigned short* path, int width, int height, int* outWidth,
                                               int* outHeight, bool autoRotate, int rotate)
{
    PictureRef picture(ReadZelPictureThumbnail(path, width, height));
    if (!picture.picture)
        return {};
    applyOrientation(picture.picture, autoRotate, rotate);
    return ZelPicture2Bitmap(picture.picture, outWidth, outHeight);
}

QList<QByteArray> ZellibHelper::GetThumbnailsUseZelLib(const unsigned short* path, const QList<int>& boxes,
                                                       bool autoRotate, int rotate, QList<QSize>* sizes,
                                                       int* loadError)
{
    QList<QByteArray> blobs(boxes.size());
    if (sizes)
        *sizes = QList<QSize>(boxes.size());
    if (boxes.isEmpty())
        return blobs;
    const int largest = *std::max_element(boxes.begin(), boxes.end());
    PictureRef current(loaded(path, PubImage::ZelLoadMode::Thumbnail, QSize(largest, largest), loadError));
    if (!current.picture)
        return blobs;
    applyOrientation(current.picture, autoRotate, rotate);

    // Work from the largest box down so that each scale starts from the
    // smallest picture that still holds enough detail.
    QList<int> order(boxes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return boxes[a] > boxes[b]; });
    for (int i : order) {
        const long box = boxes[i];
        const QSize size = current.picture->size();
        if (size.width() > box || size.height() > box) {
            const auto [num, den] = fitScale(size.width(), size.height(), box, box);
            ZelLayer* smaller = current.picture->layer(1)->resampled(int(num), int(den), int(num), int(den),
                                                                     PubImage::ZelResampleMode::Smooth);
            ZelPicture* next = pictureOfLayer(smaller);
            if (!next)
                continue;
            Zel0Release(current.picture);
            current.picture = next;
        }
        int w = 0;
        int h = 0;
        blobs[i] = bmpFile(current.picture, &w, &h, true);
        if (sizes && !blobs[i].isEmpty())
            (*sizes)[i] = QSize(w, h);
    }
    return blobs;
}

QByteArray ZellibHelper::GetPicture(const unsigned short* path)
{
    PictureRef picture(ReadPicture(path, true, 0));
    return ZelPicture2Bitmap(picture.picture, nullptr, nullptr);
}

QByteArray ZellibHelper::GetPictureNotFlipLayer(const unsigned short* path, bool autoRotate, int rotate)
{
    PictureRef picture(ReadPicture(path, autoRotate, rotate));
    return ZelPicture2BitmapNotFlipLayer(picture.picture, nullptr, nullptr);
}

QByteArray ZellibHelper::ZelPicture2Bitmap(ZelPicture* picture, int* width, int* height)
{
    if (!picture)
        return {};
    // Mirror layer 1 so that the picture's first row is the photograph's
    // bottom row, the order BMP stores.
    FlipZelPicture(picture);
    return bmpFile(picture, width, height, false);
}

QByteArray ZellibHelper::ZelPicture2BitmapNotFlipLayer(ZelPicture* picture, int* width, int* height)
{
    if (!picture)
        return {};
    if (const ZelLayer* first = picture->layer(1); first && first->rect().width() == 0 && first->rect().height() == 0)
        return {};
    return bmpFile(picture, width, height, false);
}

ZelPicture* ZellibHelper::CreateZelPicture(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    ZelPicture* picture = ZelPicture::create();
    if (picture)
        picture->setSize({width, height});
    return picture;
}

ZelPicture* ZellibHelper::DibDataToPicture(unsigned char* dib)
{
    if (!dib)
        return nullptr;
    const qint32 width = qFromLittleEndian<qint32>(dib + 4);
    const qint32 height = qFromLittleEndian<qint32>(dib + 8);
    const quint16 bitCount = qFromLittleEndian<quint16>(dib + 14);
    const quint32 coloursUsed = qFromLittleEndian<quint32>(dib + 32);
    if (width < 1 || height <= 0 || (bitCount != 24 && bitCount != 32) || coloursUsed > 256)
        return nullptr;
    const uchar* pixels = dib + 40 + (bitCount != 24 ? qsizetype(coloursUsed) * 4 : 0);
    const qsizetype stride = velorin::imaging::bmpRowBytes(width, bitCount);

    ZelLayer* layer = ZelLayer::create({0, 0, width, height}, bitCount);
    if (!layer)
        return nullptr;
    ZelPixelTransfer rows;
    rows.firstRow = const_cast<uchar*>(pixels) + (height - 1) * stride; // top row of a bottom-up bitmap
    rows.rect = {0, 0, width, height};
    rows.bitsPerPixel = bitCount;
    rows.stride = -stride;
    ZelPicture* picture = CreateZelPicture(width, height);
    if (!picture || !layer->importPixels(rows)) {
        Zel0Release(picture);
        layer->release();
        return nullptr;
    }
    picture->setBitDepth(bitCount);
    picture->insertLayer(1, layer);
    return picture;
}

int ZellibHelper::SaveBitmaptoFile(unsigned char* dib, const unsigned short* path, void* exifSource, int width,
                                   int height, int autoEnhance)
{
    if (!dib || !path)
        return 0;
    PictureRef picture(DibDataToPicture(dib));
    if (!picture.picture)
        return 0;
    if (width != 0 && height != 0) {
        if (ZelPicture* resampled = ResamplePicture(picture.picture, width, height, 0)) {
            Zel0Release(picture.picture);
            picture.picture = resampled;
        }
    }
    if (autoEnhance != 0)
        DoAutoEnhance(picture.picture);
    return SaveImgFile(picture.picture, path, exifSource);
}

int ZellibHelper::SaveImgFile(ZelPicture* picture, const unsigned short* path, void* exifSource)
{
    const QString file = pathText(path);
    if (!picture || file.isEmpty())
        return 0;
    // The file gets what the writer puts on the picture and nothing decoded
    // with it: the source's camera, position and orientation code no longer
    // need describe these pixels, and the caller decides through exifSource
    // what they take over. Pixels already shown upright take no
    // orientation, whatever the source says, so that no viewer turns them
    // again.
    const bool upright = picture->intProperty(PubImage::ZelPropOrientation) == 1;
    const QList<int> decoded = picture->properties().keys();
    for (const int id : decoded) {
        if (id >= 11000 || id == PubImage::ZelPropHasExif || id == PubImage::ZelPropAudioFile)
            picture->setProperty(id, {});
    }
    CExifPropertyWriter writer;
    writer.SetNormalExifInfo(picture);
    writer.SetExifTime(picture);
    writer.SetExifCamera(picture, exifSource);
    if (exifSource)
        writer.SetExifGPSInfo(picture, exifSource);
    if (upright)
        picture->setProperty(PubImage::ZelPropOrientation, {});
    picture->setIntProperty(PubImage::ZelPropSaveQuality, 100);
    return picture->save(file) == 0 ? 1 : 0;
}

int ZellibHelper::RotatePicture(ZelPicture* picture, int degrees)
{
    if (!picture || picture->layerCount() == 0)
        return 0;
    int angle = degrees % 360;
    if (angle < 1)
        angle += 360;
    for (int i = 1; i <= picture->layerCount(); ++i) {
        if (ZelLayer* turned = picture->layer(i)->rotated(angle))
            picture->replaceLayer(i, turned);
    }
    if (angle == 90 || angle == 270)
        picture->setSize(picture->size().transposed());
    picture->setCurrentLayer(FindPaintLyr(picture));
    return 1;
}

void ZellibHelper::FlipZelPicture(ZelPicture* picture)
{
    if (!picture || picture->layerCount() == 0)
        return;
    if (ZelLayer* mirrored = picture->layer(1)->mirrored())
        picture->replaceLayer(1, mirrored);
}

tagSIZE ZellibHelper::GetPictureSize(const unsigned short* path)
{
    PictureRef picture(loaded(path, PubImage::ZelLoadMode::Header));
    if (!picture.picture)
        return {};
    return {picture.picture->width(), picture.picture->height()};
}

ZelPicture* ZellibHelper::ResamplePicture(ZelPicture* picture, long width, long height, int keepAspect)
{
    const ZelLayer* first = picture ? picture->layer(1) : nullptr;
    if (!first || width <= 0 || height <= 0)
        return nullptr;
    const long layerWidth = first->rect().width();
    const long layerHeight = first->rect().height();
    if (layerWidth <= 0 || layerHeight <= 0 || (layerWidth == width && layerHeight == height))
        return nullptr;
    long numX = width, denX = layerWidth, numY = height, denY = layerHeight;
    if (keepAspect) {
        const auto [num, den] = fitScale(layerWidth, layerHeight, width, height);
        numX = numY = num;
        denX = denY = den;
    }
    return pictureOfLayer(first->resampled(int(numX), int(denX), int(numY), int(denY),
                                           PubImage::ZelResampleMode::Smooth));
}

int ZellibHelper::DoAutoEnhance(ZelPicture* picture)
{
    return picture && picture->autoEnhance() == 0 ? 1 : 0;
}

int ZellibHelper::FindPaintLyr(ZelPicture* picture)
{
    if (!picture || picture->layerCount() <= 1)
        return -1;
    for (int i = 1; i <= picture->layerCount(); ++i) {
        if (picture->layer(i)->name() == PaintLayerName)
            return i;
    }
    return -1;
}
