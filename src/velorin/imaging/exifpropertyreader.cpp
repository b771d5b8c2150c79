#include "exifpropertyreader.h"

#include "exifproperties_p.h"

#include <velorin/env/localizedstrings.h>
#include <velorin/imaging/zelpicture.h>

#include <QDate>
#include <QLocale>
#include <QMutex>
#include <QTime>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>

using PubImage::ZelPicture;
using namespace velorin::exif;

namespace {

// --- resource strings ---------------------------------------------------------
// One table for the process, loaded by the first reader and deleted with the
// last, so that a reader going away on one thread never pulls the table
// from under a reader still formatting on another.
QMutex stringsMutex;
CLocalizedStrings* strings = nullptr;
int stringUsers = 0;

QString resourceString(int number)
{
    const QMutexLocker lock(&stringsMutex);
    return strings ? strings->getString(number) : QString();
}

// --- the property table ------------------------------------------------------
struct Entry
{
    std::optional<std::u16string> label;
    std::u16string value;
};

// Per thread: the import threads and the application read different
// pictures at the same time.
thread_local std::map<qint32, Entry> properties;

const unsigned short* chars(const std::u16string& text)
{
    return reinterpret_cast<const unsigned short*>(text.c_str());
}

// --- pictures read for their metadata ----------------------------------------
// A picture loaded header-only. Loading copies the sound annotation the
// picture names; the copy is deleted with this object unless taken.
class HeaderPicture
{
public:
    explicit HeaderPicture(const unsigned short* path)
    {
        if (!path || !*path)
            return;
        m_picture = ZelPicture::create();
        if (m_picture->load(QString::fromUtf16(reinterpret_cast<const char16_t*>(path)),
                            PubImage::ZelLoadMode::Header)
            != 0) {
            Zel0Release(m_picture);
            m_picture = nullptr;
        }
    }
    ~HeaderPicture()
    {
        if (m_picture)
            discardSoundCopy(takeSoundCopy());
        Zel0Release(m_picture);
    }
    HeaderPicture(const HeaderPicture&) = delete;
    HeaderPicture& operator=(const HeaderPicture&) = delete;

    const ZelPicture* picture() const { return m_picture; }
    int format() const { return m_picture ? m_picture->format() : PubImage::ZelFormatUnknown; }
    QByteArray property(int id) const { return m_picture ? m_picture->property(id) : QByteArray(); }

    // JPEG, TIFF and HEIF files carry metadata when they hold Exif data; PNG
    // and WebP files are taken as they come.
    bool carriesMetadata() const
    {
        switch (format()) {
        case PubImage::ZelFormatJpeg:
        case PubImage::ZelFormatTiff:
        case PubImage::ZelFormatHeif:
            return m_picture->intProperty(PubImage::ZelPropHasExif) != 0;
        case PubImage::ZelFormatPng:
        case PubImage::ZelFormatWebp:
            return true;
        default:
            return false;
        }
    }

    QString takeSoundCopy()
    {
        if (!m_picture)
            return {};
        const QString path = textFromBytes(m_picture->property(PubImage::ZelPropAudioFile));
        m_picture->setProperty(PubImage::ZelPropAudioFile, {});
        return path;
    }

private:
    ZelPicture* m_picture = nullptr;
};

// --- value rules ---------------------------------------------------------------
// Raw bytes of a property, empty when absent.
using RawLookup = std::function<QByteArray(int id)>;

struct Ratio
{
    qint64 num;
    qint64 den;
};

std::optional<Ratio> ratioAt(const QByteArray& raw, int index, bool isSigned)
{
    if (raw.size() < (index + 1) * 8)
        return std::nullopt;
    quint32 words[2];
    std::memcpy(words, raw.constData() + index * 8, sizeof words);
    if (isSigned)
        return Ratio{qint32(words[0]), qint32(words[1])};
    return Ratio{words[0], words[1]};
}

std::optional<quint32> codeOf(int id, const QByteArray& raw)
{
    const PropertyRow* row = findProperty(id);
    if (row->form == RawForm::Byte)
        return raw.size() >= 1 ? std::optional<quint32>(quint8(raw[0])) : std::nullopt;
    if (raw.size() < 2)
        return std::nullopt;
    quint16 code;
    std::memcpy(&code, raw.constData(), 2);
    return code;
}

std::optional<QString> nonEmpty(const QString& text)
{
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

QString textf(const char* format, auto... args)
{
    return QString::asprintf(format, args...);
}

// Codes lo..hi of a property show resource strings first.. in order.
struct CodeRange
{
    int id;
    quint32 lo;
    quint32 hi;
    int first;
};

constexpr CodeRange codeTexts[] = {
    {ExifPropExposureProgram, 1, 8, 121},
    {ExifPropMeteringMode, 0, 6, 113},
    {ExifPropMeteringMode, 255, 255, 120},
    {ExifPropLightSource, 0, 1, 58},
    {ExifPropLightSource, 2, 3, 61},
    {ExifPropLightSource, 10, 10, 60},
    {ExifPropColorSpace, 1, 1, 37},
    {ExifPropColorSpace, 0xFFFF, 0xFFFF, 38},
    {ExifPropSensingMethod, 1, 7, 106},
    {ExifPropFileSource, 1, 3, 41},
    {ExifPropSceneType, 1, 1, 104},
    {ExifPropFocalPlaneResolutionUnit, 2, 4, 92},
    {ExifPropCustomRendered, 0, 1, 65},
    {ExifPropExposureMode, 0, 2, 51},
    {ExifPropWhiteBalance, 0, 1, 68},
    {ExifPropSceneCaptureType, 0, 3, 45},
    {ExifPropGainControl, 0, 4, 72},
    {ExifPropContrast, 0, 2, 79},
    {ExifPropSaturation, 0, 2, 83},
    {ExifPropSharpness, 0, 2, 87},
    {ExifPropSubjectDistanceRange, 0, 3, 97},
};

std::optional<QString> codeText(int id, quint32 code)
{
    for (const CodeRange& range : codeTexts) {
        if (range.id == id && code >= range.lo && code <= range.hi)
            return nonEmpty(resourceString(range.first + int(code - range.lo)));
    }
    if (id == ExifPropExposureProgram) // any other program
        return nonEmpty(resourceString(19));
    return std::nullopt;
}

// "YYYY:MM:DD HH:MM:SS" as the user's short date and long time, without a
// time zone (the Exif time carries none).
std::optional<QString> dateTimeText(const QString& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.toLatin1().constData(), "%d:%d:%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6 || y == 0)
        return std::nullopt;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QLocale locale = QLocale::system();
    QString timeFormat;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            timeFormat += c;
    }
    return locale.toString(date, QLocale::ShortFormat) + u' ' + locale.toString(time, timeFormat.simplified());
}

// Rationals shown as plain numbers: whole numbers without decimals, tenths
// with one, anything else with two.
QString plainNumber(const Ratio& r)
{
    if (r.den == 0)
        return textf("%lld", r.num);
    if (r.num % r.den == 0)
        return textf("%lld", r.num / r.den);
    if (r.den == 10)
        return textf("%.1f", double(r.num) / double(r.den));
    return textf("%.2f", double(r.num) / double(r.den));
}

// Degrees and minutes (when the minutes carry hundredths) or degrees,
// minutes and seconds, then the hemisphere.
std::optional<QString> coordinateText(const QByteArray& raw, const QByteArray& refRaw, char positive, char negative)
{
    const auto deg = ratioAt(raw, 0, false);
    const auto min = ratioAt(raw, 1, false);
    const auto sec = ratioAt(raw, 2, false);
    if (!deg || !min || !sec)
        return std::nullopt;
    const auto value = [](const Ratio& r) { return r.den == 0 ? 0.0 : double(r.num) / double(r.den); };
    const char* degreeSign = "\xC2\xB0";
    QString text = min->den == 100
        ? textf("%.0f%s%.4f%s", value(*deg), degreeSign, double(min->num) / 100, "'")
        : textf("%.0f%s%.0f%s%.2f%s", value(*deg), degreeSign, value(*min), "'", value(*sec), "\"");
    const QString ref = textFromBytes(refRaw);
    if (ref == QLatin1Char(positive) || ref == QLatin1Char(negative))
        text += u' ' + ref;
    return text;
}

std::optional<QString> formatValue(int id, const RawLookup& lookup)
{
    const QByteArray raw = lookup(id);
    if (raw.isEmpty())
        return std::nullopt;
    const PropertyRow* row = findProperty(id);
    const auto ratio = ratioAt(raw, 0, row->form == RawForm::SRational);

    switch (id) {
    case ExifPropExposureTime: {
        if (!ratio || ratio->num == 0 || ratio->den == 0)
            return std::nullopt;
        const QByteArray unit = resourceString(129).toUtf8();
        const double d = double(ratio->num) / double(ratio->den);
        if (d > 60)
            return textf("%.1f %s", d, unit.constData());
        if (d >= 4)
            return textf("%d %s", int(std::floor(d + 0.5)), unit.constData());
        if (d >= 0.28)
            return textf("%.1f %s", d, unit.constData());
        return textf("1/%lld %s", ratio->den / ratio->num, unit.constData());
    }
    case ExifPropFNumber:
        if (!ratio)
            return std::nullopt;
        if (ratio->den == 0)
            return QString();
        if (ratio->num % ratio->den == 0)
            return textf("F/%lld", ratio->num / ratio->den);
        if (ratio->den == 10)
            return textf("F/%.1f", double(ratio->num) / 10);
        return textf("F/%.2f", double(ratio->num) / double(ratio->den));
    case ExifPropShutterSpeedValue: {
        if (!ratio || ratio->den == 0)
            return std::nullopt;
        const QByteArray unit = resourceString(129).toUtf8();
        const double t = std::pow(2.0, double(ratio->num) / double(ratio->den));
        if (t <= 1)
            return textf("%.2f %s", 1 / t, unit.constData());
        return textf("1/%d %s", int(t), unit.constData());
    }
    case ExifPropApertureValue:
    case ExifPropBrightnessValue:
    case ExifPropMaxApertureValue:
    case ExifPropSubjectDistance:
    case ExifPropFlashEnergy:
    case ExifPropExposureIndex:
    case ExifPropDigitalZoomRatio:
        return ratio ? std::optional<QString>(plainNumber(*ratio)) : std::nullopt;
    case ExifPropExposureBias: {
        if (!ratio || ratio->den == 0)
            return std::nullopt;
        const double bias = double(ratio->num) / double(ratio->den);
        const QString text = textf(bias > 0 ? "+%.1f" : "%.1f", bias);
        // Whole steps show without decimals.
        return text.contains(u".0") ? textf(bias > 0 ? "+%.0f" : "%.0f", bias) : text;
    }
    case ExifPropCompressedBitsPerPixel:
        if (!ratio || ratio->den == 0)
            return std::nullopt;
        return textf("%.1f %s", double(ratio->num) / double(ratio->den), resourceString(55).toUtf8().constData());
    case ExifPropFocalLength:
        // In single precision, as the lens data is.
        if (!ratio || ratio->den == 0)
            return std::nullopt;
        return textf("%.1f %s", double(float(ratio->num) / float(ratio->den)),
                      resourceString(130).toUtf8().constData());
    case ExifPropIsoSpeed:
        if (const auto code = codeOf(id, raw))
            return textf("%d", int(*code));
        return std::nullopt;
    case ExifPropExifVersion: {
        QString text;
        for (int i = 0; i < 4 && i < raw.size() && raw[i] != '\0'; ++i)
            text += QLatin1Char(raw[i]);
        return text;
    }
    case ExifPropDateTime:
    case ExifPropDateTimeOriginal:
    case ExifPropDateTimeDigitized:
        return dateTimeText(textFromBytes(raw));
    case ExifPropFlash:
        if (const auto code = codeOf(id, raw))
            return nonEmpty(resourceString((*code & 1) ? 16 : 17));
        return std::nullopt;
    case ExifPropGpsLatitude:
        return coordinateText(raw, lookup(ExifPropGpsLatitudeRef), 'N', 'S');
    case ExifPropGpsLongitude:
        return coordinateText(raw, lookup(ExifPropGpsLongitudeRef), 'E', 'W');
    case ExifPropGpsAltitude: {
        if (!ratio || ratio->den == 0)
            return std::nullopt;
        const double metres = double(ratio->num) / double(ratio->den);
        if (metres <= 1000)
            return textf("%d m", int(std::floor(metres)));
        return textf("%.3f km", metres / 1000);
    }
    default:
        break;
    }
    if (row->form == RawForm::Text)
        return nonEmpty(textFromBytes(raw));
    if (const auto code = codeOf(id, raw))
        return codeText(id, *code);
    return std::nullopt;
}

// Formats every displayed property the lookup has, in display order.
void formatAll(const RawLookup& lookup)
{
    for (const DisplayRow& row : displayRows) {
        const std::optional<QString> value = formatValue(row.id, lookup);
        if (!value)
            continue;
        const QString label = resourceString(row.label);
        Entry& entry = properties[row.id];
        entry.label = label.isEmpty() ? std::nullopt : std::optional<std::u16string>(label.toStdU16String());
        entry.value = value->toStdU16String();
    }
}

} // namespace

int GetImageExif(const unsigned short* path, _EXIF_INFORMATION* info)
{
    try {
        if (!path || !*path || !info)
            return 0;
        std::memset(info, 0, sizeof *info);
        HeaderPicture picture(path);
        if (!picture.carriesMetadata())
            return 0;
        const std::span<const PropertyRow> table = propertyTable();
        for (int bit = 0; bit < ReadListSize; ++bit) {
            const PropertyRow& row = table[bit];
            const QByteArray raw = picture.property(row.id).left(rawSize(row));
            // Values whose first eight bytes are zero count as absent.
            if (raw.left(8).count('\0') == qMin<qsizetype>(raw.size(), 8))
                continue;
            if (row.id == PubImage::ZelPropAudioFile) {
                // Only the fact is kept; the copy goes at once.
                discardSoundCopy(picture.takeSoundCopy());
                info->hasAudio = 1;
                continue;
            }
            if (row.offset < 0)
                continue;
            auto* member = reinterpret_cast<char*>(info) + row.offset;
            std::memcpy(member, raw.constData(), size_t(raw.size()));
            if (row.form == RawForm::Text) // cut texts stay terminated
                std::memset(member + rawSize(row) - 2, 0, 2);
            info->mask[bit / 32] |= 1u << (bit % 32);
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

CExifPropertyReader::CExifPropertyReader()
{
    try {
        const QMutexLocker lock(&stringsMutex);
        if (!strings) {
            strings = new CLocalizedStrings;
            strings->load(QStringLiteral("VelorinRes.xml"));
        }
        ++stringUsers;
    } catch (...) {
    }
}

CExifPropertyReader::~CExifPropertyReader()
{
    properties.clear();
    const QMutexLocker lock(&stringsMutex);
    if (stringUsers > 0 && --stringUsers == 0) {
        delete strings;
        strings = nullptr;
    }
}

int CExifPropertyReader::ImportExifInfo(const unsigned short* path)
{
    try {
        discardSoundCopy(m_audioPath);
        m_audioPath.clear();
        HeaderPicture picture(path);
        if (!picture.carriesMetadata())
            return 0;
        formatAll([&picture](int id) { return picture.property(id); });
        // Only JPEG and TIFF files name sound annotations.
        const int format = picture.format();
        if (format == PubImage::ZelFormatJpeg || format == PubImage::ZelFormatTiff)
            m_audioPath = picture.takeSoundCopy();
        return 1;
    } catch (...) {
        return 0;
    }
}

int CExifPropertyReader::ImportExifInfo(_EXIF_INFORMATION* info)
{
    try {
        if (!info || (info->mask[0] == 0 && info->mask[1] == 0))
            return 0;
        formatAll([info](int id) {
            const PropertyRow* row = findProperty(id);
            return row ? storedValue(*info, *row) : QByteArray();
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int CExifPropertyReader::GetAudioFile(const unsigned short* path, unsigned short* out)
{
    try {
        discardSoundCopy(m_audioPath);
        m_audioPath.clear();
        if (!out)
            return 0;
        HeaderPicture picture(path);
        const QString copy = picture.takeSoundCopy();
        if (copy.isEmpty() || copy.size() >= TextCapacity) {
            discardSoundCopy(copy);
            return 0;
        }
        m_audioPath = copy;
        std::memcpy(out, copy.utf16(), size_t(copy.size() + 1) * 2);
        return 1;
    } catch (...) {
        return 0;
    }
}

const unsigned short* CExifPropertyReader::GetPropNameByID(long id)
{
    const auto it = properties.find(qint32(id));
    return it == properties.end() || !it->second.label ? nullptr : chars(*it->second.label);
}

const unsigned short* CExifPropertyReader::GetPropValueByID(long id)
{
    const auto it = properties.find(qint32(id));
    return it == properties.end() ? nullptr : chars(it->second.value);
}
