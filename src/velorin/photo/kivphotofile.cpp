#include "kivphotofile.h"

#include <QTransform>

#include <velorin/db/sharedstatements.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/core/sqlstatement.h>

namespace {

ThumbnailStore* storeFor(KivPhotoFile::PixmapSize size)
{
    return size >= KivPhotoFile::SizeMini && size < KivPhotoFile::SizeNone
        ? velorin::catalogueTables()->imageThumbnailStores()[size]
        : nullptr;
}

// The stored thumbnail bytes of `path` in `store`; empty when there is no row.
QByteArray storedThumbnail(ThumbnailStore* store, const QString& path)
{
    const auto row = velorin::selectFirstRow(*store, velorin::sql::SelectThumbnailByPath, {path});
    return row ? row->value(0).toByteArray() : QByteArray();
}

} // namespace

struct KivPhotoFile::Caches
{
    QStringList peopleNames;
    QPixmap pixmaps[SizeNone]; // by PixmapSize
    int lastPixmapSize = SizeNone;
};

KivPhotoFile::KivPhotoFile() = default;

KivPhotoFile::KivPhotoFile(const KivPhotoFile& other)
    : ISlideShowFile(other)
    , dbInfo(other.dbInfo)
    , m_caches(other.m_caches ? std::make_unique<Caches>(*other.m_caches) : nullptr)
{
}

KivPhotoFile::~KivPhotoFile() = default;

// The size last asked for stays, as before the record changed.
KivPhotoFile& KivPhotoFile::operator=(const KivPhotoFile& other)
{
    if (this == &other)
        return *this;
    dbInfo = other.dbInfo;
    if (m_caches) {
        m_caches->peopleNames.clear();
        for (QPixmap& pixmap : m_caches->pixmaps)
            pixmap = QPixmap();
    }
    return *this;
}

KivPhotoFile::Caches& KivPhotoFile::caches()
{
    if (!m_caches)
        m_caches = std::make_unique<Caches>();
    return *m_caches;
}

QString KivPhotoFile::getFullPath() { return dbInfo.fullPath; }
QString KivPhotoFile::getName() { return dbInfo.name; }
int KivPhotoFile::getRotateAngle() { return dbInfo.fRotateAngle; }
QString KivPhotoFile::getPhotoFileTag() { return dbInfo.mediaTag; }

void KivPhotoFile::setDBImageInfo(DBImageInfo& info)
{
    dbInfo = info;
}

QPixmap KivPhotoFile::getPixmapMini() { return loadPixmap(SizeMini); }
QPixmap KivPhotoFile::getPixmapSmall() { return loadPixmap(SizeSmall); }
QPixmap KivPhotoFile::getPixmapMedium() { return loadPixmap(SizeMedium); }
QPixmap KivPhotoFile::getPixmapLarge() { return loadPixmap(SizeLarge); }

// The rotation comes from the table at load time, not from dbInfo, and the
// cache holds the rotated pixmap: a rotation saved later shows once the
// cache is dropped.
QPixmap KivPhotoFile::loadPixmap(PixmapSize size)
{
    Caches& c = caches();
    c.lastPixmapSize = size;
    QPixmap& cached = c.pixmaps[size];
    if (!cached.isNull())
        return cached;

    ThumbnailStore* store = storeFor(size);
    ImageInfoDB* images = velorin::catalogueTables()->getImageInfoDB();
    if (!store || !images)
        return QPixmap();

    // No row, or bytes that do not decode: the cache stays null and a null
    // pixmap is never rotated.
    if (!cached.loadFromData(storedThumbnail(store, dbInfo.fullPath), "BMP"))
        return cached;

    if (const auto angle = velorin::selectFirstRow(*images, ImageInfoDB::SelectRotateAngle, {dbInfo.fullPath})) {
        const int r = angle->value(0).toInt() % 360; // keeps the sign: -90 stays -90
        if (r != 0)
            cached = cached.transformed(QTransform().rotate(r), Qt::FastTransformation);
    }
    return cached;
}

QPixmap KivPhotoFile::getPixmapRecent()
{
    switch (m_caches ? m_caches->lastPixmapSize : SizeNone) {
    case SizeMini:
    case SizeNone:
        return getPixmapMini();
    case SizeSmall:
        return getPixmapSmall();
    case SizeMedium:
        return getPixmapMedium();
    case SizeLarge:
        return getPixmapLarge();
    default:
        return QPixmap();
    }
}

QByteArray KivPhotoFile::getByteArraySmall()
{
    ThumbnailStore* store = storeFor(SizeSmall);
    return store ? storedThumbnail(store, dbInfo.fullPath) : QByteArray();
}

QStringList& KivPhotoFile::getPeopleNameList()
{
    QStringList& peopleNames = caches().peopleNames;
    if (!peopleNames.isEmpty())
        return peopleNames;
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    ImageFaceInfoDB* faces = tables->getImageFaceInfoDB();
    PeopleInfoDB* people = tables->getPeopleInfoDB();
    if (!faces || !people)
        return peopleNames;

    const QStringList guids = faces->selectStrings(ImageFaceInfoDB::SelectPeopleGuidsByPath, {dbInfo.fullPath});
    for (const QString& guid : guids) {
        const auto name = velorin::selectFirstRow(*people, PeopleInfoDB::SelectNameByGuid, {guid});
        peopleNames.append(name ? name->value(0).toString() : QString());
    }
    return peopleNames;
}

void KivPhotoFile::saveMemory()
{
    if (!m_caches)
        return;
    for (QPixmap& pixmap : m_caches->pixmaps)
        pixmap = QPixmap();
    m_caches->lastPixmapSize = SizeNone;
}
