#include "sqlitedatabase.h"

#include <unistd.h>

#include <algorithm>

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "dberror.h"
#include "sqlstatement.h"

namespace {

quint32 currentThreadId()
{
    return static_cast<quint32>(::gettid());
}

} // namespace

SQLiteDatabase::SQLiteDatabase() = default;

// Connections are not touched here: their owners close them first, and a
// static table object may outlive QtSql's connection registry at unload.
SQLiteDatabase::~SQLiteDatabase() = default;

QString SQLiteDatabase::getRealConnectionName()
{
    return getConnectionName() + QString::number(currentThreadId());
}

std::vector<SQLiteDatabase::ThreadRef>::iterator SQLiteDatabase::findThreadRef()
{
    const quint32 tid = currentThreadId();
    return std::find_if(threadRefs.begin(), threadRefs.end(),
                        [tid](const ThreadRef& r) { return r.threadId == tid; });
}

QString SQLiteDatabase::getDatabasePath()
{
    return getDataFolder() + QLatin1Char('/') + getDatabaseName();
}

bool SQLiteDatabase::openConnection()
{
    const QString name = getRealConnectionName();

    QMutexLocker lock(&mutex);
    if (auto it = findThreadRef(); it != threadRefs.end())
        ++it->refCount;
    else
        threadRefs.push_back({currentThreadId(), 1});

    // A registered name means this thread opened (or tried to open) before;
    // a failed open stays registered, and getDatabase() retries the open.
    if (QSqlDatabase::connectionNames().contains(name))
        return true;

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(getDatabasePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (db.open())
        return true;
    velorin::recordDbError(db.lastError(), db.databaseName(), QStringLiteral("open"));
    return false;
}

void SQLiteDatabase::closeConnection()
{
    const QString name = getRealConnectionName();

    QMutexLocker lock(&mutex);
    const auto it = findThreadRef();
    if (it == threadRefs.end())
        return;
    if (--it->refCount >= 1)
        return;

    {
        // The handle must be gone before removeDatabase(), which otherwise
        // warns that the connection is still in use.
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    threadRefs.erase(it);
}

QSqlDatabase SQLiteDatabase::getDatabase()
{
    const QString name = getRealConnectionName();
    // On a thread that never opened, the name is unknown and the result is
    // an invalid database on which every statement fails.
    QMutexLocker lock(&mutex);
    return QSqlDatabase::database(name, true);
}

bool SQLiteDatabase::isTableCreated(QString tableName)
{
    velorin::SqlStatement q(getDatabase(),
        QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"));
    q.bind(tableName);
    int count = 0;
    if (q.exec() && q.next())
        count = q.value(0).toInt();
    return count > 0;
}

QStringList SQLiteDatabase::getTableColumns()
{
    QStringList columns;
    if (!isTableCreated(getTableName()))
        return columns;
    velorin::SqlStatement q(*this, "PRAGMA table_info(%1)");
    if (q.exec()) {
        while (q.next())
            columns.append(q.value(1).toString());
    }
    return columns;
}

bool SQLiteDatabase::createTableIfMissing(const char* createStatement)
{
    if (isTableCreated(getTableName()))
        return true;
    if (velorin::SqlStatement(*this, createStatement).exec())
        return true;
    // Another process starting on the same fresh catalogue may have created
    // the table between the check and the statement: that is no failure.
    const velorin::DbError failure = velorin::lastDbError();
    if (isTableCreated(getTableName())) {
        velorin::clearDbError();
        return true;
    }
    velorin::setDbError(failure);
    return false;
}

void SQLiteDatabase::addMissingColumns(const QStringList& present,
                                       std::span<const ColumnUpgrade> upgrades)
{
    for (const auto& [column, statement] : upgrades) {
        if (!present.contains(QString::fromUtf8(column), Qt::CaseSensitive))
            velorin::SqlStatement(*this, statement).exec();
    }
}
