#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTextStream>

#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"

namespace velorin::cli {

namespace {

bool hasPosition(const DBImageInfo& info)
{
    return info.latitude != velorin::NoLatitude && info.longitude != velorin::NoLongitude;
}

// Degrees with at most six decimals (about 0.1 m), trailing zeros dropped.
QString degrees(double value)
{
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == u"-0" ? QStringLiteral("0") : text;
}

QString modified(const DBImageInfo& info)
{
    return info.mediaModifyDate.toString(Qt::ISODate);
}

void printLine(QTextStream& out, const DBImageInfo& info)
{
    out << info.name << '\t' << (info.exifDate.isEmpty() ? modified(info) : info.exifDate) << '\t' << info.fileSize
        << '\t' << (hasPosition(info) ? degrees(info.latitude) + u',' + degrees(info.longitude) : QStringLiteral("-"))
        << '\t' << info.mediaRating << '\t' << info.fullPath << '\n';
}

QJsonObject toJson(const DBImageInfo& info)
{
    const auto textOrNull = [](const QString& s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
    const bool located = hasPosition(info);
    return {
        {QStringLiteral("name"), info.name},
        {QStringLiteral("date"), info.exifDate.isEmpty() ? modified(info) : info.exifDate},
        {QStringLiteral("exifDate"), textOrNull(info.exifDate)},
        {QStringLiteral("modified"), textOrNull(modified(info))},
        {QStringLiteral("size"), double(info.fileSize)},
        {QStringLiteral("latitude"), located ? QJsonValue(info.latitude) : QJsonValue()},
        {QStringLiteral("longitude"), located ? QJsonValue(info.longitude) : QJsonValue()},
        {QStringLiteral("rating"), info.mediaRating},
        {QStringLiteral("orientation"), info.orientation},
        {QStringLiteral("path"), info.fullPath},
    };
}

} // namespace

// velorin list [--json]: the photos of the library (not the trash), oldest
// first in the order of a date-sorted view, as tab-separated lines or as a
// JSON array with one object per line.
int list(const QStringList& args)
{
    bool json = false;
    for (const QString& a : args) {
        if (a == u"--json") {
            json = true;
        } else {
            QTextStream(stderr) << "velorin list: unknown argument '" << a << "'\n";
            return 2;
        }
    }

    CatalogueSession session("list", true);
    if (!session.usable())
        return 1;
    {
        KivPhotoFiles photos;
        photos.loadImageInfoFromDatabase(nullptr);
        // Sorted before it is filled, so that each entry goes in at its place
        // as it would in an application's view.
        KivPhotoFilesSort view;
        view.sortBy(PhotosSortByDateTime, Qt::AscendingOrder, true);
        for (int i = 0; i < photos.photoFilesCount(); ++i)
            view.addPhotoFile(i, photos.getPhotoFile(i));

        QTextStream out(stdout);
        if (json)
            out << '[';
        for (int i = 0; i < view.photoFilesCount(); ++i) {
            const DBImageInfo& info = view.getKivPhotoFile(i)->dbInfo;
            if (json)
                out << (i ? ",\n" : "\n") << QJsonDocument(toJson(info)).toJson(QJsonDocument::Compact);
            else
                printLine(out, info);
        }
        if (json)
            out << "\n]\n";
    }
    return 0;
}

} // namespace velorin::cli
