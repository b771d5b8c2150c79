#include "datafolders_p.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace velorin {

QStringList dataFolders()
{
    QStringList folders;
    // Without an application object there is no executable folder to ask for
    // (Qt only warns and answers empty).
    if (QCoreApplication::instance())
        folders.append(QCoreApplication::applicationDirPath());
    folders.append(QStringLiteral(VELORIN_DATADIR));
    return folders;
}

QString dataFilePath(const QString& name, const QStringList& folders)
{
    if (folders.isEmpty())
        return {};
    for (const QString& folder : folders) {
        const QString candidate = folder + u'/' + name;
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return folders.constLast() + u'/' + name;
}

} // namespace velorin
