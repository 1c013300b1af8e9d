#include "ledger/shell/DatabaseFiles.h"

#include "ledger/common/CompanyFile.h"
#include "platform/core/FileErrors.h"
#include "platform/core/FileReplacement.h"
#include "platform/core/Paths.h"
#include "platform/db/Database.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace nv {

namespace {

std::vector<char> ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DatabaseFileError(path + " を開けません: " + FileErrorText(errno, path));
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

[[noreturn]] void CannotCreate(const std::string& target, int err, const std::string& at)
{
    throw DatabaseFileError(target + " を作成できません: " + FileErrorText(err, at));
}

// Writes bytes to target through a file beside it, private to the owner;
// false when target is already there.
bool CreateFileOnce(const std::string& target, const std::vector<char>& bytes)
{
    FileReplacement file;
    if (file.Begin(target, NewFileMode::Private) && file.Write(std::string_view(bytes.data(), bytes.size())) &&
        file.CommitNew())
        return true;
    if (file.Failure().err == EEXIST && file.Failure().step == "link") return false;
    CannotCreate(target, file.Failure().err, target);
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
    // The books are their owner's.
    return CreateFileOnce(target, bytes);
}

bool CreateSettingsFile(const std::string& target, const LineDate& today)
{
    if (fs::exists(fs::symlink_status(target))) return false;
    CompanyFile file = DefaultCompanyFile(today.year);
    if (auto found = FindResourcePath(kCompanyFileName)) {
        const std::vector<char> shipped = ReadWhole(*found);
        file = ParseCompanyFileKeeping(std::string_view(shipped.data(), shipped.size()), today.year);
        if (!file.Problems.empty())
            throw DatabaseFileError("同梱の設定ファイル " + *found + " を使えません。\n" + DescribeProblems(file.Problems));
    }
    // The shipped file was made when the package was built: the first
    // fiscal year is the one running today.
    CompanySettings& s = file.Settings;
    const bool begun = today.month > int(s.StartMonth) || (today.month == int(s.StartMonth) && today.day >= int(s.StartDay));
    s.StartYear = float(begun ? today.year : today.year - 1);
    DeriveFiscalEnd(s);
    const std::string text = FormatCompanyFile(file);
    // The settings hold the owner's name and address.
    return CreateFileOnce(target, std::vector<char>(text.begin(), text.end()));
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
