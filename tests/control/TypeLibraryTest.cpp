#include "control/TypeLibrary.h"
#include "control/typelib/TvlEnums.h"
#include "control/typelib/TvlError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace nv;

TEST(TypeLibrary, PrintsAsTheGoldenFile)
{
    std::string golden = nvtest::ReadFileBytes(std::string(NV_SOURCE_DIR) + "/tests/control/typelib.golden");
    std::string printed = PrintTypeLibrary();
    EXPECT_EQ(printed, golden);
    if (printed != golden) {
        size_t i = 0;
        while (i < printed.size() && i < golden.size() && printed[i] == golden[i]) ++i;
        ADD_FAILURE() << "first difference at byte " << i << ": " << printed.substr(i > 40 ? i - 40 : 0, 120);
    }
}

TEST(TypeLibrary, IdsTheLedgerCallsBy)
{
    struct Row {
        const InterfaceInfo& info;
        const char* name;
        int32_t id;
    };
    const Row rows[] = {
        {kITaveloDraw, "Initialize", 23},  {kITaveloDraw, "Printer", 12},     {kITaveloDraw, "TvPrinters", 13},
        {kITaveloDraw, "OpenForm", 14},    {kITaveloDraw, "StartDocument", 15}, {kITaveloDraw, "EndDocument", 16},
        {kITaveloDraw, "AbortDocument", 17}, {kITaveloDraw, "StartPrinter", 19}, {kITaveloDraw, "EndPrinter", 20},
        {kITaveloDraw, "AbortPrinter", 22}, {kITaveloDraw, "AboutBox", -552},  {kITvPrinters, "Count", 1},
        {kITvPrinter, "Orientation", 3},   {kITvPrinter, "PaperSize", 4},     {kITvPrinter, "PrintScale", 7},
        {kITvForm, "TvLayers", 1},         {kITvForm, "TvObjects", 8},        {kITvForm, "PrintOut", 22},
        {kITvForm, "ClearAllFields", 23},  {kITvForm, "Close", 24},           {kITvLayers, "Item", 0},
        {kITvObjects, "_NewEnum", -4},     {kITvLayer, "VisibleAtPrint", 2},  {kITvObject, "Text", 2},
        {kITvObject, "ListText", 85},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const MemberInfo* m = r.info.Find(r.name);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->id, r.id);
        EXPECT_EQ(r.info.Find(r.id), m);
    }
    EXPECT_EQ(kITvPrinter.Find("PrintScale")->type, VT_I2);
    EXPECT_TRUE(kITaveloDraw.Find("hDC")->ReadOnly());
    EXPECT_TRUE(kITaveloEvents.members.empty());
}

TEST(TypeLibrary, IdsAreTablePositions)
{
    for (const InterfaceInfo* i : Interfaces()) {
        SCOPED_TRACE(i->name);
        int32_t next = 1;
        for (const MemberInfo& m : i->members) {
            if (m.id == DISPID_VALUE || m.id == DISPID_NEWENUM || m.id == DISPID_ABOUTBOX) continue;
            EXPECT_EQ(m.id, next++) << m.name;
        }
    }
}

TEST(TypeLibrary, EnumerationsMatchTheHeaders)
{
    EXPECT_EQ(Enumerations().size(), 24u);
    const EnumInfo* paper = FindEnumeration("tvlPaperSize");
    ASSERT_NE(paper, nullptr);
    ASSERT_EQ(paper->members.size(), 43u);
    EXPECT_STREQ(paper->members[3].name, "tvlPaperCSheet");
    EXPECT_EQ(paper->members[42].value, tvlPaperUser);
    for (const EnumMember& m : paper->members) EXPECT_NE(m.value, 42);
    const EnumInfo* duplex = FindEnumeration("tvlDuplex");
    EXPECT_STREQ(duplex->members[2].name, "tvlDupHorizonal");
    EXPECT_EQ(duplex->members[2].value, tvlDupHorizonal);
    const EnumInfo* error = FindEnumeration("tvlError");
    ASSERT_EQ(error->members.size(), 23u);
    EXPECT_EQ(error->members[22].value, tvlErrAddFormDenied);
    EXPECT_EQ(FindEnumeration("tvlFillPattern")->members[13].value, tvlFillPattern6);
    EXPECT_EQ(FindEnumeration("nothing"), nullptr);
}
