// velorin: the catalogue from a shell, through the library.

#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStringList>
#include <QTextStream>

#include "commands.h"
#include "printable.h"

namespace {

struct Command
{
    const char* name;
    const char* usage;
    std::function<int(const QStringList&)> run;
};

const Command commands[] = {
    {"init", "init [--video]   open (creating when missing) the photo or video catalogue and list its files",
     velorin::cli::init},
    {"import", "import [--no-recursive] PATH...\n"
               "                   add pictures and videos, and those in folders and their sub-folders, to the\n"
               "                   photo and video catalogues (a changed file is refreshed, an unchanged one left\n"
               "                   alone; videos get their facts and thumbnail from the video plug-in); a file\n"
               "                   or folder that cannot be read, or whose name is not UTF-8, is listed as failed",
     velorin::cli::import},
    {"list", "list [--json]    list the catalogue's photos by date: name, date, size, position, rating,\n"
             "                   path (--json: as JSON objects, dates in ISO 8601)",
     velorin::cli::list},
    {"videos", "videos [--json]  list the video catalogue's videos: name, duration, resolution, performer,\n"
               "                   path (--json: as JSON objects, duration in milliseconds)",
     velorin::cli::videos},
    {"tags", "tags             list the photo tags with the number of photos carrying each", velorin::cli::tags},
    {"places", "places           list the photo places with their counts and stored positions",
     velorin::cli::places},
    {"albums", "albums [create NAME FILE... | add|remove ALBUM FILE... | trash|restore|delete ALBUM]\n"
               "                   list the photo albums with their counts and GUIDs, or change one; ALBUM is a\n"
               "                   GUID or a name no other album carries (a shared name is refused, exit 1)",
     velorin::cli::albums},
    {"playlists", "playlists [create NAME FILE... | add|remove PLAYLIST FILE... | move PLAYLIST FILE POSITION |\n"
                  "                   show|trash|restore|delete PLAYLIST]\n"
                  "                   list the video playlists (name, videos, total duration, GUID), show one's\n"
                  "                   videos in order, or change one;\n"
                  "                   PLAYLIST is a GUID or a name no other playlist carries",
     velorin::cli::playlists},
    {"trash", "trash [restore FILE... | purge [FILE...]]\n"
              "                   list the photos in the trash, bring them back or remove them for good",
     velorin::cli::trash},
    {"thumbs", "thumbs FILE --out DIR\n"
               "                   write the four thumbnails the catalogue keeps of a picture as BMP files",
     velorin::cli::thumbs},
    {"exif", "exif FILE        show a picture's camera metadata, one \"label: value\" per line, in your language",
     velorin::cli::exif},
    {"videoinfo", "videoinfo FILE [--thumb OUT.bmp] [--json]\n"
                  "                   show what the video plug-in and MediaInfo read of a video: size as shown,\n"
                  "                   display aspect, duration, rotation, performer and the result code; --thumb\n"
                  "                   writes the 256-pixel frame thumbnail as a BMP file",
     velorin::cli::videoinfo},
};

int usage(QTextStream& out, int status)
{
    out << "usage: velorin <command> [arguments]\n\ncommands:\n";
    for (const Command& c : commands)
        out << "  " << c.usage << '\n';
    out << "\nNames, paths and metadata are printed one record per line: control characters show as\n"
           "\\t, \\n, \\r, \\xHH or \\uHHHH, a backslash as \\\\, and bytes of a file name that are not\n"
           "UTF-8 as \\xHH (list --json keeps the exact text).\n";
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    velorin::cli::pinLocalTimeZone();
    velorin::cli::keepCommandLine(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velorin"));
    // The tool reports every failure itself, with its reason; the library's
    // and the picture decoders' own log lines would break into the progress
    // and are for whoever debugs it (QT_LOGGING_RULES brings them back).
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("velorin.*.warning=false\nqt.gui.imageio*=false"));

    QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream err(stderr);
    if (args.isEmpty())
        return usage(err, 2);
    const QString name = args.takeFirst();
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h")) {
        QTextStream out(stdout);
        return usage(out, 0);
    }
    for (const Command& c : commands) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    err << "velorin: unknown command '" << velorin::cli::printable(name) << "'\n";
    return usage(err, 2);
}
