#include "countedlisttable.h"

#include <algorithm>

#include <velorin/core/sqlstatement.h>

CountedListTable::CountedListTable(const TableDescription& description, const char* selectText,
                                   const char* listText)
    : SQLiteTable(description)
    , m_selectText(selectText)
    , m_listText(listText)
{
}

CountedListTable::~CountedListTable() = default;

std::optional<CountedListTable::CountedRow> CountedListTable::findValue(const QString& value)
{
    const auto row = velorin::selectFirstRow(*this, m_selectText, {value});
    if (!row)
        return std::nullopt;
    return CountedRow{row->value(0).toInt(), row->value(1).toInt()};
}

QStringList CountedListTable::listValuesByName()
{
    QStringList values = listValues();
    std::sort(values.begin(), values.end(),
              [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
    return values;
}

QStringList CountedListTable::listValues()
{
    return selectStrings(m_listText);
}

bool CountedListTable::setCount(const CountedRow& row)
{
    return exec(SetCountStatement, {}, {row.count, row.id});
}
