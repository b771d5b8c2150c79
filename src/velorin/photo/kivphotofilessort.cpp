#include "kivphotofilessort.h"

#include <limits>

namespace {

// a before b by a key of the photos; an empty wrapper sorts first.
template <class Less>
bool byPhoto(const KivViewPhotoFile& a, const KivViewPhotoFile& b, Less less)
{
    const KivPhotoFile* pa = a.getKivPhotoFile();
    const KivPhotoFile* pb = b.getKivPhotoFile();
    if (!pa || !pb)
        return !pa && pb;
    return less(pa->dbInfo, pb->dbInfo);
}

// Date-times are ordered by the instant they name, so that local times,
// UTC and fixed offsets sort together as one timeline; a date-time without
// a date comes first. Working out the instant of a local time costs a
// time-zone lookup, so two local times whose calendar dates lie more than
// two days apart are ordered by those dates: no zone's offsets, in any
// year, are two days apart, so the instants are in the same order. Closer
// ones, and any pair with another kind of time, compare as instants. Every
// answer is "a's instant is earlier than b's", which makes the order a
// strict weak ordering.
constexpr qint64 farApartDays = 2;

qint64 instantOf(const QDateTime& t)
{
    return t.date().isValid() ? t.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

bool dateTimeLess(const QDateTime& a, const QDateTime& b)
{
    const qint64 days = a.daysTo(b); // 0 when either has no date
    if ((days > farApartDays || days < -farApartDays) && a.timeSpec() == Qt::LocalTime
        && b.timeSpec() == Qt::LocalTime)
        return days > 0;
    // Qt compares valid date-times as instants, cheaply when their offsets
    // match; a local time that falls into a skipped hour is not valid, but
    // it still names an instant.
    if (a.isValid() && b.isValid())
        return a < b;
    return instantOf(a) < instantOf(b);
}

bool textLess(const QString& a, const QString& b)
{
    return QString::localeAwareCompare(a, b) < 0;
}

} // namespace

#define VELORIN_PHOTO_KEY(Name, lessExpr)                                                                    \
    bool KivPhotoFilesSort::sortBy##Name##Ascending(const KivViewPhotoFile& a, const KivViewPhotoFile& b)   \
    {                                                                                                        \
        return byPhoto(a, b, [](const DBImageInfo& x, const DBImageInfo& y) { return lessExpr; });           \
    }                                                                                                        \
    bool KivPhotoFilesSort::sortBy##Name##Descending(const KivViewPhotoFile& a, const KivViewPhotoFile& b)  \
    {                                                                                                        \
        return byPhoto(a, b, [](const DBImageInfo& y, const DBImageInfo& x) { return lessExpr; });           \
    }

VELORIN_PHOTO_KEY(DateTime, dateTimeLess(x.mediaModifyDate, y.mediaModifyDate))
VELORIN_PHOTO_KEY(FileName, textLess(x.name, y.name))
VELORIN_PHOTO_KEY(Where, textLess(x.address, y.address))
VELORIN_PHOTO_KEY(Tags, textLess(x.mediaTag, y.mediaTag))
VELORIN_PHOTO_KEY(Rating, x.mediaRating < y.mediaRating)

KivPhotoFilesSort::KivPhotoFilesSort(PhotosFilterType filterType, QObject* parent)
    : SortedViewCore(filterType, parent)
{
    qRegisterMetaType<KivPhotoFile*>();
}

KivPhotoFilesSort::~KivPhotoFilesSort() = default;

bool KivPhotoFilesSort::accepts(KivPhotoFile* photo)
{
    switch (filterType()) {
    case PhotosFilterPhotoRoll:
        return photo->dbInfo.fIsPhotoRoll;
    case PhotosFilterNoPhotoRoll:
        return !photo->dbInfo.fIsPhotoRoll;
    default:
        return true;
    }
}

// Sorting by people has no order: the view keeps the arrival order rather
// than hand a comparator that is not a strict weak ordering to the sort.
KivPhotoFilesSort::Ordering KivPhotoFilesSort::orderingFor(int sortType, Qt::SortOrder order) const
{
    const bool up = order == Qt::AscendingOrder;
    switch (sortType) {
    case PhotosSortNone:
    case PhotosSortByWho:
        return {Ordering::Append, nullptr};
    case PhotosSortByDateTime:
        return {Ordering::Sorted, up ? sortByDateTimeAscending : sortByDateTimeDescending};
    case PhotosSortByFileName:
        return {Ordering::Sorted, up ? sortByFileNameAscending : sortByFileNameDescending};
    case PhotosSortByWhere:
        return {Ordering::Sorted, up ? sortByWhereAscending : sortByWhereDescending};
    case PhotosSortByTags:
        return {Ordering::Sorted, up ? sortByTagsAscending : sortByTagsDescending};
    case PhotosSortByRating:
        return {Ordering::Sorted, up ? sortByRatingAscending : sortByRatingDescending};
    default:
        return {Ordering::Front, nullptr};
    }
}

void KivPhotoFilesSort::announceAdded(KivPhotoFile* photo) { emit photoFileAdded(photo); }
void KivPhotoFilesSort::announceUpdated(KivPhotoFile* photo) { emit photoFileUpdated(photo); }
void KivPhotoFilesSort::announceDeleted() { emit photoFileDeleted(); }
void KivPhotoFilesSort::announceReset() { emit resetModel(); }

void KivPhotoFilesSort::sortBy(PhotosSortType type, Qt::SortOrder order, bool force)
{
    SortedViewCore::sortBy(type, order, force);
}

PhotosSortType KivPhotoFilesSort::getPhotosSortType() { return PhotosSortType(sortType()); }
Qt::SortOrder KivPhotoFilesSort::getPhotosSortOrder() { return sortOrder(); }
KivViewPhotoFile* KivPhotoFilesSort::getKivViewPhotoFile(int index) { return wrapperAt(index); }
void KivPhotoFilesSort::setNeedUpdate() { SortedViewCore::setNeedUpdate(); }
void KivPhotoFilesSort::clearNeedUpdate() { SortedViewCore::clearNeedUpdate(); }
bool KivPhotoFilesSort::ifNeedUpdate() { return SortedViewCore::ifNeedUpdate(); }
void KivPhotoFilesSort::saveMemory() { releaseMemory(); }

KivPhotoFilesSort& KivPhotoFilesSort::operator=(KivPhotoFilesSort& other)
{
    assignFrom(other);
    return *this;
}

int KivPhotoFilesSort::photoFilesCount() { return count(); }
KivPhotoFile* KivPhotoFilesSort::getKivPhotoFile(int index) { return elementAt(index); }
int KivPhotoFilesSort::getFocusIndex() { return focusIndex(); }
void KivPhotoFilesSort::setFocusIndex(int index) { SortedViewCore::setFocusIndex(index); }
int KivPhotoFilesSort::getSelectedPhotoFilesCount() { return selectedCount(); }
void KivPhotoFilesSort::resetSelectedEnum() { SortedViewCore::resetSelectedEnum(); }
KivPhotoFile* KivPhotoFilesSort::getNextSelectedPhotoFile() { return nextSelected(); }
QList<int> KivPhotoFilesSort::getAllSelectedIndex() { return selectedIndexes(); }
int KivPhotoFilesSort::getSelectedObjectCount() { return selectedCount(); }
void* KivPhotoFilesSort::getSelectedObject(int index) { return selectedAt(index); }

void KivPhotoFilesSort::addPhotoFile(int, KivPhotoFile* pPhotoFile) { addElement(pPhotoFile); }
void KivPhotoFilesSort::updatePhotoFile(int, KivPhotoFile* pPhotoFile) { updateElement(pPhotoFile); }
void KivPhotoFilesSort::deletePhotoFile(KivPhotoFile* pPhotoFile) { deleteElement(pPhotoFile); }
void KivPhotoFilesSort::deletePhotoFileByIndex(int iIndex) { deleteAt(iIndex); }
void KivPhotoFilesSort::selectPhotoFile(KivPhotoFile* pPhotoFile, bool bSelected) { selectByName(pPhotoFile, bSelected); }
