#include <cstdlib>
#include <ctime>

#include "commands.h"

namespace velorin::cli {

// Catalogue dates are local times. With TZ unset, the C library checks
// /etc/localtime again on every local-time conversion (one file-system call
// per date read); naming the same zone file in TZ makes it load the zone
// once. Done before any thread starts, as setenv is not thread-safe.
void pinLocalTimeZone()
{
    if (!std::getenv("TZ")) {
        setenv("TZ", ":/etc/localtime", 0);
        tzset();
    }
}

} // namespace velorin::cli
