// No library or program of ours defines a dynamic symbol that a library it
// links defines too (FreeType, Qt, SQLite, libtiff, libgsf, the C library,
// ...): where both do, the dynamic linker binds every caller in the process,
// that library's own included, to whichever it finds first, so the other
// library's behaviour would change with link order and break unseen when
// either changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// The dynamic symbols `file` defines, by name without version; `strongOnly`
// leaves out weak ones (inline functions and template instances, which every
// user of a header may define alike) and the slots the linker made in a
// program for a library's data (copy relocations), which define nothing.
std::set<std::string> Defined(const fs::path& file, bool strongOnly)
{
    std::set<std::string> copied;
    if (strongOnly) {
        std::istringstream relocs(Output("readelf -rW " + Quoted(file) + " 2>/dev/null"));
        for (std::string line; std::getline(relocs, line);)
            if (line.find("_COPY") != std::string::npos) {
                std::istringstream words(line);
                std::string w, last;
                for (int i = 0; words >> w; ++i)
                    if (i == 4) last = w;
                copied.insert(last.substr(0, last.find('@')));
            }
    }
    std::set<std::string> names;
    std::istringstream lines(Output("nm -D --defined-only " + Quoted(file) + " 2>/dev/null"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string address, type, name;
        if (!(words >> address >> type >> name)) continue;
        if (strongOnly && (type == "W" || type == "V" || type == "w" || type == "v" || type == "u" || type == "A"))
            continue;
        name = name.substr(0, name.find('@'));
        // Marks the linker puts in every library and program (the ends of
        // its data), which define no function or object of anyone's.
        static const std::set<std::string> kLinkerMarks{"__bss_start", "_edata", "_end", "_init", "_fini"};
        if (strongOnly && kLinkerMarks.count(name)) continue;
        if (!copied.count(name)) names.insert(name);
    }
    return names;
}

// The libraries outside `ours` that `file` links, directly or through others.
std::vector<fs::path> LinkedOutside(const fs::path& file, const fs::path& ours)
{
    std::vector<fs::path> libraries;
    std::istringstream lines(Output("ldd " + Quoted(file) + " 2>/dev/null"));
    for (std::string line; std::getline(lines, line);) {
        const size_t arrow = line.find("=> /");
        if (arrow == std::string::npos) continue;
        const std::string path = line.substr(arrow + 3, line.find(" (", arrow) - arrow - 3);
        if (path.rfind(ours.string(), 0) != 0) libraries.emplace_back(path);
    }
    return libraries;
}

// "file: name (also in library)" for each symbol `file` defines that a
// library it links outside `ours` defines too.
std::vector<std::string> TakenOver(const fs::path& file, const fs::path& ours)
{
    static std::map<fs::path, std::set<std::string>> theirs;
    std::vector<std::string> found;
    const std::set<std::string> defined = Defined(file, true);
    for (const fs::path& library : LinkedOutside(file, ours)) {
        auto it = theirs.find(library);
        if (it == theirs.end()) it = theirs.emplace(library, Defined(library, false)).first;
        for (const std::string& name : defined)
            if (it->second.count(name))
                found.push_back(file.filename().string() + ": " + name + " (also in " + library.filename().string() + ")");
    }
    return found;
}

bool IsElf(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, 4) && std::string(magic, 4) == "\x7f" "ELF";
}

TEST(OwnSymbols, NoLibraryOrProgramDefinesWhatALibraryItLinksDefines)
{
    const fs::path build = NV_BINARY_DIR;
    int files = 0;
    std::vector<std::string> found;
    for (const char* folder : {"lib", "bin"})
        for (const auto& entry : fs::directory_iterator(build / folder)) {
            if (!entry.is_regular_file() || !IsElf(entry.path())) continue;
            ++files;
            for (std::string& f : TakenOver(entry.path(), build)) found.push_back(std::move(f));
        }
    EXPECT_GT(files, 10);
    EXPECT_EQ(found, std::vector<std::string>{});
}

// A module defining one of SQLite's functions while linking SQLite.
TEST(OwnSymbols, AFunctionAlsoDefinedByALinkedLibraryIsFound)
{
    const std::vector<std::string> found = TakenOver(NV_TAKES_OVER_MODULE, NV_BINARY_DIR);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].find("sqlite3_libversion (also in libsqlite3"), std::string::npos) << found[0];
}

} // namespace
