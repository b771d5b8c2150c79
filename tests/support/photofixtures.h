#pragma once

// Helpers for tests of the photo model: pictures painted by the test, stored
// as the BMP blobs the thumbnail stores hold, and records with typical values.

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

#include <velorin/db/records.h>

// A w x h picture whose four quadrants have different colours, so that any
// rotation or mirror shows in the pixels; as BMP file bytes.
QByteArray quadrantBmp(int w, int h);
QImage quadrantImage(int w, int h);

// A record as the import would make it for `path`.
DBImageInfo photoRecord(const QString& path, const QDateTime& modified = QDateTime(QDate(2024, 3, 1), QTime(12, 0, 0)),
                        qint64 size = 1000);

// A record with every field away from its default: texts that quote and
// break lines, a size past 32 bits, a time with milliseconds, coordinates
// with every digit a double holds.
DBImageInfo fullPhotoRecord(const QString& path);

// Every field of a record, as one text to compare: null texts apart from
// empty ones, a time with its kind, instant, or invalid parts.
QString describe(const DBImageInfo& info);

// A thumbnail record of `path` holding `bmp`.
DBImageThumbnail thumbnailRecord(const QString& path, const QByteArray& bmp);

class ThumbnailStore;

// The open catalogue's four thumbnail stores, smallest first.
QList<ThumbnailStore*> thumbnailStores();

// How many of the four stores hold a row for path.
int thumbnailRows(const QString& path);

// Writes info into the open catalogue's image table, and `bmp` as its
// thumbnail into each of the four stores unless it is empty; the row's id.
int catalogued(DBImageInfo info, const QByteArray& bmp = {});
