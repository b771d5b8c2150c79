#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table PeopleGroup in "ImageInfo.db": named groups of people, each
// identified by peopleGroupGUID.
class VELORIN_EXPORT PeopleGroupDB : public SQLiteTable
{
public:
    PeopleGroupDB();
    ~PeopleGroupDB() override;

    bool insertRecord(DBPeopleGroup* g);
    // Does nothing and returns false.
    bool updateRecord(DBPeopleGroup* g);
    bool deleteRecord(QString& peopleGroupGUID);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [PeopleGroup] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[description] TEXT NULL,[createTime] TEXT NULL,[thumbnail] BLOB NULL,"
        "[peopleGroupGUID] TEXT NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO PeopleGroup(name, description, createTime, thumbnail, peopleGroupGUID) "
        "VALUES(?, ?, ?, ?, ?)";
    static constexpr const char* DeleteStatement = "DELETE FROM PeopleGroup where peopleGroupGUID=?";
};
