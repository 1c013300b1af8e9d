// The engine is one shared library per process: the program and every
// plug-in it loads see the same class registry, temporary files and text
// measurer, and text measures without anyone setting the engine up.
#include "plugin/EngineUser.h"

#include "engine/core/ClassRegistry.h"
#include "engine/core/TempFileManager.h"
#include "engine/render/TextLayout.h"
#include "support/TestApp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct User {
    void* handle = nullptr;
    EngineUserReport report{};
};

void Load(User& user, const char* path, int mode, const std::string& folder)
{
    user.handle = dlopen(path, RTLD_NOW | mode);
    ASSERT_NE(user.handle, nullptr) << dlerror();
    auto run = reinterpret_cast<EngineUserRun>(dlsym(user.handle, "nv_engine_user_run"));
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run(folder.c_str(), &user.report), 1);
}

int32_t WidthOfAB()
{
    nv::TextLayout layout;
    nv::TextLayoutParams p;
    p.zen.height = p.han.height = 1000;
    p.bound = {0, 0, 2000000, 2000000};
    layout.Prepare(p);
    layout.Build("AB");
    return layout.Lines().at(0).width;
}

TEST(OneEngine, ProgramAndPlugInsShareTheEngineAndMeasureText)
{
    nvtest::EnsureGuiApp();
    nvtest::TempDir dir;
    User a, b;
    Load(a, NV_ENGINE_USER_A, RTLD_LOCAL, dir.path().string());
    Load(b, NV_ENGINE_USER_B, RTLD_GLOBAL, dir.path().string());

    EXPECT_EQ(a.report.roundTrip, 1);
    EXPECT_EQ(b.report.roundTrip, 1);
    for (const User* u : {&a, &b}) {
        EXPECT_EQ(u->report.registry, &nv::ClassRegistry::Instance());
        EXPECT_EQ(u->report.tempFiles, &nv::TempFileManager::Instance());
        EXPECT_EQ(u->report.measurer, nv::DefaultTextMeasurer());
        // IPA Mincho at 10 pt: two half-width characters are one em.
        EXPECT_EQ(u->report.textWidth, 200000);
    }
    EXPECT_EQ(WidthOfAB(), 200000);
    EXPECT_NE(std::string(a.report.tempFile), std::string(b.report.tempFile));

    // The files belong to the process, not to the library that asked.
    ASSERT_EQ(dlclose(a.handle), 0);
    ASSERT_EQ(dlclose(b.handle), 0);
    for (const User* u : {&a, &b}) {
        EXPECT_TRUE(fs::exists(u->report.tempFile));
        nv::TempFileManager::Instance().RemoveFile(u->report.tempFile);
        EXPECT_FALSE(fs::exists(u->report.tempFile));
    }
}

TEST(OneEngine, WithoutFontsCharactersStillTakeTheirCells)
{
    // Fonts need the application object; before it, text is laid out by
    // character cells rather than piled on one spot.
    if (QCoreApplication::instance()) GTEST_SKIP() << "the application object exists in this process";
    nv::MeasureFont font;
    font.height = 1000;
    nv::TextMeasurer& m = *nv::DefaultTextMeasurer();
    EXPECT_EQ(m.Measure(font, "A").cx, 500);
    EXPECT_EQ(m.Measure(font, "\x82\xA0").cx, 1000); // "あ"
    EXPECT_EQ(m.Measure(font, "A").cy, 1000);
}

} // namespace
