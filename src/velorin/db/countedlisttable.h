#pragma once

#include <velorin/global.h>
#include <velorin/core/sqlitetable.h>

#include <optional>

#include <QStringList>

// Base of the reference-counted dictionaries TagList and AddrList: one row
// per distinct value with the number of photos that use it. A value's row
// exists while photos use it; counting is a read followed by a write, so a
// value is counted from one thread at a time.
class VELORIN_EXPORT CountedListTable : public SQLiteTable
{
public:
    ~CountedListTable() override;

    struct CountedRow
    {
        int id = 0;
        int count = 0;
    };

    // The row of `value`, if any.
    std::optional<CountedRow> findValue(const QString& value);

    // Every stored value, in the order the table returns them.
    QStringList listValues();
    // Every stored value in the user's language's order (the tag and place
    // lists the photo models give applications).
    QStringList listValuesByName();

    static constexpr const char* SetCountStatement = "update %1 set count=%2 where id=%3";

protected:
    // `selectText` reads "id, count" of a value, `listText` every value.
    CountedListTable(const TableDescription& description, const char* selectText, const char* listText);

    // One more use of `value`: an existing row's count goes up by one;
    // otherwise `insertNew` makes a row with count 1, which is read back
    // when `readBack` is set. Returns the row as it now is (id and count),
    // or nothing when it was inserted without reading back or not found.
    template <class Insert>
    std::optional<CountedRow> countIn(const QString& value, Insert insertNew, bool readBack)
    {
        if (const auto row = findValue(value)) {
            const CountedRow raised{row->id, row->count + 1};
            setCount(raised);
            return raised;
        }
        insertNew();
        return readBack ? findValue(value) : std::nullopt;
    }

    // When a value's row goes: tags when the lowered count is exactly 0,
    // places when it is below 1 (a stored 0 or less also removes a place).
    enum class RemoveRule { AtZero, BelowOne };

    // One use fewer: the count goes down by one and the row is removed
    // through `deleteValue` when `rule` says so. No row: nothing.
    template <class Delete>
    void countOut(const QString& value, RemoveRule rule, Delete deleteValue)
    {
        const auto row = findValue(value);
        if (!row)
            return;
        const int count = row->count - 1;
        if (rule == RemoveRule::AtZero ? count == 0 : count < 1)
            deleteValue();
        else
            setCount({row->id, count});
    }

private:
    bool setCount(const CountedRow& row);

    const char* m_selectText;
    const char* m_listText;
};
