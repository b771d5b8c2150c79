#include "exifpropertyreader.h"

#include "exifproperties_p.h"
#include "regularfile_p.h"

#include <velorin/env/localizedstrings.h>
#include <velorin/imaging/zelpicture.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QTemporaryFile>
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

void useStrings()
{
    const QMutexLocker lock(&stringsMutex);
    if (!strings) {
        strings = new CLocalizedStrings;
        strings->load(QStringLiteral("VelorinRes.xml"));
    }
    ++stringUsers;
}

void releaseStrings()
{
    const QMutexLocker lock(&stringsMutex);
    if (stringUsers > 0 && --stringUsers == 0) {
        delete strings;
        strings = nullptr;
    }
}

// Keeps the resource strings loaded for its lifetime.
struct StringsUse
{
    StringsUse() { useStrings(); }
    ~StringsUse() { releaseStrings(); }
    StringsUse(const StringsUse&) = delete;
    StringsUse& operator=(const StringsUse&) = delete;
};

} // namespace

// --- the property table ------------------------------------------------------
// An entry never changes once made: an import puts new entries in place of
// old ones, so a text a reader handed out stays as it was for as long as
// that reader keeps its entry.
struct velorin::exif::DisplayText
{
    std::optional<std::u16string> label;
    std::u16string value;
};

namespace {

using TextRef = std::shared_ptr<const DisplayText>;
using Texts = std::map<qint32, TextRef>;

// One table for the process, as every reader on every thread shares it;
// made on first use (thread-safely, as any function-local static) and
// never destroyed, so that a reader still going on some thread while the
// process exits finds it there.
struct SharedTable
{
    QMutex mutex;
    Texts texts;
};

SharedTable& sharedTable()
{
    static SharedTable* const table = new SharedTable;
    return *table;
}

const unsigned short* chars(const std::u16string& text)
{
    return reinterpret_cast<const unsigned short*>(text.c_str());
}

// --- pictures read for their metadata ----------------------------------------
// A picture loaded header-only.
class HeaderPicture
{
public:
    explicit HeaderPicture(const unsigned short* path)
    {
        if (!path || !*path)
            return;
        m_picture = ZelPicture::create();
        if (m_picture
            && m_picture->load(QString::fromUtf16(reinterpret_cast<const char16_t*>(path)), PubImage::ZelLoadMode::Header)
                != 0) {
            Zel0Release(m_picture);
            m_picture = nullptr;
        }
    }
    ~HeaderPicture() { Zel0Release(m_picture); }
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

    // The user's sound annotation file beside the picture; empty when none.
    QString soundFile() const { return textFromBytes(property(PubImage::ZelPropAudioFile)); }

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
    const std::optional<QDateTime> stamp = ExifDateTimeOf(text);
    if (!stamp)
        return std::nullopt;
    const QDate date = stamp->date();
    const QTime time = stamp->time();
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

// Formats every displayed property the lookup has, in display order, then
// puts them into the shared table; formatting runs outside its lock.
void formatAll(const RawLookup& lookup)
{
    Texts made;
    for (const DisplayRow& row : displayRows) {
        const std::optional<QString> value = formatValue(row.id, lookup);
        if (!value)
            continue;
        const QString label = resourceString(row.label);
        made[row.id] = std::make_shared<const DisplayText>(DisplayText{
            label.isEmpty() ? std::nullopt : std::optional<std::u16string>(label.toStdU16String()),
            value->toStdU16String()});
    }
    SharedTable& table = sharedTable();
    const QMutexLocker lock(&table.mutex);
    // The old entries go out of the table here; readers that handed them
    // out still hold them.
    made.merge(table.texts);
    table.texts.swap(made);
}

QByteArray storedLookup(const _EXIF_INFORMATION* info, int id)
{
    const PropertyRow* row = findProperty(id);
    return row ? storedValue(*info, *row) : QByteArray();
}

// Decimal degrees of a raw triple: degrees, minutes and seconds each with
// its own denominator; nothing when a denominator is zero.
std::optional<double> degreesOf(const QByteArray& raw)
{
    double sum = 0;
    double unit = 1;
    for (int i = 0; i < 3; ++i, unit *= 60) {
        const auto r = ratioAt(raw, i, false);
        if (!r || r->den == 0)
            return std::nullopt;
        sum += double(r->num) / double(r->den) / unit;
    }
    return sum;
}

// A signed coordinate: negated for the negative hemisphere's letter; a
// missing letter reads as the positive one, as other readers take it.
std::optional<double> coordinateOf(const _EXIF_INFORMATION* info, int id, int refId, char16_t negative, double limit)
{
    const std::optional<double> degrees = degreesOf(storedLookup(info, id));
    if (!degrees || *degrees > limit)
        return std::nullopt;
    return textFromBytes(storedLookup(info, refId)) == QChar(negative) ? -*degrees : *degrees;
}

// A copy of a sound annotation in the temporary folder, deleted with the
// object. The name keeps the recording's own suffix, so that a player
// knows its kind. Null when the recording cannot be read or copied.
std::unique_ptr<QTemporaryFile> soundCopyOf(const QString& recording)
{
    QFile in;
    if (!velorin::imaging::openRegularFile(in, recording, MaxSoundBytes))
        return nullptr;
    QString suffix = QFileInfo(recording).suffix().left(8);
    const bool plain = std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLetterOrNumber(); });
    auto out = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/velorin-sound-XXXXXX")
                                                + (suffix.isEmpty() || !plain ? QString() : u'.' + suffix));
    if (!out->open())
        return nullptr;
    QByteArray chunk;
    qint64 copied = 0;
    while (!(chunk = in.read(1 << 16)).isEmpty()) {
        copied += chunk.size();
        if (copied > MaxSoundBytes || out->write(chunk) != chunk.size())
            return nullptr;
    }
    // Qt creates temporary files without a name where it can and names them
    // when asked: the copy must have one before it is closed.
    if (in.error() != QFileDevice::NoError || !out->flush() || out->fileName().isEmpty())
        return nullptr;
    out->close();
    return out;
}

} // namespace

int GetImageExif(const unsigned short* path, _EXIF_INFORMATION* info)
{
    return GetImageExif(path, info, nullptr);
}

int GetImageExif(const unsigned short* path, _EXIF_INFORMATION* info, int* orientation)
{
    try {
        if (orientation)
            *orientation = 0;
        if (!path || !*path || !info)
            return 0;
        std::memset(info, 0, sizeof *info);
        HeaderPicture picture(path);
        if (!picture.carriesMetadata())
            return 0;
        if (orientation)
            *orientation = picture.picture()->intProperty(PubImage::ZelPropOrientation);
        const std::span<const PropertyRow> table = propertyTable();
        for (int bit = 0; bit < ReadListSize; ++bit) {
            const PropertyRow& row = table[bit];
            const QByteArray raw = picture.property(row.id).left(rawSize(row));
            // Values whose first eight bytes are zero count as absent.
            if (raw.left(8).count('\0') == qMin<qsizetype>(raw.size(), 8))
                continue;
            if (row.id == PubImage::ZelPropAudioFile) {
                info->hasAudio = 1; // only the fact is kept
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

std::optional<QDateTime> ExifDateTimeOf(const QString& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.toLatin1().constData(), "%d:%d:%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6 || y == 0)
        return std::nullopt;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

ExifPosition GetExifPosition(const _EXIF_INFORMATION* info)
{
    ExifPosition position;
    if (!info)
        return position;
    const auto latitude = coordinateOf(info, ExifPropGpsLatitude, ExifPropGpsLatitudeRef, u'S', 90);
    const auto longitude = coordinateOf(info, ExifPropGpsLongitude, ExifPropGpsLongitudeRef, u'W', 180);
    if (latitude && longitude) {
        position.latitude = latitude;
        position.longitude = longitude;
    }
    if (const auto metres = ratioAt(storedLookup(info, ExifPropGpsAltitude), 0, false); metres && metres->den != 0) {
        const QByteArray ref = storedLookup(info, ExifPropGpsAltitudeRef);
        const double value = double(metres->num) / double(metres->den);
        position.altitude = !ref.isEmpty() && ref[0] == 1 ? -value : value; // 1: below sea level
    }
    return position;
}

CExifPropertyReader::CExifPropertyReader()
{
    try {
        useStrings();
    } catch (...) {
    }
}

CExifPropertyReader::~CExifPropertyReader()
{
    {
        SharedTable& table = sharedTable();
        const QMutexLocker lock(&table.mutex);
        table.texts.clear();
    }
    dropImported();
    releaseStrings();
}

void CExifPropertyReader::dropImported()
{
    m_audioCopy.reset();
    m_handedOut.clear();
}

bool CExifPropertyReader::copySound(const QString& recording)
{
    m_audioCopy = recording.isEmpty() ? nullptr : soundCopyOf(recording);
    return m_audioCopy != nullptr;
}

int CExifPropertyReader::ImportExifInfo(const unsigned short* path)
{
    try {
        dropImported();
        HeaderPicture picture(path);
        if (!picture.carriesMetadata())
            return 0;
        formatAll([&picture](int id) { return picture.property(id); });
        // Only JPEG and TIFF files name sound annotations.
        const int format = picture.format();
        if (format == PubImage::ZelFormatJpeg || format == PubImage::ZelFormatTiff)
            copySound(picture.soundFile());
        return 1;
    } catch (...) {
        return 0;
    }
}

int CExifPropertyReader::ImportExifInfo(_EXIF_INFORMATION* info)
{
    try {
        dropImported();
        if (!info || (info->mask[0] == 0 && info->mask[1] == 0))
            return 0;
        formatAll([info](int id) { return storedLookup(info, id); });
        return 1;
    } catch (...) {
        return 0;
    }
}

int CExifPropertyReader::GetAudioFile(const unsigned short* path, unsigned short* out)
{
    try {
        m_audioCopy.reset();
        if (!out || !copySound(HeaderPicture(path).soundFile()))
            return 0;
        const QString copy = m_audioCopy->fileName();
        if (copy.size() >= TextCapacity) {
            m_audioCopy.reset();
            return 0;
        }
        std::memcpy(out, copy.utf16(), size_t(copy.size() + 1) * 2);
        return 1;
    } catch (...) {
        return 0;
    }
}

const DisplayText* CExifPropertyReader::handOut(long id)
{
    TextRef text;
    {
        SharedTable& table = sharedTable();
        const QMutexLocker lock(&table.mutex);
        const auto found = table.texts.find(qint32(id));
        if (found == table.texts.end())
            return nullptr;
        text = found->second;
    }
    if (std::find(m_handedOut.begin(), m_handedOut.end(), text) == m_handedOut.end())
        m_handedOut.push_back(text);
    return text.get();
}

const unsigned short* CExifPropertyReader::GetPropNameByID(long id)
{
    try {
        const DisplayText* text = handOut(id);
        return text && text->label ? chars(*text->label) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

const unsigned short* CExifPropertyReader::GetPropValueByID(long id)
{
    try {
        const DisplayText* text = handOut(id);
        return text ? chars(text->value) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

QString CExifPropertyReader::FormatPropValue(const _EXIF_INFORMATION* info, long id)
{
    try {
        const PropertyRow* row = findProperty(int(id));
        if (!info || !row)
            return {};
        // Texts (dates and comments among them) need no resource strings,
        // which would otherwise be loaded afresh when no reader holds them.
        std::optional<StringsUse> use;
        if (row->form != RawForm::Text)
            use.emplace();
        return formatValue(int(id), [info](int other) { return storedLookup(info, other); }).value_or(QString());
    } catch (...) {
        return {};
    }
}
