#include "photofixtures.h"
#include "media.h"

#include <QBuffer>
#include <QPainter>

#include <velorin/core/sqlstatement.h>
#include <velorin/db/sharedstatements.h>
#include <velorin/db/thumbnailstore.h>
#include <velorin/service/databaseservice.h>

#include <gtest/gtest.h>

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

DBImageInfo fullPhotoRecord(const QString& path)
{
    DBImageInfo info = photoRecord(path, QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 765)), 5'000'000'000LL);
    info.name = QStringLiteral("Fjord \"1\"; DROP TABLE ImageInfo; --");
    info.mediaRating = 5;
    info.mediaTag = QStringLiteral("sea;rock");
    info.mediaComment = QStringLiteral("line one\nline 'two'");
    info.exifDate = QStringLiteral("2024:02:29 23:59:58");
    info.orientation = 6;
    info.latitude = 60.123456789012;
    info.longitude = -5.987654321098;
    info.altitude = 1234.5678901;
    info.address = QStringLiteral("Geiranger");
    info.faceDetected = info.fIsEdited = info.fIsPhotoRoll = info.fIsLocalLost = true;
    info.originalPath = QStringLiteral("/p/orig.jpg");
    info.fRotateAngle = 270;
    return info;
}

QString describe(const DBImageInfo& i)
{
    const auto n = [](double v) { return QString::number(v, 'g', 17); };
    const auto t = [](const QString& v) { return v.isNull() ? QStringLiteral("<null>") : v; };
    const QDateTime& d = i.mediaModifyDate;
    const QString date = QString::number(d.timeSpec())
        + (d.isValid() ? d.toString(Qt::ISODateWithMs) + u'@' + QString::number(d.toMSecsSinceEpoch())
                       : QStringLiteral("invalid ") + d.date().toString(Qt::ISODate) + u' ' + d.time().toString(Qt::ISODateWithMs));
    return QStringList{QString::number(i.id), t(i.name), t(i.fullPath), QString::number(i.fileSize), date,
                       QString::number(i.mediaRating), t(i.mediaTag), t(i.mediaComment), t(i.exifDate),
                       QString::number(i.orientation), n(i.latitude), n(i.longitude), n(i.altitude), t(i.address),
                       QString::number(i.faceDetected), QString::number(i.fIsDeleted), QString::number(i.fIsEdited),
                       t(i.originalPath), QString::number(i.fIsPhotoRoll), QString::number(i.fIsLocalLost),
                       QString::number(i.fRotateAngle)}
        .join(QLatin1Char('|'));
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

QList<ThumbnailStore*> thumbnailStores()
{
    DatabaseService* s = getDatabaseService();
    return {s->getImageThumbnailMiniDB(), s->getImageThumbnailSmallDB(), s->getImageThumbnailMediumDB(),
            s->getImageThumbnailLargeDB()};
}

int thumbnailRows(const QString& path)
{
    int rows = 0;
    for (ThumbnailStore* store : thumbnailStores())
        rows += velorin::selectFirstRow(*store, velorin::sql::SelectThumbnailByPath, {path}) ? 1 : 0;
    return rows;
}

int catalogued(DBImageInfo info, const QByteArray& bmp)
{
    ImageInfoDB* images = getDatabaseService()->getImageInfoDB();
    EXPECT_TRUE(images->insertRecord(&info)) << info.fullPath.toStdString();
    DBImageThumbnail thumbnail = thumbnailRecord(info.fullPath, bmp);
    for (ThumbnailStore* store : bmp.isEmpty() ? QList<ThumbnailStore*>() : thumbnailStores())
        EXPECT_TRUE(store->insertRecord(&thumbnail));
    const auto id = velorin::selectFirstRow(*images, velorin::sql::SelectIdByPath, {info.fullPath});
    return id ? id->value(0).toInt() : -1;
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
