#include "engine/core/UserFolder.h"

#include "platform/core/FileErrors.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nv {

namespace {

std::mutex gMutex;
std::string gOverride;

// The home folder of the user this process runs as, from the password
// database: HOME may name any folder, including one another user made.
std::string HomeFolder()
{
    struct passwd pw {};
    struct passwd* found = nullptr;
    std::vector<char> buf(16384);
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) != 0 || !found || !pw.pw_dir) return {};
    return pw.pw_dir;
}

std::string Reason(const std::string& path, const std::string& what) { return path + ": " + what; }

} // namespace

std::string CheckPrivateFolder(const std::string& path, bool create)
{
    if (path.empty() || path[0] != '/') return Reason(path, "絶対パスではありません");
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT || !create) return Reason(path, FileErrorText(errno, path));
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return Reason(path, FileErrorText(errno, path));
        if (::lstat(path.c_str(), &st) != 0) return Reason(path, FileErrorText(errno, path));
    }
    if (S_ISLNK(st.st_mode)) return Reason(path, "シンボリックリンクです");
    if (!S_ISDIR(st.st_mode)) return Reason(path, "フォルダではありません");
    if (st.st_uid != ::geteuid()) return Reason(path, "別のユーザーのフォルダです");
    if (st.st_mode & 077) return Reason(path, "ほかのユーザーが開いたり書き込んだりできるフォルダです");
    return {};
}

std::string UserFolder(std::string* error)
{
    std::string override;
    {
        std::lock_guard lock(gMutex);
        override = gOverride;
    }
    std::string why;
    if (!override.empty()) {
        why = CheckPrivateFolder(override, true);
        if (why.empty()) return override;
    } else {
        // The runtime folder the system made for this user; its place comes
        // from the user id, not from the environment, so that every process
        // of the user finds the same one.
        const std::string run = "/run/user/" + std::to_string(::geteuid());
        if (CheckPrivateFolder(run, false).empty()) {
            const std::string mine = run + "/nivalo";
            why = CheckPrivateFolder(mine, true);
            if (why.empty()) return mine;
        } else {
            const std::string home = HomeFolder();
            if (home.empty()) {
                why = "ユーザー " + std::to_string(::geteuid()) + " のホームフォルダがありません";
            } else {
                // Made step by step, each part checked as it is made.
                std::string folder = home + "/.local";
                struct stat st {};
                if (::lstat(folder.c_str(), &st) != 0) ::mkdir(folder.c_str(), 0700);
                folder += "/state";
                if (::lstat(folder.c_str(), &st) != 0) ::mkdir(folder.c_str(), 0700);
                folder += "/nivalo";
                why = CheckPrivateFolder(folder, true);
                if (why.empty()) return folder;
            }
        }
    }
    if (error) *error = why;
    return {};
}

void SetUserFolder(std::string path)
{
    std::lock_guard lock(gMutex);
    gOverride = std::move(path);
}

} // namespace nv
