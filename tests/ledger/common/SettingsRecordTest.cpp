// company.w1 against the database's record of the last save: which of the
// two a crash left behind, and the one case that is finished on the spot.
#include "ledger/common/CompanyFile.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/common/SettingsRecord.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace nv;

namespace {

std::string FileOf(int year, int month)
{
    CompanyFile f = DefaultCompanyFile(year);
    f.Settings.StartMonth = float(month);
    DeriveFiscalEnd(f.Settings);
    return FormatCompanyFile(f);
}

// The same settings under another first label: other bytes, the same start.
std::string Relabelled(std::string bytes)
{
    bytes.replace(bytes.find('\''), 1, "#");
    return bytes;
}

TEST(SettingsRecord, TheFileIsComparedWithTheSaveTheDatabaseRecorded)
{
    const std::string old = FileOf(2004, 10), saved = FileOf(2005, 4);
    std::string month13 = old;
    month13.replace(month13.find(" 2004  10  1 "), 13, " 2005  13  1 ");
    const struct {
        const char* what;
        bool record;
        std::string previous;
        std::optional<std::string> file;   // nullopt: no company.w1
        SettingsAgreement state;
        std::string after;
        const char* said;
        std::optional<std::string> recorded = {};   // the record's file, when not the save's
    } cases[] = {
        {"a database of an earlier version", false, old, old, SettingsAgreement::Unknown, old, ""},
        {"the file the save wrote", true, old, saved, SettingsAgreement::Agree, saved, ""},
        {"the save stopped before the file", true, old, old, SettingsAgreement::Finished, saved,
         "company.w1 を補助簿DBに合わせて書き直しました (期首 2005年4月1日)"},
        {"the first save stopped before the file", true, "", std::nullopt, SettingsAgreement::Finished, saved, ""},
        {"the file changed since, the same start", true, old, Relabelled(saved), SettingsAgreement::Agree,
         Relabelled(saved), ""},
        {"a start the database was not carried to", true, old, FileOf(2006, 4), SettingsAgreement::Differ,
         FileOf(2006, 4), "期首 2005年4月1日 の事業年度に繰り越されていますが、設定ファイル"},
        // A start the file does not hold is never compared: the save's file
        // comes back.
        {"the file lost", true, old, std::nullopt, SettingsAgreement::Restored, saved, "がありませんでした"},
        {"the file emptied", true, "", std::string(), SettingsAgreement::Restored, saved, "が空でした"},
        {"the file overwritten with bytes", true, old, std::string("\x89PNG\r\n\x1a\n"), SettingsAgreement::Restored,
         saved, "期首がなく"},
        {"a start of month 13", true, old, month13, SettingsAgreement::Restored, saved,
         "の期首を読めませんでした (company.w1 の 18 行目 (項目9"},
        // Put back only when whole and agreeing with itself; else nothing is
        // written.
        {"the file emptied, the record cut short", true, "", std::string(), SettingsAgreement::Lost, std::string(),
         "記録された設定ファイルが壊れています", saved.substr(0, 120)},
        {"the file emptied, the record's file of another start", true, "", std::string(), SettingsAgreement::Lost,
         std::string(), "2004年10月1日 が記録の期首 2005年4月1日 と違います", old},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        nvtest::TempDir dir;
        const std::string w1 = dir.file(kCompanyFileName);
        CreateEmptyLedgerDatabase(dir.file("補助簿DB.MDB"));
        Database db = OpenLedgerDatabase(dir.file("補助簿DB.MDB"));
        if (c.record) WriteSettingsRecord(db, {{2005, 4, 1}, c.recorded.value_or(saved), c.previous, {}});
        if (c.file) nvtest::WriteFileBytes(w1, *c.file);
        const SettingsCheck check = CheckSettingsAgainstDatabase(db, dir.path().string());
        EXPECT_EQ(check.State, c.state);
        EXPECT_NE(check.Message.find(c.said), std::string::npos) << check.Message;
        EXPECT_EQ(nvtest::ReadFileBytes(w1), c.after);
    }
}

} // namespace
