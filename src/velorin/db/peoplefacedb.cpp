#include "peoplefacedb.h"

#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

const TableDescription PeopleFaceDB::Description = {
    "PeopleFace", "MediaInfo.db", "PeopleFace", velorin::photoDataFolder, CreateTableStatement};

PeopleFaceDB::PeopleFaceDB()
    : SQLiteTable(Description)
{
}

PeopleFaceDB::~PeopleFaceDB() = default;

bool PeopleFaceDB::insertRecord(PEOPLE_FACE* f)
{
    return f
        && exec(InsertStatement, {f->fullPath, f->fileID, f->peopleGUID, f->left, f->top, f->right,
                                  f->bottom, f->name, f->FaceThumbnail});
}

// The rectangle takes "%1" to "%4": the statements have no table name to
// write in, and only numbers go into the text.
bool PeopleFaceDB::execWithRect(const char* text, const PEOPLE_FACE& f, const QVariantList& values)
{
    const QString statement = QString::fromLatin1(text)
                                  .arg(f.left)
                                  .arg(f.top)
                                  .arg(f.right)
                                  .arg(f.bottom);
    return velorin::execStatement(getDatabase(), statement, values);
}

bool PeopleFaceDB::updateRecord(PEOPLE_FACE* f)
{
    return f && execWithRect(RenameStatement, *f, {f->name, f->fullPath});
}

bool PeopleFaceDB::deleteRecord(int id)
{
    return velorin::execStatement(getDatabase(), QString::fromLatin1(DeleteByIdStatement).arg(id));
}

bool PeopleFaceDB::deleteRecord(PEOPLE_FACE f)
{
    return execWithRect(DeleteByRectStatement, f, {f.fullPath});
}
