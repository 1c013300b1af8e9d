// Which folder may include what: the engine and the ledger's common modules
// include no Qt header (nor our Qt layer), and platform/ includes nothing of
// the engine.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Rule {
    const char* folder;
    const char* forbidden; // what an #include target must not match
    const char* why;
};

const Rule kRules[] = {
    {"engine", R"(Q[A-Za-z0-9]*(\.h)?|Qt[A-Za-z0-9]*/.*|platform/qt/.*)", "a Qt header"},
    {"ledger/common", R"(Q[A-Za-z0-9]*(\.h)?|Qt[A-Za-z0-9]*/.*|platform/qt/.*)", "a Qt header"},
    {"platform", R"(engine/.*)", "the engine"},
};

// "file:line: #include ..." for every include below `root` that matches.
std::vector<std::string> Violations(const fs::path& root, const std::string& forbidden)
{
    static const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    const std::regex target(forbidden);
    std::vector<std::string> found;
    if (!fs::is_directory(root)) return found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".c")) continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            std::smatch m;
            if (std::regex_search(line, m, include) && std::regex_match(m[1].str(), target))
                found.push_back(entry.path().string() + ":" + std::to_string(n) + ": " + line);
        }
    }
    return found;
}

TEST(IncludeRules, EachFolderIncludesOnlyWhatItMay)
{
    for (const Rule& rule : kRules) {
        const auto found = Violations(fs::path(NV_SOURCE_DIR) / rule.folder, rule.forbidden);
        for (const std::string& v : found) ADD_FAILURE() << rule.folder << " includes " << rule.why << ": " << v;
    }
}

// The check itself catches what it is for, and nothing else.
TEST(IncludeRules, TheCheckFindsAForbiddenInclude)
{
    nvtest::TempDir dir;
    nvtest::WriteFileBytes(dir.path() / "a.cpp", "#include \"engine/core/File.h\"\n#include <string>\n");
    nvtest::WriteFileBytes(dir.path() / "b.h", "// QPainter is mentioned\n  #  include <QPainter>\n");
    fs::create_directories(dir.path() / "sub");
    nvtest::WriteFileBytes(dir.path() / "sub/c.cpp", "#include <QtGui/QImage>\n#include \"platform/qt/QtSurfaces.h\"\n");
    nvtest::WriteFileBytes(dir.path() / "d.txt", "#include <QPainter>\n");
    const auto qt = Violations(dir.path(), kRules[0].forbidden);
    ASSERT_EQ(qt.size(), 3u);
    const auto engine = Violations(dir.path(), kRules[2].forbidden);
    ASSERT_EQ(engine.size(), 1u);
    EXPECT_NE(engine[0].find("a.cpp:1:"), std::string::npos);
}

} // namespace
