#include "updatebuilder.h"

#include <QLocale>

#include "sqlstatement.h"

namespace velorin {

namespace {

QString writtenValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
        // The shortest text that reads back as the same double: a GPS
        // position keeps its full precision (six significant digits would
        // move it by up to 100 m).
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return value.toString();
    }
}

} // namespace

UpdateFragments::UpdateFragments(const QString& table, const char* where)
    : m_table(table)
    , m_where(where)
{
}

void UpdateFragments::add(const char* clause, const QVariant& value)
{
    QString fragment = QString::fromUtf8(clause);
    const QVariantList values = value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList{value};
    // The values of the "?" come first, in order; the rest are the numbers.
    const qsizetype boundCount = fragment.count(QLatin1Char('?'));
    m_bound.append(values.mid(0, boundCount));
    const QVariantList numbers = values.mid(boundCount);
    // Highest first, so that "%1" never eats the start of "%10".
    for (qsizetype i = numbers.size(); i >= 1; --i)
        fragment.replace(QLatin1Char('%') + QString::number(i), writtenValue(numbers[i - 1]));
    m_fragments.append(fragment);
}

QString UpdateFragments::text(qint64 key) const
{
    return QStringLiteral("update ") + m_table + QStringLiteral(" set ")
        + m_fragments.join(QStringLiteral(", "))
        + QString::fromUtf8(m_where).replace(QLatin1String("%1"), QString::number(key));
}

bool UpdateFragments::exec(const QSqlDatabase& db, qint64 key) const
{
    return execStatement(db, text(key), m_bound);
}

} // namespace velorin
