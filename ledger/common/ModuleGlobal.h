#pragma once
// Module data every ledger component keeps for the length of one entry call:
// program folder, menu mode, database path and the company settings.
#include "ledger/common/CompanyFile.h"
#include "ledger/common/CompanySettings.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// The writable data folder that stands in for the program folder, with a
// trailing slash: $NIVALO_HOME, else $XDG_DATA_HOME/nivalo/, else
// ~/.local/share/nivalo/.
std::string DataFolderPath();
// The installed read-only share folder, with a trailing slash.
std::string ShareFolderPath();
// A read-only resource ("PRINT/...", "HELP/...", the empty database
// template): the data folder's copy first, then the share folder's.
std::optional<std::string> FindResourcePath(std::string_view relative);

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

    // Reads AppFolderPath/company.w1 into the labels, the settings (all but
    // DatabaseName), PortraitSummary and ScreenFlag. Throws CompanyFileError
    // and changes nothing on failure.
    void gsReadCompany();
    // Writes the current values back to AppFolderPath/company.w1 (labels and
    // untouched value lines as they were read).
    void gsWriteCompany() const;
    void gsSetDBPath();
    void gsSetAppPath();

private:
    std::array<std::string, kCompanyItemCount> valueLines_;
    bool read_ = false;
};

} // namespace nv
