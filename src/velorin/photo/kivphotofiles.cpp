#include "kivphotofiles.h"

#include <array>

#include <QSqlDatabase>
#include <QSqlQuery>

#include <velorin/db/sharedstatements.h>
#include <velorin/service/databaseservice.h>
#include <velorin/service/sqlstatement.h>

namespace {

// The image table and the four stores, in the order the batch operations
// visit them.
std::array<SQLiteDatabase*, 5> photoDatabases()
{
    DatabaseService* s = getDatabaseService();
    return {s->getImageInfoDB(), s->getImageThumbnailMiniDB(), s->getImageThumbnailSmallDB(),
            s->getImageThumbnailMediumDB(), s->getImageThumbnailLargeDB()};
}

// Modification times match when their texts to the second do, as the rows
// have always been compared.
bool sameFileState(const QVariant& storedDate, const QVariant& storedSize, const DBImageInfo& info)
{
    return storedDate.toDateTime().toString(Qt::TextDate) == info.mediaModifyDate.toString(Qt::TextDate)
        && storedSize.toLongLong() == info.fileSize;
}

} // namespace

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

// Neither loader clears the collection or skips ids already present.
void KivPhotoFiles::loadRows(const char* statement, CIsLoadCancled* cancel)
{
    ImageInfoDB* images = getDatabaseService()->getImageInfoDB();
    velorin::SqlStatement q(*images, statement);
    q.query().setForwardOnly(true); // rows are read once; QtSql need not keep them
    if (!q.exec())
        return;
    KivPhotoFile row;
    while (q.next()) {
        ImageInfoDB::readRecord(q.query(), row.dbInfo);
        addPhotoFile(&row);
        if (cancel && cancel->isCanceled())
            break;
    }
}

bool KivPhotoFiles::addPhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                                     DBImageThumbnail& medium, DBImageThumbnail& large)
{
    ImageInfoDB* images = getDatabaseService()->getImageInfoDB();
    // mediaModifyDate, fIsDeleted, id, fileSize
    const auto stored = velorin::selectFirstRow(*images, ImageInfoDB::SelectStateByPath, {info.fullPath});

    if (!stored) {
        saveThumbnails(mini, small, medium, large);
        images->insertRecord(&info);
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

    if (sameFileState(stored->value(0), stored->value(3), info)) {
        // Unchanged: nothing is written; the entry, when it is in memory,
        // is announced again and selected.
        if (KivPhotoFile* entry = findPhotoFileByID(storedId)) {
            updatePhotoFile(entry);
            emit sgnSelPhotoFile(entry, true);
        }
        return true;
    }

    saveThumbnails(mini, small, medium, large);
    info.id = storedId;
    rewritePhoto(info);
    emit sgnSelPhotoFile(findPhotoFileByID(info.id), true);
    return true;
}

bool KivPhotoFiles::_savePhotoFileToDB(DBImageInfo& info, DBImageThumbnail& mini, DBImageThumbnail& small,
                                       DBImageThumbnail& medium, DBImageThumbnail& large)
{
    ImageInfoDB* images = getDatabaseService()->getImageInfoDB();
    // mediaModifyDate, id, fileSize
    const auto stored = velorin::selectFirstRow(*images, velorin::sql::SelectSaveStateByPath, {info.fullPath});
    if (!stored) {
        saveThumbnails(mini, small, medium, large);
        images->insertRecord(&info);
    } else if (!sameFileState(stored->value(0), stored->value(2), info)) {
        info.id = stored->value(1).toInt();
        rewritePhoto(info);
    }
    return true;
}

bool KivPhotoFiles::rewritePhoto(DBImageInfo& info)
{
    KivPhotoFile file;
    file.setDBImageInfo(info);
    return updatePhotoFileToDB(&file, QPUpdateAll);
}

void KivPhotoFiles::saveThumbnails(DBImageThumbnail& mini, DBImageThumbnail& small, DBImageThumbnail& medium,
                                   DBImageThumbnail& large)
{
    saveMiniThumbnail(mini);
    saveSmallThumbnail(small);
    saveMediumThumbnail(medium);
    saveLargeThumbnail(large);
}

// Each save is an upsert on its store and reports true whatever the write
// returned.
bool KivPhotoFiles::saveMiniThumbnail(DBImageThumbnail& t)
{
    getDatabaseService()->getImageThumbnailMiniDB()->saveRecord(&t);
    return true;
}

bool KivPhotoFiles::saveSmallThumbnail(DBImageThumbnail& t)
{
    getDatabaseService()->getImageThumbnailSmallDB()->saveRecord(&t);
    return true;
}

bool KivPhotoFiles::saveMediumThumbnail(DBImageThumbnail& t)
{
    getDatabaseService()->getImageThumbnailMediumDB()->saveRecord(&t);
    return true;
}

bool KivPhotoFiles::saveLargeThumbnail(DBImageThumbnail& t)
{
    getDatabaseService()->getImageThumbnailLargeDB()->saveRecord(&t);
    return true;
}

bool KivPhotoFiles::updatePhotoFileToDB(KivPhotoFile* file, QPhotoUpdateFlag flags)
{
    if (!file)
        return false;
    ImageInfoDB* images = getDatabaseService()->getImageInfoDB();
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
    return velorin::selectFirstRow(*getDatabaseService()->getImageInfoDB(), ImageInfoDB::SelectIdByTitle, {name})
        .has_value();
}

void KivPhotoFiles::beginTransaction()
{
    for (SQLiteDatabase* table : photoDatabases())
        table->getDatabase().transaction();
}

void KivPhotoFiles::endTransaction()
{
    for (SQLiteDatabase* table : photoDatabases())
        table->getDatabase().commit();
}

void KivPhotoFiles::synchronousOff()
{
    for (SQLiteDatabase* table : photoDatabases())
        velorin::execStatement(table->getDatabase(), QStringLiteral("PRAGMA synchronous = 0"));
}

void KivPhotoFiles::synchronousOn()
{
    for (SQLiteDatabase* table : photoDatabases())
        velorin::execStatement(table->getDatabase(), QStringLiteral("PRAGMA synchronous = 2"));
}

void KivPhotoFiles::threadOpenConnection()
{
    for (SQLiteDatabase* table : photoDatabases())
        table->openConnection();
}

void KivPhotoFiles::threadCloseConnection()
{
    for (SQLiteDatabase* table : photoDatabases())
        table->closeConnection();
}
