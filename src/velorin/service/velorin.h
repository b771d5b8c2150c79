#pragma once

#include <velorin/global.h>

class CKivImageFaceInfo;
class DBImageInfo;
class KivPeople;
class KivPeopleGroups;
class KivPeoples;
class KivPhotoAddresses;
class KivPhotoAlbums;
class KivPhotoFiles;
class KivPhotoOnlineAlbums;
class KivPhotoOnlineFiles;
class KivPhotoTags;
class KivUPnPFiles;
class KivUPnPServers;
class KivVideoFiles;
class KivVideoPlaylists;

// The process-wide owner of the in-memory collections, reached through
// getVelorin(). Initialize(mode) creates the collections of one side (true:
// photos and everything attached to them; false: videos and playlists) that
// do not exist yet; UnInitialize() deletes every collection that exists.
// It opens no database: applications call getDatabaseService()->Initialize
// first. Getters return null for collections not created.
//
// Created and deleted on the application's thread; no lock of its own.
// Copies share the collections; the destructor releases nothing.
class VELORIN_EXPORT Velorin
{
public:
    Velorin();
    Velorin(const Velorin&);
    Velorin& operator=(const Velorin&);
    virtual ~Velorin();

    void Initialize(bool photoMode);
    void UnInitialize();

    KivPhotoFiles* getKivPhotoFiles() { return photoFiles; }
    KivPhotoFiles* getDeletedPhotoFiles() { return deletedPhotoFiles; }
    KivPhotoOnlineFiles* getKivPhotoOnlineFiles() { return photoOnlineFiles; }
    KivPhotoAlbums* getKivPhotoAlbums() { return photoAlbums; }
    KivPhotoOnlineAlbums* getKivPhotoOnlineAlbums() { return photoOnlineAlbums; }
    KivUPnPServers* getKivUPnPServers() { return upnpServers; }
    KivPeople* getKivPeople() { return people; }
    KivPeoples* getKivPeoples() { return peoples; }
    KivPeopleGroups* getKivPeopleGroups() { return peopleGroups; }
    CKivImageFaceInfo* getKivImageFaceInfo() { return imageFaceInfo; }
    KivVideoFiles* getKivVideoFiles() { return videoFiles; }
    KivVideoPlaylists* getKivVideoPlaylists() { return videoPlaylists; }
    KivPhotoTags* getKivPhotoTags() { return photoTags; }
    KivPhotoAddresses* getKivPhotoAddresses() { return photoAddresses; }

private:
    KivPhotoFiles* newPhotoFiles();
    void releaseMemberships(DBImageInfo info);

    bool photoMode = true;
    KivPhotoFiles* photoFiles = nullptr;
    KivPhotoFiles* deletedPhotoFiles = nullptr;
    KivPhotoOnlineFiles* photoOnlineFiles = nullptr;
    KivPhotoAlbums* photoAlbums = nullptr;
    KivPhotoOnlineAlbums* photoOnlineAlbums = nullptr;
    KivUPnPServers* upnpServers = nullptr;
    KivUPnPFiles* upnpFiles = nullptr;
    KivPeople* people = nullptr;
    KivPeoples* peoples = nullptr;
    KivPeopleGroups* peopleGroups = nullptr;
    CKivImageFaceInfo* imageFaceInfo = nullptr;
    KivVideoFiles* videoFiles = nullptr;
    KivVideoPlaylists* videoPlaylists = nullptr;
    KivPhotoTags* photoTags = nullptr;
    KivPhotoAddresses* photoAddresses = nullptr;
};

// The library's one facade; never null. It exists from the moment the
// library is loaded.
VELORIN_EXPORT Velorin* getVelorin();
