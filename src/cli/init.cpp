#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

#include <velorin/velorin.h>

#include "catalogue.h"
#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// The tables of one file, read through a read-only connection of the tool's
// own so that listing never changes a file.
QStringList tablesOf(const QString& path, bool* ok)
{
    QStringList tables;
    const QString connection = QStringLiteral("velorin-cli-list");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        *ok = db.open()
            && q.exec(QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite!_%' escape '!' order by rowid"));
        while (*ok && q.next())
            tables.append(q.value(0).toString());
    }
    QSqlDatabase::removeDatabase(connection);
    return tables;
}

void report(QTextStream& out, const QString& title, const QString& folder)
{
    out << title << ": " << printable(folder) << '\n';
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        out << "  (no catalogue files)\n";
    for (const QString& file : files) {
        bool ok = false;
        const QStringList tables = tablesOf(folder + QLatin1Char('/') + file, &ok);
        out << "  " << printable(file) << ": "
            << (ok ? tables.join(QStringLiteral(", ")) : QStringLiteral("(not a readable catalogue file)"))
            << '\n';
    }
}

} // namespace

int init(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool video = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--video")) {
            video = true;
        } else {
            err << "velorin init: unknown argument '" << printable(a) << "'\n";
            return 2;
        }
    }

    // The service opens this thread's connections to every table of the
    // side and creates what is missing; listing happens with them closed.
    if (!CatalogueSession(video ? "init --video" : "init", !video).usable())
        return 1;
    if (video)
        report(out, QStringLiteral("Video catalogue"), velorin::videoDataFolder());
    else
        report(out, QStringLiteral("Photo catalogue"), velorin::photoDataFolder());
    return 0;
}

} // namespace velorin::cli
