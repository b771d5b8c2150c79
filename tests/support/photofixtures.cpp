#include "photofixtures.h"

#include <QBuffer>
#include <QPainter>

QImage quadrantImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::yellow);
    return image;
}

QByteArray quadrantBmp(int w, int h)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    quadrantImage(w, h).save(&buffer, "BMP");
    return bytes;
}

DBImageInfo photoRecord(const QString& path, const QDateTime& modified, qint64 size)
{
    DBImageInfo info;
    info.fullPath = path;
    info.name = path.section(QLatin1Char('/'), -1);
    info.mediaModifyDate = modified;
    info.fileSize = size;
    return info;
}

DBImageThumbnail thumbnailRecord(const QString& path, const QByteArray& bmp)
{
    DBImageThumbnail t;
    t.fullPath = path;
    t.thumbnail = bmp;
    t.mediaModifyDate = QDateTime(QDate(2024, 3, 1), QTime(12, 0, 0));
    t.recordTimestamp = QDateTime::currentDateTime();
    return t;
}
