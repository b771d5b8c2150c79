#pragma once

#include <QStringList>

// The tool's subcommands; each returns the process exit status.
namespace velorin::cli {

int init(const QStringList& args);

} // namespace velorin::cli
