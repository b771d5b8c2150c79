// The catalogue load reads image rows straight from SQLite instead of
// through QSqlQuery; whatever a column holds, each field must come out as
// readRecord() makes it of the driver's value.

#include <ctime>

#include <QSqlQuery>

#include <velorin/velorin.h>

#include "support/photofixtures.h"
#include "support/temphome.h"

namespace {

using ImageRowsTest = TempHomeTest;

TEST_F(ImageRowsTest, DirectReadGivesWhatTheQtSqlReaderGives)
{
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

    EXPECT_FALSE(table.selectRecords("select * from %1 where", [](DBImageInfo&&) {}));
    // Then again in the system's zone, as most applications run (TZ unset).
    for (bool zoneSet : {true, false}) {
        if (!zoneSet) {
            qunsetenv("TZ");
            tzset();
        }
        std::vector<DBImageInfo> viaQtSql;
        QSqlQuery q(table.getDatabase());
        ASSERT_TRUE(q.exec(QStringLiteral("select * from ImageInfo")));
        while (q.next())
            ImageInfoDB::readRecord(q, viaQtSql.emplace_back());
        std::vector<DBImageInfo> direct;
        EXPECT_TRUE(table.selectRecords("select * from %1", [&](DBImageInfo&& r) { direct.push_back(std::move(r)); }));
        ASSERT_EQ(direct.size(), std::size(dates) + 1);
        ASSERT_EQ(direct.size(), viaQtSql.size());
        for (size_t i = 0; i < direct.size(); ++i)
            EXPECT_EQ(describe(direct[i]), describe(viaQtSql[i])) << i << (zoneSet ? " Europe/Berlin" : " TZ unset");
    }
    table.closeConnection(); // the fixture gives TZ back
}

} // namespace
