#pragma once

#include <velorin/global.h>
#include <velorin/photo/kivphotofile.h>
#include <velorin/photo/kivviewphotofile.h>
#include <velorin/photo/photoviewinterfaces.h>
#include <velorin/core/sortedviewcore.h>

enum PhotosSortType {
    PhotosSortNone = 0,
    PhotosSortByDateTime = 1,
    PhotosSortByFileName = 2,
    PhotosSortByWho = 3,
    PhotosSortByWhere = 4,
    PhotosSortByTags = 5,
    PhotosSortByRating = 6,
};

enum PhotosFilterType {
    PhotosFilterAll = 0,
    PhotosFilterPhotoRoll = 1,
    PhotosFilterNoPhotoRoll = 2,
};

template <>
struct ViewKeys<KivPhotoFile>
{
    static int id(const KivPhotoFile& f) { return f.dbInfo.id; }
    static QString name(KivPhotoFile& f) { return f.getName(); }
    static void release(KivPhotoFile& f) { f.saveMemory(); }
};

// A window's view of the photo collection: its own order (one of the
// PhotosSortType keys, strings by the user's locale), an optional photo-roll
// filter, selection and focus. The application connects the collection's
// photoFileAdded, photoFileUpdated, photoFileDeleted and sgnSelPhotoFile to
// the slots of the same names and fills the view with addPhotoFile (or by
// assignment from another view); the view never reads the collection itself.
//
// A new entry is placed by binary search, just before the last entry with an
// equal key; updates do not move entries. Sorting by people has no order of
// its own: such a view keeps the order of arrival.
//
// GUI-thread object; connect it with queued connections to a collection
// that workers change.
class VELORIN_EXPORT KivPhotoFilesSort : public SortedViewCore<KivPhotoFile, KivViewPhotoFile>,
                                         public IEnumViewPhotoFiles,
                                         public IEnumSelectedPhotoFiles,
                                         public ISelectedObjectList2
{
    Q_OBJECT

public:
    explicit KivPhotoFilesSort(PhotosFilterType filterType = PhotosFilterAll, QObject* parent = nullptr);
    ~KivPhotoFilesSort() override;

    void sortBy(PhotosSortType type, Qt::SortOrder order, bool force);
    PhotosSortType getPhotosSortType();
    Qt::SortOrder getPhotosSortOrder();
    KivViewPhotoFile* getKivViewPhotoFile(int index);
    void setNeedUpdate();
    void clearNeedUpdate();
    bool ifNeedUpdate();
    void saveMemory();
    KivPhotoFilesSort& operator=(KivPhotoFilesSort& other);

    int photoFilesCount() override;
    KivPhotoFile* getKivPhotoFile(int index) override;
    int getFocusIndex() override;
    void setFocusIndex(int index) override;
    int getSelectedPhotoFilesCount() override;
    void resetSelectedEnum() override;
    KivPhotoFile* getNextSelectedPhotoFile() override;
    QList<int> getAllSelectedIndex() override;
    int getSelectedObjectCount() override;
    void* getSelectedObject(int index) override;

    // The comparators of the keys: a comes before b when its key is less
    // (ascending) or greater (descending); an empty wrapper comes first.
    static bool sortByDateTimeAscending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByDateTimeDescending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByFileNameAscending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByFileNameDescending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByWhereAscending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByWhereDescending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByTagsAscending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByTagsDescending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByRatingAscending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);
    static bool sortByRatingDescending(const KivViewPhotoFile& a, const KivViewPhotoFile& b);

signals:
    void photoFileAdded(KivPhotoFile* pPhotoFile);
    void photoFileUpdated(KivPhotoFile* pPhotoFile);
    void photoFileDeleted();
    void resetModel();

public slots:
    void addPhotoFile(int iIndex, KivPhotoFile* pPhotoFile);
    void updatePhotoFile(int iIndex, KivPhotoFile* pPhotoFile);
    void deletePhotoFile(KivPhotoFile* pPhotoFile);
    void deletePhotoFileByIndex(int iIndex);
    void selectPhotoFile(KivPhotoFile* pPhotoFile, bool bSelected);

protected:
    bool accepts(KivPhotoFile* photo) override;
    Ordering orderingFor(int sortType, Qt::SortOrder order) const override;
    void announceAdded(KivPhotoFile* photo) override;
    void announceUpdated(KivPhotoFile* photo) override;
    void announceDeleted() override;
    void announceReset() override;
};
