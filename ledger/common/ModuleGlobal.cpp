#include "ledger/common/ModuleGlobal.h"

#include <cstdlib>
#include <filesystem>

#ifndef NV_SHARE_DIR
#define NV_SHARE_DIR "/usr/local/share/nivalo"
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

std::optional<std::string> FindResourcePath(std::string_view relative)
{
    std::error_code ec;
    for (const std::string& base : {DataFolderPath(), ShareFolderPath()}) {
        std::string p = base + std::string(relative);
        if (std::filesystem::exists(p, ec)) return p;
    }
    return std::nullopt;
}

std::string DbPathFor(const std::string& appFolderPath, std::string_view databaseName)
{
    std::string name = TrimRight(databaseName);
    if (name.empty()) name = kDefaultDatabaseName;
    if (name.front() == '/') return name;
    return WithSlash(appFolderPath) + name;
}

void ModuleGlobal::gsSetAppPath()
{
    AppPath = WithSlash(AppFolderPath);
}

void ModuleGlobal::gsSetDBPath()
{
    DbPath = DbPathFor(AppFolderPath, Settings.DatabaseName);
}

void ModuleGlobal::gsReadCompany()
{
    gsSetAppPath();
    CompanyFile f = ReadCompanyFile(AppPath + kCompanyFileName);
    std::string databaseName = Settings.DatabaseName;
    Settings = std::move(f.Settings);
    Settings.DatabaseName = std::move(databaseName);
    for (size_t i = 0; i < f.ItemLabels.size(); ++i) ItemLabels[i] = std::move(f.ItemLabels[i]);
    PortraitSummary = f.PortraitSummary;
    ScreenFlag = f.ScreenFlag;
    valueLines_ = std::move(f.ValueLines);
    read_ = true;
}

void ModuleGlobal::gsWriteCompany() const
{
    CompanyFile f;
    for (size_t i = 0; i < f.ItemLabels.size(); ++i)
        if (read_ || !ItemLabels[i].empty()) f.ItemLabels[i] = ItemLabels[i];
    f.Settings = Settings;
    f.PortraitSummary = PortraitSummary;
    f.ScreenFlag = ScreenFlag;
    f.ValueLines = valueLines_;
    WriteCompanyFile(WithSlash(AppFolderPath) + kCompanyFileName, f);
}

} // namespace nv
