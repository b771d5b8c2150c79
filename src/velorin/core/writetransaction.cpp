#include "writetransaction.h"

#include <algorithm>

#include <QSqlError>
#include <QSqlQuery>

#include "dberror.h"
#include "sqlitedatabase.h"
#include "sqlstatement.h"

namespace velorin {

namespace {

// Each attempt waits up to the connection's busy timeout (10 s): a writer
// that keeps a file locked for half a minute is stuck, not busy.
constexpr int BusyAttempts = 3;

} // namespace

std::vector<QSqlDatabase> distinctFileConnections(std::span<SQLiteDatabase* const> tables,
                                                  std::vector<QString>* paths)
{
    std::vector<QSqlDatabase> connections;
    std::vector<QString> seen;
    for (SQLiteDatabase* table : tables) {
        const QString path = table->getDatabasePath();
        if (std::find(seen.begin(), seen.end(), path) != seen.end())
            continue;
        seen.push_back(path);
        connections.push_back(table->getDatabase());
    }
    if (paths)
        *paths = std::move(seen);
    return connections;
}

bool execWithBusyRetry(QSqlDatabase& db, const QString& path, const char* text)
{
    const QString statement = QString::fromLatin1(text);
    QSqlError error;
    for (int attempt = 0; attempt < BusyAttempts; ++attempt) {
        QSqlQuery q(db);
        if (q.exec(statement))
            return true;
        error = q.lastError();
        if (classifySqlError(error) != DbFailure::Busy)
            break;
    }
    recordDbError(error, path, statement);
    return false;
}

WriteTransaction::WriteTransaction(std::span<SQLiteDatabase* const> tables)
{
    m_connections = distinctFileConnections(tables, &m_paths);
}

WriteTransaction::~WriteTransaction()
{
    rollback();
}

bool WriteTransaction::begin()
{
    if (m_active)
        return true;
    for (m_begun = 0; m_begun < int(m_connections.size()); ++m_begun) {
        if (!execWithBusyRetry(m_connections[m_begun], m_paths[m_begun], "BEGIN IMMEDIATE")) {
            m_active = true; // so that rollback() ends the files already begun
            rollback();
            return false;
        }
    }
    m_active = true;
    return true;
}

bool WriteTransaction::commit()
{
    if (!m_active)
        return false;
    for (size_t i = 0; i < m_connections.size(); ++i) {
        if (!execWithBusyRetry(m_connections[i], m_paths[i], "COMMIT")) {
            // The rollback of the rest records nothing: the reason stays
            // the failed commit's.
            for (size_t j = i; j < m_connections.size(); ++j)
                QSqlQuery(m_connections[j]).exec(QStringLiteral("ROLLBACK"));
            m_active = false;
            return false;
        }
    }
    m_active = false;
    return true;
}

void WriteTransaction::rollback()
{
    if (!m_active)
        return;
    for (int i = 0; i < m_begun && i < int(m_connections.size()); ++i)
        QSqlQuery(m_connections[i]).exec(QStringLiteral("ROLLBACK"));
    m_active = false;
}

bool WriteTransaction::runOnAll(const char* text)
{
    for (const QSqlDatabase& db : m_connections) {
        if (!execStatement(db, QString::fromLatin1(text)))
            return false;
    }
    return true;
}

bool WriteTransaction::savepoint()
{
    return m_active && runOnAll("SAVEPOINT unit");
}

bool WriteTransaction::releaseSavepoint()
{
    return m_active && runOnAll("RELEASE unit");
}

void WriteTransaction::rollbackToSavepoint()
{
    if (!m_active)
        return;
    for (QSqlDatabase& db : m_connections) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK TO unit"));
        QSqlQuery(db).exec(QStringLiteral("RELEASE unit"));
    }
}

} // namespace velorin
