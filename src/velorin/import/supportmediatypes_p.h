#pragma once

#include <velorin/global.h>

#include <QString>
#include <QStringList>

// What SupportMediaTypes does, with the folders its settings files are looked
// up in passed in: the class passes the executable's folder and the installed
// data folder, tests pass a folder of their own. Exported for the tests only;
// not part of the installed headers.
namespace velorin::mediatypes {

enum class Kind { Image, Video, Music };

// Reads kind's "|"-joined pattern string now, from the first of folders that
// holds its settings file; empty when no folder does or the key is missing.
VELORIN_EXPORT QString readTypes(Kind kind, const QStringList& folders);

// The three cached pattern strings of one object, held by reference. Cheap to
// make: the class makes one for each call.
class VELORIN_EXPORT TypeCache
{
public:
    TypeCache(QString& image, QString& video, QString& music, QStringList folders);

    // kind's cached string; read from its settings file first while empty.
    const QString& types(Kind kind);

    bool isSupported(Kind kind, const QString& ext);
    QStringList filters(Kind kind);
    // Image, then video, then music patterns.
    QStringList allFilters();

private:
    QString* m_types[3];
    QStringList m_folders;
};

} // namespace velorin::mediatypes
