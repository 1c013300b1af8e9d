#include "platform/core/DevMode.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nv;

namespace {

DevMode A4Portrait()
{
    DevMode m;
    m.deviceName = "Printer";
    m.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_SCALE;
    m.dmOrientation = DMORIENT_PORTRAIT;
    m.dmPaperSize = DMPAPER_A4;
    m.dmScale = 100;
    m.dmCopies = 1;
    m.formName = "A4";
    return m;
}

} // namespace

TEST(DevMode, BytesFollowTheRecordLayout)
{
    DevMode m = A4Portrait();
    m.dmPaperLength = 2970;
    m.dmTTOption = 3;
    m.dmCollate = 1;
    m.dmPanningHeight = 0x01020304;
    const DevModeBytes b = DevModeToBytes(m);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 8), std::string("Printer\0", 8));
    EXPECT_EQ(b[36] | (b[37] << 8), 156);           // dmSize
    EXPECT_EQ(b[40], DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE); // dmFields, low byte
    EXPECT_EQ(b[41], DM_COPIES >> 8);
    EXPECT_EQ(b[44], 1);                             // dmOrientation
    EXPECT_EQ(b[46], 9);                             // dmPaperSize
    EXPECT_EQ(b[48] | (b[49] << 8), 2970);           // dmPaperLength
    EXPECT_EQ(b[66], 3);                             // dmTTOption
    EXPECT_EQ(b[68], 1);                             // dmCollate
    EXPECT_EQ(b[70], 'A');                           // dmFormName
    EXPECT_EQ(b[71], '4');
    EXPECT_EQ(b[72], 0);
    EXPECT_EQ(b[152], 4);                            // dmPanningHeight
    EXPECT_EQ(b[155], 1);
    EXPECT_EQ(DevModeFromBytes(b.data(), b.size()), m);
}

TEST(DevMode, LongNamesAreCutAndShortInputIsZeroFilled)
{
    DevMode m = A4Portrait();
    m.formName = std::string(40, 'F');
    m.deviceName = std::string(33, 'D');
    const DevModeBytes b = DevModeToBytes(m);
    const DevMode back = DevModeFromBytes(b.data(), b.size());
    EXPECT_EQ(back.formName, std::string(32, 'F'));
    EXPECT_EQ(back.deviceName, std::string(32, 'D'));

    const DevMode part = DevModeFromBytes(b.data(), 46); // ends before the paper size
    EXPECT_EQ(part.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(part.dmPaperSize, 0);
    EXPECT_EQ(DevModeFromBytes(nullptr, 100).dmSize, 0);
}

TEST(DevMode, WhichFieldsMakeAnotherMode)
{
    struct Case {
        const char* field;
        std::function<void(DevMode&)> change;
        bool same;
    };
    const Case cases[] = {
        {"orientation", [](DevMode& m) { m.dmOrientation = DMORIENT_LANDSCAPE; }, false},
        {"paper size", [](DevMode& m) { m.dmPaperSize = DMPAPER_A3; }, false},
        {"paper length", [](DevMode& m) { m.dmPaperLength = 2000; }, false},
        {"paper width", [](DevMode& m) { m.dmPaperWidth = 1000; }, false},
        {"copies", [](DevMode& m) { m.dmCopies = 2; }, false},
        {"default source", [](DevMode& m) { m.dmDefaultSource = DMBIN_AUTO; }, false},
        {"print quality", [](DevMode& m) { m.dmPrintQuality = 600; }, false},
        {"colour", [](DevMode& m) { m.dmColor = DMCOLOR_MONOCHROME; }, false},
        {"duplex", [](DevMode& m) { m.dmDuplex = DMDUP_VERTICAL; }, false},
        {"y resolution", [](DevMode& m) { m.dmYResolution = 300; }, false},
        {"TrueType option", [](DevMode& m) { m.dmTTOption = 2; }, false},
        {"form name", [](DevMode& m) { m.formName = "A3"; }, false},
        {"form name within 32 bytes", [](DevMode& m) { m.formName = std::string(31, 'x') + "y"; }, false},
        {"scale", [](DevMode& m) { m.dmScale = 50; }, true},
        {"collate", [](DevMode& m) { m.dmCollate = 1; }, true},
        {"field mask", [](DevMode& m) { m.dmFields = 0; }, true},
        {"device name", [](DevMode& m) { m.deviceName = "Other"; }, true},
        {"spec version", [](DevMode& m) { m.dmSpecVersion = 0x0300; }, true},
        {"log pixels", [](DevMode& m) { m.dmLogPixels = 96; }, true},
        {"panning", [](DevMode& m) { m.dmPanningWidth = 5; }, true},
    };
    for (const Case& c : cases) {
        DevMode a = A4Portrait();
        a.formName = std::string(31, 'x') + "x";
        DevMode b = a;
        c.change(b);
        EXPECT_EQ(SameOutputMode(a, b), c.same) << c.field;
        EXPECT_EQ(SameOutputMode(b, a), c.same) << c.field;
    }
}

TEST(DevMode, FormNamesCompareOverTheirFirst32BytesOnly)
{
    DevMode a = A4Portrait(), b = A4Portrait();
    a.formName = std::string(32, 'n') + "tail one";
    b.formName = std::string(32, 'n') + "another";
    EXPECT_TRUE(SameOutputMode(a, b));
    a.formName = std::string("A4\0junk", 7);
    b.formName = "A4";
    EXPECT_TRUE(SameOutputMode(a, b));
}
