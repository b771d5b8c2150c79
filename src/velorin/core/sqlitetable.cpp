#include "sqlitetable.h"

#include <QSqlQuery>

#include "sqlstatement.h"

SQLiteTable::SQLiteTable(const TableDescription& description)
    : m_description(description)
{
}

SQLiteTable::~SQLiteTable() = default;

bool SQLiteTable::createTable()
{
    return createTableIfMissing(m_description.createStatement);
}

QString SQLiteTable::getConnectionName()
{
    return QString::fromLatin1(m_description.connectionName);
}

QString SQLiteTable::getDatabaseName()
{
    return QString::fromLatin1(m_description.databaseName);
}

QString SQLiteTable::getTableName()
{
    return QString::fromLatin1(m_description.tableName);
}

bool SQLiteTable::createIndex()
{
    QSqlQuery query(getDatabase());
    for (const char* text : m_description.indexStatements) {
        if (query.prepare(QString::fromUtf8(text)))
            query.exec();
    }
    return true;
}

bool SQLiteTable::upgradeDatabase()
{
    return upgradeDatabaseFrom(getTableColumns());
}

bool SQLiteTable::upgradeDatabaseFrom(QStringList columns)
{
    addMissingColumns(columns, m_description.columnUpgrades);
    return true;
}

QString SQLiteTable::getDataFolder()
{
    return m_description.dataFolder();
}

bool SQLiteTable::exec(const char* text, const QVariantList& values, std::initializer_list<qint64> numbers)
{
    velorin::SqlStatement statement(*this, text, numbers);
    for (const QVariant& value : values)
        statement.bind(value);
    return statement.exec();
}

QStringList SQLiteTable::selectStrings(const char* text, const QVariantList& values)
{
    QStringList result;
    velorin::SqlStatement statement(*this, text);
    for (const QVariant& value : values)
        statement.bind(value);
    if (statement.exec()) {
        while (statement.next())
            result.append(statement.value(0).toString());
    }
    return result;
}
