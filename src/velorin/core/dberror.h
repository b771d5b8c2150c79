#pragma once

#include <velorin/global.h>

#include <QLoggingCategory>
#include <QString>

class QSqlError;

VELORIN_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcVelorinDb)

namespace velorin {

// Why a statement, a connection or a transaction failed, in the classes a
// caller acts on differently: wait and retry, tell the user the disk is full,
// the catalogue is read-only, or the file is not a catalogue at all.
enum class DbFailure {
    None,
    Busy,         // another connection kept the file locked past the timeout
    ReadOnly,     // the file or its folder cannot be written
    DiskFull,     // no space left for the file or its journal
    NotACatalogue, // the file is not an SQLite database, or it is corrupt
    CannotOpen,   // the file or its folder cannot be opened or created
    Other,
};

struct DbError
{
    DbFailure failure = DbFailure::None;
    QString file;   // the database file's name ("ImageInfo.db")
    QString detail; // SQLite's own message
};

// The calling thread's most recent database failure, like errno: every
// failed statement, connection and transaction of the library records itself
// here (and logs to "velorin.db"), and a caller that got false reads why.
VELORIN_EXPORT DbError lastDbError();
VELORIN_EXPORT void clearDbError();
VELORIN_EXPORT void setDbError(const DbError& error);

// A short reason for people: "disk full (ImageInfo.db)", "read-only catalogue
// (ImageThumbnail_Mini.db)"; empty for DbFailure::None.
VELORIN_EXPORT QString describeDbError(const DbError& error);
// describeDbError() of this thread's lastDbError().
VELORIN_EXPORT QString describeLastDbError();

// The failure class of a QtSql error of the SQLite driver.
VELORIN_EXPORT DbFailure classifySqlError(const QSqlError& error);

// Records (and logs) a failed operation on the file `databasePath`.
VELORIN_EXPORT void recordDbError(const QSqlError& error, const QString& databasePath, const QString& what);

} // namespace velorin
