#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextStream>

#include <velorin/imaging/videobasicinfo.h>

#include "commands.h"
#include "printable.h"

namespace velorin::cli {

namespace {

// The box the video import reads its thumbnails in.
constexpr int ThumbnailBox = 256;

QString resultText(int result)
{
    return QStringLiteral("0x%1").arg(quint32(result), 8, 16, QLatin1Char('0')).toUpper().replace(u'X', u'x');
}

// h:mm:ss.mmm
QString clockText(qint64 ms)
{
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000)
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

// velorin videoinfo FILE [--thumb OUT.bmp] [--json]: what the video plug-in
// reads of a video (size as shown, display aspect, duration, rotation) and
// the performer MediaInfo reads, with the reader's result code; --thumb
// writes the frame thumbnail the video import would store.
int videoinfo(const QStringList& args)
{
    QTextStream err(stderr);
    QString file;
    QString thumb;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--thumb" && i + 1 < args.size())
            thumb = args[++i];
        else if (args[i] == u"--json")
            json = true;
        else if (file.isEmpty() && !args[i].startsWith(u'-'))
            file = args[i];
        else {
            err << "velorin videoinfo: unexpected argument '" << printable(args[i]) << "'\n";
            return 2;
        }
    }
    if (file.isEmpty()) {
        err << "usage: velorin videoinfo FILE [--thumb OUT.bmp] [--json]\n";
        return 2;
    }
    // URLs go to the reader as they are; file names become absolute paths.
    QString path = file;
    if (!file.contains(QLatin1String("://"))) {
        const QFileInfo info(file);
        if (!info.exists()) {
            err << "velorin videoinfo: no such file: " << printable(file) << '\n';
            return 1;
        }
        path = info.absoluteFilePath();
    }

    VideoBasicInfo video;
    const int result = video.ReadFileWithThumbnail(path, ThumbnailBox, ThumbnailBox);
    if (result == VideoReadPluginMissing) {
        err << "velorin videoinfo: the video plug-in libclipvane.so was not found beside the tool or the library"
            << " (result " << resultText(result) << ")\n";
        return 1;
    }

    QTextStream out(stdout);
    if (json) {
        const QJsonObject object{
            {QStringLiteral("file"), path},
            {QStringLiteral("result"), resultText(result)},
            {QStringLiteral("width"), video.resolutionX},
            {QStringLiteral("height"), video.resolutionY},
            {QStringLiteral("aspectX"), video.aspectRatioX},
            {QStringLiteral("aspectY"), video.aspectRatioY},
            {QStringLiteral("durationMs"), video.duration},
            {QStringLiteral("rotation"), video.rotation},
            {QStringLiteral("performer"), video.artist},
        };
        out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
    } else {
        out << "file: " << printable(path) << '\n'
            << "resolution: " << video.resolutionX << 'x' << video.resolutionY << '\n'
            << "aspect: " << video.aspectRatioX << ':' << video.aspectRatioY << '\n'
            << "duration: " << video.duration << " ms (" << clockText(video.duration) << ")\n"
            << "rotation: " << video.rotation << '\n'
            << "performer: " << printable(video.artist) << '\n'
            << "result: " << resultText(result) << '\n';
    }
    out.flush();
    if (result != 0) {
        err << "velorin videoinfo: cannot read a frame of " << printable(file) << " (result " << resultText(result)
            << ")\n";
        return 1;
    }
    if (!thumb.isEmpty()) {
        QSaveFile bmp(thumb);
        if (!bmp.open(QIODevice::WriteOnly) || bmp.write(video.thumbnail) != video.thumbnail.size() || !bmp.commit()) {
            err << "velorin videoinfo: cannot write " << printable(thumb) << '\n';
            return 1;
        }
    }
    return 0;
}

} // namespace velorin::cli
