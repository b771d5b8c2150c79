#include "printable.h"

#include <QFile>
#include <QHash>

namespace velorin::cli {

namespace {

// A byte of a file name that is not UTF-8 travels through fileNameText as a
// lone low surrogate, U+DC80 to U+DCFF, which no decoded text contains.
constexpr char16_t rawByteBase = 0xDC00;

bool isRawByte(QChar c)
{
    return c.unicode() >= rawByteBase + 0x80 && c.unicode() <= rawByteBase + 0xFF;
}

// Characters that break a line, move the cursor, start a terminal sequence
// or turn the text that follows around.
bool needsEscape(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

// The command line's arguments by the text Qt made of them: the bytes as
// given, the exact encoding of the text when several arguments decode alike.
QHash<QString, QByteArray> argumentsByText;

} // namespace

QString printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c == u'\\') {
            out += QLatin1String("\\\\");
        } else if (c == u'\t') {
            out += QLatin1String("\\t");
        } else if (c == u'\n') {
            out += QLatin1String("\\n");
        } else if (c == u'\r') {
            out += QLatin1String("\\r");
        } else if (c.unicode() < 0x80 && needsEscape(c.unicode())) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else if (isRawByte(c)) {
            out += QStringLiteral("\\x%1").arg(c.unicode() - rawByteBase, 2, 16, QLatin1Char('0'));
        } else if (needsEscape(c.unicode()) || c.isSurrogate()) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

bool isFaithfulFileName(const QByteArray& name)
{
    return isFaithfulFileName(name, QFile::decodeName(name));
}

bool isFaithfulFileName(const QByteArray& name, const QString& decoded)
{
    return QFile::encodeName(decoded) == name;
}

QString fileNameText(const QByteArray& name)
{
    if (isFaithfulFileName(name))
        return QFile::decodeName(name);
    // Byte by byte: a sequence as long as its lead byte says that decodes
    // and encodes back to itself is UTF-8; any other byte is kept raw.
    QString text;
    for (qsizetype i = 0; i < name.size();) {
        const auto lead = quint8(name[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        const QByteArray sequence = name.mid(i, length);
        if (length > 0 && sequence.size() == length && QString::fromUtf8(sequence).toUtf8() == sequence) {
            text += QString::fromUtf8(sequence);
            i += length;
        } else {
            text += QChar(char16_t(rawByteBase + lead));
            ++i;
        }
    }
    return text;
}

void keepCommandLine(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString text = QFile::decodeName(raw);
        auto it = argumentsByText.find(text);
        if (it == argumentsByText.end())
            argumentsByText.insert(text, raw);
        else if (raw == QFile::encodeName(text))
            *it = raw;
    }
}

QByteArray argumentBytes(const QString& argument)
{
    return argumentsByText.value(argument, QFile::encodeName(argument));
}

QString secondsClock(qint64 seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString millisecondsClock(qint64 milliseconds)
{
    return secondsClock((milliseconds + 500) / 1000);
}

} // namespace velorin::cli
