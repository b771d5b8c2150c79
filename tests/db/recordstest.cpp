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

} // namespace
