#include "TestUserFolder.h"

#include "engine/core/UserFolder.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace nvtest {
namespace {

struct ProgramFolder {
    ProgramFolder() : owner(::getpid())
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "nvtest-user-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();   // a test would write into the real folder
        path = tmpl;
        nv::SetUserFolder(path);
    }
    ~ProgramFolder()
    {
        // A forked child that exits must not take its parent's folder.
        if (::getpid() != owner) return;
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    pid_t owner;
    std::string path;
};

ProgramFolder& Folder()
{
    static ProgramFolder folder;
    return folder;
}

[[maybe_unused]] const bool kMadeAtLoad = (Folder(), true);

} // namespace

const std::string& TestUserFolder()
{
    return Folder().path;
}

} // namespace nvtest
