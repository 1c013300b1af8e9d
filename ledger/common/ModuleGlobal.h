#pragma once
// Module data every ledger component keeps for the length of one entry call:
// program folder, menu mode, database path and the company settings.
#include "ledger/common/CompanyFile.h"
#include "ledger/common/CompanySettings.h"
#include "platform/core/Paths.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// The database file of a settings name: trailing blanks trimmed, an absolute
// name as it stands, a relative one (or the default when empty) joined to the
// program folder.
std::string DbPathFor(const std::string& appFolderPath, std::string_view databaseName);

struct ModuleGlobal {
    std::string AppFolderPath;   // with a trailing slash
    int MenuMode = 0;            // 1 purchases, 2 sales, 3 DM
    std::string DbPath;
    std::string AppPath;
    std::array<std::string, 24> ItemLabels;   // CP932 label lines, 0-17 used
    CompanySettings Settings;
    float PortraitSummary = 0;
    float ScreenFlag = 0;

    // Items of company.w1 the last read could not take (each has its default).
    std::vector<CompanyFileError> ReadProblems;
    std::vector<CompanyFileError> ReadCautions;   // kept as read, but to be said
    // The fiscal start came from company.w1, not from the defaults.
    bool StartHeld = false;

    // Reads AppFolderPath/company.w1 into the labels, the settings (all but
    // DatabaseName), PortraitSummary and ScreenFlag. A value that cannot be
    // read, or cannot be, takes its default and is listed in ReadProblems.
    // Throws CompanyFileError and changes nothing when the file cannot be
    // read at all.
    void gsReadCompany();
    // Writes the current values back to AppFolderPath/company.w1 (labels and
    // untouched value lines as they were read).
    void gsWriteCompany() const;
    // The file gsWriteCompany writes.
    CompanyFile ToCompanyFile() const;
    std::string CompanyFilePath() const;
    void gsSetDBPath();
    void gsSetAppPath();

private:
    std::array<std::string, kCompanyItemCount> valueLines_;
    bool read_ = false;
};

} // namespace nv
