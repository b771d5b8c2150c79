#pragma once

#include <velorin/global.h>

#include <QMap>
#include <QString>
#include <QStringList>

// Texts shown to users, read from an XML resource file per language:
//   <dir>/<language>/UI/<fileName>, e.g. en-US/UI/VelorinRes.xml
// where <dir> is the folder of the running executable, or the installed data
// folder (<prefix>/share/velorin) when no language's file is there. The root
// element is "Magic"; each child "String" element carries Value (the number,
// decimal; missing or not a number gives 0) and Title (the text, in which
// \r\n, \r, \n and \t stand for the control characters). A later String with
// the same number replaces the earlier one.
class VELORIN_EXPORT CLocalizedStrings
{
public:
    CLocalizedStrings() = default;

    // Picks the first of the user's preferred languages for which the file
    // exists and parses it, replacing what an earlier load read. moduleDir,
    // when given, is searched instead of the executable's folder and the
    // installed one. False when no file was found or it did not parse (wrong
    // root element, malformed, larger than a resource file can be); the table
    // is then empty.
    bool load(const QString& fileName, const QString& moduleDir = {});

    // The text stored for number, or an empty string.
    QString getString(int number) const;
    // Copies the text with a terminating zero into buffer when its length is
    // at most capacity (the buffer holds capacity + 1 characters); returns the
    // text's length either way.
    int getString(int number, char16_t* buffer, int capacity) const;

    // The language whose file the last load chose ("en-US"), even when that
    // file then did not parse; empty before and when no file was found.
    QString language() const { return m_language; }

    // The user's UI languages as locale names ("de-DE", "de"), most preferred
    // first, always ending with "en-US"; no name repeats except that final
    // "en-US". On Linux they come from LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
    static QStringList preferredLanguages();

private:
    QMap<qint32, QString> m_strings;
    QString m_language;
};
