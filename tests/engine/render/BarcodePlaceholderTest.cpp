#include <gtest/gtest.h>

#include "engine/render/BarcodePlaceholder.h"
#include "platform/gdi/RecordingDc.h"

using namespace nv;

TEST(BarcodePlaceholder, ThinAndThickStripsAlongTheRun)
{
    RecordingDc dc;
    DrawBarcodePlaceholder(dc, {0, 0, 100, 20}, 1, 1, 100);
    auto r = dc.CallsOf("Rectangle");
    // 25 thin strips every 4 pixels, then thick ones from 1 every 12 pixels.
    ASSERT_EQ(r.size(), 25u + 9u);
    EXPECT_EQ(r[0].args, (std::vector<int32_t>{0, 0, 1, 20}));
    EXPECT_EQ(r[1].args, (std::vector<int32_t>{4, 0, 5, 20}));
    EXPECT_EQ(r[25].args, (std::vector<int32_t>{1, 0, 3, 20}));
    EXPECT_EQ(r[26].args, (std::vector<int32_t>{13, 0, 15, 20}));
    dc.Clear();
    DrawBarcodePlaceholder(dc, {0, 0, 20, 100}, 2, 1, 100);
    EXPECT_EQ(dc.CallsOf("Rectangle")[0].args, (std::vector<int32_t>{0, 0, 20, 1}));
    dc.Clear();
    DrawBarcodePlaceholder(dc, {0, 0, 100, 20}, 1, 1, 0); // zoom 0 still ends
    EXPECT_FALSE(dc.CallsOf("Rectangle").empty());
}

TEST(BarcodePlaceholder, CustomerBarcodeBarKinds)
{
    RecordingDc dc;
    DrawBarcodePlaceholder(dc, {0, 0, 30, 30}, 1, 6, 100);
    auto r = dc.CallsOf("Rectangle");
    // Pitch 10, width 5: kinds 1 (full), 3 (lower two thirds), 2 (upper).
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].args, (std::vector<int32_t>{0, 0, 5, 30}));
    EXPECT_EQ(r[1].args, (std::vector<int32_t>{10, 10, 15, 30}));
    EXPECT_EQ(r[2].args, (std::vector<int32_t>{20, 0, 25, 20}));
    dc.Clear();
    DrawBarcodePlaceholder(dc, {0, 0, 30, 30}, 3, 6, 100); // upside down: 2 and 3 swap
    EXPECT_EQ(dc.CallsOf("Rectangle")[1].args, (std::vector<int32_t>{10, 0, 15, 20}));
}
