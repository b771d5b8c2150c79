#include "peoplegrouppeoplelistdb.h"
#include <velorin/env/appfolders.h>

const TableDescription PeopleGroupPeopleListDB::Description = {
    "PeopleGroupPeopleList", "ImageInfo.db", "PeopleGroupPeopleList", velorin::photoDataFolder,
    CreateTableStatement};

PeopleGroupPeopleListDB::PeopleGroupPeopleListDB()
    : SQLiteTable(Description)
{
}

PeopleGroupPeopleListDB::~PeopleGroupPeopleListDB() = default;

bool PeopleGroupPeopleListDB::insertRecord(DBPeopleGroupPeopleList* m)
{
    return m && exec(InsertStatement, {m->peopleGroupGUID, m->peopleGUID});
}

bool PeopleGroupPeopleListDB::updateRecord(DBPeopleGroupPeopleList*)
{
    return false;
}

bool PeopleGroupPeopleListDB::deleteRecord(QString& peopleGroupGUID)
{
    return exec(DeleteStatement, {peopleGroupGUID});
}
