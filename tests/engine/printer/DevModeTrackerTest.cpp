#include "engine/printer/DevModeTracker.h"

#include <gtest/gtest.h>

#include <vector>

using namespace nv;

namespace {

struct RecordingTarget : PrinterModeTarget {
    std::vector<DevMode> calls;
    int failures = 0; // how many calls fail from now on
    bool ResetDC(const DevMode& mode) override
    {
        calls.push_back(mode);
        if (failures > 0) {
            --failures;
            return false;
        }
        return true;
    }
};

DevMode Mode(int16_t paper, int16_t orientation)
{
    DevMode m;
    m.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
    m.dmPaperSize = paper;
    m.dmOrientation = orientation;
    m.dmScale = 100;
    m.dmCopies = 1;
    return m;
}

} // namespace

TEST(DevModeTracker, StartsClearedAndResetsOnFirstCall)
{
    DevModeTracker t;
    EXPECT_TRUE(t.IsFirstCall());
    EXPECT_EQ(t.CachedMode().dmSize, 156);
    EXPECT_EQ(t.CachedMode().dmPaperSize, 0);
    RecordingTarget dc;
    // Even a mode equal to the cleared cache resets the first time.
    DevMode zero = t.CachedMode();
    EXPECT_EQ(t.ResetDCIfChanged(dc, zero), 1);
    EXPECT_EQ(dc.calls.size(), 1u);
    EXPECT_FALSE(t.IsFirstCall());
}

TEST(DevModeTracker, SameModeResetsOnce)
{
    DevModeTracker t;
    RecordingTarget dc;
    const DevMode a4 = Mode(DMPAPER_A4, DMORIENT_PORTRAIT);
    EXPECT_EQ(t.ResetDCIfChanged(dc, a4), 1);
    EXPECT_EQ(t.ResetDCIfChanged(dc, a4), 1);
    EXPECT_EQ(dc.calls.size(), 1u);
    DevMode scaled = a4;
    scaled.dmScale = 75;
    scaled.dmCollate = 1;
    EXPECT_EQ(t.ResetDCIfChanged(dc, scaled), 1);
    EXPECT_EQ(dc.calls.size(), 1u);
    EXPECT_EQ(t.ResetDCIfChanged(dc, Mode(DMPAPER_A4, DMORIENT_LANDSCAPE)), 1);
    EXPECT_EQ(t.ResetDCIfChanged(dc, Mode(DMPAPER_A3, DMORIENT_LANDSCAPE)), 1);
    EXPECT_EQ(dc.calls.size(), 3u);
    EXPECT_EQ(dc.calls.back().dmPaperSize, DMPAPER_A3);

    t.Reset();
    EXPECT_EQ(t.ResetDCIfChanged(dc, Mode(DMPAPER_A3, DMORIENT_LANDSCAPE)), 1);
    EXPECT_EQ(dc.calls.size(), 4u);
}

TEST(DevModeTracker, FormNameBeyond32BytesIsNoChange)
{
    DevModeTracker t;
    RecordingTarget dc;
    DevMode a = Mode(DMPAPER_USER, DMORIENT_PORTRAIT);
    a.formName = std::string(32, 'f') + "1";
    DevMode b = a;
    b.formName = std::string(32, 'f') + "2";
    t.ResetDCIfChanged(dc, a);
    t.ResetDCIfChanged(dc, b);
    EXPECT_EQ(dc.calls.size(), 1u);
}

TEST(DevModeTracker, RetriesOnceThenRemembersTheFailedMode)
{
    DevModeTracker t;
    RecordingTarget dc;
    dc.failures = 1;
    EXPECT_EQ(t.ResetDCIfChanged(dc, Mode(DMPAPER_A4, DMORIENT_PORTRAIT)), 1);
    EXPECT_EQ(dc.calls.size(), 2u);

    dc.failures = 2;
    const DevMode a3 = Mode(DMPAPER_A3, DMORIENT_PORTRAIT);
    EXPECT_EQ(t.ResetDCIfChanged(dc, a3), 0);
    EXPECT_EQ(dc.calls.size(), 4u);
    EXPECT_EQ(t.ResetDCIfChanged(dc, a3), 1); // not retried
    EXPECT_EQ(dc.calls.size(), 4u);
}

TEST(DevModeTracker, ShortModeReplacesOnlyItsOwnBytes)
{
    DevModeTracker t;
    RecordingTarget dc;
    DevMode full = Mode(DMPAPER_A4, DMORIENT_PORTRAIT);
    full.formName = "A4";
    full.dmYResolution = 600;
    t.ResetDCIfChanged(dc, full);

    // A mode of 64 bytes ends before the y resolution and the form name:
    // those keep what the cache held.
    DevMode shortMode = Mode(DMPAPER_A3, DMORIENT_PORTRAIT);
    shortMode.dmSize = 64;
    t.ResetDCIfChanged(dc, shortMode);
    EXPECT_EQ(t.CachedMode().dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(t.CachedMode().dmYResolution, 600);
    EXPECT_EQ(t.CachedMode().formName, "A4");
    EXPECT_EQ(t.CachedMode().dmSize, 64);
}
