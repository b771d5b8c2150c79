#include "photofixtures.h"
#include "media.h"

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

double meanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += qAbs(qRed(p[col]) - qRed(q[col])) + qAbs(qGreen(p[col]) - qGreen(q[col]))
                   + qAbs(qBlue(p[col]) - qBlue(q[col]));
    }
    return double(sum) / (double(x.width()) * x.height() * 3);
}
