#pragma once
// Where the package's files are: the writable data folder that stands in for
// the program folder, the installed share folder, and the build tree's share
// folder (so programs run from the build tree find plug-ins, forms and help).
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// With a trailing slash: $NIVALO_HOME, else $XDG_DATA_HOME/nivalo/, else
// ~/.local/share/nivalo/.
std::string DataFolderPath();
// The installed read-only share folder, with a trailing slash.
std::string ShareFolderPath();
// The build tree's share folder, with a trailing slash.
std::string BuildShareFolderPath();
// A read-only resource ("PRINT/...", "HELP/...", the empty database
// template, the ProgID file): the data folder's copy first, then the share
// folder's, then the build tree's.
std::optional<std::string> FindResourcePath(std::string_view relative);

} // namespace nv
