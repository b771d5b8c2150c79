#include "groups.h"

namespace velorin::cli {

void fail(const char* command, const QString& message)
{
    QTextStream(stderr) << "velorin " << command << ": " << printable(message) << '\n';
}

int usageError(const char* command, const char* message)
{
    fail(command, QString::fromLatin1(message));
    return 2;
}

} // namespace velorin::cli
