#include "engine/format/UnitScaler.h"

#include <gtest/gtest.h>

#include <limits>

namespace nv {
namespace {

struct DeviceCase {
    int32_t dpi;
    int32_t zoom;
    int32_t doc;
    int32_t device;
};

// Document units to pixels truncate toward zero at every resolution.
const DeviceCase kToDevice[] = {
    {96, 100, 1440000, 96},   {96, 50, 1440000, 48},     {96, 200, 1440000, 192},
    {96, 100, 14999, 0},      {96, 100, 15000, 1},       {96, 100, -15000, -1},
    {96, 100, -14999, 0},     {300, 100, 4800, 1},       {300, 100, 4799, 0},
    {600, 100, 1440000, 600}, {600, 100, 56692, 23},     {72, 100, 20000, 1},
    {120, 75, 1440000, 90},   {360, 100, 11338582, 2834}, {1200, 100, 1440000, 1200},
};

TEST(UnitScaler, DocToDeviceTable)
{
    for (const DeviceCase& c : kToDevice) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, zoom " << c.zoom << ", " << c.doc);
        UnitScaler s(c.dpi, c.dpi, c.zoom);
        EXPECT_EQ(s.DocToDeviceX(c.doc), c.device);
        EXPECT_EQ(s.DocToDeviceY(c.doc), c.device);
        UnitScaler other(1, 1, c.zoom);
        EXPECT_EQ(other.DocToDeviceXAt(c.dpi, c.doc), c.device);
        EXPECT_EQ(other.DocToDeviceYAt(c.dpi, c.doc), c.device);
    }
}

TEST(UnitScaler, DeviceToDocTruncates)
{
    UnitScaler s(96, 300, 100);
    EXPECT_EQ(s.DeviceToDocX(96), 1440000);
    EXPECT_EQ(s.DeviceToDocY(300), 1440000);
    EXPECT_EQ(s.DeviceToDocX(1), 15000);
    EXPECT_EQ(s.DeviceToDocY(1), 4800);
    s.SetZoom(300);
    EXPECT_EQ(s.DeviceToDocX(1), 5000);
    EXPECT_EQ(s.DeviceToDocY(1), 1600);
    EXPECT_EQ(s.DeviceToDocY(-1), -1600);
    UnitScaler odd(7, 7, 100);
    EXPECT_EQ(odd.DeviceToDocX(1), 205714);  // 205714.28
    EXPECT_EQ(odd.DeviceToDocX(-1), -205714);
}

TEST(UnitScaler, PointsRectsAndCentiPoints)
{
    UnitScaler s;
    s.SetFromDC(96, 192, 100);
    EXPECT_EQ(s.ResolutionX(), 96);
    EXPECT_EQ(s.ResolutionY(), 192);
    EXPECT_EQ(s.DocToDevicePoint({1440000, 1440000}), (Point{96, 192}));
    EXPECT_EQ(s.DocToDeviceRect({15000, 15000, 1440000, 2880000}), (Rect{1, 2, 96, 384}));
    EXPECT_EQ(s.DeviceToDocPoint({96, 192}), (Point{1440000, 1440000}));
    EXPECT_EQ(s.DeviceToDocRect({1, 2, 96, 384}), (Rect{15000, 15000, 1440000, 2880000}));
    // 72 points (7200 hundredths) are one inch.
    EXPECT_EQ(s.CentiPointsToDeviceX(7200), 96);
    EXPECT_EQ(s.CentiPointsToDeviceY(7200), 192);
    EXPECT_EQ(s.CentiPointsToDevicePoint({1050, 1050}), (Point{14, 28}));
}

TEST(UnitScaler, DegenerateSettingsGiveNoUndefinedValues)
{
    UnitScaler zeroRes(0, 0, 100);
    EXPECT_EQ(zeroRes.DeviceToDocX(10), 0);
    EXPECT_EQ(zeroRes.DocToDeviceX(1440000), 0);
    UnitScaler zeroZoom(96, 96, 0);
    EXPECT_EQ(zeroZoom.DeviceToDocY(10), 0);
    // Results past 32 bits saturate.
    UnitScaler huge(1200, 1200, 1000000);
    EXPECT_EQ(huge.DocToDeviceX(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(huge.DocToDeviceX(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::min());
    UnitScaler tiny(1, 1, 1);
    EXPECT_EQ(tiny.DeviceToDocX(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(tiny.DeviceToDocX(2), 288000000);
}

} // namespace
} // namespace nv
