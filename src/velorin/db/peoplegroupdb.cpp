#include "peoplegroupdb.h"
#include <velorin/env/appfolders.h>

const TableDescription PeopleGroupDB::Description = {
    "PeopleGroup", "ImageInfo.db", "PeopleGroup", velorin::photoDataFolder, CreateTableStatement};

PeopleGroupDB::PeopleGroupDB()
    : SQLiteTable(Description)
{
}

PeopleGroupDB::~PeopleGroupDB() = default;

bool PeopleGroupDB::insertRecord(DBPeopleGroup* g)
{
    return g && exec(InsertStatement, {g->name, g->description, g->createTime, g->thumbnail, g->peopleGroupGUID});
}

bool PeopleGroupDB::updateRecord(DBPeopleGroup*)
{
    return false;
}

bool PeopleGroupDB::deleteRecord(QString& peopleGroupGUID)
{
    return exec(DeleteStatement, {peopleGroupGUID});
}
