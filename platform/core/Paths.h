#pragma once
// Where the package's files are: the writable data folder that stands in for
// the program folder, and the read-only share folder found from where the
// running program is, so an installed package works under any prefix and a
// build tree's programs work from the build tree.
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// The file name of the marker that makes a build tree's share folder one:
// only a program that runs in that tree (a folder beside its share folder)
// uses it.
inline constexpr const char* kBuildTreeMarker = "nivalo-build-tree";

// With a trailing slash: $NIVALO_HOME, else $XDG_DATA_HOME/nivalo/, else
// ~/.local/share/nivalo/.
std::string DataFolderPath();
// DataFolderPath made absolute against the current folder and kept so: a
// relative $NIVALO_HOME is replaced by its absolute form, so that neither a
// later change of folder nor a program started from here reads it again
// from elsewhere. A program calls it at start, before it changes folder.
std::string AnchorDataFolder();
// The running program's folder (from /proc/self/exe), with a trailing slash;
// empty when the system does not say.
std::string ProgramFolderPath();
// The read-only share folder, with a trailing slash: the installed one beside
// the program's folder ("../share/nivalo" from bin/) when it is there, else
// the build tree's ("../share" from bin/, tests/, bench/) when that carries
// the build tree's marker; else the installed place, found missing.
std::string ShareFolderPath();
// The share folder for a program in programFolder (with a trailing slash).
std::string ShareFolderPathFor(const std::string& programFolder);
// A read-only resource ("PRINT/...", "HELP/...", the empty database
// template, the ProgID file): the data folder's copy first, then the share
// folder's.
std::optional<std::string> FindResourcePath(std::string_view relative);

} // namespace nv
