#pragma once

// Umbrella header of libvelorin: includes every exported class.

#include <velorin/global.h>

#include <velorin/env/appfolders.h>

#include <velorin/service/sqlitedatabase.h>
#include <velorin/service/sqlstatement.h>
#include <velorin/service/updatebuilder.h>

#include <velorin/db/records.h>
#include <velorin/db/imageinfodb.h>

#include <velorin/photo/photoupdateflag.h>
