#pragma once

#include <velorin/global.h>

// Asked by the loaders after each row: true stops loading (the rows read so
// far stay). Applications derive from it.
class VELORIN_EXPORT CIsLoadCancled
{
public:
    CIsLoadCancled();
    virtual ~CIsLoadCancled();
    virtual bool isCanceled() = 0;
};
