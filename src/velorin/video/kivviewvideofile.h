#pragma once

#include <velorin/global.h>
#include <velorin/core/viewentry.h>

class KivVideoFile;

// What a video view keeps per shown video: the collection's object (not
// owned), selected, focus, and two numbers the owner of the view gives: an
// id (a playlist puts its mapping row's id there) and a custom position,
// which sort key 1 orders by. Both are -1 until set.
class VELORIN_EXPORT KivViewVideoFile : public ViewEntry<KivVideoFile>
{
public:
    void setKivVideoFile(KivVideoFile* video) { setElement(video); }
    KivVideoFile* getKivVideoFile() const { return element(); }

    void SetID(int id) { m_id = id; }
    int GetID() const { return m_id; }
    void SetCustomID(int customID) { m_customID = customID; }
    int GetCustomID() const { return m_customID; }

private:
    int m_id = -1;
    int m_customID = -1;
};
