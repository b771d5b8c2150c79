#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTextStream>

#include <velorin/db/videoinfodb.h>
#include <velorin/video/videowriter.h>

#include "catalogue.h"
#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// Milliseconds as m:ss or h:mm:ss; "-" when unknown.
QString duration(int milliseconds)
{
    return milliseconds > 0 ? millisecondsClock(milliseconds) : QStringLiteral("-");
}

QString resolution(const DBVideoInfo& v)
{
    return v.resolutionX > 0 && v.resolutionY > 0 ? QStringLiteral("%1x%2").arg(v.resolutionX).arg(v.resolutionY)
                                                   : QStringLiteral("-");
}

QJsonObject toJson(const DBVideoInfo& v)
{
    const auto textOrNull = [](const QString& s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
    const auto positiveOrNull = [](int n) { return n > 0 ? QJsonValue(n) : QJsonValue(); };
    return {
        {QStringLiteral("name"), v.name},
        {QStringLiteral("duration"), positiveOrNull(v.duration)},
        {QStringLiteral("width"), positiveOrNull(v.resolutionX)},
        {QStringLiteral("height"), positiveOrNull(v.resolutionY)},
        {QStringLiteral("aspect"),
         v.aspectRatioX > 0 && v.aspectRatioY > 0 ? QJsonValue(QStringLiteral("%1:%2").arg(v.aspectRatioX).arg(v.aspectRatioY))
                                                  : QJsonValue()},
        {QStringLiteral("performer"), textOrNull(v.artist)},
        {QStringLiteral("thumbnail"), !v.thumbnail.isEmpty()},
        {QStringLiteral("size"), double(v.fileSize)},
        {QStringLiteral("modified"), textOrNull(v.modifyDate.toString(Qt::ISODate))},
        {QStringLiteral("path"), v.fullPath},
    };
}

} // namespace

// velorin videos [--json]: the videos of the library (not the trash) in
// catalogue order, as tab-separated lines (name, duration, resolution,
// performer, path) or as a JSON array with one object per line. The rows
// are read as they are: listing starts no reading of the videos.
int videos(const QStringList& args)
{
    bool json = false;
    for (const QString& a : args) {
        if (a == u"--json") {
            json = true;
        } else {
            QTextStream(stderr) << "velorin videos: unknown argument '" << printable(a) << "'\n";
            return 2;
        }
    }
    CatalogueSession session("videos", false);
    if (!session.usable())
        return 1;
    const std::vector<DBVideoInfo> rows = velorin::readVideoRecords(VideoInfoDB::SelectLibrary, true);
    QTextStream out(stdout);
    if (json)
        out << '[';
    bool first = true;
    for (const DBVideoInfo& v : rows) {
        if (json) {
            out << (first ? "\n" : ",\n") << QJsonDocument(toJson(v)).toJson(QJsonDocument::Compact);
        } else {
            out << printable(v.name) << '\t' << duration(v.duration) << '\t' << resolution(v) << '\t'
                << (v.artist.isEmpty() ? QStringLiteral("-") : printable(v.artist)) << '\t' << printable(v.fullPath)
                << '\n';
        }
        first = false;
    }
    if (json)
        out << (first ? "]\n" : "\n]\n");
    return 0;
}

} // namespace velorin::cli
