#pragma once

#include <velorin/global.h>

#include <QPixmap>
#include <QString>

// What a slide show or viewer needs of a picture, whatever its origin: a
// library photo, an online photo or a file from a media server. The library
// itself never takes one; applications hold lists of them.
class VELORIN_EXPORT ISlideShowFile
{
public:
    virtual QString getFullPath() = 0;
    virtual QString getName() = 0;
    virtual QPixmap getPixmapSmall() = 0;
    virtual int getRotateAngle() = 0;
    virtual QPixmap getPixmapMedium() = 0;

    // There is nothing to copy: copying or assigning through the interface
    // leaves the derived parts alone, the derived classes copy their data.
    ISlideShowFile();
    ISlideShowFile(const ISlideShowFile&);
    ISlideShowFile& operator=(const ISlideShowFile&);

protected:
    ~ISlideShowFile();
};
