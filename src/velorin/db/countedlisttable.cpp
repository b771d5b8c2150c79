#include "countedlisttable.h"

#include <velorin/service/sqlstatement.h>

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
    velorin::SqlStatement q(*this, m_selectText);
    q.bind(value);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return CountedRow{q.value(0).toInt(), q.value(1).toInt()};
}

QStringList CountedListTable::listValues()
{
    return selectStrings(m_listText);
}

bool CountedListTable::setCount(const CountedRow& row)
{
    return exec(SetCountStatement, {}, {row.count, row.id});
}
