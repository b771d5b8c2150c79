#include "kivphototags.h"

#include <velorin/db/cataloguetables.h>

namespace {

TagListDB* tagTable()
{
    velorin::CatalogueTables* tables = velorin::catalogueTables();
    return tables ? tables->getTagListDB() : nullptr;
}

} // namespace

KivPhotoTags::KivPhotoTags(QObject* parent)
    : QObject(parent)
{
}

KivPhotoTags::~KivPhotoTags() = default;

QStringList& KivPhotoTags::getAllPhotoFilesTagList()
{
    TagListDB* table = tagTable();
    tagList = table ? table->listValuesByName() : QStringList();
    return tagList;
}

bool KivPhotoTags::addPhotoTagToDB(QString& tag)
{
    TagListDB* table = tagTable();
    if (!table)
        return false;
    table->addTagUse(tag, true);
    return true;
}

bool KivPhotoTags::updatePhotoTagToDB(QString& tag)
{
    TagListDB* table = tagTable();
    if (!table)
        return false;
    table->addTagUse(tag, false);
    return true;
}

bool KivPhotoTags::deletePhotoTagToDB(QString& tag)
{
    TagListDB* table = tagTable();
    if (!table)
        return false;
    table->removeTagUse(tag);
    return true;
}
