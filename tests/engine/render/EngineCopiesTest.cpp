// Plug-ins link the engine statically, so a process may hold several copies
// of it. Each copy must work alone: its own class registry and temporary
// files, nothing of it visible outside, and its clean-up run when it is
// unloaded, as at exit.
#include "plugin/EngineCopy.h"

#include "engine/core/ClassRegistry.h"
#include "engine/core/TempFileManager.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Copy {
    void* handle = nullptr;
    EngineCopyReport report{};
};

void Load(Copy& copy, const char* path, int mode, const std::string& folder)
{
    copy.handle = dlopen(path, RTLD_NOW | mode);
    ASSERT_NE(copy.handle, nullptr) << dlerror();
    auto run = reinterpret_cast<EngineCopyRun>(dlsym(copy.handle, "nv_engine_copy_run"));
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run(folder.c_str(), &copy.report), 1);
    // No engine symbol leaves the library.
    EXPECT_EQ(dlsym(copy.handle, "_ZN2nv13ClassRegistry8InstanceEv"), nullptr);
    EXPECT_EQ(dlsym(copy.handle, "_ZN2nv15TempFileManager8InstanceEv"), nullptr);
}

TEST(EngineCopies, EachCopyWorksAloneAndCleansUpWhenUnloaded)
{
    nvtest::TempDir dir;
    Copy a, b;
    Load(a, NV_ENGINE_COPY_A, RTLD_LOCAL, dir.path().string());
    Load(b, NV_ENGINE_COPY_B, RTLD_GLOBAL, dir.path().string());

    EXPECT_EQ(a.report.roundTrip, 1);
    EXPECT_EQ(b.report.roundTrip, 1);
    EXPECT_NE(a.report.registry, b.report.registry);
    EXPECT_NE(a.report.registry, &nv::ClassRegistry::Instance());
    EXPECT_NE(a.report.tempFiles, b.report.tempFiles);
    EXPECT_NE(b.report.tempFiles, &nv::TempFileManager::Instance());
    EXPECT_NE(std::string(a.report.tempFile), std::string(b.report.tempFile));
    ASSERT_TRUE(fs::exists(a.report.tempFile));
    ASSERT_TRUE(fs::exists(b.report.tempFile));

    // Unloading one copy removes its files only.
    ASSERT_EQ(dlclose(a.handle), 0);
    EXPECT_FALSE(fs::exists(a.report.tempFile));
    EXPECT_TRUE(fs::exists(b.report.tempFile));
    ASSERT_EQ(dlclose(b.handle), 0);
    EXPECT_FALSE(fs::exists(b.report.tempFile));
}

} // namespace
