#pragma once

#include <velorin/global.h>

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The record types: one plain value class per table, one public field per
// column, carrying a row between the tables, the import code and the
// collections. Copies are memberwise; none has virtual operations.
//
// Booleans are stored as 0 or 1 in INTEGER columns, date-times as ISO text
// to the second. Coordinates that were never read hold sentinels outside
// every valid position (latitude and longitude 10000, altitude -10000000).

// Declares the special members, defined out of line so that each of them
// is an exported symbol of the library. Moves hand over the texts and
// blobs without touching their reference counts, so that records can be
// read into containers and handed on cheaply.
#define VELORIN_RECORD_MEMBERS(Type)          \
    Type();                                   \
    Type(const Type&);                        \
    Type(Type&&) noexcept;                    \
    Type& operator=(const Type&);             \
    Type& operator=(Type&&) noexcept;         \
    ~Type()

namespace velorin {
inline constexpr double NoLatitude = 10000.0;
inline constexpr double NoLongitude = 10000.0;
inline constexpr double NoAltitude = -10000000.0;
} // namespace velorin

// Base of the three video records. The third integer is the row id; the
// first two are carried along unchanged by copies.
class VELORIN_EXPORT DBBaseInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBBaseInfo);

    int reserved1 = 0;
    int reserved2 = 0;
    int id = 0;
};

// Columns id to address, common to the local and the online image rows.
class VELORIN_EXPORT DBImageCommonInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBImageCommonInfo);

    int id = 0;
    QString name;
    QString fullPath;
    qint64 fileSize = 0;
    QDateTime mediaModifyDate;
    int mediaRating = 0;
    QString mediaTag;
    QString mediaComment;
    QString exifDate; // an INTEGER column that receives the text
    int orientation = 0;
    double latitude = velorin::NoLatitude;
    double longitude = velorin::NoLongitude;
    double altitude = velorin::NoAltitude;
    QString address;
};

// Table ImageInfo.
class VELORIN_EXPORT DBImageInfo : public DBImageCommonInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBImageInfo);

    bool faceDetected = false;
    bool fIsDeleted = false;
    bool fIsEdited = false;
    QString originalPath;
    bool fIsPhotoRoll = false;
    bool fIsLocalLost = false;
    int fRotateAngle = 0;
};

// Table OnlineImageInfo. It has no photo-roll flag; its coordinates start at
// the same sentinels as DBImageInfo's.
class VELORIN_EXPORT DBOnlineImageInfo : public DBImageCommonInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBOnlineImageInfo);

    QString category;
    QString imageId;
    QString syncUrl;
    bool faceDetected = false;
    bool fIsDeleted = false;
    bool fIsEdited = false;
    QString originalPath;
    bool fIsLocalLost = false;
    int fRotateAngle = 0;
};

// Tables ImageThumbnail (four stores, one per size).
class VELORIN_EXPORT DBImageThumbnail
{
public:
    VELORIN_RECORD_MEMBERS(DBImageThumbnail);

    int id = 0;
    QString fullPath;
    QDateTime mediaModifyDate;
    QByteArray thumbnail; // a complete 24-bit BMP file
    QDateTime recordTimestamp;
};

// Tables OnlineImageThumbnail: the same row as DBImageThumbnail.
class VELORIN_EXPORT DBOnlineImageThumbnail : public DBImageThumbnail
{
public:
    VELORIN_RECORD_MEMBERS(DBOnlineImageThumbnail);
};

// Columns common to the local and the online album rows.
class VELORIN_EXPORT DBAlbumCommonInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBAlbumCommonInfo);

    int id = 0;
    QString name;
    QString description;
    QDateTime createTime;
    QByteArray thumbnail;
    QString albumGUID;
    QDateTime modifyTime;
    bool fIsDeleted = false;
    int albumRating = 0;
};

// Table AlbumInfo. The ss fields are the album's slide-show settings.
class VELORIN_EXPORT DBAlbumInfo : public DBAlbumCommonInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBAlbumInfo);

    QString category;
    int ssDuration = -1;
    int ssColor = -1;
    int ssTransition = -1;
    bool ssFIsMusicOn = false;
    int ssMusicCount = 0;
    QString ssMusicFullPathList;
    bool ssFIsRepeated = false;
    bool ssFIsShuffled = false;
};

// Table OnlineAlbumInfo.
class VELORIN_EXPORT DBOnlineAlbumInfo : public DBAlbumCommonInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBOnlineAlbumInfo);

    QString albumId;
    QString category;
};

// Table AlbumFileList: one photo of one album.
class VELORIN_EXPORT DBAlbumFileList
{
public:
    VELORIN_RECORD_MEMBERS(DBAlbumFileList);

    int id = 0;
    QString albumGUID;
    QString fullPath;
    int fileID = 0; // bound as an integer into a TEXT column
};

// Table OnlineAlbumFileList: the same row as DBAlbumFileList.
class VELORIN_EXPORT DBOnlineAlbumFileList : public DBAlbumFileList
{
public:
    VELORIN_RECORD_MEMBERS(DBOnlineAlbumFileList);
};

// Table TagList.
class VELORIN_EXPORT DBTagInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBTagInfo);

    int id = 0;
    QString tag;
    int count = 0;
};

// Table AddrList.
class VELORIN_EXPORT DBAddressInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBAddressInfo);

    int id = 0;
    QString addr;
    int count = 0;
    double latitude = velorin::NoLatitude;
    double longitude = velorin::NoLongitude;
    double altitude = velorin::NoAltitude;
};

// Table PeopleGroup.
class VELORIN_EXPORT DBPeopleGroup
{
public:
    VELORIN_RECORD_MEMBERS(DBPeopleGroup);

    int id = 0;
    QString name;
    QString description;
    QDateTime createTime;
    QByteArray thumbnail;
    QString peopleGroupGUID;
};

// Table PeopleGroupPeopleList: one person of one group.
class VELORIN_EXPORT DBPeopleGroupPeopleList
{
public:
    VELORIN_RECORD_MEMBERS(DBPeopleGroupPeopleList);

    int id = 0;
    QString peopleGroupGUID;
    QString peopleGUID;
};

// Table ImageFaceInfo: one face found in one photo.
class VELORIN_EXPORT DBImageFaceInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBImageFaceInfo);

    int id = 0;
    QString fullPath;
    int fileID = 0;
    QString peopleGUID;
    int left = 0; // face rectangle in image pixels
    int top = 0;
    int right = 0;
    int bottom = 0;
    int nameType = 0;
    QString name;
    QString excludingName;
    QByteArray AFRFaceFeature; // the face recogniser's data, opaque here
    QByteArray FaceThumbnail;
};

// Table PeopleFace: a face assigned to a person.
class VELORIN_EXPORT PEOPLE_FACE
{
public:
    VELORIN_RECORD_MEMBERS(PEOPLE_FACE);

    int id = 0;
    QString fullPath;
    int fileID = 0;
    QString peopleGUID;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    QString name;
    QByteArray FaceThumbnail;
};

// Table PeopleInfo (its face column has no field).
class VELORIN_EXPORT PEOPLE_INFO
{
public:
    VELORIN_RECORD_MEMBERS(PEOPLE_INFO);

    int id = 0;
    QString name;
    QString email;
    QString description;
    QString peopleGUID;
};

// Table VideoInfo. A row is found by fullPath together with markIn and
// markOut, so one file may have several rows (clips) that differ in marks.
class VELORIN_EXPORT DBVideoInfo : public DBBaseInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBVideoInfo);

    QString name;
    QString description;
    QString fullPath;
    qint64 fileSize = 0;
    QString format;
    QDateTime createDate;
    QDateTime accessDate;
    QDateTime modifyDate;
    int rating = 0;
    int resolutionX = 0;
    int resolutionY = 0;
    int duration = 0;
    int aspectRatioX = 0;
    int aspectRatioY = 0;
    QString artist;
    QString genre;
    QByteArray thumbnail;
    int year = 0;
    QDateTime lastPlayed;
    int mostPlayed = 0;
    bool fIsDeleted = false;
    bool fIsEdited = false;
    QString originalPath;
    bool fIsCaptured = false;
    int markIn = -1;
    int markOut = -1;
};

// Table VideoPlayList.
class VELORIN_EXPORT DBVideoPlayListInfo : public DBBaseInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBVideoPlayListInfo);

    QString name;
    QString description;
    QDateTime createTime;
    QByteArray thumbnail;
    QString albumGUID;
    QDateTime modifyTime;
    bool fIsDeleted = false;
    int rating = 0;
};

// Table VideoPlayListMapping: one video of one playlist.
class VELORIN_EXPORT DBVideoPlayListMappingInfo : public DBBaseInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBVideoPlayListMappingInfo);

    QString albumGUID;
    QString fullPath;
    int fileID = 0;
};

// A UPnP media server as the agent reports it; no table stores it.
class VELORIN_EXPORT DBUPnPServerInfo
{
public:
    VELORIN_RECORD_MEMBERS(DBUPnPServerInfo);

    int serverHandle = 0;
    QString serverName;
};
