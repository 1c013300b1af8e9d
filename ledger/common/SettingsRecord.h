#pragma once
// What the ledger database knows of company.w1, so that a crash between
// committing the database and replacing the settings file is found and
// mended: the fiscal start the database was carried to, and the settings
// file the same save wrote, with the one it replaced. The record is written
// in the transaction of the save or of the carry-forward; company.w1 is
// replaced after the commit.
//
// A database without the record (made by an older version, or never saved
// through 自社登録 since) is taken as agreeing with company.w1: nothing can
// be compared, and the next save writes the record.
#include "ledger/common/MonthFunctions.h"
#include "platform/db/Database.h"

#include <optional>
#include <string>

namespace nv {

inline constexpr const char* kTableSettingsRecord = "自社設定";

struct SettingsRecord {
    LineDate CarriedStart;       // the fiscal start of the database's opening lines
    std::string FileBytes;       // company.w1 as the save wrote it
    std::string PreviousBytes;   // company.w1 before (empty when there was none)
};

// The record; nullopt when the database has none.
std::optional<SettingsRecord> ReadSettingsRecord(Database& db);
// Stores the record (the table is made when missing), in the caller's
// transaction when there is one.
void WriteSettingsRecord(Database& db, const SettingsRecord& record);

enum class SettingsAgreement {
    Unknown,    // no record, or company.w1 cannot be read: nothing compared
    Agree,
    Finished,   // a save stopped before company.w1 was replaced: now replaced
    Differ,     // company.w1's start is not the one the database was carried to
    // company.w1 was missing, empty or held no fiscal start of its own: the
    // file of the database's last save was put back (Restored) or could not
    // be (Lost). Neither offers a carry-forward: a start the file did not
    // hold never moves the books.
    Restored,
    Lost,
};

struct SettingsCheck {
    SettingsAgreement State = SettingsAgreement::Unknown;
    LineDate Carried{};     // the database's start
    LineDate FileStart{};   // company.w1's start
    // For the user: what was found and what was done (empty for Unknown and
    // Agree). A Differ text ends before any advice, which the caller adds.
    std::string Message;
};

// Compares company.w1 of folder with the database's record. A save that
// stopped between the commit and the replacement of company.w1 (the file is
// still the one the save replaced, and its start is not the database's) is
// finished: the file the save wrote is put in place; so is a lost file.
// Throws DbError when the record cannot be read; a file that cannot be
// written is said in Message.
SettingsCheck CheckSettingsAgainstDatabase(Database& db, const std::string& folder);

// "2005年4月1日"
std::string JapaneseDate(const LineDate& date);

} // namespace nv
