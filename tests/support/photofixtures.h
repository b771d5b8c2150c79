#pragma once

// Helpers for tests of the photo model: pictures painted by the test, stored
// as the BMP blobs the thumbnail stores hold, and records with typical values.

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <velorin/db/records.h>

// A w x h picture whose four quadrants have different colours, so that any
// rotation or mirror shows in the pixels; as BMP file bytes.
QByteArray quadrantBmp(int w, int h);
QImage quadrantImage(int w, int h);

// A record as the import would make it for `path`.
DBImageInfo photoRecord(const QString& path, const QDateTime& modified = QDateTime(QDate(2024, 3, 1), QTime(12, 0, 0)),
                        qint64 size = 1000);

// A thumbnail record of `path` holding `bmp`.
DBImageThumbnail thumbnailRecord(const QString& path, const QByteArray& bmp);
