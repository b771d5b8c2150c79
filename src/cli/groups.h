#pragma once

#include <algorithm>
#include <utility>

#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QUuid>

#include "catalogue.h"
#include "printable.h"

// What the commands over named groups (photo albums, video playlists) share:
// their messages, naming the members by path, naming a group by GUID or by
// a name no other group carries, and the listing with the trash below.
namespace velorin::cli {

// "velorin COMMAND: MESSAGE" on stderr as one safe line (messages quote
// names and paths).
void fail(const char* command, const QString& message);
// fail() for wrong arguments: exit status 2.
int usageError(const char* command, const char* message);

// Every path (relative ones from the working folder) found in `files`, in
// order, or false after naming the first one that is not there (MISSING:
// PATH); nothing has been written by then.
template <class Files, class File>
bool resolveFiles(const char* command, Files* files, const QStringList& paths, const char* missing,
                  QList<File*>* out)
{
    for (const QString& path : paths) {
        QString absolute = QFileInfo(path).absoluteFilePath();
        File* file = files->findPhotoFile(absolute);
        if (!file) {
            fail(command, QString::fromLatin1(missing) + QStringLiteral(": ") + absolute);
            return false;
        }
        out->append(file);
    }
    return true;
}

// The groups a collection holds now, in its order.
template <class Group, class Collection>
QList<Group*> groupsOf(Collection* groups)
{
    QList<Group*> all;
    groups->lockBuffer();
    groups->copyBuffer(all);
    groups->unlockBuffer();
    return all;
}

// The group a command names, in the library or the trash: by GUID (any
// letter case, braces or not) or by a name only one group carries. Names
// need not be unique, so a name several groups share is refused with the
// candidates listed, to be named by GUID instead; acting on the first one
// found could change the wrong group for good. `noun` is "album" or the
// like.
template <class Group>
Group* findGroup(const char* command, const char* noun, const QList<Group*>& all, const QString& key)
{
    const QUuid guid(key);
    QList<Group*> found;
    for (Group* group : all) {
        if (group && (group->dbInfo.name == key || (!guid.isNull() && QUuid(group->dbInfo.albumGUID) == guid)))
            found.append(group);
    }
    if (found.size() == 1)
        return found.first();
    if (found.isEmpty()) {
        fail(command, QStringLiteral("no %1 '%2'").arg(QLatin1String(noun), key));
        return nullptr;
    }
    fail(command, QStringLiteral("%1 %2s match '%3'; name one by its GUID:").arg(found.size()).arg(QLatin1String(noun), key));
    QTextStream err(stderr);
    for (const Group* group : std::as_const(found))
        err << "  " << printable(group->dbInfo.name) << '\t' << printable(group->dbInfo.albumGUID) << '\t'
            << (group->dbInfo.fIsDeleted ? "in the trash" : "in the library") << '\n';
    return nullptr;
}

// The index of `member` (by id) in the group, -1 when it is not there.
template <class Group, class Member>
int indexInGroup(Group* group, const Member* member)
{
    for (int i = 0; i < group->getPhotoFilesCount(); ++i) {
        if (group->getPhotoFile(i)->dbInfo.id == member->dbInfo.id)
            return i;
    }
    return -1;
}

// Each of `files` not yet in the group added at its end, in order.
template <class Group, class File>
void addNewMembers(Group* group, const QList<File*>& files)
{
    for (File* file : files) {
        if (indexInGroup(group, file) < 0)
            group->getKivPhotoFilesSort()->addPhotoFile(-1, file);
    }
}

// Whether all of `files` are in the group; else false after naming the
// first one that is not.
template <class Group, class File>
bool allMembers(const char* command, const char* noun, Group* group, const QString& key, const QList<File*>& files)
{
    for (const File* file : files) {
        if (indexInGroup(group, file) < 0) {
            fail(command, QStringLiteral("not in %1 '%2': %3").arg(QLatin1String(noun), key, file->dbInfo.fullPath));
            return false;
        }
    }
    return true;
}

// Each of `files` that is in the group taken out of it.
template <class Group, class File>
void removeMembers(Group* group, const QList<File*>& files)
{
    for (const File* file : files) {
        const int index = indexInGroup(group, file);
        if (index >= 0)
            group->getKivPhotoFilesSort()->deletePhotoFileByIndex(index);
    }
}

// trash, restore or delete of a named group: a group already in the trash
// is not trashed again, one in the library not restored; `run` does the
// action and says whether it worked.
template <class Group, class Run>
int changeGroupState(const char* command, Group* group, const QString& action, const QString& key, Run run)
{
    if (!group)
        return 1;
    if (action == QLatin1String("trash") && group->dbInfo.fIsDeleted) {
        fail(command, QStringLiteral("already in the trash: '%1'").arg(key));
        return 1;
    }
    if (action == QLatin1String("restore") && !group->dbInfo.fIsDeleted) {
        fail(command, QStringLiteral("not in the trash: '%1'").arg(key));
        return 1;
    }
    if (!run()) {
        fail(command, QStringLiteral("could not %1 '%2': %3").arg(action, key, catalogueFailure()));
        return 1;
    }
    return 0;
}

// The groups by name (then GUID), those in the library first and those in
// the trash under a "Trash:" line; `line` prints one.
template <class Group, class Line>
int listGroups(QList<Group*> all, Line line)
{
    std::sort(all.begin(), all.end(), [](Group* a, Group* b) {
        const int order = QString::localeAwareCompare(a->dbInfo.name, b->dbInfo.name);
        return order != 0 ? order < 0 : a->dbInfo.albumGUID < b->dbInfo.albumGUID;
    });
    QTextStream out(stdout);
    for (bool trashed : {false, true}) {
        bool heading = false;
        for (Group* group : std::as_const(all)) {
            if (group->dbInfo.fIsDeleted != trashed)
                continue;
            if (trashed && !std::exchange(heading, true))
                out << "Trash:\n";
            line(out, group);
        }
    }
    return 0;
}

} // namespace velorin::cli
