#include "databaseservice.h"

namespace {

// Constructed when the library is loaded, before any application call, and
// so the set of tables every layer of the library uses; its destructor
// leaves connections alone (applications close them first).
DatabaseService theService;

} // namespace

DatabaseService* getDatabaseService()
{
    return &theService;
}

DatabaseService::DatabaseService() = default;
DatabaseService::~DatabaseService() = default;

void DatabaseService::Initialize(bool photoMode)
{
    open(photoMode);
}

void DatabaseService::UnInitialize()
{
    close();
}
