#include "kivvideofiles.h"

#include <vector>

#include <QFile>

#include <velorin/db/videoinfodb.h>
#include <velorin/video/videobackgroundservice.h>
#include <velorin/video/videowriter.h>

KivVideoFiles::KivVideoFiles(QObject* parent)
    : CollectionCore<KivVideoFile>(parent)
    , m_infoService(std::make_unique<VideoBackgroundService>(this))
{
    qRegisterMetaType<KivVideoFile*>();
}

KivVideoFiles::~KivVideoFiles()
{
    // The service works on this collection's entries: it goes first.
    m_infoService->Stop();
}

VideoBackgroundService* KivVideoFiles::infoService() { return m_infoService.get(); }

void KivVideoFiles::announceAdded(int index, KivVideoFile* file)
{
    // With the lock held: the entry joins the waiting list in index order.
    const quint64 order = m_nextOrder++;
    m_order.insert(file, order);
    if (!file->bInfoReady)
        m_waiting.emplace(order, file);
    emit photoFileAdded(index, file);
}

void KivVideoFiles::announceUpdated(int index, KivVideoFile* file)
{
    if (!file)
        return; // no entry had that id: nothing is announced
    // An update may hand an entry back to the service (a caller's copy
    // whose information is still missing).
    if (!file->bInfoReady) {
        lockBuffer();
        m_waiting.emplace(m_order.value(file), file);
        unlockBuffer();
    }
    emit photoFileUpdated(index, file);
}

void KivVideoFiles::announceDeleted(KivVideoFile* file) { emit photoFileDeleted(file); }

int KivVideoFiles::photoFilesCount() { return elementCount(); }
KivVideoFile* KivVideoFiles::getPhotoFile(int index) { return elementAt(index); }
KivVideoFile* KivVideoFiles::findPhotoFile(QString& fullPath) { return findByPath(fullPath.toCaseFolded()); }
int KivVideoFiles::getPhotoFileIndex(QString& fullPath) { return indexOfPath(fullPath.toCaseFolded()); }
KivVideoFile* KivVideoFiles::findPhotoFileByID(int id) { return findById(id); }
bool KivVideoFiles::updatePhotoFile(KivVideoFile* pPhotoFile) { return !pPhotoFile || updateElement(pPhotoFile); }
void KivVideoFiles::lockBuffer() { CollectionCore::lockBuffer(); }
void KivVideoFiles::unlockBuffer() { CollectionCore::unlockBuffer(); }
void KivVideoFiles::copyBuffer(QVector<KivVideoFile*>& out) { CollectionCore::copyBuffer(out); }

bool KivVideoFiles::deletePhotoFile(KivVideoFile* pPhotoFile)
{
    if (!pPhotoFile || !findPhotoFileByID(pPhotoFile->dbInfo.id))
        return false;
    return deleteElement(pPhotoFile);
}

bool KivVideoFiles::addPhotoFile(KivVideoFile* pPhotoFile)
{
    if (!pPhotoFile)
        return false;
    admit(std::make_unique<KivVideoFile>(*pPhotoFile));
    return true;
}

// The copy is made and the file's existence asked before the lock is
// taken: a stat on a slow or network disk must not hold up every other
// user of the collection.
void KivVideoFiles::admit(std::unique_ptr<KivVideoFile> entry)
{
    entry->bFileExists = QFile::exists(entry->dbInfo.fullPath);
    const bool needsInfo = entry->dbInfo.thumbnail.isEmpty() && !entry->dbInfo.fIsDeleted;
    if (needsInfo)
        entry->bInfoReady = false;
    adoptElement(std::move(entry));
    if (needsInfo)
        m_infoService->Restart();
}

KivVideoFile* KivVideoFiles::GetNextFileToDO()
{
    KivVideoFile* copy = nullptr;
    lockBuffer();
    // The waiting list is in index order (entries are only ever appended);
    // entries that were reported back or removed since are dropped on the
    // way, so each is looked at once after it is done.
    while (!m_waiting.empty()) {
        const KivVideoFile* first = m_waiting.begin()->second;
        if (!first->bInfoReady && isStoredLocked(first)) {
            copy = new KivVideoFile(*first);
            break;
        }
        m_waiting.erase(m_waiting.begin());
    }
    unlockBuffer();
    if (copy)
        m_infoService->Restart();
    return copy;
}

bool KivVideoFiles::updateReadFacts(const KivVideoFile& read, bool factsRead)
{
    return changeElement(read.dbInfo.id, [&](KivVideoFile& stored) {
        stored.bInfoReady = true;
        if (factsRead)
            velorin::copyReadFacts(stored.dbInfo, read.dbInfo);
    });
}

// Adds the rows in row order; with `skipPresent`, those whose id is not in
// memory yet.
void KivVideoFiles::loadRows(const char* statement, bool withCaptured, bool skipPresent)
{
    std::vector<DBVideoInfo> rows = velorin::readVideoRecords(statement, withCaptured);
    reserveElements(int(rows.size()));
    for (DBVideoInfo& row : rows) {
        if (skipPresent && findPhotoFileByID(row.id))
            continue;
        auto file = std::make_unique<KivVideoFile>();
        file->dbInfo = std::move(row);
        admit(std::move(file));
    }
}

// Neither clears the collection nor skips ids already present: called twice,
// it doubles the entries.
void KivVideoFiles::loadImageInfoFromDatabase() { loadRows(VideoInfoDB::SelectLibrary, true, false); }
void KivVideoFiles::loadVideoRoll() { loadRows(VideoInfoDB::SelectVideoRoll, false, true); }
void KivVideoFiles::loadTrashCan() { loadRows(VideoInfoDB::SelectTrash, true, true); }

bool KivVideoFiles::addPhotoFileToDB(DBVideoInfo& info)
{
    KivVideoFile file;
    switch (velorin::reconcileScannedVideo(info)) {
    case velorin::VideoSaveResult::Failed:
        return false;
    case velorin::VideoSaveResult::Inserted:
    case velorin::VideoSaveResult::Restored:
        // The entry carries the caller's values (a restored row keeps its
        // own in the table).
        file.setDBImageInfo(info);
        addPhotoFile(&file);
        break;
    case velorin::VideoSaveResult::Rewritten:
        file.setDBImageInfo(info);
        updatePhotoFile(&file);
        break;
    case velorin::VideoSaveResult::Unchanged:
        break;
    }
    return true;
}

bool KivVideoFiles::_savePhotoFileToDB(DBVideoInfo& info)
{
    const velorin::VideoSaveResult saved = velorin::saveVideoToDB(info);
    if (saved == velorin::VideoSaveResult::Rewritten) {
        KivVideoFile file;
        file.setDBImageInfo(info);
        updatePhotoFile(&file);
    }
    return saved != velorin::VideoSaveResult::Failed;
}

bool KivVideoFiles::updatePhotoFileToDB(KivVideoFile* file, QVFileUpdateFlag flags)
{
    if (!file || !velorin::writeVideoColumns(file->dbInfo, flags))
        return false;
    updatePhotoFile(file);
    return true;
}

bool KivVideoFiles::sendPhotoFileToTrashcan(KivVideoFile* file)
{
    if (!file || !velorin::moveVideoRowToTrash(file->dbInfo.id))
        return false;
    deletePhotoFile(file);
    return true;
}

bool KivVideoFiles::RestorePhotoFileFromTrashcan(KivVideoFile* file)
{
    if (!file || !velorin::restoreVideoRowFromTrash(file->dbInfo.id))
        return false;
    deletePhotoFile(file);
    // The caller may now add the same object to the library collection.
    file->dbInfo.fIsDeleted = false;
    return true;
}

bool KivVideoFiles::EmptyPhotoFile(KivVideoFile* file, bool bDeleted)
{
    if (!file || !velorin::deleteVideoRow(file->dbInfo.id, bDeleted))
        return false;
    deletePhotoFile(file);
    return true;
}

void KivVideoFiles::threadOpenConnection() { TableGroupOperations::threadOpenConnection(); }
void KivVideoFiles::threadCloseConnection() { TableGroupOperations::threadCloseConnection(); }

std::vector<SQLiteDatabase*> KivVideoFiles::groupTables()
{
    return velorin::videoWriteTables();
}
