#include <QFileInfo>
#include <QTextStream>

#include <velorin/velorin.h>

#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

QString fromU16(const unsigned short* text)
{
    return text ? QString::fromUtf16(reinterpret_cast<const char16_t*>(text)) : QString();
}

} // namespace

// Every property the reader formats, in its order, with the labels of the
// user's language (the resource files beside the tool).
int exif(const QStringList& args)
{
    QTextStream err(stderr);
    if (args.size() != 1 || args.first().startsWith(u'-')) {
        err << "usage: velorin exif FILE\n";
        return 2;
    }
    const QString path = QFileInfo(args.first()).absoluteFilePath();
    CExifPropertyReader reader;
    if (reader.ImportExifInfo(reinterpret_cast<const unsigned short*>(path.utf16())) != 1) {
        err << "velorin exif: " << printable(args.first()) << ": no readable metadata\n";
        return 1;
    }
    QTextStream out(stdout);
    for (const velorin::exif::DisplayRow& row : velorin::exif::displayRows) {
        if (const unsigned short* value = reader.GetPropValueByID(row.id))
            out << printable(fromU16(reader.GetPropNameByID(row.id))) << ": " << printable(fromU16(value)) << '\n';
    }
    return 0;
}

} // namespace velorin::cli
