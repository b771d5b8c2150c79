#pragma once

#include <velorin/global.h>
#include <velorin/db/cataloguetables.h>

// The process-wide owner of the 24 table objects, reached through
// getDatabaseService(). It opens, creates and closes the tables of one side
// as a group: the photo side (photos, thumbnails, albums, tags, places,
// people, faces, online photos) or the video side (videos and playlists).
// Its table getters (getImageInfoDB() and the others) are those of
// velorin::CatalogueTables; the layers under the service reach the same
// tables through velorin::catalogueTables().
//
// Every thread that uses the tables opens its own connections, either all of
// a side with Initialize()/UnInitialize() or one table at a time; calls nest
// and threads are independent (SQLiteDatabase). The service has no lock of
// its own. The side flag is one for all threads: UnInitialize() closes the
// side of the most recent Initialize(), whichever thread made it.
class VELORIN_EXPORT DatabaseService : public velorin::CatalogueTables
{
public:
    DatabaseService();
    virtual ~DatabaseService();

    // Opens this thread's connections to every table of the side, then
    // creates missing tables and indexes. Nothing is returned; when a file
    // of the side cannot be used (not a database, a folder that cannot be
    // made), velorin::lastDbError() on the calling thread says why right
    // after, and statements on its tables fail. A file is never replaced.
    void Initialize(bool photoMode);
    // Closes this thread's connections to the side named by the flag.
    void UnInitialize();
};

// The library's one database service; never null. It exists from the moment
// the library is loaded.
VELORIN_EXPORT DatabaseService* getDatabaseService();
