#pragma once
// The folder that holds this user's locks and work files: a folder no other
// local user can have made first, enter or write. The user's runtime folder
// (/run/user/<uid>) when the system gives one, else one under the home folder
// the password database names; never a shared temporary folder.
#include <string>

namespace nv {

// Checks that `path` is a folder (not a link) this user owns that no one else
// may write or enter, creating it (mode 0700) when missing and `create`.
// Empty on success, else the reason, naming the folder.
std::string CheckPrivateFolder(const std::string& path, bool create);

// The per-user folder, created when missing. Empty with `error` set when no
// safe folder can be had.
std::string UserFolder(std::string* error = nullptr);

// Puts the per-user folder elsewhere (tests; a host with its own place).
// An empty path goes back to the default.
void SetUserFolder(std::string path);

} // namespace nv
