#include "taglistdb.h"
#include <velorin/env/appfolders.h>

const TableDescription TagListDB::Description = {
    "TagList", "ImageInfo.db", "TagList", velorin::photoDataFolder, CreateTableStatement, IndexStatements};

TagListDB::TagListDB()
    : CountedListTable(Description, SelectCountStatement, ListStatement)
{
}

TagListDB::~TagListDB() = default;

bool TagListDB::insertRecord(QString& tag)
{
    return exec(InsertStatement, {tag});
}

bool TagListDB::updateRecord(QString& oldTag, QString& newTag)
{
    return exec(RenameStatement, {newTag, oldTag});
}

bool TagListDB::deleteRecord(QString& tag)
{
    return exec(DeleteStatement, {tag});
}

QStringList TagListDB::queryRecord()
{
    return selectStrings(QueryStatement);
}

std::optional<CountedListTable::CountedRow> TagListDB::addTagUse(QString& tag, bool readBack)
{
    return countIn(tag, [&] { insertRecord(tag); }, readBack);
}

void TagListDB::removeTagUse(QString& tag)
{
    countOut(tag, RemoveRule::AtZero, [&] { deleteRecord(tag); });
}
