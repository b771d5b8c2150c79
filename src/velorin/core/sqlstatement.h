#pragma once

#include <velorin/global.h>

#include <initializer_list>
#include <optional>

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

class SQLiteDatabase;

namespace velorin {

// A date-time as the catalogue files store it: ISO 8601 text to the second,
// without milliseconds (the form every existing file holds). A null date-time
// gives a null text, stored as NULL.
VELORIN_EXPORT QString toSqlDateTime(const QDateTime& dateTime);

// A value ready to bind: date-times become their stored text, booleans 0 or 1;
// everything else is passed on unchanged.
VELORIN_EXPORT QVariant toSqlValue(const QVariant& value);

// A fixed statement text with "%1" replaced by the table name and "%2", "%3",
// ... by the numbers, in decimal. Only names and numbers are ever written
// into statement text; every other value is bound.
VELORIN_EXPORT QString tableStatement(const char* text, const QString& tableName,
                                      std::initializer_list<qint64> numbers = {});

// One statement on one connection: prepare, bind in placeholder order, exec,
// then read rows. Every table and collection runs its SQL through it, so
// values are converted the same way everywhere.
//
// Lives on the thread whose connection it uses, like the connection itself.
// A statement whose rows are not all read holds a read lock on its file
// until it is destroyed: tables that share the file (through their own
// connections) cannot write meanwhile, so keep reading statements short.
class VELORIN_EXPORT SqlStatement
{
public:
    // Prepares `text` on the calling thread's connection of `table`, with
    // "%1" replaced by the table's name and "%2"... by `numbers`.
    SqlStatement(SQLiteDatabase& table, const char* text, std::initializer_list<qint64> numbers = {});

    // Prepares a finished text on a connection.
    SqlStatement(const QSqlDatabase& db, const QString& text);

    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool isPrepared() const { return m_prepared; }

    // Binds the next placeholder (see toSqlValue()).
    SqlStatement& bind(const QVariant& value);

    // Executes; false when preparing or executing failed, with the reason
    // recorded for lastDbError() and logged to "velorin.db".
    bool exec();

    bool next() { return m_query.next(); }
    QVariant value(int column) const { return m_query.value(column); }
    QSqlQuery& query() { return m_query; }

private:
    QSqlQuery m_query;
    QString m_databasePath; // for the failure record
    bool m_prepared = false;
};

// The columns of the first row `text` returns on the table's connection
// ("%1" the table name, `values` bound in order); nothing when there is no
// row or the statement failed. The statement is finished before returning,
// so it holds no lock on the file afterwards.
VELORIN_EXPORT std::optional<QVariantList> selectFirstRow(SQLiteDatabase& table, const char* text,
                                                          const QVariantList& values = {});

// Prepares, binds `values` in order and executes: the whole life of a
// statement that returns no rows.
VELORIN_EXPORT bool execStatement(const QSqlDatabase& db, const QString& text,
                                  const QVariantList& values = {});

} // namespace velorin
