#pragma once

#include <velorin/global.h>
#include <velorin/db/records.h>

#include <QMutex>
#include <QObject>
#include <QStringList>

// The library's places, kept in the AddrList table: each distinct place name
// once with the number of photos taken there and the position recorded when
// the place first appeared. A place's row exists while its count is at
// least 1; later photos at the same place never move it.
//
// Statements run on the calling thread's connection to the address table.
// Counting is a read followed by a write and is not atomic, so places are
// changed from one thread at a time.
class VELORIN_EXPORT KivPhotoAddresses : public QObject
{
    Q_OBJECT

public:
    explicit KivPhotoAddresses(QObject* parent = nullptr);
    ~KivPhotoAddresses() override;

    // Every place name, sorted in the collation order of the default locale.
    // Rebuilt on each call; the reference stays valid until the next.
    QStringList& getAllPhotoFilesAddressList();

    // One more photo at info.addr: its count goes up, or the place is stored
    // with count 1 and info's position. info.id and info.count are set from
    // the row; the position in info is not changed.
    bool addPhotoAddressToDB(DBAddressInfo& info);
    // The same as addPhotoAddressToDB.
    bool updatePhotoAddressToDB(DBAddressInfo& info);
    // One photo fewer at `addr`; its row goes when the count drops below 1.
    // An unknown place changes nothing and still gives true.
    bool deletePhotoAddressToDB(QString& addr);
    // The position and count stored for `addr` into out (its id and addr are
    // left alone); false, with out unchanged, when the place is unknown.
    bool GetGPSBy(QString& addr, DBAddressInfo& out);

private:
    QStringList addressList;
    // Not taken by any operation: callers keep place changes on one thread.
    QMutex mutex;
};
