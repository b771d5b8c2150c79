#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <velorin/imaging/zellibhelper.h>

#include "commands.h"
#include "printable.h"

namespace velorin::cli {

// velorin thumbs FILE --out DIR: the four thumbnails the catalogue keeps of
// a picture (64, 128, 256 and 384 pixel boxes, shown upright), written as
// the BMP files the thumbnail stores hold: DIR/<name>.<box>.bmp.
int thumbs(const QStringList& args)
{
    QTextStream err(stderr);
    QString file;
    QString out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out" && i + 1 < args.size())
            out = args[++i];
        else if (file.isEmpty() && !args[i].startsWith(u'-'))
            file = args[i];
        else {
            err << "velorin thumbs: unexpected argument '" << printable(args[i]) << "'\n";
            return 2;
        }
    }
    if (file.isEmpty() || out.isEmpty()) {
        err << "usage: velorin thumbs FILE --out DIR\n";
        return 2;
    }
    const QFileInfo info(file);
    if (!info.isFile()) {
        err << "velorin thumbs: no such file: " << printable(file) << '\n';
        return 1;
    }
    const QString path = info.absoluteFilePath();
    const QList<int> boxes = {64, 128, 256, 384};
    QList<QSize> sizes;
    const QList<QByteArray> blobs = ZellibHelper().GetThumbnailsUseZelLib(
        reinterpret_cast<const unsigned short*>(path.utf16()), boxes, true, 0, &sizes);
    if (blobs.isEmpty() || blobs.first().isEmpty()) {
        err << "velorin thumbs: cannot decode " << printable(file) << '\n';
        return 1;
    }
    if (!QDir().mkpath(out)) {
        err << "velorin thumbs: cannot create " << printable(out) << '\n';
        return 1;
    }
    QTextStream stdOut(stdout);
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const QString target = QDir(out).filePath(QStringLiteral("%1.%2.bmp").arg(info.completeBaseName()).arg(boxes[i]));
        QSaveFile bmp(target);
        if (!bmp.open(QIODevice::WriteOnly) || bmp.write(blobs[i]) != blobs[i].size() || !bmp.commit()) {
            err << "velorin thumbs: cannot write " << printable(target) << '\n';
            return 1;
        }
        stdOut << printable(target) << ' ' << sizes[i].width() << 'x' << sizes[i].height() << '\n';
    }
    return 0;
}

} // namespace velorin::cli
