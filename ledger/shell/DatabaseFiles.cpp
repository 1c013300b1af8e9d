#include "ledger/shell/DatabaseFiles.h"

#include "ledger/common/CompanyFile.h"
#include "platform/core/Paths.h"
#include "platform/db/Database.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace nv {

namespace {

std::vector<char> ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DatabaseFileError(path + " を開けません");
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw DatabaseFileError(path + " を読めません");
    return bytes;
}

std::string Absolute(const std::string& folder, const std::string& name)
{
    fs::path p(name);
    if (p.is_relative()) p = fs::path(folder) / p;
    return p.lexically_normal().string();
}

// Writes bytes to target through a temporary file; false when target is
// already there.
bool CreateFileOnce(const std::string& target, const std::vector<char>& bytes, mode_t mode)
{
    std::string temp = target + ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out || ::chmod(temp.c_str(), mode) != 0) {
            out.close();
            std::remove(temp.c_str());
            throw DatabaseFileError(target + " を作成できません");
        }
    }
    // A hard link fails when target appeared meanwhile, where a rename would
    // replace it.
    int rc = ::link(temp.c_str(), target.c_str());
    int err = errno;
    std::remove(temp.c_str());
    if (rc != 0) {
        if (err == EEXIST) return false;
        throw DatabaseFileError(target + " を作成できません: " + std::strerror(err));
    }
    return true;
}

} // namespace

bool CreateDatabaseFromTemplate(const std::string& target)
{
    if (fs::exists(fs::symlink_status(target))) return false;
    std::vector<char> bytes;
    if (auto found = FindResourcePath(kLedgerTemplateName)) {
        bytes = ReadWhole(*found);
    } else {
        auto builtIn = BuiltInLedgerTemplate();
        bytes.assign(builtIn.begin(), builtIn.end());
    }
    return CreateFileOnce(target, bytes, 0644);
}

bool CreateSettingsFile(const std::string& target, int year)
{
    if (fs::exists(fs::symlink_status(target))) return false;
    std::vector<char> bytes;
    if (auto found = FindResourcePath(kCompanyFileName)) {
        bytes = ReadWhole(*found);
    } else {
        const std::string text = FormatCompanyFile(DefaultCompanyFile(year));
        bytes.assign(text.begin(), text.end());
    }
    // The settings hold the owner's name and address.
    return CreateFileOnce(target, bytes, 0600);
}

void BackupDatabase(const std::string& folder, const std::string& source, const std::string& target)
{
    std::string from = Absolute(folder, source);
    std::string to = Absolute(folder, target);
    std::error_code ec;
    if (from == to || (fs::exists(to, ec) && fs::equivalent(from, to, ec)))
        throw DatabaseFileError("補助簿DBそのものにはバックアップできません: " + to);
    if (!fs::is_regular_file(from, ec)) throw DatabaseFileError("補助簿DBがありません: " + from);
    try {
        Database db = Database::Open(from, OpenMode::ReadOnly);
        db.BackupTo(to);
    } catch (const std::exception& e) {
        throw DatabaseFileError("バックアップを作成できません: " + to + "\n" + e.what());
    }
}

} // namespace nv
