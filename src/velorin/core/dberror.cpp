#include "dberror.h"

#include <QFileInfo>
#include <QSqlError>

Q_LOGGING_CATEGORY(lcVelorinDb, "velorin.db", QtWarningMsg)

namespace velorin {

namespace {

thread_local DbError lastError;

// SQLite's primary result codes (the low byte of an extended code).
enum : int {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoErr = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteNotADb = 26,
};

} // namespace

DbError lastDbError()
{
    return lastError;
}

void clearDbError()
{
    lastError = DbError();
}

void setDbError(const DbError& error)
{
    lastError = error;
}

DbFailure classifySqlError(const QSqlError& error)
{
    if (error.type() == QSqlError::NoError)
        return DbFailure::None;
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xff;
    if (!numeric)
        return DbFailure::Other;
    switch (code) {
    case SqliteBusy:
    case SqliteLocked:
        return DbFailure::Busy;
    case SqliteReadOnly:
        return DbFailure::ReadOnly;
    case SqliteFull:
        return DbFailure::DiskFull;
    case SqliteCorrupt:
    case SqliteNotADb:
        return DbFailure::NotACatalogue;
    case SqliteCantOpen:
        return DbFailure::CannotOpen;
    case SqliteIoErr:
        // A write that ran out of space surfaces as an I/O error when the
        // journal or the file could not grow.
        return error.databaseText().contains(QLatin1String("full"), Qt::CaseInsensitive) ? DbFailure::DiskFull
                                                                                         : DbFailure::Other;
    default:
        return DbFailure::Other;
    }
}

QString describeDbError(const DbError& error)
{
    QString text;
    switch (error.failure) {
    case DbFailure::None:
        return QString();
    case DbFailure::Busy:
        text = QStringLiteral("catalogue busy: another program kept it locked");
        break;
    case DbFailure::ReadOnly:
        text = QStringLiteral("read-only catalogue");
        break;
    case DbFailure::DiskFull:
        text = QStringLiteral("disk full");
        break;
    case DbFailure::NotACatalogue:
        text = QStringLiteral("not a catalogue (corrupt or foreign file)");
        break;
    case DbFailure::CannotOpen:
        text = QStringLiteral("cannot open the catalogue");
        break;
    case DbFailure::Other:
        text = error.detail.isEmpty() ? QStringLiteral("catalogue write failed")
                                      : QStringLiteral("catalogue error: ") + error.detail;
        break;
    }
    if (!error.file.isEmpty())
        text += QStringLiteral(" (") + error.file + QLatin1Char(')');
    return text;
}

QString describeLastDbError()
{
    return describeDbError(lastError);
}

void recordDbError(const QSqlError& error, const QString& databasePath, const QString& what)
{
    DbError recorded;
    recorded.failure = classifySqlError(error);
    if (recorded.failure == DbFailure::None)
        recorded.failure = DbFailure::Other;
    recorded.file = QFileInfo(databasePath).fileName();
    recorded.detail = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    qCWarning(lcVelorinDb).noquote() << recorded.file << what << "failed:" << recorded.detail;
    lastError = std::move(recorded);
}

} // namespace velorin
