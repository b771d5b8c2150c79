#pragma once

#include <velorin/global.h>

#include <QMutex>
#include <QObject>
#include <QStringList>

// The library's tag vocabulary, kept in the TagList table: each distinct tag
// once with the number of photos that carry it. Applications count a tag in
// when they give it to a photo and out when they take it away; a tag's row
// exists while its count is above 0. The string passed is the tag: it is
// never split, and tags compare as the table compares text (letter case
// makes two tags).
//
// Statements run on the calling thread's connection to the tag table.
// Counting is a read followed by a write and is not atomic, so tags are
// changed from one thread at a time.
class VELORIN_EXPORT KivPhotoTags : public QObject
{
    Q_OBJECT

public:
    explicit KivPhotoTags(QObject* parent = nullptr);
    ~KivPhotoTags() override;

    // Every tag, sorted in the collation order of the default locale. The
    // list is rebuilt on each call; the reference stays valid until the next.
    QStringList& getAllPhotoFilesTagList();

    // One more photo carries `tag`: its count goes up, or it is stored with
    // count 1.
    bool addPhotoTagToDB(QString& tag);
    // The same counting, without reading a new row back.
    bool updatePhotoTagToDB(QString& tag);
    // One photo fewer carries `tag`; its row goes when the count reaches 0.
    // An unknown tag changes nothing and still gives true.
    bool deletePhotoTagToDB(QString& tag);

private:
    QStringList tagList;
    // Not taken by any operation: callers keep tag changes on one thread.
    QMutex mutex;
};
