#include "addrlistdb.h"

#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

namespace {

constexpr SQLiteDatabase::ColumnUpgrade positionColumns[] = {
    {"latitude", "ALTER TABLE %1 ADD COLUMN [latitude] REAL NULL"},
    {"longitude", "ALTER TABLE %1 ADD COLUMN [longitude] REAL NULL"},
    {"altitude", "ALTER TABLE %1 ADD COLUMN [altitude] REAL NULL"},
};

} // namespace

const TableDescription AddrListDB::Description = {
    "AddrList", "ImageInfo.db", "AddrList", velorin::photoDataFolder, CreateTableStatement,
    AddrListDB::IndexStatements, positionColumns};

AddrListDB::AddrListDB()
    : CountedListTable(Description, SelectCountStatement, ListStatement)
{
}

AddrListDB::~AddrListDB() = default;

bool AddrListDB::insertRecord(DBAddressInfo& a)
{
    return exec(InsertStatement, {a.addr, a.latitude, a.longitude, a.altitude});
}

bool AddrListDB::updateRecord(QString& oldAddr, DBAddressInfo& a)
{
    return exec(UpdateStatement, {a.addr, a.latitude, a.longitude, a.altitude, oldAddr});
}

bool AddrListDB::deleteRecord(QString& addr)
{
    return exec(DeleteStatement, {addr});
}

QStringList AddrListDB::queryRecord()
{
    return selectStrings(QueryStatement);
}

bool AddrListDB::addAddressUse(DBAddressInfo& info)
{
    if (const auto row = countIn(info.addr, [&] { insertRecord(info); }, true)) {
        info.id = row->id;
        info.count = row->count;
    }
    return true;
}

void AddrListDB::removeAddressUse(QString& addr)
{
    countOut(addr, RemoveRule::BelowOne, [&] { deleteRecord(addr); });
}

bool AddrListDB::lookupPosition(const QString& addr, DBAddressInfo& out)
{
    const auto row = velorin::selectFirstRow(*this, SelectPositionStatement, {addr});
    if (!row)
        return false;
    out.latitude = row->value(0).toDouble();
    out.longitude = row->value(1).toDouble();
    out.altitude = row->value(2).toDouble();
    out.count = row->value(3).toInt();
    return true;
}
