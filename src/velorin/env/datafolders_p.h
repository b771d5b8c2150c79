#pragma once

#include <velorin/global.h>

#include <QString>
#include <QStringList>

// Where the library finds its run-time data files (the settings files, the
// text resources). Exported for the tests only; not part of the installed
// headers.
namespace velorin {

// The folders searched, most preferred first: the running executable's
// folder, where a build or a self-contained copy of an application keeps its
// files, then the installed data folder (<prefix>/share/velorin).
VELORIN_EXPORT QStringList dataFolders();

// folder + "/" + name for the first of folders that holds name; when none
// does, the path in the last folder, so that the caller reads a missing file
// where an installed one would be; empty when folders is. name may contain
// "/".
VELORIN_EXPORT QString dataFilePath(const QString& name, const QStringList& folders = dataFolders());

} // namespace velorin
