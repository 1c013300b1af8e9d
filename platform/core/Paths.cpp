#include "platform/core/Paths.h"

#include <cstdlib>
#include <filesystem>

#ifndef NV_SHARE_DIR
#define NV_SHARE_DIR "/usr/local/share/nivalo"
#endif
#ifndef NV_BUILD_SHARE_DIR
#define NV_BUILD_SHARE_DIR ""
#endif

namespace nv {

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

std::string ShareFolderPath()
{
    return WithSlash(NV_SHARE_DIR);
}

std::string BuildShareFolderPath()
{
    return WithSlash(NV_BUILD_SHARE_DIR);
}

std::optional<std::string> FindResourcePath(std::string_view relative)
{
    std::error_code ec;
    for (const std::string& base : {DataFolderPath(), ShareFolderPath(), BuildShareFolderPath()}) {
        if (base.empty()) continue;
        std::string p = base + std::string(relative);
        if (std::filesystem::exists(p, ec)) return p;
    }
    return std::nullopt;
}

} // namespace nv
