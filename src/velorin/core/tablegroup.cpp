#include "tablegroup.h"

#include <QSqlDatabase>

#include "sqlitedatabase.h"
#include "sqlstatement.h"
#include "writetransaction.h"

namespace velorin::tablegroup {

// Immediate transactions, one per file (see WriteTransaction for why), left
// open for endTransaction().
bool beginTransaction(std::span<SQLiteDatabase* const> tables)
{
    WriteTransaction transaction(tables);
    if (!transaction.begin())
        return false;
    transaction.release();
    return true;
}

bool endTransaction(std::span<SQLiteDatabase* const> tables)
{
    std::vector<QString> paths;
    std::vector<QSqlDatabase> connections = distinctFileConnections(tables, &paths);
    bool all = true;
    for (size_t i = 0; i < connections.size(); ++i)
        all = execWithBusyRetry(connections[i], paths[i], "COMMIT") && all;
    return all;
}

void setSynchronous(std::span<SQLiteDatabase* const> tables, bool on)
{
    const QString text = on ? QStringLiteral("PRAGMA synchronous = 2") : QStringLiteral("PRAGMA synchronous = 0");
    for (SQLiteDatabase* table : tables)
        execStatement(table->getDatabase(), text);
}

void openConnections(std::span<SQLiteDatabase* const> tables)
{
    for (SQLiteDatabase* table : tables)
        table->openConnection();
}

void closeConnections(std::span<SQLiteDatabase* const> tables)
{
    for (SQLiteDatabase* table : tables)
        table->closeConnection();
}

} // namespace velorin::tablegroup

namespace velorin {

TableGroupOperations::~TableGroupOperations() = default;

void TableGroupOperations::beginTransaction() { tablegroup::beginTransaction(groupTables()); }
void TableGroupOperations::endTransaction() { tablegroup::endTransaction(groupTables()); }
void TableGroupOperations::synchronousOff() { tablegroup::setSynchronous(groupTables(), false); }
void TableGroupOperations::synchronousOn() { tablegroup::setSynchronous(groupTables(), true); }
void TableGroupOperations::threadOpenConnection() { tablegroup::openConnections(groupTables()); }
void TableGroupOperations::threadCloseConnection() { tablegroup::closeConnections(groupTables()); }

} // namespace velorin
