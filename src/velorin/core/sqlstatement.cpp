#include "sqlstatement.h"

#include <QSqlError>
#include <QSqlRecord>

#include "dberror.h"

#include "sqlitedatabase.h"

namespace velorin {

QString toSqlDateTime(const QDateTime& dateTime)
{
    // Qt::ISODate stops at seconds; Qt's SQLite driver would otherwise write
    // milliseconds, and text comparisons with existing rows would fail.
    if (!dateTime.isValid())
        return QString();
    return dateTime.toString(Qt::ISODate);
}

QVariant toSqlValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return QVariant(toSqlDateTime(value.toDateTime()));
    case QMetaType::Bool:
        return QVariant(value.toBool() ? 1 : 0);
    default:
        return value;
    }
}

QString tableStatement(const char* text, const QString& tableName,
                       std::initializer_list<qint64> numbers)
{
    QString result = QString::fromUtf8(text);
    // Highest placeholder first, so that "%1" never eats the start of "%10".
    int index = static_cast<int>(numbers.size()) + 1;
    for (auto it = std::rbegin(numbers); it != std::rend(numbers); ++it, --index)
        result.replace(QLatin1Char('%') + QString::number(index), QString::number(*it));
    result.replace(QLatin1String("%1"), tableName);
    return result;
}

SqlStatement::SqlStatement(SQLiteDatabase& table, const char* text,
                           std::initializer_list<qint64> numbers)
    : SqlStatement(table.getDatabase(), tableStatement(text, table.getTableName(), numbers))
{
}

SqlStatement::SqlStatement(const QSqlDatabase& db, const QString& text)
    : m_query(db)
    , m_databasePath(db.databaseName())
{
    m_prepared = m_query.prepare(text);
}

SqlStatement& SqlStatement::bind(const QVariant& value)
{
    m_query.addBindValue(toSqlValue(value));
    return *this;
}

bool SqlStatement::exec()
{
    if (m_prepared && m_query.exec())
        return true;
    recordDbError(m_query.lastError(), m_databasePath, m_query.lastQuery());
    return false;
}

std::optional<QVariantList> selectFirstRow(SQLiteDatabase& table, const char* text, const QVariantList& values)
{
    SqlStatement statement(table, text);
    for (const QVariant& v : values)
        statement.bind(v);
    if (!statement.exec() || !statement.next())
        return std::nullopt;
    QVariantList row;
    const int columns = statement.query().record().count();
    row.reserve(columns);
    for (int i = 0; i < columns; ++i)
        row.append(statement.value(i));
    return row;
}

bool execStatement(const QSqlDatabase& db, const QString& text, const QVariantList& values)
{
    SqlStatement statement(db, text);
    for (const QVariant& v : values)
        statement.bind(v);
    return statement.exec();
}

} // namespace velorin
