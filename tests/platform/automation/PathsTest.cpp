#include "platform/core/Paths.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace nv;
namespace fs = std::filesystem;

TEST(Paths, ResourcesComeFromTheDataFolderThenTheShareFolder)
{
    nvtest::TempDir dir;
    setenv("NIVALO_HOME", dir.path().c_str(), 1);
    // This test program runs in the build tree, whose share folder it uses.
    EXPECT_EQ(ShareFolderPath(), std::string(NV_BINARY_DIR) + "/share/");
    EXPECT_EQ(FindResourcePath("progids").value(), std::string(NV_BINARY_DIR) + "/share/progids");
    nvtest::WriteFileBytes(dir.path() / "progids", "");
    EXPECT_EQ(FindResourcePath("progids").value(), dir.file("progids"));
    EXPECT_FALSE(FindResourcePath("no/such/thing").has_value());
    unsetenv("NIVALO_HOME");
}

TEST(Paths, TheShareFolderIsFoundFromTheProgramsFolder)
{
    // Folders made under a prefix, the program's folder, the share folder expected.
    struct Row {
        const char* what;
        std::vector<const char*> folders;
        std::vector<const char*> files;
        const char* program;
        const char* share;
    };
    const Row rows[] = {
        {"installed", {"bin", "share/nivalo"}, {}, "bin", "share/nivalo/"},
        {"installed, a build tree's marker beside", {"bin", "share/nivalo"}, {"share/nivalo-build-tree"}, "bin",
         "share/nivalo/"},
        {"a build tree's program", {"bin", "share"}, {"share/nivalo-build-tree"}, "bin", "share/"},
        {"a build tree's test", {"tests", "share"}, {"share/nivalo-build-tree"}, "tests", "share/"},
        {"a share folder without the marker is no build tree's", {"bin", "share/PRINT"}, {"share/progids"}, "bin",
         "share/nivalo/"},
        {"nothing beside the program", {"bin"}, {}, "bin", "share/nivalo/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        nvtest::TempDir prefix;
        for (const char* f : row.folders) fs::create_directories(prefix.path() / f);
        for (const char* f : row.files) nvtest::WriteFileBytes(prefix.path() / f, "");
        EXPECT_EQ(ShareFolderPathFor(prefix.file(row.program) + "/"), prefix.file(row.share));
    }
    EXPECT_EQ(ShareFolderPathFor(""), "");
}
