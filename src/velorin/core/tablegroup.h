#pragma once

#include <velorin/global.h>

#include <span>
#include <vector>

class SQLiteDatabase;

// One operation over the group of tables a collection writes, in the group's
// order, on the calling thread's connections. The
// collections offer these to applications around long runs of writes.
namespace velorin::tablegroup {

// BEGIN IMMEDIATE on each file of the group (tables sharing a file count
// once); false, with the files already begun rolled back, when one fails.
VELORIN_EXPORT bool beginTransaction(std::span<SQLiteDatabase* const> tables);
// COMMIT on each file; false when one failed (the others are still tried).
VELORIN_EXPORT bool endTransaction(std::span<SQLiteDatabase* const> tables);
// "PRAGMA synchronous = 2" when on, "PRAGMA synchronous = 0" when off.
VELORIN_EXPORT void setSynchronous(std::span<SQLiteDatabase* const> tables, bool on);
VELORIN_EXPORT void openConnections(std::span<SQLiteDatabase* const> tables);
VELORIN_EXPORT void closeConnections(std::span<SQLiteDatabase* const> tables);

} // namespace velorin::tablegroup

namespace velorin {

// The batch operations a collection offers applications around long runs of
// writes, over the group of tables it writes (tablegroup above). A
// collection derives from it and names its group.
class VELORIN_EXPORT TableGroupOperations
{
public:
    void beginTransaction();
    void endTransaction();
    void synchronousOff();
    void synchronousOn();
    void threadOpenConnection();
    void threadCloseConnection();

protected:
    virtual ~TableGroupOperations();
    // The collection's tables, in the order transactions begin and commit.
    virtual std::vector<SQLiteDatabase*> groupTables() = 0;
};

} // namespace velorin
