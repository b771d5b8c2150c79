#include "cisloadcancled.h"

CIsLoadCancled::CIsLoadCancled() = default;
CIsLoadCancled::~CIsLoadCancled() = default;
