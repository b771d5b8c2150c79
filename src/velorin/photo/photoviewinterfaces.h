#pragma once

#include <velorin/global.h>

#include <QList>

class KivPhotoFile;

// What a window enumerates of a photo view: the shown photos and the focus.
class VELORIN_EXPORT IEnumViewPhotoFiles
{
public:
    virtual int photoFilesCount() = 0;
    virtual KivPhotoFile* getKivPhotoFile(int index) = 0;
    virtual int getFocusIndex() = 0;
    virtual void setFocusIndex(int index) = 0;

protected:
    ~IEnumViewPhotoFiles() = default;
};

// The selected photos of a view, with a cursor.
class VELORIN_EXPORT IEnumSelectedPhotoFiles
{
public:
    virtual int getSelectedPhotoFilesCount() = 0;
    virtual void resetSelectedEnum() = 0;
    virtual KivPhotoFile* getNextSelectedPhotoFile() = 0;
    virtual QList<int> getAllSelectedIndex() = 0;

protected:
    ~IEnumSelectedPhotoFiles() = default;
};

// The selection of any view, as untyped objects.
class VELORIN_EXPORT ISelectedObjectList2
{
public:
    virtual int getSelectedObjectCount() = 0;
    virtual void* getSelectedObject(int index) = 0;

protected:
    ~ISelectedObjectList2() = default;
};
