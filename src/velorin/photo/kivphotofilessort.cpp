#include "kivphotofilessort.h"

#include <velorin/core/viewordering.h>

using velorin::dateTimeLess;
using velorin::textLess;

#define VELORIN_PHOTO_KEY(Name, lessExpr)                                                                    \
    bool KivPhotoFilesSort::sortBy##Name##Ascending(const KivViewPhotoFile& a, const KivViewPhotoFile& b)   \
    {                                                                                                        \
        return velorin::byElement(a, b, [](const KivViewPhotoFile& pa, const KivViewPhotoFile& pb) {        \
            const DBImageInfo& x = pa.element()->dbInfo;                                                     \
            const DBImageInfo& y = pb.element()->dbInfo;                                                     \
            return lessExpr;                                                                                 \
        });                                                                                                  \
    }                                                                                                        \
    bool KivPhotoFilesSort::sortBy##Name##Descending(const KivViewPhotoFile& a, const KivViewPhotoFile& b)  \
    {                                                                                                        \
        return velorin::byElement(a, b, [](const KivViewPhotoFile& pa, const KivViewPhotoFile& pb) {        \
            const DBImageInfo& y = pa.element()->dbInfo;                                                     \
            const DBImageInfo& x = pb.element()->dbInfo;                                                     \
            return lessExpr;                                                                                 \
        });                                                                                                  \
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
