#include "tablegroup.h"

#include <QSqlDatabase>

#include "sqlitedatabase.h"
#include "sqlstatement.h"

namespace velorin::tablegroup {

void beginTransaction(std::span<SQLiteDatabase* const> tables)
{
    for (SQLiteDatabase* table : tables)
        table->getDatabase().transaction();
}

void endTransaction(std::span<SQLiteDatabase* const> tables)
{
    for (SQLiteDatabase* table : tables)
        table->getDatabase().commit();
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
