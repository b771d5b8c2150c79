#pragma once

#include <velorin/global.h>
#include <velorin/db/countedlisttable.h>
#include <velorin/db/records.h>

// Table AddrList in "ImageInfo.db": each distinct place name once, with the
// number of photos taken there and the position recorded when the place
// first appeared.
class VELORIN_EXPORT AddrListDB : public CountedListTable
{
public:
    AddrListDB();
    ~AddrListDB() override;

    // A new row with count 1 and a's position.
    bool insertRecord(DBAddressInfo& a);
    bool updateRecord(QString& oldAddr, DBAddressInfo& a);
    bool deleteRecord(QString& addr);
    QStringList queryRecord();

    // One more photo at info.addr: counted up (the stored position stays the
    // first photo's), or inserted with count 1 and info's position and read
    // back. info.id and info.count are set from the row when it is known.
    bool addAddressUse(DBAddressInfo& info);
    // One photo fewer at `addr`; its row goes when the count drops below 1.
    void removeAddressUse(QString& addr);
    // The position and count stored for `addr` into out (id and addr are
    // left alone); false, and out unchanged, when the place is unknown.
    bool lookupPosition(const QString& addr, DBAddressInfo& out);

    static const TableDescription Description;
    static constexpr const char* CreateTableStatement =
        "Create  TABLE [AddrList]([id] integer PRIMARY KEY AUTOINCREMENT NOT NULL,"
        "[addr] varchar(260) NOT NULL,[count] INTEGER NULL,[latitude] REAL NULL,"
        "[longitude] REAL NULL,[altitude] REAL NULL)";
    static constexpr const char* CreateIndexStatement =
        "CREATE INDEX [IDX_AddrList_addr] ON [AddrList] ([addr] ASC);";
    static constexpr const char* IndexStatements[] = {CreateIndexStatement};
    static constexpr const char* InsertStatement =
        "INSERT INTO AddrList(id, addr, count, latitude, longitude, altitude) VALUES(NULL, ?, 1, ?, ?, ?)";
    static constexpr const char* UpdateStatement =
        "update AddrList set addr=?, latitude=?, longitude=?, altitude=? where addr=?";
    static constexpr const char* DeleteStatement = "DELETE FROM AddrList where addr=?";
    static constexpr const char* QueryStatement = "SELECT addr FROM AddrList";

    // Issued by the place model: "%1" is the table name.
    static constexpr const char* SelectCountStatement = "select id, count from %1 where addr=?";
    static constexpr const char* ListStatement = "select addr from %1";
    static constexpr const char* SelectPositionStatement =
        "select latitude, longitude, altitude, count from %1 where addr=?";
};
