#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>

#include <QMetaType>
#include <QPixmap>

// One entry of the video library in memory: a row of the video table, which
// is a whole file (markIn and markOut both negative) or a clip of a file
// (the marks that bound it). Videos have one thumbnail, stored in the row.
//
// Copying (both the copy constructor and operator=) copies the record, both
// flags and the four pixmap slots.
class VELORIN_EXPORT KivVideoFile
{
public:
    KivVideoFile() = default;
    KivVideoFile(const KivVideoFile&) = default;
    KivVideoFile& operator=(const KivVideoFile&) = default;
    virtual ~KivVideoFile();

    // The row's thumbnail bytes decoded as BMP; null when empty or not
    // decodable.
    QPixmap getPixmapSmall();
    // Videos have only the one thumbnail size: always null.
    QPixmap getPixmapMini();
    QPixmap getPixmapMedium();
    QPixmap getPixmapLarge();
    // Assigns the record only; flags and pixmaps stay.
    void setDBImageInfo(DBVideoInfo& info);
    // Nothing is cached: does nothing.
    void saveMemory();

    DBVideoInfo dbInfo;
    // Whether the file existed when this object entered a collection.
    bool bFileExists = true;
    // False while the entry waits for the background service to read its
    // media information and thumbnail.
    bool bInfoReady = true;
    QPixmap pixmapMini;
    QPixmap pixmapSmall;
    QPixmap pixmapMedium;
    QPixmap pixmapLarge;
};

Q_DECLARE_METATYPE(KivVideoFile*)
