// The Exiv2 side of the picture layer: Exif tags become raw properties on
// reading and go back into encoded files on saving. Exiv2 works on the
// bytes the picture layer already holds, never on the file again.

#include "exifbridge_p.h"
#include "exifproperties_p.h"

#include <velorin/imaging/zelpicture.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QStringList>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

// Exiv2 0.27 still hands out std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>
#pragma GCC diagnostic pop

namespace velorin::exif {

namespace {

// Texts and byte arrays longer than this in a tag are cut while reading; no
// property holds more.
constexpr long MaxTagBytes = 2 * TextCapacity;

void prepareExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Exiv2's XMP toolkit must be set up once before threads use it, and
        // its warnings about odd files go nowhere.
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

int formatCode(int imageType)
{
    switch (imageType) {
    case Exiv2::ImageType::jpeg:
        return PubImage::ZelFormatJpeg;
    // TIFF and the camera RAW formats Exiv2 reads (NEF, DNG, ARW, PEF, SRW
    // and SR2 are all TIFF to it).
    case Exiv2::ImageType::tiff:
    case Exiv2::ImageType::cr2:
    case Exiv2::ImageType::crw:
    case Exiv2::ImageType::mrw:
    case Exiv2::ImageType::orf:
    case Exiv2::ImageType::raf:
    case Exiv2::ImageType::rw2:
        return PubImage::ZelFormatTiff;
    case Exiv2::ImageType::png:
        return PubImage::ZelFormatPng;
    case Exiv2::ImageType::webp:
        return PubImage::ZelFormatWebp;
    default:
        return PubImage::ZelFormatUnknown;
    }
}

template<typename T>
QByteArray bytesOf(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

bool isIntegerType(Exiv2::TypeId type)
{
    switch (type) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::undefined:
        return true;
    default:
        return false;
    }
}

// The first integer of the value when it lies within [0, max].
std::optional<quint32> integerValue(const Exiv2::Value& value, qint64 max)
{
    if (!isIntegerType(value.typeId()) || value.count() < 1)
        return std::nullopt;
    const long n = value.toLong(0);
    if (!value.ok() || n < 0 || n > max)
        return std::nullopt;
    return quint32(n);
}

// The i-th rational as two 64-bit integers, whether stored signed or not.
std::optional<std::pair<qint64, qint64>> rationalValue(const Exiv2::Value& value, long i)
{
    if (value.count() <= i)
        return std::nullopt;
    if (const auto* u = dynamic_cast<const Exiv2::URationalValue*>(&value))
        return std::pair<qint64, qint64>(u->value_.at(i).first, u->value_.at(i).second);
    if (const auto* s = dynamic_cast<const Exiv2::RationalValue*>(&value))
        return std::pair<qint64, qint64>(s->value_.at(i).first, s->value_.at(i).second);
    return std::nullopt;
}

// A rational that fits the raw form: unsigned 32-bit for Rational, signed for
// SRational.
std::optional<QByteArray> rationalBytes(const Exiv2::Value& value, long i, bool isSigned)
{
    const auto r = rationalValue(value, i);
    if (!r)
        return std::nullopt;
    const qint64 lo = isSigned ? std::numeric_limits<qint32>::min() : 0;
    const qint64 hi = isSigned ? std::numeric_limits<qint32>::max() : std::numeric_limits<quint32>::max();
    if (r->first < lo || r->first > hi || r->second < lo || r->second > hi)
        return std::nullopt;
    const quint32 pair[2] = {quint32(r->first), quint32(r->second)};
    return QByteArray(reinterpret_cast<const char*>(pair), sizeof pair);
}

// 8-bit Exif text: UTF-8 when it is valid UTF-8 (as most cameras and tools
// write), Latin-1 otherwise.
QString decode8Bit(const std::string& bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(view);
    if (utf8.hasError())
        text = QString::fromLatin1(view);
    return text;
}

// The text of a value, or nothing when the tag does not hold text of the
// kind the property expects.
std::optional<QString> textValue(const PropertyRow& row, const Exiv2::Value& value)
{
    if (row.id == ExifPropUserComment) {
        // The comment's 8-byte character-set prefix is dropped.
        const auto* comment = dynamic_cast<const Exiv2::CommentValue*>(&value);
        if (!comment)
            return std::nullopt;
        QString text;
        if (comment->charsetId() == Exiv2::CommentValue::unicode) {
            // Writers put UTF-16 (surrogate pairs included) where the
            // standard says UCS-2, which Exiv2's own conversion refuses.
            std::string body = comment->value_.size() > 8 ? comment->value_.substr(8) : std::string();
            const bool bigEndian = std::strcmp(comment->detectCharset(body), "UCS-2BE") == 0;
            body.resize(std::min<size_t>(body.size(), size_t(MaxTagBytes)) & ~size_t(1));
            QStringDecoder utf16(bigEndian ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE,
                                 QStringDecoder::Flag::Stateless);
            text = utf16(QByteArrayView(body.data(), qsizetype(body.size())));
        } else {
            text = decode8Bit(comment->comment());
        }
        // Cameras pad the comment with zeros or spaces.
        while (!text.isEmpty() && (text.back() == QChar(0) || text.back() == u' '))
            text.chop(1);
        return text;
    }
    if (row.id >= ExifPropXpTitle && row.id <= ExifPropXpSubject) {
        // Byte arrays of UCS-2 little-endian text.
        if (value.typeId() != Exiv2::unsignedByte)
            return std::nullopt;
        const long count = std::min(value.count(), MaxTagBytes) & ~1L;
        QString text;
        for (long i = 0; i < count; i += 2) {
            const char16_t c = char16_t(value.toLong(i) | (value.toLong(i + 1) << 8));
            if (c == 0)
                break;
            text.append(QChar(c));
        }
        return text;
    }
    if (value.typeId() != Exiv2::asciiString)
        return std::nullopt;
    // toString() stops at the first zero.
    std::string text = value.toString();
    if (text.size() > size_t(MaxTagBytes))
        text.resize(MaxTagBytes);
    return decode8Bit(text);
}

// A decimal number as a rational with a power-of-ten denominator (at most
// five decimals kept).
std::optional<QByteArray> decimalRational(QString text)
{
    text = text.trimmed();
    const qsizetype point = text.indexOf(u'.');
    QString whole = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1).left(5);
    bool ok = !whole.isEmpty();
    for (const QChar c : whole + fraction)
        ok = ok && c >= u'0' && c <= u'9';
    if (!ok)
        return std::nullopt;
    quint64 den = 1;
    for (qsizetype i = 0; i < fraction.size(); ++i)
        den *= 10;
    const quint64 num = (whole + fraction).toULongLong(&ok);
    if (!ok || num > 0xFFFFFFFFu)
        return std::nullopt;
    const quint32 pair[2] = {quint32(num), quint32(den)};
    return QByteArray(reinterpret_cast<const char*>(pair), sizeof pair);
}

// Some phones store GPS coordinates as text instead of three rationals:
// "52,00000,50,00000,34,01180" (three numbers with decimal commas) or
// "52 50 34.0118". Both become the raw triple; anything else is dropped.
QByteArray gpsTripleFromText(const std::string& text8)
{
    const QString text =
        QString::fromLatin1(QByteArrayView(text8.data(), qsizetype(std::min<size_t>(text8.size(), 64))));
    QStringList parts = text.split(u',');
    QStringList numbers;
    if (parts.size() == 6) {
        for (int i = 0; i < 6; i += 2)
            numbers << parts.at(i) + u'.' + parts.at(i + 1);
    } else {
        numbers = text.simplified().split(u' ');
    }
    if (numbers.size() != 3)
        return {};
    QByteArray triple;
    for (const QString& number : numbers) {
        const auto r = decimalRational(number);
        if (!r)
            return {};
        triple += *r;
    }
    return triple;
}

// The raw form of a tag's value; empty when it does not fit.
QByteArray rawValue(const PropertyRow& row, const Exiv2::Value& value)
{
    switch (row.form) {
    case RawForm::Text: {
        const std::optional<QString> text = textValue(row, value);
        if (!text || text->isEmpty())
            return {};
        return textBytes(*text, rawSize(row) / 2);
    }
    case RawForm::Rational:
    case RawForm::SRational:
        return rationalBytes(value, 0, row.form == RawForm::SRational).value_or(QByteArray());
    case RawForm::GpsTriple: {
        if (value.typeId() == Exiv2::asciiString)
            return gpsTripleFromText(value.toString());
        QByteArray triple;
        for (long i = 0; i < 3; ++i) {
            const auto r = rationalBytes(value, i, false);
            if (!r)
                return {};
            triple += *r;
        }
        return triple;
    }
    case RawForm::Short:
        if (const auto n = integerValue(value, 0xFFFF))
            return bytesOf(quint16(*n));
        return {};
    case RawForm::Byte:
        if (const auto n = integerValue(value, 0xFF))
            return bytesOf(quint8(*n));
        return {};
    case RawForm::Long:
        if (const auto n = integerValue(value, 0xFFFFFFFF))
            return bytesOf(quint32(*n));
        return {};
    case RawForm::Version: {
        if ((value.typeId() != Exiv2::undefined && value.typeId() != Exiv2::unsignedByte) || value.count() < 4)
            return {};
        QByteArray version(4, '\0');
        for (int i = 0; i < 4; ++i)
            version[i] = char(value.toLong(i));
        return version;
    }
    case RawForm::GpsRef: {
        if (value.typeId() != Exiv2::asciiString)
            return {};
        const std::string text = value.toString();
        if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
            return {};
        const char16_t ref[2] = {char16_t(text[0]), 0};
        return QByteArray(reinterpret_cast<const char*>(ref), sizeof ref);
    }
    }
    return {};
}

const Exiv2::Exifdatum* findTag(const Exiv2::ExifData& exif, const char* key)
{
    if (!key)
        return nullptr;
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? nullptr : &*it;
}

// A sound annotation names a file in the picture's own folder: its path
// when it is a plain file there (no link, no other folder), else empty.
// Nothing is copied here; a reader that hands the recording out copies it.
QString soundAnnotationPath(const QString& picturePath, const std::string& name8)
{
    const QString name = QString::fromLatin1(QByteArrayView(name8.data(), qsizetype(name8.size())));
    if (picturePath.isEmpty() || name.isEmpty() || name == u"." || name == u".." || name.contains(u'/')
        || name.contains(u'\\') || name.contains(QChar(0)))
        return {};
    const QFileInfo source(QFileInfo(picturePath).absoluteDir(), name);
    // A path longer than a property holds would be cut into another name.
    if (source.isSymLink() || !source.isFile() || source.size() > MaxSoundBytes
        || source.absoluteFilePath().size() >= TextCapacity)
        return {};
    return source.absoluteFilePath();
}

// A JPEG of the pixels of a packed 24-bit bitmap (40-byte header, rows
// bottom-up of exactly width * 3 bytes, blue-green-red); empty when the
// bitmap is not one.
QByteArray jpegOfPackedDib(const QByteArray& dib)
{
    if (dib.size() < 40)
        return {};
    qint32 header[3];
    quint16 bits = 0;
    std::memcpy(header, dib.constData(), sizeof header); // size, width, height
    std::memcpy(&bits, dib.constData() + 14, 2);
    const qint64 width = header[1];
    const qint64 height = header[2];
    if (header[0] != 40 || bits != 24 || width <= 0 || height <= 0 || width > 4096 || height > 4096
        || dib.size() < 40 + width * height * 3)
        return {};
    QImage image(int(width), int(height), QImage::Format_BGR888);
    if (image.isNull())
        return {};
    const char* pixels = dib.constData() + 40;
    for (qint64 y = 0; y < height; ++y)
        std::memcpy(image.scanLine(int(y)), pixels + (height - 1 - y) * width * 3, size_t(width * 3));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    return writer.write(image) ? jpeg : QByteArray();
}

// Sets one tag from a raw property value. Empty texts, orientation 0 (no
// orientation) and values too short for their form are left out.
void putTag(Exiv2::ExifData& exif, const PropertyRow& row, const QByteArray& raw)
{
    const Exiv2::ExifKey key(row.key);
    std::unique_ptr<Exiv2::Value> value;
    const auto* data = reinterpret_cast<const Exiv2::byte*>(raw.constData());
    if (row.form == RawForm::Text || row.form == RawForm::GpsRef) {
        const QString text = textFromBytes(raw);
        if (text.isEmpty())
            return;
        if (row.id >= ExifPropXpTitle && row.id <= ExifPropXpSubject) {
            const QByteArray ucs2 = textBytes(text, int(text.size()) + 1);
            value.reset(Exiv2::Value::create(Exiv2::unsignedByte).release());
            value->read(reinterpret_cast<const Exiv2::byte*>(ucs2.constData()), long(ucs2.size()),
                        Exiv2::littleEndian);
        } else if (row.id == ExifPropUserComment) {
            bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
            value.reset(Exiv2::Value::create(Exiv2::comment).release());
            value->read((ascii ? "charset=Ascii " : "charset=Unicode ") + text.toStdString());
        } else {
            value.reset(Exiv2::Value::create(Exiv2::asciiString).release());
            value->read(text.toStdString());
        }
    } else {
        if (raw.size() < rawSize(row))
            return;
        if (row.id == ExifPropOrientation && raw.startsWith(QByteArray(2, '\0')))
            return;
        // The raw forms are the little-endian Exif encodings of these types.
        const Exiv2::TypeId tagType = key.defaultTypeId();
        Exiv2::TypeId type = tagType;
        long size = rawSize(row);
        switch (row.form) {
        case RawForm::Rational:
        case RawForm::GpsTriple:
            type = Exiv2::unsignedRational;
            break;
        case RawForm::SRational:
            type = Exiv2::signedRational;
            break;
        case RawForm::Short:
        case RawForm::Long:
            // Codes such as the scene type are single bytes in the file.
            if (tagType == Exiv2::undefined || tagType == Exiv2::unsignedByte) {
                if (raw.mid(1, size - 1).count('\0') != size - 1)
                    return;
                size = 1;
            } else {
                type = row.form == RawForm::Short ? Exiv2::unsignedShort : Exiv2::unsignedLong;
            }
            break;
        case RawForm::Byte:
        case RawForm::Version:
        case RawForm::Text:
        case RawForm::GpsRef:
            break; // the tag's own type: undefined or byte
        }
        value.reset(Exiv2::Value::create(type).release());
        value->read(data, size, Exiv2::littleEndian);
    }
    exif[row.key].setValue(value.get());
}

// Every property the tags of exif give, plus the mark that there were any.
QHash<int, QByteArray> propertiesOf(const Exiv2::ExifData& exif)
{
    QHash<int, QByteArray> properties;
    if (!exif.empty())
        properties.insert(PubImage::ZelPropHasExif, bytesOf(qint32(1)));
    for (const PropertyRow& row : propertyTable()) {
        const Exiv2::Exifdatum* tag = findTag(exif, row.key);
        QByteArray raw = tag ? rawValue(row, tag->value()) : QByteArray();
        if (raw.isEmpty() && row.fallback) {
            if (const Exiv2::Exifdatum* second = findTag(exif, row.fallback))
                raw = rawValue(row, second->value());
        }
        if (!raw.isEmpty())
            properties.insert(row.id, raw);
    }
    return properties;
}

} // namespace

MetadataRead readMetadata(const QByteArray& bytes, const QString& path, bool wantPreview)
{
    MetadataRead result;
    try {
        if (bytes.isEmpty())
            return result;
        prepareExiv2();
        const auto* data = reinterpret_cast<const Exiv2::byte*>(bytes.constData());
        // Only the formats photos come in reach Exiv2's parsers; its video
        // parsers are not fit for hostile files (the RIFF one loops forever
        // on some).
        result.format = formatCode(Exiv2::ImageFactory::getType(data, long(bytes.size())));
        if (result.format == PubImage::ZelFormatUnknown)
            return result;
        auto image = Exiv2::ImageFactory::open(data, long(bytes.size()));
        if (!image.get())
            return result;
        image->readMetadata();

        const Exiv2::ExifData& exif = image->exifData();
        result.properties = propertiesOf(exif);

        // Without the picture's path there is no folder to find its sound in.
        if (const Exiv2::Exifdatum* sound = findTag(exif, "Exif.Photo.RelatedSoundFile");
            sound && sound->typeId() == Exiv2::asciiString && !path.isEmpty()) {
            const QString recording = soundAnnotationPath(path, sound->toString());
            if (!recording.isEmpty())
                result.properties.insert(PubImage::ZelPropAudioFile, textBytes(recording));
        }

        if (wantPreview) {
            const Exiv2::PreviewManager previews(*image);
            const Exiv2::PreviewPropertiesList list = previews.getPreviewProperties();
            if (!list.empty()) { // smallest first
                const Exiv2::PreviewImage largest = previews.getPreviewImage(list.back());
                result.preview = QByteArray(reinterpret_cast<const char*>(largest.pData()), qsizetype(largest.size()));
            }
        }
        result.ok = true;
    } catch (...) {
        // Exiv2::AnyError on malformed files, std::bad_alloc on absurd sizes.
        result.properties.clear();
        result.preview.clear();
        result.ok = false;
    }
    return result;
}

MetadataRead readExifBlock(const QByteArray& tiff)
{
    MetadataRead result;
    try {
        if (tiff.isEmpty())
            return result;
        prepareExiv2();
        Exiv2::ExifData exif;
        const auto* data = reinterpret_cast<const Exiv2::byte*>(tiff.constData());
        if (Exiv2::ExifParser::decode(exif, data, uint32_t(tiff.size())) == Exiv2::invalidByteOrder)
            return result;
        result.properties = propertiesOf(exif);
        result.ok = true;
    } catch (...) {
        // Exiv2::AnyError on a malformed block, std::bad_alloc on absurd sizes.
        result.properties.clear();
    }
    return result;
}

bool writeMetadata(QByteArray& encoded, const QHash<int, QByteArray>& properties)
{
    try {
        if (encoded.isEmpty())
            return false;
        prepareExiv2();
        const auto* data = reinterpret_cast<const Exiv2::byte*>(encoded.constData());
        if (formatCode(Exiv2::ImageFactory::getType(data, long(encoded.size()))) == PubImage::ZelFormatUnknown)
            return false;
        auto image = Exiv2::ImageFactory::open(data, long(encoded.size()));
        if (!image.get())
            return false;
        image->readMetadata();
        // Starting from what the encoder wrote keeps a TIFF's own structure
        // tags; the properties replace every tag they name.
        Exiv2::ExifData exif = image->exifData();
        bool gps = false;
        for (const PropertyRow& row : propertyTable()) {
            const auto it = properties.constFind(row.id);
            if (!row.key || it == properties.constEnd())
                continue;
            putTag(exif, row, *it);
            gps = gps || std::strncmp(row.key, "Exif.GPSInfo.", 13) == 0;
        }
        // Readers expect a version on every GPS directory.
        if (gps && exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSVersionID")) == exif.end()) {
            const std::unique_ptr<Exiv2::Value> version(Exiv2::Value::create(Exiv2::unsignedByte).release());
            version->read("2 2 0 0");
            exif["Exif.GPSInfo.GPSVersionID"].setValue(version.get());
        }
        if (const auto it = properties.constFind(PubImage::ZelPropExifThumbnail); it != properties.constEnd()) {
            const QByteArray jpeg = jpegOfPackedDib(*it);
            if (!jpeg.isEmpty())
                Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()),
                                                        long(jpeg.size()), Exiv2::URational(72, 1),
                                                        Exiv2::URational(72, 1), 2);
        }
        image->setExifData(exif);
        image->writeMetadata();

        Exiv2::BasicIo& io = image->io();
        if (io.open() != 0)
            return false;
        const long size = io.size();
        Exiv2::DataBuf written = io.read(size);
        io.close();
        if (written.size_ != size || size <= 0)
            return false;
        encoded = QByteArray(reinterpret_cast<const char*>(written.pData_), written.size_);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace velorin::exif
