#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/core/sqlitetable.h>

// Table PeopleInfo in "MediaInfo.db": the people, each identified by
// peopleGUID and, in most lookups, by name. The face column is never
// written here.
class VELORIN_EXPORT PeopleInfoDB : public SQLiteTable
{
public:
    PeopleInfoDB();
    ~PeopleInfoDB() override;

    bool insertRecord(PEOPLE_INFO* p);
    // Does nothing and returns false.
    bool updateRecord(PEOPLE_INFO* p);
    bool deleteRecord(QString& name);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "CREATE TABLE [PeopleInfo] ([id] INTEGER PRIMARY KEY NOT NULL,[name] TEXT NULL,"
        "[email] TEXT NULL,[face] BLOB NULL,[description] TEXT NULL,[peopleGUID] TEXT NULL)";
    static constexpr const char* InsertStatement =
        "INSERT INTO PeopleInfo(name, email, description, peopleGUID) VALUES(?, ?, ?, ?)";
    static constexpr const char* DeleteStatement = "DELETE FROM PeopleInfo where name=?";

    // Issued by the people model and the photo objects ("%1" the table name).
    static constexpr const char* SelectAll = "select * from %1";
    // The name of a person: the GUID is bound, whatever text it holds.
    static constexpr const char* SelectNameByGuid = "select name from %1 where peopleGUID=?";
};
