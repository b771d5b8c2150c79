#pragma once

#include <velorin/velorin.h>

#include "support/temphome.h"

// A private HOME with this thread's connections to the video catalogue
// open for the test's length.
class VideoCatalogueTest : public TempHomeTest
{
protected:
    void SetUp() override
    {
        TempHomeTest::SetUp();
        getDatabaseService()->Initialize(false);
    }
    void TearDown() override
    {
        getDatabaseService()->UnInitialize();
        TempHomeTest::TearDown();
    }
    VideoInfoDB& table() { return *getDatabaseService()->getVideoInfoDB(); }
};
