// The catalogue load reads image rows straight from SQLite instead of
// through QSqlQuery; whatever a column holds, each field must come out as
// readRecord() makes it of the driver's value.

#include <ctime>

#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

using ImageRowsTest = TempHomeTest;

void expectSameDate(const QDateTime& a, const QDateTime& b, int row)
{
    EXPECT_EQ(a.isValid(), b.isValid()) << row;
    EXPECT_EQ(a.timeSpec(), b.timeSpec()) << row;
    EXPECT_EQ(a.date(), b.date()) << row;
    EXPECT_EQ(a.time(), b.time()) << row;
    if (a.isValid() && b.isValid()) {
        EXPECT_EQ(a.toMSecsSinceEpoch(), b.toMSecsSinceEpoch()) << row;
    }
}

void expectSameText(const QString& a, const QString& b, int row)
{
    EXPECT_EQ(a, b) << row;
    EXPECT_EQ(a.isNull(), b.isNull()) << row;
}

TEST_F(ImageRowsTest, DirectReadGivesWhatTheQtSqlReaderGives)
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin"); // skipped and repeated hours
    tzset();
    ImageInfoDB table;
    ASSERT_TRUE(table.openConnection());
    ASSERT_TRUE(table.createTable());
    const char* const dates[] = {"'2021-06-01T12:00:00'", "'2021-03-28T02:30:00'", "'2021-10-31T02:30:00'",
                                 "'1969-07-20T20:17:40'", "'2021-06-01 12:00:00'", "'2021-06-01T12:00:00Z'",
                                 "'2021-06-01T12:00:00.500'", "'2021-02-30T10:00:00'", "'2021-06-01T24:00:00'",
                                 "'0000-01-01T00:00:00'", "'2021-06-01t12:00:00'", "NULL", "5"};
    for (const char* date : dates)
        selectRows(table, QStringLiteral("insert into ImageInfo values (NULL, 'a.jpg', '/p/a.jpg', 12, %1, 3, "
                                         "'x,y', NULL, '2021:06:01 12:00:00', 6, 1.5, -2.25, 100.0, 'Porto', 0, 0, "
                                         "1, '', 1, 0, 90)")
                              .arg(QLatin1String(date)));
    // Values of other storage classes than their columns': texts in number
    // columns, fractions, numbers beyond int, a blob, non-ASCII texts.
    selectRows(table, QStringLiteral("insert into ImageInfo values (2147483648, 'Ärger 😀.jpg', '/p/ä/b.jpg', -5, "
                                     "'2021-06-01T12:00:00', 'seven', '', '', 20210601, 2.7, 'north', NULL, 5, "
                                     "X'00ff', 2, NULL, 'yes', NULL, -1, 3000000000, '90')"));

    std::vector<DBImageInfo> viaQtSql;
    QSqlQuery q(table.getDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral("select * from ImageInfo")));
    while (q.next())
        ImageInfoDB::readRecord(q, viaQtSql.emplace_back());
    std::vector<DBImageInfo> direct;
    EXPECT_TRUE(table.selectRecords("select * from %1", [&](DBImageInfo&& r) { direct.push_back(std::move(r)); }));
    EXPECT_FALSE(table.selectRecords("select * from %1 where", [](DBImageInfo&&) {}));

    ASSERT_EQ(direct.size(), std::size(dates) + 1);
    ASSERT_EQ(direct.size(), viaQtSql.size());
    for (int i = 0; i < int(direct.size()); ++i) {
        const DBImageInfo& a = direct[i];
        const DBImageInfo& b = viaQtSql[i];
        EXPECT_EQ(a.id, b.id) << i;
        EXPECT_EQ(a.fileSize, b.fileSize) << i;
        expectSameDate(a.mediaModifyDate, b.mediaModifyDate, i);
        EXPECT_EQ(a.mediaRating, b.mediaRating) << i;
        EXPECT_EQ(a.orientation, b.orientation) << i;
        EXPECT_EQ(a.latitude, b.latitude) << i;
        EXPECT_EQ(a.longitude, b.longitude) << i;
        EXPECT_EQ(a.altitude, b.altitude) << i;
        using Text = QString DBImageInfo::*;
        for (Text text : {Text(&DBImageInfo::name), Text(&DBImageInfo::fullPath), Text(&DBImageInfo::mediaTag),
                          Text(&DBImageInfo::mediaComment), Text(&DBImageInfo::exifDate),
                          Text(&DBImageInfo::address), Text(&DBImageInfo::originalPath)})
            expectSameText(a.*text, b.*text, i);
        for (auto flag : {&DBImageInfo::faceDetected, &DBImageInfo::fIsDeleted, &DBImageInfo::fIsEdited,
                          &DBImageInfo::fIsPhotoRoll, &DBImageInfo::fIsLocalLost})
            EXPECT_EQ(a.*flag, b.*flag) << i;
        EXPECT_EQ(a.fRotateAngle, b.fRotateAngle) << i;
    }
    table.closeConnection();
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}

} // namespace
