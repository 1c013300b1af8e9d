#include "ledger/common/ModuleGlobal.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace nv;

namespace {

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
public:
    void Set(const char* name, const char* value)
    {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvGuard()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(ProgramFolder, DataFolderFromTheEnvironment)
{
    EnvGuard env;
    env.Set("NIVALO_HOME", "/srv/books");
    EXPECT_EQ(DataFolderPath(), "/srv/books/");
    env.Set("NIVALO_HOME", nullptr);
    env.Set("XDG_DATA_HOME", "/home/u/.data");
    EXPECT_EQ(DataFolderPath(), "/home/u/.data/nivalo/");
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("HOME", "/home/u");
    EXPECT_EQ(DataFolderPath(), "/home/u/.local/share/nivalo/");
}

TEST(ProgramFolder, ResourcesAreFoundInTheDataFolderFirst)
{
    nvtest::TempDir dir;
    EnvGuard env;
    env.Set("NIVALO_HOME", dir.path().c_str());
    EXPECT_FALSE(FindResourcePath("PRINT/nothing-here.tvf").has_value());
    std::filesystem::create_directories(dir.path() / "PRINT");
    nvtest::WriteFileBytes(dir.path() / "PRINT" / "仕入れ.tvf", "x");
    EXPECT_EQ(FindResourcePath("PRINT/仕入れ.tvf").value(), dir.file("PRINT/仕入れ.tvf"));
}

TEST(ProgramFolder, DbPathJoinsRelativeNamesOnly)
{
    EXPECT_EQ(DbPathFor("/d/", FixedText("補助簿DB.MDB", 50)), "/d/補助簿DB.MDB");
    EXPECT_EQ(DbPathFor("/d", "sub/x.MDB   "), "/d/sub/x.MDB");
    EXPECT_EQ(DbPathFor("/d/", "/abs/x.MDB"), "/abs/x.MDB");
    EXPECT_EQ(DbPathFor("/d/", "   "), "/d/補助簿DB.MDB");
    EXPECT_EQ(DbPathFor("", "x.MDB"), "x.MDB");
    std::string folder = "/a/very/long/folder/name/that/goes/on/and/on/";
    EXPECT_EQ(DbPathFor(folder, "補助簿データベースファイル.MDB"), folder + "補助簿データベースファイル.MDB");   // never cut
}

TEST(ModuleGlobal, ReadCompanyKeepsTheDatabaseNameAndFailsWhole)
{
    nvtest::TempDir dir;
    ModuleGlobal m;
    m.AppFolderPath = dir.path().string() + "/";
    m.Settings.DatabaseName = FixedText("/data/other.MDB", kDatabaseNameWidth);
    m.Settings.Term = 3;
    EXPECT_THROW(m.gsReadCompany(), CompanyFileError);
    EXPECT_EQ(m.Settings.Term, 3.0f);   // nothing half-filled

    CompanyFile f = DefaultCompanyFile(2024);
    f.Settings.Term = 12;
    f.Settings.OwnerName = FixedText("山田", kOwnerNameWidth);
    f.PortraitSummary = -1;
    f.ItemLabels[3] = "label";
    WriteCompanyFile(m.AppFolderPath + kCompanyFileName, f);
    m.gsReadCompany();
    EXPECT_EQ(m.Settings.Term, 12.0f);
    EXPECT_EQ(m.Settings.OwnerName, FixedText("山田", kOwnerNameWidth));
    EXPECT_TRUE(IsTrue(m.PortraitSummary));
    EXPECT_EQ(m.ItemLabels[3], "label");
    EXPECT_EQ(m.AppPath, m.AppFolderPath);
    m.gsSetDBPath();
    EXPECT_EQ(m.DbPath, "/data/other.MDB");

    std::string before = nvtest::ReadFileBytes(m.AppFolderPath + kCompanyFileName);
    m.gsWriteCompany();
    EXPECT_EQ(nvtest::ReadFileBytes(m.AppFolderPath + kCompanyFileName), before);
}

} // namespace
