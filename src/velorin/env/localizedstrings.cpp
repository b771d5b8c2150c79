#include "localizedstrings.h"

#include <algorithm>

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QXmlStreamReader>

#include "datafolders_p.h"

namespace {

// A resource file holds a few hundred short texts (some kilobytes). The DOM
// costs about a hundred times the file's size in memory, so anything far
// larger than a real resource file is refused before it is read.
constexpr qint64 maxFileSize = 1024 * 1024;

// The format nests two levels (Magic, String). Building a DOM for a deeply
// nested document takes time that grows faster than the square of the depth,
// so documents nested deeper than this are refused before the DOM is built.
constexpr int maxDepth = 16;

QString fallbackLanguage()
{
    return QStringLiteral("en-US");
}

// The folders searched for <language>/UI/<fileName>, in order.
QStringList searchFolders(const QString& moduleDir)
{
    if (!moduleDir.isEmpty())
        return {moduleDir};
    return velorin::dataFolders();
}

// True when the document is well formed and nests no deeper than maxDepth.
// Runs in constant memory, so hostile documents are turned away cheaply.
bool shallowAndWellFormed(const QByteArray& bytes)
{
    QXmlStreamReader reader(bytes);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > maxDepth)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

// Titles write control characters as \r, \n and \t ("\r\n" for a line
// break). The replacements insert no backslashes, so doing them one after the
// other gives the same result as a single left-to-right pass.
QString unescaped(QString title)
{
    title.replace(QLatin1String("\\r"), QLatin1String("\r"));
    title.replace(QLatin1String("\\n"), QLatin1String("\n"));
    title.replace(QLatin1String("\\t"), QLatin1String("\t"));
    return title;
}

} // namespace

bool CLocalizedStrings::load(const QString& fileName, const QString& moduleDir)
{
    m_strings.clear();
    m_language.clear();

    const QStringList languages = preferredLanguages();
    QString path;
    for (const QString& folder : searchFolders(moduleDir)) {
        for (const QString& language : languages) {
            const QString candidate = folder + u'/' + language + QStringLiteral("/UI/") + fileName;
            if (QFileInfo::exists(candidate)) {
                path = candidate;
                m_language = language;
                break;
            }
        }
        if (!path.isEmpty())
            break;
    }
    if (path.isEmpty())
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFileSize)
        return false;
    const QByteArray bytes = file.read(maxFileSize + 1);
    if (bytes.size() > maxFileSize || !shallowAndWellFormed(bytes))
        return false;

    // QDomDocument does not fetch external entities, and the stream reader
    // below it stops internal entity expansion at a fixed limit.
    QDomDocument document;
    if (!document.setContent(bytes))
        return false;
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("Magic"))
        return false;

    for (QDomElement e = root.firstChildElement(QStringLiteral("String")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("String"))) {
        // toInt gives 0 for a missing or non-numeric value, which is where
        // such entries are stored.
        const qint32 number = e.attribute(QStringLiteral("Value")).toInt(nullptr, 10);
        m_strings.insert(number, unescaped(e.attribute(QStringLiteral("Title"))));
    }
    return true;
}

QString CLocalizedStrings::getString(int number) const
{
    return m_strings.value(number);
}

int CLocalizedStrings::getString(int number, char16_t* buffer, int capacity) const
{
    const QString text = getString(number);
    const int length = int(text.size());
    if (buffer && length <= capacity) {
        std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), length, buffer);
        buffer[length] = u'\0';
    }
    return length;
}

QStringList CLocalizedStrings::preferredLanguages()
{
    QStringList languages;
    for (QString name : QLocale::system().uiLanguages()) {
        name.replace(u'_', u'-');
        // "C" is what Qt reports for the POSIX locale: no language at all.
        if (name.isEmpty() || name == QLatin1String("C") || languages.contains(name))
            continue;
        languages.append(name);
    }
    if (languages.isEmpty() || languages.last() != fallbackLanguage())
        languages.append(fallbackLanguage());
    return languages;
}
