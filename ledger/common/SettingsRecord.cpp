#include "ledger/common/SettingsRecord.h"

#include "ledger/common/CompanyFile.h"
#include "platform/core/FileErrors.h"
#include "platform/db/DbError.h"

#include <sys/stat.h>

namespace nv {

namespace {

// The file is CP932 and the column text: its bytes go in as hex.
std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The bytes of hex; nullopt when it is not the hex Hex writes.
std::optional<std::string> FromHex(const std::string& hex)
{
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    if (hex.size() % 2) return std::nullopt;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += char(hi * 16 + lo);
    }
    return out;
}

std::string Table()
{
    return "\"" + std::string(kTableSettingsRecord) + "\"";
}

LineDate StartOf(const CompanySettings& s)
{
    return {int(s.StartYear), int(s.StartMonth), int(s.StartDay)};
}

} // namespace

std::string JapaneseDate(const LineDate& d)
{
    return std::to_string(d.year) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
}

std::optional<SettingsRecord> ReadSettingsRecord(Database& db)
{
    const DbValue tables =
        db.QueryValue("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?", {kTableSettingsRecord});
    if (IntegerOf(tables).value_or(0) == 0) return std::nullopt;
    const auto rows = db.Query("SELECT \"期首年\", \"期首月\", \"期首日\", \"設定ファイル\", \"前の設定ファイル\" FROM " +
                               Table() + " WHERE \"行\" = 1");
    if (rows.empty()) return std::nullopt;
    const auto& r = rows[0];
    SettingsRecord record;
    record.CarriedStart = {int(IntegerOf(r[0]).value_or(0)), int(IntegerOf(r[1]).value_or(0)),
                           int(IntegerOf(r[2]).value_or(0))};
    const std::optional<std::string> file = FromHex(TextOf(r[3]).value_or(""));
    const std::optional<std::string> previous = FromHex(TextOf(r[4]).value_or(""));
    if (!file || !previous) {
        record.Damage = std::string(kTableSettingsRecord) + " の記録の" + (file ? "前の設定ファイル" : "設定ファイル") +
                        "が16進の文字ではありません";
        return record;
    }
    record.FileBytes = *file;
    record.PreviousBytes = *previous;
    return record;
}

void ForgetSettingsRecord(Database& db)
{
    const DbValue tables =
        db.QueryValue("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?", {kTableSettingsRecord});
    if (IntegerOf(tables).value_or(0) > 0) db.Execute("DELETE FROM " + Table());
}

std::string RecordFault(const SettingsRecord& record)
{
    if (!record.Damage.empty()) return record.Damage;
    const CompanyFile file = ParseCompanyFileKeeping(record.FileBytes, ThisYear());
    if (!file.Problems.empty()) return "記録された設定ファイルが壊れています: " + std::string(file.Problems.front().what());
    if (!file.StartHeld) return "記録された設定ファイルに期首がありません";
    if (StartOf(file.Settings) != record.CarriedStart)
        return "記録された設定ファイルの期首 " + JapaneseDate(StartOf(file.Settings)) + " が記録の期首 " +
               JapaneseDate(record.CarriedStart) + " と違います";
    return {};
}

void WriteSettingsRecord(Database& db, const SettingsRecord& record)
{
    Transaction t(db);
    db.Execute("CREATE TABLE IF NOT EXISTS " + Table() +
               " (\"行\" INTEGER PRIMARY KEY CHECK (\"行\" = 1), \"期首年\" INTEGER NOT NULL,"
               " \"期首月\" INTEGER NOT NULL, \"期首日\" INTEGER NOT NULL, \"設定ファイル\" TEXT NOT NULL,"
               " \"前の設定ファイル\" TEXT NOT NULL) STRICT");
    db.Execute("INSERT OR REPLACE INTO " + Table() +
                   " (\"行\", \"期首年\", \"期首月\", \"期首日\", \"設定ファイル\", \"前の設定ファイル\")"
                   " VALUES (1, ?, ?, ?, ?, ?)",
               {int64_t{record.CarriedStart.year}, int64_t{record.CarriedStart.month},
                int64_t{record.CarriedStart.day}, Hex(record.FileBytes), Hex(record.PreviousBytes)});
    t.Commit();
}

SettingsCheck CheckSettingsAgainstDatabase(Database& db, const std::string& folder)
{
    SettingsCheck check;
    const std::optional<SettingsRecord> record = ReadSettingsRecord(db);
    if (!record) return check;
    check.Carried = record->CarriedStart;
    const std::string dbName = db.Path();
    if (!record->Damage.empty()) {
        check.State = SettingsAgreement::Damaged;
        check.Message = "補助簿DB " + dbName + " の自社設定の記録を読めません (" + record->Damage +
                        ")。自社登録を閉じると書き直します。";
        return check;
    }
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += kCompanyFileName;
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    // A file that cannot be read is said by the settings reader.
    if (exists && NotAFileText(path) != "") return check;
    const std::string bytes = exists ? ReadCompanyFileBytes(path) : std::string();
    if (bytes == record->FileBytes) {
        check.State = SettingsAgreement::Agree;
        return check;
    }
    const CompanyFile file = ParseCompanyFileKeeping(bytes, ThisYear());
    check.FileStart = StartOf(file.Settings);
    if (file.StartHeld && check.FileStart == check.Carried) {
        check.State = SettingsAgreement::Agree;
        return check;
    }
    // Put back only when whole and agreeing with itself: any other file
    // would make up a start the books were never carried to.
    const std::string fault = RecordFault(*record);
    // A missing file the save replaced nothing with is that save stopped
    // short; an emptied one is lost.
    const bool lost = !file.StartHeld && (bytes != record->PreviousBytes || (exists && bytes.empty()));
    if (lost || (!fault.empty() && !file.StartHeld)) {
        // Whatever start the reader made up, the books keep theirs: the
        // settings of the last save come back.
        std::string what = !exists ? " がありませんでした" : bytes.empty() ? " が空でした" : " に期首がなく、読めませんでした";
        for (const CompanyFileError& e : file.Problems)
            if (e.Item() == 9 || e.Item() == 10) {
                what = " の期首を読めませんでした (" + std::string(e.what()) + ")";
                break;
            }
        check.FileStart = check.Carried;
        std::string failure = fault;
        if (failure.empty()) {
            try {
                WriteCompanyFileBytes(path, record->FileBytes);
            } catch (const CompanyFileError& e) {
                failure = e.what();
            }
        }
        if (!failure.empty()) {
            check.State = SettingsAgreement::Lost;
            check.Message = "設定ファイル " + path + what + "。補助簿DB " + dbName +
                            " に記録された最後の設定に戻せません: " + failure + "。何も書き換えていません。";
            return check;
        }
        check.State = SettingsAgreement::Restored;
        check.Message = "設定ファイル " + path + what + "。補助簿DB " + dbName + " に記録された最後の設定 (期首 " +
                        JapaneseDate(check.Carried) + ") に戻しました。変更は自社登録で行えます。";
        return check;
    }
    if (bytes == record->PreviousBytes && fault.empty()) {
        // The save committed the database and stopped before the file was
        // replaced: the file it wrote is put in place now.
        check.State = SettingsAgreement::Finished;
        try {
            WriteCompanyFileBytes(path, record->FileBytes);
        } catch (const CompanyFileError& e) {
            check.State = SettingsAgreement::Differ;
            check.Message = "前回の自社登録の保存は、補助簿DB " + dbName + " に書き込んだ後、設定ファイルを書き換える前に中断されました。\n" +
                            "設定ファイルを書き直せません: " + e.what();
            return check;
        }
        check.FileStart = check.Carried;
        check.Message = "前回の自社登録の保存は、補助簿DB " + dbName + " に書き込んだ後、設定ファイルを書き換える前に中断されました。\n" +
                        "設定ファイル " + path + " を補助簿DBに合わせて書き直しました (期首 " +
                        JapaneseDate(check.Carried) + ")。";
        return check;
    }
    check.State = SettingsAgreement::Differ;
    check.Message = "補助簿DB " + dbName + " は期首 " + JapaneseDate(check.Carried) + " の事業年度に繰り越されていますが、" +
                    "設定ファイル " + path + " の期首は " + JapaneseDate(check.FileStart) + " です。";
    return check;
}

} // namespace nv
