#include <QLocale>
#include <QTextStream>

#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// Neither command takes arguments.
bool noArguments(const char* command, const QStringList& args)
{
    if (args.isEmpty())
        return true;
    QTextStream(stderr) << "velorin " << command << ": unknown argument '" << printable(args.first()) << "'\n";
    return false;
}

// Coordinates as short as they can be written and read back unchanged.
QString coordinate(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

int tags(const QStringList& args)
{
    if (!noArguments("tags", args))
        return 2;
    DatabaseService* service = getDatabaseService();
    CatalogueSession session("tags", true);
    if (!session.usable())
        return 1;
    {
        QTextStream out(stdout);
        KivPhotoTags model(nullptr);
        TagListDB* table = service->getTagListDB();
        for (const QString& tag : model.getAllPhotoFilesTagList()) {
            const auto row = table->findValue(tag);
            out << (row ? row->count : 0) << '\t' << printable(tag) << '\n';
        }
    }
    return 0;
}

int places(const QStringList& args)
{
    if (!noArguments("places", args))
        return 2;
    CatalogueSession session("places", true);
    if (!session.usable())
        return 1;
    {
        QTextStream out(stdout);
        KivPhotoAddresses model(nullptr);
        for (QString& name : model.getAllPhotoFilesAddressList()) {
            DBAddressInfo info;
            model.GetGPSBy(name, info);
            out << info.count << '\t' << printable(name);
            // A place first seen on a photo without a position keeps the
            // sentinel; there is nothing to show for it.
            if (info.latitude != velorin::NoLatitude && info.longitude != velorin::NoLongitude)
                out << '\t' << coordinate(info.latitude) << ',' << coordinate(info.longitude);
            out << '\n';
        }
    }
    return 0;
}

} // namespace velorin::cli
