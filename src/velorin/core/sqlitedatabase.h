#pragma once

#include <velorin/global.h>

#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Abstract base of every table class: a named, per-thread QtSql connection to
// one SQLite file in one of the library's data folders.
//
// A table object is shared by all threads; each thread that runs statements
// first calls openConnection() (reference-counted, so calls nest) and ends
// with as many closeConnection() calls. The QtSql connection of a thread is
// named getConnectionName() followed by the thread's Linux thread id in
// decimal, so no connection is ever used by two threads. The object's mutex
// guards only the bookkeeping; statements run outside it and SQLite's file
// locking arbitrates between threads and between tables sharing a file.
class VELORIN_EXPORT SQLiteDatabase
{
public:
    SQLiteDatabase();
    virtual ~SQLiteDatabase();

    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    virtual bool createTable() = 0;
    virtual QString getConnectionName() = 0;
    virtual QString getDatabaseName() = 0;
    virtual QString getTableName() = 0;
    virtual QString getDataFolder() = 0;

    virtual bool openConnection();
    virtual void closeConnection();
    virtual QSqlDatabase getDatabase();
    virtual QString getDatabasePath();
    virtual bool isTableCreated(QString tableName);

    QStringList getTableColumns();

    // One column an upgrade adds: its name, and the ALTER TABLE text with
    // "%1" standing for the table name.
    using ColumnUpgrade = std::pair<const char*, const char*>;

    // How long a statement waits for another connection's lock on the same
    // file before it fails (QSQLITE_BUSY_TIMEOUT), in milliseconds.
    static constexpr int BusyTimeoutMs = 10000;

protected:
    // createTable() of every table: nothing when the table exists, otherwise
    // the CREATE TABLE text; the result of its execution.
    bool createTableIfMissing(const char* createStatement);

    // Runs, in order, the statement of every column that `present` lacks
    // (exact, case-sensitive names), ignoring each result.
    void addMissingColumns(const QStringList& present, std::span<const ColumnUpgrade> upgrades);

private:
    QString getRealConnectionName();

    struct ThreadRef
    {
        quint32 threadId;
        qint32 refCount;
    };
    // The calling thread's entry, or end(); called with `mutex` held.
    std::vector<ThreadRef>::iterator findThreadRef();

    std::vector<ThreadRef> threadRefs;
    QMutex mutex;
};
