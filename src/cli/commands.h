#pragma once

#include <QStringList>

// The tool's subcommands; each returns the process exit status.
namespace velorin::cli {

int init(const QStringList& args);

// Names the system time zone in TZ when it is unset (see timezone.cpp).
void pinLocalTimeZone();

} // namespace velorin::cli
