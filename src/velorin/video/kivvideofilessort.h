#pragma once

#include <velorin/global.h>
#include <velorin/photo/photoviewinterfaces.h>
#include <velorin/video/kivvideofile.h>
#include <velorin/video/kivviewvideofile.h>
#include <velorin/video/videoviewinterfaces.h>
#include <velorin/core/sortedviewcore.h>

// The keys of a video view. Key 8 and any key not listed have no order: the
// view keeps the order of arrival.
enum VideosSortType {
    VideosSortNone = 0,
    VideosSortByCustomID = 1,
    VideosSortByName = 2,
    VideosSortByModifyDate = 3,
    VideosSortByArtist = 4,
    VideosSortByGenre = 5,
    VideosSortByDuration = 6,
    VideosSortByRating = 7,
    VideosSortByYear = 9,
    VideosSortByLastPlayed = 10,
    VideosSortByMostPlayed = 11,
    VideosSortByFormat = 12,
};

// Which videos a view shows: two groups of bits, capture and trash. A video
// is shown when, in each group with a bit set, the bit of its own state is
// set; a group without bits does not filter. 0 shows everything, 11
// (uncaptured | captured | not in the trash) every video that is not in the
// trash.
enum VideosFilterBits {
    VideosFilterUncaptured = 0x1,
    VideosFilterCaptured = 0x2,
    VideosFilterInTrash = 0x4,
    VideosFilterNotInTrash = 0x8,
    VideosFilterAll = 0,
    VideosFilterLibrary = VideosFilterUncaptured | VideosFilterCaptured | VideosFilterNotInTrash,
};

template <>
struct ViewKeys<KivVideoFile>
{
    static int id(const KivVideoFile& f) { return f.dbInfo.id; }
    static QString name(KivVideoFile& f) { return f.dbInfo.name; }
    static void release(KivVideoFile& f) { f.saveMemory(); }
};

// A window's (or a playlist's) view of the video collection, on the pattern
// of the photo view: its own order, filter, selection and focus; filled with
// addPhotoFile and following the collection through the slots of the same
// names. Wrappers carry an id and a custom position: a playlist adds its
// members with addPhotoFilePlusID and orders them by key 1, and
// moveSelectedPhotoFilesToIndex reorders them by hand.
//
// Each view has its own ordering; nothing is shared between views.
//
// GUI-thread object; connect it with queued connections to a collection
// that workers change.
class VELORIN_EXPORT KivVideoFilesSort : public SortedViewCore<KivVideoFile, KivViewVideoFile>,
                                         public IEnumViewVideoFiles,
                                         public IEnumSelectedVideoFiles,
                                         public ISelectedObjectList2
{
    Q_OBJECT

public:
    explicit KivVideoFilesSort(int filterType = VideosFilterAll, QObject* parent = nullptr);
    ~KivVideoFilesSort() override;

    // With the current key and order, a forced call announces the reset
    // again without sorting; any other call sorts and announces.
    void sortBy(int key, Qt::SortOrder order, bool force);
    int getVideosSortType();
    Qt::SortOrder getVideosSortOrder();
    KivViewVideoFile* getKivViewVideoFile(int index);
    void setNeedUpdate();
    void clearNeedUpdate();
    bool ifNeedUpdate();
    void saveMemory();
    // Removes every entry (one photoFileDeleted each).
    void clearPhotoFiles();
    KivVideoFilesSort& operator=(KivVideoFilesSort& other);

    int videoFilesCount() override;
    KivVideoFile* getKivVideoFile(int index) override;
    int getFocusIndex() override;
    void setFocusIndex(int index) override;
    int getSelectedVideoFilesCount() override;
    void resetSelectedEnum() override;
    KivVideoFile* getNextSelectedVideoFile() override;
    QList<int> getAllSelectedIndex() override;
    int getSelectedObjectCount() override;
    void* getSelectedObject(int index) override;

signals:
    void photoFileAdded(KivVideoFile* pPhotoFile);
    void photoFileUpdated(KivVideoFile* pPhotoFile);
    void photoFileDeleted();
    void resetModel();

public slots:
    void addPhotoFile(int iIndex, KivVideoFile* pPhotoFile);
    // Adds with the wrapper's id and custom position set.
    void addPhotoFilePlusID(int iIndex, KivVideoFile* pPhotoFile, int id, int customID);
    void updatePhotoFile(int iIndex, KivVideoFile* pPhotoFile);
    void deletePhotoFile(KivVideoFile* pPhotoFile);
    void deletePhotoFileByIndex(int iIndex);
    void selectPhotoFile(KivVideoFile* pPhotoFile, bool bSelected);
    // Moves the selected entries together to `target` (negative: the end)
    // and renumbers every custom position as index + 1. Announces nothing:
    // the window refreshes itself.
    void moveSelectedPhotoFilesToIndex(int target);

protected:
    bool accepts(KivVideoFile* video) override;
    Ordering orderingFor(int sortType, Qt::SortOrder order) const override;
    void announceAdded(KivVideoFile* video) override;
    void announceUpdated(KivVideoFile* video) override;
    void announceDeleted() override;
    void announceReset() override;
};
