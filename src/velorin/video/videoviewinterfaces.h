#pragma once

#include <velorin/global.h>

#include <QList>

class KivVideoFile;

// What a window enumerates of a video view: the shown videos and the focus.
// (The untyped selection list, ISelectedObjectList2, is the photo view's.)
class VELORIN_EXPORT IEnumViewVideoFiles
{
public:
    virtual int videoFilesCount() = 0;
    virtual KivVideoFile* getKivVideoFile(int index) = 0;
    virtual int getFocusIndex() = 0;
    virtual void setFocusIndex(int index) = 0;

protected:
    ~IEnumViewVideoFiles() = default;
};

// The selected videos of a view, with a cursor.
class VELORIN_EXPORT IEnumSelectedVideoFiles
{
public:
    virtual int getSelectedVideoFilesCount() = 0;
    virtual void resetSelectedEnum() = 0;
    virtual KivVideoFile* getNextSelectedVideoFile() = 0;
    virtual QList<int> getAllSelectedIndex() = 0;

protected:
    ~IEnumSelectedVideoFiles() = default;
};
