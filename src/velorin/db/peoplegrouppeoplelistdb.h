#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table PeopleGroupPeopleList in "ImageInfo.db": which people each group
// holds.
class VELORIN_EXPORT PeopleGroupPeopleListDB : public SQLiteTable
{
public:
    PeopleGroupPeopleListDB();
    ~PeopleGroupPeopleListDB() override;

    bool insertRecord(DBPeopleGroupPeopleList* m);
    // Does nothing and returns false.
    bool updateRecord(DBPeopleGroupPeopleList* m);
    // Deletes the whole membership of a group.
    bool deleteRecord(QString& peopleGroupGUID);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [PeopleGroupPeopleList] ([id] INTEGER PRIMARY KEY NOT NULL,"
        "[peopleGroupGUID] TEXT NULL,[peopleGUID] TEXT NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO PeopleGroupPeopleList(peopleGroupGUID, peopleGUID) VALUES(?, ?)";
    static constexpr const char* DeleteStatement =
        "DELETE FROM PeopleGroupPeopleList where peopleGroupGUID=?";
};
