#pragma once

#include <velorin/global.h>
#include <velorin/db/countedlisttable.h>

// Table TagList in "ImageInfo.db": each distinct tag once, with the number
// of photos that carry it. Tags compare as SQLite's "=" on text does, so
// letter case makes two tags.
class VELORIN_EXPORT TagListDB : public CountedListTable
{
public:
    TagListDB();
    ~TagListDB() override;

    // A new row with count 1.
    bool insertRecord(QString& tag);
    // Renames a tag, count unchanged; renaming onto an existing tag leaves
    // two rows of the same text (no merge).
    bool updateRecord(QString& oldTag, QString& newTag);
    bool deleteRecord(QString& tag);
    QStringList queryRecord();

    // One more photo carries `tag`: counted up, or inserted with count 1 and
    // read back when `readBack` is set. The row as it now is, if known.
    std::optional<CountedRow> addTagUse(QString& tag, bool readBack = true);
    // One photo fewer carries `tag`; its row goes when the count reaches 0.
    void removeTagUse(QString& tag);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "Create  TABLE [TagList]([id] integer PRIMARY KEY AUTOINCREMENT UNIQUE NOT NULL,"
        "[tag] varchar(260) NOT NULL,[count] INTEGER NULL)";
    static constexpr const char* CreateIndexStatement =
        "CREATE INDEX [IDX_TagList_tag] ON [TagList] ([tag] ASC);";
    static constexpr const char* IndexStatements[] = {CreateIndexStatement};
    static constexpr const char* InsertStatement = "INSERT INTO TagList(id, tag, count) VALUES(NULL, ?, 1)";
    static constexpr const char* RenameStatement = "update TagList set tag=? where tag=?";
    static constexpr const char* DeleteStatement = "DELETE FROM TagList where tag=?";
    static constexpr const char* QueryStatement = "SELECT tag FROM TagList";

    // Issued by the tag model: "%1" is the table name.
    static constexpr const char* SelectCountStatement = "select id, count from %1 where tag=?";
    static constexpr const char* ListStatement = "select tag from %1";
};
