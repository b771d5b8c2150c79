#pragma once

#include <velorin/global.h>

#include <span>

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// Partial updates. A collection writes the columns chosen by an update-flag
// set as one UPDATE statement made of fixed fragments:
//
//     "update <table> set " + fragment (", " + fragment)* + <where text with the key>
//
// Every fragment ends the way its collection's texts do (most with one
// blank). A fragment with "?" has its value bound; one with "%1" (or "%1"
// to "%n" for a group) has its value written into the text: integers in
// decimal, booleans as 0 or 1, doubles as the shortest text that reads back
// as the same value. The tables of fragments are data, one per collection.

namespace velorin {

// One selectable fragment of a collection's update statement for records
// of type Record: the flag bit that selects it, its text, and how to read
// the value from a record and copy it between records.
template <class Record>
struct UpdateColumn
{
    quint32 flag;
    const char* clause;
    QVariant (*value)(const Record&);
    void (*copy)(Record& to, const Record& from);
};

// A column of a record type; `Record` names the record even when the field
// is declared in one of its bases.
template <class Record, auto Member>
constexpr UpdateColumn<Record> updateColumn(quint32 flag, const char* clause)
{
    return {flag, clause,
            [](const Record& r) { return QVariant::fromValue(r.*Member); },
            [](Record& to, const Record& from) { to.*Member = from.*Member; }};
}

// The statement being built: fragment texts and the values to bind.
class VELORIN_EXPORT UpdateFragments
{
public:
    // `table` is written after "update "; `where` is the closing text whose
    // "%1" receives the key (e.g. "where id=%1").
    UpdateFragments(const QString& table, const char* where);

    // Appends a fragment with its value; a fragment with several markers
    // takes a list: the values of its "?" in order, then its numbers.
    void add(const char* clause, const QVariant& value);

    bool isEmpty() const { return m_fragments.isEmpty(); }
    QString text(qint64 key) const;
    const QVariantList& boundValues() const { return m_bound; }

    // Prepares text(key) on `db`, binds the values in order and executes.
    // With no fragment the statement has no assignment and fails: false.
    bool exec(const QSqlDatabase& db, qint64 key) const;

private:
    QString m_table;
    const char* m_where;
    QStringList m_fragments;
    QVariantList m_bound;
};

// The fragments of every column whose flag is in `flags`, in table order.
template <class Record>
UpdateFragments buildUpdate(const QString& table, const char* where,
                            std::span<const UpdateColumn<Record>> columns,
                            const Record& record, quint32 flags)
{
    UpdateFragments fragments(table, where);
    for (const auto& column : columns) {
        if (flags & column.flag)
            fragments.add(column.clause, column.value(record));
    }
    return fragments;
}

// Copies the fields of every column whose flag is in `flags`.
template <class Record>
void copyFlaggedFields(Record& to, const Record& from,
                       std::span<const UpdateColumn<Record>> columns, quint32 flags)
{
    for (const auto& column : columns) {
        if (flags & column.flag)
            column.copy(to, from);
    }
}

} // namespace velorin
