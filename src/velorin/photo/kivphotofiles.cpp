#include "kivphotofiles.h"

#include <memory>
#include <vector>

#include <velorin/db/sharedstatements.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/photo/photowriter.h>
#include <velorin/core/sqlstatement.h>

KivPhotoFiles::KivPhotoFiles(QObject* parent)
    : CollectionCore<KivPhotoFile>(parent)
{
    qRegisterMetaType<KivPhotoFile*>();
}

KivPhotoFiles::~KivPhotoFiles() = default;

void KivPhotoFiles::announceAdded(int index, KivPhotoFile* file) { emit photoFileAdded(index, file); }
void KivPhotoFiles::announceUpdated(int index, KivPhotoFile* file) { emit photoFileUpdated(index, file); }
void KivPhotoFiles::announceDeleted(KivPhotoFile* file) { emit photoFileDeleted(file); }

int KivPhotoFiles::photoFilesCount() { return elementCount(); }
KivPhotoFile* KivPhotoFiles::getPhotoFile(int index) { return elementAt(index); }
KivPhotoFile* KivPhotoFiles::findPhotoFile(QString& fullPath) { return findByPath(fullPath); }
int KivPhotoFiles::getPhotoFileIndex(QString& fullPath) { return indexOfPath(fullPath); }
KivPhotoFile* KivPhotoFiles::findPhotoFileByID(int id) { return findById(id); }
bool KivPhotoFiles::addPhotoFile(KivPhotoFile* pPhotoFile) { return pPhotoFile && addElement(pPhotoFile); }
bool KivPhotoFiles::updatePhotoFile(KivPhotoFile* pPhotoFile) { return !pPhotoFile || updateElement(pPhotoFile); }
bool KivPhotoFiles::updatePhotoFile4FaceDetected(KivPhotoFile*) { return true; }
bool KivPhotoFiles::deletePhotoFile(KivPhotoFile* pPhotoFile) { return !pPhotoFile || deleteElement(pPhotoFile); }
void KivPhotoFiles::lockBuffer() { CollectionCore::lockBuffer(); }
void KivPhotoFiles::unlockBuffer() { CollectionCore::unlockBuffer(); }
void KivPhotoFiles::copyBuffer(QVector<KivPhotoFile*>& out) { CollectionCore::copyBuffer(out); }
QStringList KivPhotoFiles::getAllPhotoFilesTagList() { return {}; }
QStringList KivPhotoFiles::getAllPhotoFilesPlaceList() { return {}; }

void KivPhotoFiles::loadImageInfoFromDatabase(CIsLoadCancled* cancel)
{
    loadRows(ImageInfoDB::SelectLibrary, cancel);
}

void KivPhotoFiles::loadDeletedImageInfoFromDatabase()
{
    loadRows(velorin::sql::SelectTrashRows, nullptr);
}

namespace {

// Every row of `statement` on the image table as the objects the collection
// will keep, read to the end so that the statement is finished, and its read
// lock gone, before any row is announced: a receiver that writes to the
// catalogue file (a tag, a place) would otherwise wait on the loader's lock
// for the whole busy timeout and then fail.
std::vector<std::unique_ptr<KivPhotoFile>> readPhotoRows(const char* statement)
{
    std::vector<std::unique_ptr<KivPhotoFile>> rows;
    velorin::catalogueTables()->getImageInfoDB()->selectRecords(statement, [&rows](DBImageInfo&& info) {
        rows.push_back(std::make_unique<KivPhotoFile>());
        rows.back()->dbInfo = std::move(info);
    });
    return rows;
}

} // namespace

// Neither loader clears the collection or skips ids already present; the
// rows are added in row order.
void KivPhotoFiles::loadRows(const char* statement, CIsLoadCancled* cancel)
{
    std::vector<std::unique_ptr<KivPhotoFile>> rows = readPhotoRows(statement);
    reserveElements(int(rows.size()));
    for (std::unique_ptr<KivPhotoFile>& row : rows) {
        adoptElement(std::move(row));
        if (cancel && cancel->isCanceled())
            break;
    }
}

bool KivPhotoFiles::addPhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                                     DBImageThumbnail& medium, DBImageThumbnail& large)
{
    switch (velorin::reconcileScannedPhoto(info, {&mini, &small, &medium, &large})) {
    case velorin::ScannedPhoto::Failed:
        return false;
    case velorin::ScannedPhoto::Inserted:
        if (info.id < 0)
            return true; // written, but its id could not be read back
        [[fallthrough]];
    case velorin::ScannedPhoto::Restored: {
        // The entry carries the caller's values (for a restored row, the
        // table keeps its own).
        KivPhotoFile added;
        added.setDBImageInfo(info);
        addPhotoFile(&added);
        break;
    }
    case velorin::ScannedPhoto::Unchanged:
        // Nothing was written; the entry, when it is in memory, is announced
        // again. Another thread may remove it between these calls: it then
        // stays readable (removed entries are freed with the collection) and
        // the update announces it as missing.
        if (KivPhotoFile* entry = findPhotoFileByID(info.id)) {
            updatePhotoFile(entry);
            emit sgnSelPhotoFile(entry, true);
        }
        return true;
    case velorin::ScannedPhoto::Rewritten:
        followRewrittenRow(info);
        break;
    }
    emit sgnSelPhotoFile(findPhotoFileByID(info.id), true);
    return true;
}

bool KivPhotoFiles::_savePhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                                       DBImageThumbnail& medium, DBImageThumbnail& large)
{
    // A changed file gets its thumbnails rewritten with its row, and a row
    // whose thumbnails are missing gets them filled in: a re-import is how
    // a user repairs a picture.
    const velorin::PhotoSaveResult saved = velorin::savePhotoToDB(info, {&mini, &small, &medium, &large});
    if (saved == velorin::PhotoSaveResult::Rewritten)
        followRewrittenRow(info);
    return saved != velorin::PhotoSaveResult::Failed;
}

// The entry of a row the writer rewrote takes the row's values.
void KivPhotoFiles::followRewrittenRow(DBImageInfo& info)
{
    KivPhotoFile rewritten;
    rewritten.setDBImageInfo(info);
    updatePhotoFile(&rewritten);
}

bool KivPhotoFiles::setDeletedFlag(KivPhotoFile* p, int deleted)
{
    if (!p)
        return false;
    const bool ok =
        velorin::SqlStatement(*velorin::catalogueTables()->getImageInfoDB(), velorin::sql::SetDeletedFlag, {deleted, p->dbInfo.id})
            .exec();
    if (ok)
        deletePhotoFile(p);
    return ok;
}

bool KivPhotoFiles::sendPhotoFileToTrashcan(KivPhotoFile* p)
{
    return setDeletedFlag(p, 1);
}

bool KivPhotoFiles::restorePhotoFileToLib(KivPhotoFile* p)
{
    return setDeletedFlag(p, 0);
}

bool KivPhotoFiles::deletePhotoFileFromDB(KivPhotoFile* p)
{
    if (!p || !velorin::deletePhotoRows(p->dbInfo.id, p->dbInfo.fullPath))
        return false;
    emit photoFilePurged(p->dbInfo);
    deletePhotoFile(p);
    return true;
}

bool KivPhotoFiles::saveModifiedPhoto(KivPhotoFile* p, QString& newPath, bool bRevert, DBImageThumbnail& mini,
                                      DBImageThumbnail& small, DBImageThumbnail& medium, DBImageThumbnail& large)
{
    if (!p)
        return false;
    const bool written = velorin::movePhotoRow(p->dbInfo, newPath, bRevert);

    const QString oldPath = p->dbInfo.fullPath;
    p->dbInfo.fullPath = newPath;
    p->dbInfo.originalPath = bRevert ? QString() : oldPath;
    p->dbInfo.fIsEdited = !bRevert;
    if (p == findPhotoFileByID(p->dbInfo.id))
        reindex(); // the stored entry's path changed in place
    p->saveMemory();
    const bool thumbnailsSaved = velorin::savePhotoThumbnails({&mini, &small, &medium, &large});
    if (written)
        updatePhotoFile(p);
    const bool entriesMoved = velorin::movePhotoAlbumEntries(p->dbInfo.id, newPath);
    return written && thumbnailsSaved && entriesMoved;
}

bool KivPhotoFiles::saveRotateAngle(KivPhotoFile* p, QPhotoUpdateFlag flags)
{
    if (!p)
        return false;
    p->saveMemory();
    return updatePhotoFileToDB(p, flags);
}

bool KivPhotoFiles::saveThumbnail(DBImageThumbnail& mini, DBImageThumbnail& small, DBImageThumbnail& medium,
                                  DBImageThumbnail& large)
{
    return velorin::savePhotoThumbnails({&mini, &small, &medium, &large});
}

bool KivPhotoFiles::restoreDBImageInfo4LostImageFile(KivPhotoFile* p, DBImageThumbnail& mini, DBImageThumbnail& small,
                                                     DBImageThumbnail& medium, DBImageThumbnail& large,
                                                     QPhotoUpdateFlag flags)
{
    if (!p)
        return false;
    p->saveMemory();
    if (!saveThumbnail(mini, small, medium, large))
        return false;
    updatePhotoFileToDB(p, flags);
    return true;
}

void KivPhotoFiles::loadPhotoRoll()
{
    for (std::unique_ptr<KivPhotoFile>& row : readPhotoRows(ImageInfoDB::SelectPhotoRoll)) {
        if (!findPhotoFileByID(row->dbInfo.id))
            adoptElement(std::move(row));
    }
}

bool KivPhotoFiles::isPhotoRoll(QString& path)
{
    QString stored = path;
    stored.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const auto row =
        velorin::selectFirstRow(*velorin::catalogueTables()->getImageInfoDB(), ImageInfoDB::SelectPhotoRollFlag, {stored});
    return row && row->value(0).toBool();
}

int KivPhotoFiles::getLatestPhotoRollID()
{
    // Earlier than every real photo: midnight, 1 January of the year 70.
    QDateTime latest(QDate(70, 1, 1), QTime(0, 0));
    if (!latest.isValid())
        return -1;
    int result = -1;
    velorin::SqlStatement q(*velorin::catalogueTables()->getImageInfoDB(), ImageInfoDB::SelectPhotoRollRows);
    if (q.exec()) {
        while (q.next()) {
            const QDateTime modified = q.value(0).toDateTime();
            if (modified >= latest) {
                latest = modified;
                result = q.value(1).toInt();
            }
        }
    }
    return result;
}

bool KivPhotoFiles::updatePhotoFileToDB(KivPhotoFile* file, QPhotoUpdateFlag flags)
{
    if (!file)
        return false;
    if (!velorin::writePhotoColumns(file->dbInfo, flags))
        return false;
    updatePhotoFile(file);
    return true;
}

bool KivPhotoFiles::updatePhotoFileToDB(DBImageInfo& info, QPhotoUpdateFlag flags)
{
    KivPhotoFile* stored = findPhotoFileByID(info.id);
    if (!stored)
        return false;
    velorin::copyFlaggedFields(stored->dbInfo, info, velorin::photoUpdateColumns(), flags);
    return updatePhotoFileToDB(stored, flags);
}

bool KivPhotoFiles::HasTitle(QString& name)
{
    return velorin::selectFirstRow(*velorin::catalogueTables()->getImageInfoDB(), ImageInfoDB::SelectIdByTitle, {name})
        .has_value();
}

std::vector<SQLiteDatabase*> KivPhotoFiles::groupTables()
{
    return velorin::photoWriteTables();
}
