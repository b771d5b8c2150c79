// Record defaults that later code relies on: the coordinate sentinels, the
// clip marks and the unset slide-show settings.

#include <velorin/velorin.h>

#include <gtest/gtest.h>

namespace {

template <class Record>
void expectNoPosition(const Record& r)
{
    EXPECT_EQ(r.latitude, 10000.0);
    EXPECT_EQ(r.longitude, 10000.0);
    EXPECT_EQ(r.altitude, -10000000.0);
}

TEST(Records, CoordinatesStartAtTheSentinels)
{
    expectNoPosition(DBImageInfo());
    expectNoPosition(DBOnlineImageInfo());
    expectNoPosition(DBAddressInfo());
}

TEST(Records, UnsetValuesThatAreNotZero)
{
    const DBVideoInfo video;
    EXPECT_EQ(video.markIn, -1);
    EXPECT_EQ(video.markOut, -1);
    const DBAlbumInfo album;
    EXPECT_EQ(album.ssDuration, -1);
    EXPECT_EQ(album.ssColor, -1);
    EXPECT_EQ(album.ssTransition, -1);
    EXPECT_TRUE(DBImageThumbnail().mediaModifyDate.isNull());
}

TEST(Records, CopiesAreIndependent)
{
    DBVideoInfo a;
    a.reserved1 = 11;
    a.reserved2 = 22;
    a.id = 33;
    a.fullPath = QStringLiteral("/v/a.mp4");
    a.thumbnail = QByteArray("BM...");
    DBVideoInfo b(a);
    b.thumbnail[0] = 'X';
    b.fullPath += QLatin1Char('x');
    EXPECT_EQ(b.reserved1, 11);
    EXPECT_EQ(b.reserved2, 22);
    EXPECT_EQ(b.id, 33);
    EXPECT_EQ(a.thumbnail, QByteArray("BM..."));
    EXPECT_EQ(a.fullPath, QStringLiteral("/v/a.mp4"));
    DBVideoInfo c;
    c = a;
    EXPECT_EQ(c.fullPath, a.fullPath);
}

} // namespace
