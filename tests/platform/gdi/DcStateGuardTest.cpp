#include "platform/gdi/DcStateGuard.h"
#include "platform/gdi/RecordingDc.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace nv;

// However a drawing ends, the caller's state comes back and nothing stays
// saved; nested guards unwind in order.
TEST(DcStateGuard, PutsTheStateBackHoweverTheScopeEnds)
{
    RecordingDc dc;
    dc.SetTextColor(0x010203);
    try {
        DcStateGuard outer(dc);
        dc.SetTextColor(0x445566);
        DcStateGuard inner(dc);
        dc.SetTextColor(0x778899);
        EXPECT_EQ(dc.SaveDepth(), 2);
        throw std::runtime_error("drawing failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.State().textColour, 0x010203u);

    DcStateGuard guard(dc);
    dc.SetTextColor(0xABCDEF);
    EXPECT_TRUE(guard.Restore());
    EXPECT_EQ(dc.State().textColour, 0x010203u);
    EXPECT_FALSE(guard.Restore()); // once only
    EXPECT_EQ(dc.SaveDepth(), 0);
}
