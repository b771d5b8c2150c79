#include "regularfile_p.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velorin::imaging {

bool openRegularFile(QFile& file, const QString& path, qint64 maxBytes)
{
    if (path.isEmpty())
        return false;
    // O_NONBLOCK: opening a FIFO without a writer returns at once instead of
    // waiting for one; O_NOCTTY: a terminal never becomes ours.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes || flags < 0
        || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

std::optional<QByteArray> readRest(QFile& file, qint64 maxBytes)
{
    const qint64 room = maxBytes - file.pos();
    if (room < 0)
        return std::nullopt;
    // What the file holds now; a file still growing is read as it stood,
    // unless it grew past the bound.
    QByteArray bytes = file.read(qBound<qint64>(0, file.size() - file.pos(), room));
    if (file.error() != QFileDevice::NoError || (bytes.size() == room && !file.read(1).isEmpty()))
        return std::nullopt;
    return bytes;
}

} // namespace velorin::imaging
