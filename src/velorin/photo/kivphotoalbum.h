#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>
#include <velorin/photo/cisloadcancled.h>
#include <velorin/photo/kivphotofiles.h>
#include <velorin/core/updatebuilder.h>

#include <QList>
#include <QObject>
#include <QPointer>

#include <span>

class KivPhotoFiles;
class KivPhotoFilesSort;
class KivPhotoFile;

// What updatePhotoAlbumToDatabase writes. QAUpdateFileList writes no column:
// it brings the album's file list in step with the album's photos.
enum QAlbumUpdateFlagBits : quint32 {
    QAUpdateName = 0x01,
    QAUpdateModifyTime = 0x02,
    QAUpdateDescription = 0x04,
    QAUpdateThumbnail = 0x08,
    QAUpdateRating = 0x10,
    QAUpdateFileList = 0x20,
    QAUpdateSlideShow = 0x40,
};
using QAlbumUpdateFlag = quint32;

namespace velorin {
// The column fragments of an album update, in statement order; the
// slide-show settings are one fragment with two bound texts and seven
// written numbers.
VELORIN_EXPORT std::span<const UpdateColumn<DBAlbumInfo>> albumUpdateColumns();
} // namespace velorin

// One photo album: its AlbumInfo row and its photos, held by an embedded
// sorted view over the photo collection. The view follows the collection's
// updates and deletions, so a photo removed from the library leaves the
// album at once.
//
// Stored albums live on the application's thread (the album collection
// moves them there), so the view's slots run there too.
class VELORIN_EXPORT KivPhotoAlbum : public QObject
{
    Q_OBJECT

public:
    explicit KivPhotoAlbum(KivPhotoFiles* photoFiles = nullptr);
    ~KivPhotoAlbum() override;

    // Copies the row and shows the other album's photos (through this
    // album's view); the collection and the repair lists stay.
    KivPhotoAlbum& operator=(KivPhotoAlbum& other);

    KivPhotoFilesSort* getKivPhotoFilesSort();
    int getPhotoFilesCount();
    KivPhotoFile* getPhotoFile(int index);

    // Shows the album's photos from its file list. Unless bNoRepair, rows
    // whose photo was imported again under a new id are noted for rewriting
    // (returnUpdateList) and rows whose photo is gone for deletion
    // (returnDelList).
    void loadAlbumInfoFromDatabase(KivPhotoFiles* files, bool bNoRepair, CIsLoadCancled* cancel);
    QList<DBAlbumFileList> returnUpdateList();
    QList<int> returnDelList();

    // Inserts the album row and one membership per photo shown.
    bool saveNewAlbumToDatabase();
    // Writes the flagged columns of `album` (false when no column is
    // flagged) and, with QAUpdateFileList, the difference of its photos.
    bool updatePhotoAlbumToDatabase(KivPhotoAlbum* album, QAlbumUpdateFlag flags);
    // Albums keep no pictures of their own.
    void saveMemory();

    DBAlbumInfo dbInfo;

private:
    bool syncFileList(KivPhotoAlbum* album);

    KivPhotoFilesSort* filesSort;
    // Guarded: the photo collection may go first (its connections then go
    // with it).
    QPointer<KivPhotoFiles> photoFiles;
    QList<DBAlbumFileList> updateList;
    QList<int> delList;
};

Q_DECLARE_METATYPE(KivPhotoAlbum*)
