#include "kivvideofile.h"

KivVideoFile::~KivVideoFile() = default;

QPixmap KivVideoFile::getPixmapSmall()
{
    QPixmap pixmap;
    if (!dbInfo.thumbnail.isEmpty())
        pixmap.loadFromData(dbInfo.thumbnail, "BMP");
    return pixmap;
}

QPixmap KivVideoFile::getPixmapMini() { return {}; }
QPixmap KivVideoFile::getPixmapMedium() { return {}; }
QPixmap KivVideoFile::getPixmapLarge() { return {}; }
void KivVideoFile::setDBImageInfo(DBVideoInfo& info) { dbInfo = info; }
void KivVideoFile::saveMemory() {}
