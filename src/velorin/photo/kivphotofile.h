#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/env/islideshowfile.h>

#include <memory>

#include <QByteArray>
#include <QMetaType>
#include <QPixmap>
#include <QStringList>

// One photo of the library in memory: its ImageInfo row (dbInfo, read
// directly by applications) and caches filled on demand from other tables:
// the four stored thumbnails, rotated by the row's angle, and the names of
// the people recognised in it.
//
// Copying is asymmetric on purpose. The copy constructor copies everything;
// operator= copies the record only and empties the caches, so that a stored
// photo whose record the collection replaces reloads its thumbnails and
// names on the next request.
//
// The caches take room only once something is asked of them: a library
// holds many more photos than it ever shows, and a photo without caches is
// its record and a pointer.
//
// Thread safety: no lock; the getters fill caches, so one object is read by
// one thread at a time. Pixmaps are made on the application's GUI thread
// only (the pixmap getters and saveMemory()); getByteArraySmall() and the
// record getters may run anywhere.
class VELORIN_EXPORT KivPhotoFile : public ISlideShowFile
{
public:
    KivPhotoFile();
    KivPhotoFile(const KivPhotoFile& other);
    KivPhotoFile& operator=(const KivPhotoFile& other);

    QString getFullPath() override;
    QString getName() override;
    QPixmap getPixmapSmall() override;
    int getRotateAngle() override;
    QPixmap getPixmapMedium() override;
    virtual ~KivPhotoFile();

    QString getPhotoFileTag();
    // Replaces the record; the caches stay as they are.
    void setDBImageInfo(DBImageInfo& info);

    QPixmap getPixmapMini();
    QPixmap getPixmapLarge();
    // The thumbnail of the size last asked for (mini when none was).
    QPixmap getPixmapRecent();
    // The stored bytes of the small thumbnail, undecoded.
    QByteArray getByteArraySmall();
    // One name per face row of the photo (a person found twice is listed
    // twice, an unknown person as an empty name); filled on first use.
    QStringList& getPeopleNameList();
    // Drops the four cached pixmaps.
    void saveMemory();

    // Thumbnail size classes, as lastPixmapSize holds them.
    enum PixmapSize { SizeMini = 0, SizeSmall = 1, SizeMedium = 2, SizeLarge = 3, SizeNone = 4 };

    DBImageInfo dbInfo;

private:
    struct Caches;

    QPixmap loadPixmap(PixmapSize size);
    // Made on first use and kept for the object's life, so that the list
    // getPeopleNameList() hands out stays where it is.
    Caches& caches();

    std::unique_ptr<Caches> m_caches;
};

Q_DECLARE_METATYPE(KivPhotoFile*)
