#include "platform/core/Paths.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace nv;

TEST(Paths, ResourcesFallBackToTheBuildTree)
{
    nvtest::TempDir dir;
    setenv("NIVALO_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(BuildShareFolderPath(), std::string(NV_BINARY_DIR) + "/share/");
    // The build tree's ProgID file is found without installing.
    EXPECT_EQ(FindResourcePath("progids").value(), std::string(NV_BINARY_DIR) + "/share/progids");
    nvtest::WriteFileBytes(dir.path() / "progids", "");
    EXPECT_EQ(FindResourcePath("progids").value(), dir.file("progids"));
    EXPECT_FALSE(FindResourcePath("no/such/thing").has_value());
    unsetenv("NIVALO_HOME");
}
