#include "ledger/common/ModuleGlobal.h"

#include <cstdlib>
#include <filesystem>

namespace nv {

namespace {

// An empty folder stays empty: names then resolve in the current folder.
std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

} // namespace

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
    ReadProblems = std::move(f.Problems);
    ReadCautions = std::move(f.Cautions);
    StartHeld = f.StartHeld;
    read_ = true;
}

CompanyFile ModuleGlobal::ToCompanyFile() const
{
    CompanyFile f;
    for (size_t i = 0; i < f.ItemLabels.size(); ++i)
        if (read_ || !ItemLabels[i].empty()) f.ItemLabels[i] = ItemLabels[i];
    f.Settings = Settings;
    f.PortraitSummary = PortraitSummary;
    f.ScreenFlag = ScreenFlag;
    f.ValueLines = valueLines_;
    return f;
}

std::string ModuleGlobal::CompanyFilePath() const
{
    return WithSlash(AppFolderPath) + kCompanyFileName;
}

void ModuleGlobal::gsWriteCompany() const
{
    WriteCompanyFile(CompanyFilePath(), ToCompanyFile());
}

} // namespace nv
