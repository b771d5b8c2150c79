#pragma once

#include <velorin/global.h>
#include <velorin/core/sqlitedatabase.h>

#include <initializer_list>
#include <span>

#include <QStringList>
#include <QVariant>

// The fixed facts of one table: its names, its folder and its schema. Every
// table class has one, in static storage.
struct TableDescription
{
    const char* connectionName;
    const char* databaseName;
    const char* tableName;
    // The folder that holds the table's file, asked each time a
    // connection is opened (the data folder of the table's side).
    QString (*dataFolder)();
    const char* createStatement;
    // Index statements, run in order by createIndex().
    std::span<const char* const> indexStatements = {};
    // Columns that older files lack, added in order by upgradeDatabase().
    std::span<const SQLiteDatabase::ColumnUpgrade> columnUpgrades = {};
};

// A table whose names and schema come from its description. The table
// classes derive from it and add only their own operations.
class VELORIN_EXPORT SQLiteTable : public SQLiteDatabase
{
public:
    ~SQLiteTable() override;

    // Nothing when the table exists (whatever its columns), otherwise the
    // CREATE TABLE text; the result of its execution.
    bool createTable() override;
    QString getConnectionName() override;
    QString getDatabaseName() override;
    QString getTableName() override;
    QString getDataFolder() override;

    // Runs the index statements, ignoring their results (on an existing file
    // the indexes exist); always true, also for a table without indexes.
    bool createIndex();
    // Adds the columns an older file lacks: upgradeDatabaseFrom() the
    // table's present columns.
    bool upgradeDatabase();
    // Runs the ALTER TABLE of every known column not in `columns` (exact
    // names), in order, ignoring the results; always true. Added columns are
    // NULL in existing rows; readers take NULL as 0.
    bool upgradeDatabaseFrom(QStringList columns);

    // Column 0 of every row `text` returns ("%1" the table name, `values`
    // bound in order), as text.
    QStringList selectStrings(const char* text, const QVariantList& values = {});

protected:
    explicit SQLiteTable(const TableDescription& description);

    // Runs one statement on this thread's connection: "%1" in `text` is the
    // table name, "%2", "%3"... the `numbers`; `values` are bound in order.
    bool exec(const char* text, const QVariantList& values = {},
              std::initializer_list<qint64> numbers = {});

private:
    const TableDescription& m_description;
};
