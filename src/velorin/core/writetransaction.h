#pragma once

#include <velorin/global.h>

#include <span>
#include <vector>

#include <QSqlDatabase>

class SQLiteDatabase;

namespace velorin {

// One write transaction over a group of tables, on the calling thread's
// connections, that rolls back unless it was committed.
//
// Each file is opened for writing with "BEGIN IMMEDIATE": a deferred
// transaction that first reads and then writes fails at once with "busy"
// when another connection (another process, another thread) is writing the
// same file, whatever the busy timeout, and its writes are lost. An
// immediate one waits for the other writer instead. Files are taken in the
// group's order, so two writers that use the same group cannot deadlock.
// Tables that share a file are in the transaction through the first of them
// only: a second BEGIN IMMEDIATE on the same file would wait for the first.
//
// A begin or commit that still finds the file locked after the connection's
// busy timeout is tried again a few times before it reports failure; the
// reason is then in lastDbError().
//
// Thread safety: lives on the thread whose connections it uses.
class VELORIN_EXPORT WriteTransaction
{
public:
    explicit WriteTransaction(std::span<SQLiteDatabase* const> tables);
    // Rolls back whatever is still open.
    ~WriteTransaction();

    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Begins on every file, in order; on a failure rolls back the files
    // already begun and returns false.
    bool begin();
    // Commits every file, in order; false (with the rest rolled back) when
    // one fails. Files committed before the failure stay committed, which is
    // why a group lists the files a row depends on before the row's own.
    bool commit();
    void rollback();
    // Leaves a begun transaction open on the connections, for a caller that
    // ends it later with its own COMMIT.
    void release() { m_active = false; }
    bool isActive() const { return m_active; }

    // A unit inside the transaction (one photo of a batch): its writes can
    // be undone on their own when one of them fails.
    bool savepoint();
    bool releaseSavepoint();
    void rollbackToSavepoint();

private:
    bool runOnAll(const char* text);

    std::vector<QSqlDatabase> m_connections;
    std::vector<QString> m_paths;
    int m_begun = 0;
    bool m_active = false;
};

// The connections of `tables` on the calling thread, one per distinct file,
// in the order the tables are given; `paths` receives their file paths.
std::vector<QSqlDatabase> distinctFileConnections(std::span<SQLiteDatabase* const> tables,
                                                  std::vector<QString>* paths = nullptr);

// Runs a transaction-control statement ("BEGIN IMMEDIATE", "COMMIT"),
// trying again while the file stays busy. Records a failure.
bool execWithBusyRetry(QSqlDatabase& db, const QString& path, const char* text);

} // namespace velorin
