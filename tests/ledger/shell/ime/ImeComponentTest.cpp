// The input-method component through its ProgID: hints on a line edit named
// by its handle, both spellings of the ProgID, unknown and stale handles.
#include "ledger/shell/ime/ImeComponent.h"
#include "platform/ui/WidgetHandle.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace nv;

namespace {

struct ImeComponentTest : ::testing::Test {
    nvtest::TempDir dir;
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "imetest";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
        std::string progids = dir.file("progids");
        std::ofstream(progids, std::ios::binary) << "NvZzIME.imeClass\t" NV_IME_PLUGIN "\timeClass\t\n";
        setenv("NIVALO_PROGIDS", progids.c_str(), 1);
    }
    void TearDown() override { unsetenv("NIVALO_PROGIDS"); }
};

TEST_F(ImeComponentTest, ModesBecomeHintsOnTheWidgetOfTheHandle)
{
    QLineEdit edit;
    const int32_t handle = ui::WidgetHandle(&edit);
    EXPECT_EQ(ui::WidgetHandle(&edit), handle);
    const struct { const char* progId; int32_t open, mode; bool latin; int recorded; } cases[] = {
        {"NvZzIME.imeClass", 0, 0, true, 0},  {"NvZzIME.imeClass", 1, 9, false, 9},
        {"NvZzIME.IMEClass", 0, 0, true, 0},  {"NvZzIME.IMEClass", 1, 3, false, 3},
        {"NvZzIME.imeClass", 1, 0, true, 0},  {"NvZzIME.imeClass", 1, 9, false, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + " " + std::to_string(c.open) + " " + std::to_string(c.mode));
        ObjectRef ime = CreateObject(c.progId);
        ime.Call("ChangeIMEModeEX", {Variant(handle), Variant(c.open), Variant(c.mode)});
        EXPECT_EQ(edit.inputMethodHints().testFlag(Qt::ImhPreferLatin), c.latin);
        EXPECT_EQ(edit.property(kImeModeProperty).toInt(), c.recorded);
    }
}

TEST_F(ImeComponentTest, UnknownAndStaleHandlesDoNothing)
{
    ObjectRef ime = CreateObject("NvZzIME.imeClass");
    int32_t stale = 0;
    {
        QLineEdit gone;
        stale = ui::WidgetHandle(&gone);
        EXPECT_EQ(ui::WidgetOfHandle(stale), &gone);
    }
    EXPECT_EQ(ui::WidgetOfHandle(stale), nullptr);
    for (int32_t h : {stale, 0, -5, 999999})
        EXPECT_NO_THROW(ime.Call("ChangeIMEModeEX", {Variant(h), Variant(int32_t{1}), Variant(int32_t{9})}));
    EXPECT_EQ(ui::WidgetHandle(nullptr), 0);
}

} // namespace
