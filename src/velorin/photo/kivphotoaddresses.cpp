#include "kivphotoaddresses.h"

#include <velorin/db/cataloguetables.h>

namespace {

AddrListDB* addressTable()
{
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    return tables ? tables->getAddrListDB() : nullptr;
}

} // namespace

KivPhotoAddresses::KivPhotoAddresses(QObject* parent)
    : QObject(parent)
{
}

KivPhotoAddresses::~KivPhotoAddresses() = default;

QStringList& KivPhotoAddresses::getAllPhotoFilesAddressList()
{
    AddrListDB* table = addressTable();
    addressList = table ? table->listValuesByName() : QStringList();
    return addressList;
}

bool KivPhotoAddresses::addPhotoAddressToDB(DBAddressInfo& info)
{
    AddrListDB* table = addressTable();
    return table && table->addAddressUse(info);
}

bool KivPhotoAddresses::updatePhotoAddressToDB(DBAddressInfo& info)
{
    return addPhotoAddressToDB(info);
}

bool KivPhotoAddresses::deletePhotoAddressToDB(QString& addr)
{
    AddrListDB* table = addressTable();
    if (!table)
        return false;
    table->removeAddressUse(addr);
    return true;
}

bool KivPhotoAddresses::GetGPSBy(QString& addr, DBAddressInfo& out)
{
    AddrListDB* table = addressTable();
    return table && table->lookupPosition(addr, out);
}
