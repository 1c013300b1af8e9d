// Every member the print procedures call by name resolves to the dispatch id
// the journal and the control agree on, on the real control.
#include "control/TypeLibrary.h"
#include "PrintFixture.h"
#include "platform/automation/Automation.h"

#include <cstdlib>

using namespace nv;
using namespace nvtest;

TEST(DrawingControlIds, NamesResolveToTheAgreedIds)
{
    EnsurePrintApp();
    setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
    ObjectRef ink(CreateObject("Tavelo.Inkplate"));
    unsetenv("NIVALO_PROGIDS");
    ASSERT_TRUE(ink);
    const struct { const InterfaceInfo* iface; const char* name; int32_t id; } table[] = {
        {&kITaveloDraw, "Initialize", 23},    {&kITaveloDraw, "Printer", 12},
        {&kITaveloDraw, "TvPrinters", 13},    {&kITaveloDraw, "OpenForm", 14},
        {&kITaveloDraw, "StartDocument", 15}, {&kITaveloDraw, "EndDocument", 16},
        {&kITaveloDraw, "AbortDocument", 17}, {&kITaveloDraw, "StartPrinter", 19},
        {&kITaveloDraw, "EndPrinter", 20},    {&kITaveloDraw, "AbortPrinter", 22},
        {&kITvPrinters, "Count", 1},          {&kITvPrinter, "Orientation", 3},
        {&kITvPrinter, "PaperSize", 4},       {&kITvPrinter, "PrintScale", 7},
        {&kITvForm, "TvLayers", 1},           {&kITvForm, "TvObjects", 8},
        {&kITvForm, "PrintOut", 22},          {&kITvForm, "ClearAllFields", 23},
        {&kITvForm, "Close", 24},             {&kITvLayers, "Item", 0},
        {&kITvObjects, "Item", 0},            {&kITvLayer, "VisibleAtPrint", 2},
        {&kITvObject, "Text", 2},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(row.iface->name) + "." + row.name);
        const MemberInfo* m = row.iface->Find(row.name);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->id, row.id);
        if (row.iface == &kITaveloDraw) { EXPECT_EQ(IdOfName(ink.Get(), row.name), row.id); }
    }
    // The plug-in's own copy of the table is the control's interface.
    ASSERT_NE(ink.Get()->TypeInfo(), nullptr);
    EXPECT_STREQ(ink.Get()->TypeInfo()->name, kITaveloDraw.name);
    // PrintScale is an Integer, the other two printer values Longs.
    EXPECT_EQ(kITvPrinter.Find("PrintScale")->type, VT_I2);
    EXPECT_EQ(kITvPrinter.Find("Orientation")->type, VT_I4);
}
