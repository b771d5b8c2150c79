#include "kivphototags.h"

#include <algorithm>

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
    tagList.clear();
    if (TagListDB* table = tagTable()) {
        tagList = table->listValues();
        std::sort(tagList.begin(), tagList.end(), caseInsensitiveLessThan);
    }
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

bool KivPhotoTags::caseInsensitiveLessThan(const QString& a, const QString& b)
{
    return a.localeAwareCompare(b) < 0;
}
