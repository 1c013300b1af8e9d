// Which folder may include what, as the house is drawn: nothing includes a
// folder above it, the ledger components include nothing of each other, and
// the engine, the ledger's common modules and the automation layer include no
// Qt. CONTRIBUTING.md lists the same rules.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A Qt header, or one of our libraries built on Qt.
#define NV_QT R"(Q[A-Za-z0-9]*(\.h)?|Qt[A-Za-z0-9]*/.*|platform/(qt|ui|rows)/.*)"

struct Rule {
    const char* folder;    // below the source root, with everything under it
    const char* forbidden; // what a root-relative #include target must not match
    const char* what;      // for the failure message
    const char* planted;   // an include the rule must catch ...
    const char* allowed;   // ... and a neighbouring one it must let through
};

const Rule kRules[] = {
    {"engine", NV_QT, "Qt", "#include <QPainter>", "#include \"platform/gdi/DeviceContext.h\""},
    {"engine", R"((control|ledger|Viewer)/.*)", "the control, the ledger or the viewer",
     "#include \"control/CXForm.h\"", "#include \"ImageTool/ImgTool.h\""},
    {"platform", R"((engine|ImageTool|control|ledger|Viewer)/.*)", "a folder above it",
     "#include \"engine/core/File.h\"", "#include \"platform/core/Paths.h\""},
    {"platform/automation", NV_QT, "Qt", "#  include <QtCore/QVariant>", "#include \"platform/core/Cp932.h\""},
    {"ImageTool", R"((engine|control|ledger|Viewer)/.*)", "a folder above it",
     "#include \"engine/render/ImageDrawer.h\"", "#include \"platform/core/Paths.h\""},
    {"control", R"((ledger|Viewer)/.*)", "the ledger or the viewer", "#include \"Viewer/MainFrame.h\"",
     "#include \"engine/store/TvDocStore.h\""},
    {"Viewer", R"((ledger|control)/.*)", "the ledger or the control",
     "#include \"../../control/typelib/TvlError.h\"", "#include \"platform/qt/QtDeviceContext.h\""},
    {"ledger", R"(Viewer/.*|control/(?!typelib/).*)", "the viewer, or the control beyond its type library",
     "#include \"control/CInkplateCtrl.h\"", "#include \"control/typelib/TvlError.h\""},
    {"ledger/common", NV_QT, "Qt", "#include \"platform/ui/Prompt.h\"", "#include \"platform/db/Database.h\""},
    {"ledger/common", R"(ledger/(shell|master|journal)/.*)", "a ledger component",
     "#include \"ledger/journal/JournalBook.h\"", "#include \"ledger/common/CompanyFile.h\""},
    {"ledger/shell", R"(ledger/(master|journal)/.*)", "another ledger component",
     "#include \"ledger/master/PartyRegisterDialog.h\"", "#include \"ledger/shell/MenuForm.h\""},
    {"ledger/master", R"(ledger/(shell|journal)/.*)", "another ledger component",
     "#include \"ledger/journal/JournalBook.h\"", "#include \"ledger/common/CompanyFile.h\""},
    {"ledger/journal", R"(ledger/(shell|master)/.*)", "another ledger component",
     "#include \"ledger/shell/MenuForm.h\"", "#include \"engine/model/TvForm.h\""},
};

// "file:line: #include ..." for every include in a source file below
// root/folder whose target matches. A quoted target written relative to the
// including file ("../x.h", or a file beside it) counts as the root-relative
// path it names.
std::vector<std::string> Violations(const fs::path& root, const std::string& folder, const std::string& forbidden)
{
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    const std::regex target(forbidden);
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".c")) continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            std::string name = m[2].str();
            const fs::path beside = (entry.path().parent_path() / name).lexically_normal();
            if (m[1] == "\"" && (name.starts_with(".") || fs::exists(beside)))
                name = beside.lexically_relative(root).generic_string();
            if (std::regex_match(name, target))
                found.push_back(entry.path().string() + ":" + std::to_string(n) + ": " + line);
        }
    }
    return found;
}

TEST(IncludeRules, EachFolderIncludesOnlyWhatItMay)
{
    for (const Rule& rule : kRules) {
        ASSERT_TRUE(fs::is_directory(fs::path(NV_SOURCE_DIR) / rule.folder)) << rule.folder;
        for (const std::string& v : Violations(NV_SOURCE_DIR, rule.folder, rule.forbidden))
            ADD_FAILURE() << rule.folder << " includes " << rule.what << ": " << v;
    }
}

// Each rule catches its planted include, deep in its folder, and passes the
// allowed one beside it, a comment naming the forbidden header and a file that
// is not source.
TEST(IncludeRules, EachRuleCatchesAPlantedInclude)
{
    for (const Rule& rule : kRules) {
        SCOPED_TRACE(std::string(rule.folder) + ": " + rule.planted);
        nvtest::TempDir dir;
        const fs::path sub = dir.path() / rule.folder / "sub";
        fs::create_directories(sub);
        nvtest::WriteFileBytes(sub / "planted.cpp", std::string(rule.allowed) + "\n" + rule.planted + "\n// " +
                                                        rule.planted + "\n");
        nvtest::WriteFileBytes(sub / "notes.txt", std::string(rule.planted) + "\n");
        const auto found = Violations(dir.path(), rule.folder, rule.forbidden);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NE(found[0].find("planted.cpp:2: "), std::string::npos) << found[0];
    }
}

} // namespace
