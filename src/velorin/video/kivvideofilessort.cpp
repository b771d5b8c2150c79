#include "kivvideofilessort.h"

#include <velorin/core/viewordering.h>

namespace {

using W = KivViewVideoFile;
using velorin::dateTimeLess;
using velorin::textLess;

// One comparator pair per key: ascending puts a first when its key is less,
// descending when it is greater; an empty wrapper comes first either way.
struct KeyOrder
{
    int key;
    bool (*up)(const W&, const W&);
    bool (*down)(const W&, const W&);
};

#define VELORIN_VIDEO_KEY(key, lessExpr)                                                                \
    {key,                                                                                              \
     [](const W& a, const W& b) {                                                                      \
         return velorin::byElement(a, b, [](const W& wa, const W& wb) {                               \
             const DBVideoInfo& x = wa.element()->dbInfo;                                              \
             const DBVideoInfo& y = wb.element()->dbInfo;                                              \
             return lessExpr;                                                                          \
         });                                                                                           \
     },                                                                                                \
     [](const W& a, const W& b) {                                                                      \
         return velorin::byElement(a, b, [](const W& wb, const W& wa) {                               \
             const DBVideoInfo& x = wa.element()->dbInfo;                                              \
             const DBVideoInfo& y = wb.element()->dbInfo;                                              \
             return lessExpr;                                                                          \
         });                                                                                           \
     }}

// Key 1 orders by the wrapper's own number; wa and wb name the wrappers.
constexpr KeyOrder keyOrders[] = {
    VELORIN_VIDEO_KEY(VideosSortByCustomID, (void(x), void(y), wa.GetCustomID() < wb.GetCustomID())),
    VELORIN_VIDEO_KEY(VideosSortByName, textLess(x.name, y.name)),
    VELORIN_VIDEO_KEY(VideosSortByModifyDate, dateTimeLess(x.modifyDate, y.modifyDate)),
    VELORIN_VIDEO_KEY(VideosSortByArtist, textLess(x.artist, y.artist)),
    VELORIN_VIDEO_KEY(VideosSortByGenre, textLess(x.genre, y.genre)),
    VELORIN_VIDEO_KEY(VideosSortByDuration, x.duration < y.duration),
    VELORIN_VIDEO_KEY(VideosSortByRating, x.rating < y.rating),
    VELORIN_VIDEO_KEY(VideosSortByYear, x.year < y.year),
    VELORIN_VIDEO_KEY(VideosSortByLastPlayed, dateTimeLess(x.lastPlayed, y.lastPlayed)),
    VELORIN_VIDEO_KEY(VideosSortByMostPlayed, x.mostPlayed < y.mostPlayed),
    VELORIN_VIDEO_KEY(VideosSortByFormat, textLess(x.format, y.format)),
};

#undef VELORIN_VIDEO_KEY

} // namespace

KivVideoFilesSort::KivVideoFilesSort(int filterType, QObject* parent)
    : SortedViewCore(filterType, parent)
{
    qRegisterMetaType<KivVideoFile*>();
}

KivVideoFilesSort::~KivVideoFilesSort() = default;

bool KivVideoFilesSort::accepts(KivVideoFile* video)
{
    const int filter = filterType();
    const int capture = filter & (VideosFilterUncaptured | VideosFilterCaptured);
    const int trash = filter & (VideosFilterInTrash | VideosFilterNotInTrash);
    if (capture && !(capture & (video->dbInfo.fIsCaptured ? VideosFilterCaptured : VideosFilterUncaptured)))
        return false;
    return !trash || (trash & (video->dbInfo.fIsDeleted ? VideosFilterInTrash : VideosFilterNotInTrash));
}

// A key without an order keeps the arrival order rather than hand a
// comparator that is not a strict weak ordering to the sort.
KivVideoFilesSort::Ordering KivVideoFilesSort::orderingFor(int sortType, Qt::SortOrder order) const
{
    for (const KeyOrder& k : keyOrders) {
        if (k.key == sortType)
            return {Ordering::Sorted, order == Qt::AscendingOrder ? k.up : k.down};
    }
    return {Ordering::Append, nullptr};
}

void KivVideoFilesSort::announceAdded(KivVideoFile* video) { emit photoFileAdded(video); }
void KivVideoFilesSort::announceUpdated(KivVideoFile* video) { emit photoFileUpdated(video); }
void KivVideoFilesSort::announceDeleted() { emit photoFileDeleted(); }
void KivVideoFilesSort::announceReset() { emit resetModel(); }

void KivVideoFilesSort::sortBy(int key, Qt::SortOrder order, bool force)
{
    if (key == sortType() && order == sortOrder()) {
        if (force)
            announceReset();
        return;
    }
    SortedViewCore::sortBy(key, order, false);
}

int KivVideoFilesSort::getVideosSortType() { return sortType(); }
Qt::SortOrder KivVideoFilesSort::getVideosSortOrder() { return sortOrder(); }
KivViewVideoFile* KivVideoFilesSort::getKivViewVideoFile(int index) { return wrapperAt(index); }
void KivVideoFilesSort::setNeedUpdate() { SortedViewCore::setNeedUpdate(); }
void KivVideoFilesSort::clearNeedUpdate() { SortedViewCore::clearNeedUpdate(); }
bool KivVideoFilesSort::ifNeedUpdate() { return SortedViewCore::ifNeedUpdate(); }
void KivVideoFilesSort::saveMemory() { releaseMemory(); }

void KivVideoFilesSort::clearPhotoFiles()
{
    for (int i = count() - 1; i >= 0; --i)
        deleteAt(i);
}

KivVideoFilesSort& KivVideoFilesSort::operator=(KivVideoFilesSort& other)
{
    assignFrom(other);
    return *this;
}

int KivVideoFilesSort::videoFilesCount() { return count(); }
KivVideoFile* KivVideoFilesSort::getKivVideoFile(int index) { return elementAt(index); }
int KivVideoFilesSort::getFocusIndex() { return focusIndex(); }
void KivVideoFilesSort::setFocusIndex(int index) { SortedViewCore::setFocusIndex(index); }
int KivVideoFilesSort::getSelectedVideoFilesCount() { return selectedCount(); }
void KivVideoFilesSort::resetSelectedEnum() { SortedViewCore::resetSelectedEnum(); }
KivVideoFile* KivVideoFilesSort::getNextSelectedVideoFile() { return nextSelected(); }
QList<int> KivVideoFilesSort::getAllSelectedIndex() { return selectedIndexes(); }
int KivVideoFilesSort::getSelectedObjectCount() { return selectedCount(); }
void* KivVideoFilesSort::getSelectedObject(int index) { return selectedAt(index); }

void KivVideoFilesSort::addPhotoFile(int, KivVideoFile* pPhotoFile) { addElement(pPhotoFile); }

void KivVideoFilesSort::addPhotoFilePlusID(int, KivVideoFile* pPhotoFile, int id, int customID)
{
    KivViewVideoFile w;
    w.setKivVideoFile(pPhotoFile);
    w.SetID(id);
    w.SetCustomID(customID);
    addWrapper(w);
}

void KivVideoFilesSort::updatePhotoFile(int, KivVideoFile* pPhotoFile) { updateElement(pPhotoFile); }
void KivVideoFilesSort::deletePhotoFile(KivVideoFile* pPhotoFile) { deleteElement(pPhotoFile); }
void KivVideoFilesSort::deletePhotoFileByIndex(int iIndex) { deleteAt(iIndex); }
void KivVideoFilesSort::selectPhotoFile(KivVideoFile* pPhotoFile, bool bSelected) { selectByName(pPhotoFile, bSelected); }

void KivVideoFilesSort::moveSelectedPhotoFilesToIndex(int target)
{
    moveSelectedTo(target);
    int position = 0;
    items().forEach([&](KivViewVideoFile& w) { w.SetCustomID(++position); });
}
