#include "platform/core/Paths.h"

#include <cstdlib>
#include <filesystem>

// The share folder relative to the programs' folder, as the install lays
// them out; a relative path, so the package works wherever it is put.
#ifndef NV_SHARE_FROM_BIN
#define NV_SHARE_FROM_BIN "../share/nivalo"
#endif

namespace nv {

namespace fs = std::filesystem;

namespace {

// An empty folder stays empty: names then resolve in the current folder.
std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

std::string DataFolderPath()
{
    std::string home = Env("NIVALO_HOME");
    if (!home.empty()) return WithSlash(home);
    std::string xdg = Env("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') return WithSlash(xdg) + "nivalo/";
    std::string user = Env("HOME");
    if (user.empty()) user = ".";
    return WithSlash(user) + ".local/share/nivalo/";
}

std::string AnchorDataFolder()
{
    const std::string folder = DataFolderPath();
    if (!folder.empty() && folder.front() == '/') return folder;
    std::error_code ec;
    const fs::path absolute = fs::absolute(folder, ec);
    if (ec) return folder;
    const std::string anchored = WithSlash(absolute.lexically_normal().string());
    // Where the folder came from HOME, NIVALO_HOME now says it as well.
    ::setenv("NIVALO_HOME", anchored.c_str(), 1);
    return anchored;
}

std::string ProgramFolderPath()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return WithSlash(exe.parent_path().string());
}

std::string ShareFolderPathFor(const std::string& programFolder)
{
    if (programFolder.empty()) return {};
    std::error_code ec;
    const fs::path installed = (fs::path(programFolder) / NV_SHARE_FROM_BIN).lexically_normal();
    if (fs::is_directory(installed, ec)) return WithSlash(installed.string());
    const fs::path buildTree = (fs::path(programFolder) / "../share").lexically_normal();
    if (fs::is_regular_file(buildTree / kBuildTreeMarker, ec)) return WithSlash(buildTree.string());
    return WithSlash(installed.string());
}

std::string ShareFolderPath()
{
    static const std::string share = ShareFolderPathFor(ProgramFolderPath());
    return share;
}

std::optional<std::string> FindResourcePath(std::string_view relative)
{
    std::error_code ec;
    for (const std::string& base : {DataFolderPath(), ShareFolderPath()}) {
        if (base.empty()) continue;
        std::string p = base + std::string(relative);
        if (fs::exists(p, ec)) return p;
    }
    return std::nullopt;
}

} // namespace nv
