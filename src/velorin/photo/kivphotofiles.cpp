#include "kivphotofiles.h"

#include <array>
#include <optional>
#include <vector>

#include <QSqlDatabase>
#include <QSqlQuery>

#include <velorin/db/sharedstatements.h>
#include <velorin/db/cataloguetables.h>
#include <velorin/photo/photosaver.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/core/tablegroup.h>

namespace {

// The image table and the four stores, in the order the batch operations
// visit them.
std::array<SQLiteDatabase*, 5> photoDatabases()
{
    velorin::CatalogueTables* s = velorin::catalogueTables();
    return {s->getImageInfoDB(), s->getImageThumbnailMiniDB(), s->getImageThumbnailSmallDB(),
            s->getImageThumbnailMediumDB(), s->getImageThumbnailLargeDB()};
}

} // namespace

// Modification times match when their texts to the second do, as the rows
// have always been compared.
bool KivPhotoFiles::isSavedFileState(const QVariant& storedDate, const QVariant& storedSize, const DBImageInfo& info)
{
    return storedDate.toDateTime().toString(Qt::TextDate) == info.mediaModifyDate.toString(Qt::TextDate)
        && storedSize.toLongLong() == info.fileSize;
}

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

// Every row of `statement` on the image table, read to the end so that the
// statement is finished, and its read lock gone, before any row is
// announced: a receiver that writes to the catalogue file (a tag, a place)
// would otherwise wait on the loader's lock for the whole busy timeout and
// then fail.
std::vector<DBImageInfo> readImageRows(const char* statement)
{
    std::vector<DBImageInfo> rows;
    velorin::SqlStatement q(*velorin::catalogueTables()->getImageInfoDB(), statement);
    q.query().setForwardOnly(true); // rows are read once; QtSql need not keep them
    if (!q.exec())
        return rows;
    while (q.next()) {
        rows.emplace_back();
        ImageInfoDB::readRecord(q.query(), rows.back());
    }
    return rows;
}

} // namespace

// Neither loader clears the collection or skips ids already present.
void KivPhotoFiles::loadRows(const char* statement, CIsLoadCancled* cancel)
{
    KivPhotoFile row;
    for (DBImageInfo& info : readImageRows(statement)) {
        row.dbInfo = std::move(info);
        addPhotoFile(&row);
        if (cancel && cancel->isCanceled())
            break;
    }
}

bool KivPhotoFiles::addPhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                                     DBImageThumbnail& medium, DBImageThumbnail& large)
{
    ImageInfoDB* images = velorin::catalogueTables()->getImageInfoDB();
    // mediaModifyDate, fIsDeleted, id, fileSize
    std::optional<QVariantList> stored;
    {
        velorin::SqlStatement q(*images, ImageInfoDB::SelectStateByPath);
        q.bind(info.fullPath);
        if (!q.exec())
            return false; // unknown is not "new": inserting would duplicate the row
        if (q.next())
            stored = QVariantList{q.value(0), q.value(1), q.value(2), q.value(3)};
    }

    if (!stored) {
        if (!velorin::savePhotoThumbnails({&mini, &small, &medium, &large}) || !images->insertRecord(&info))
            return false;
        if (const auto id = velorin::selectFirstRow(*images, velorin::sql::SelectIdByPath, {info.fullPath})) {
            info.id = id->value(0).toInt();
            KivPhotoFile added;
            added.setDBImageInfo(info);
            addPhotoFile(&added);
            emit sgnSelPhotoFile(findPhotoFileByID(info.id), true);
        }
        return true;
    }

    const int storedId = stored->value(2).toInt();
    if (stored->value(1).toInt() != 0) {
        // Back from the trash: only the flag changes in the table; the entry
        // carries the caller's values.
        info.id = storedId;
        if (velorin::SqlStatement(*images, velorin::sql::SetDeletedFlag, {0, info.id}).exec()) {
            KivPhotoFile added;
            added.setDBImageInfo(info);
            addPhotoFile(&added);
            emit sgnSelPhotoFile(findPhotoFileByID(info.id), true);
        }
        return true;
    }

    if (isSavedFileState(stored->value(0), stored->value(3), info)) {
        // Unchanged: nothing is written; the entry, when it is in memory,
        // is announced again and selected. Another thread may remove it
        // between these calls: it then stays readable (removed entries are
        // freed with the collection) and the update announces it as missing.
        if (KivPhotoFile* entry = findPhotoFileByID(storedId)) {
            updatePhotoFile(entry);
            emit sgnSelPhotoFile(entry, true);
        }
        return true;
    }

    info.id = storedId;
    if (!velorin::savePhotoThumbnails({&mini, &small, &medium, &large}) || !rewritePhoto(info))
        return false;
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
    if (saved == velorin::PhotoSaveResult::Rewritten) {
        // An entry of this collection follows its rewritten row.
        KivPhotoFile rewritten;
        rewritten.setDBImageInfo(info);
        updatePhotoFile(&rewritten);
    }
    return saved != velorin::PhotoSaveResult::Failed;
}

bool KivPhotoFiles::rewritePhoto(DBImageInfo& info)
{
    KivPhotoFile file;
    file.setDBImageInfo(info);
    return updatePhotoFileToDB(&file, QPUpdateAll);
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
    if (!p)
        return false;
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    if (!velorin::SqlStatement(*tables->getImageInfoDB(), velorin::sql::DeleteRowById, {p->dbInfo.id}).exec())
        return false;
    for (SQLiteDatabase* store : photoDatabases()) {
        if (store != tables->getImageInfoDB())
            velorin::execStatement(store->getDatabase(), velorin::tableStatement(velorin::sql::DeleteByPath, store->getTableName()),
                                   {p->dbInfo.fullPath});
    }
    emit photoFilePurged(p->dbInfo);
    deletePhotoFile(p);
    return true;
}

bool KivPhotoFiles::saveModifiedPhoto(KivPhotoFile* p, QString& newPath, bool bRevert, DBImageThumbnail& mini,
                                      DBImageThumbnail& small, DBImageThumbnail& medium, DBImageThumbnail& large)
{
    if (!p)
        return false;
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    ImageInfoDB* images = tables->getImageInfoDB();
    const QString text = QStringLiteral("update ") + images->getTableName() + QStringLiteral(" set ")
        + QStringLiteral("fullPath=? ") + QStringLiteral(", fIsEdited=%1 ").arg(bRevert ? 0 : 1)
        + QStringLiteral(", fRotateAngle=%1 ").arg(p->dbInfo.fRotateAngle)
        + QStringLiteral(", fileSize=%1 ").arg(p->dbInfo.fileSize) + QStringLiteral(", mediaModifyDate=? ")
        + QStringLiteral("where id=%1").arg(p->dbInfo.id);
    const bool written = velorin::execStatement(images->getDatabase(), text, {newPath, p->dbInfo.mediaModifyDate});

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

    AlbumFileListDB* albumEntries = tables->getAlbumFileListDB();
    const QString moveEntries = QStringLiteral("update ") + albumEntries->getTableName() + QStringLiteral(" set ")
        + QString::fromLatin1(AlbumFileListDB::SetPathFragment)
        + QString::fromLatin1(AlbumFileListDB::WhereFileId).arg(p->dbInfo.id);
    const bool entriesMoved = velorin::execStatement(albumEntries->getDatabase(), moveEntries, {newPath});
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
    velorin::CatalogueTables* s = velorin::catalogueTables();
    // All four are attempted, whatever the earlier ones gave.
    const bool m = s->getImageThumbnailMiniDB()->saveRecord(&mini);
    const bool sm = s->getImageThumbnailSmallDB()->saveRecord(&small);
    const bool me = s->getImageThumbnailMediumDB()->saveRecord(&medium);
    const bool l = s->getImageThumbnailLargeDB()->saveRecord(&large);
    return m && sm && me && l;
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
    KivPhotoFile row;
    for (DBImageInfo& info : readImageRows(ImageInfoDB::SelectPhotoRoll)) {
        if (findPhotoFileByID(info.id))
            continue;
        row.dbInfo = std::move(info);
        addPhotoFile(&row);
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
    ImageInfoDB* images = velorin::catalogueTables()->getImageInfoDB();
    const auto update = velorin::buildPhotoUpdate(images->getTableName(), file->dbInfo, flags);
    if (!update.exec(images->getDatabase(), file->dbInfo.id))
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

void KivPhotoFiles::beginTransaction() { velorin::tablegroup::beginTransaction(photoDatabases()); }
void KivPhotoFiles::endTransaction() { velorin::tablegroup::endTransaction(photoDatabases()); }
void KivPhotoFiles::synchronousOff() { velorin::tablegroup::setSynchronous(photoDatabases(), false); }
void KivPhotoFiles::synchronousOn() { velorin::tablegroup::setSynchronous(photoDatabases(), true); }
void KivPhotoFiles::threadOpenConnection() { velorin::tablegroup::openConnections(photoDatabases()); }
void KivPhotoFiles::threadCloseConnection() { velorin::tablegroup::closeConnections(photoDatabases()); }
