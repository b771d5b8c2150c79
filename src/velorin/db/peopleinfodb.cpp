#include "peopleinfodb.h"
#include <velorin/env/appfolders.h>

const TableDescription PeopleInfoDB::Description = {
    "PeopleInfo", "MediaInfo.db", "PeopleInfo", velorin::photoDataFolder, CreateTableStatement};

PeopleInfoDB::PeopleInfoDB()
    : SQLiteTable(Description)
{
}

PeopleInfoDB::~PeopleInfoDB() = default;

bool PeopleInfoDB::insertRecord(PEOPLE_INFO* p)
{
    return p && exec(InsertStatement, {p->name, p->email, p->description, p->peopleGUID});
}

bool PeopleInfoDB::updateRecord(PEOPLE_INFO*)
{
    return false;
}

bool PeopleInfoDB::deleteRecord(QString& name)
{
    return exec(DeleteStatement, {name});
}
