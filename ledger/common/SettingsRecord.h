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
// be compared, and the next save writes the record when the start it saves
// is one the books hold (the file's own, or typed and carried to).
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
    // Why the stored text cannot be read (not the hex it is written as);
    // empty when it reads. Such a record tells nothing of the books.
    std::string Damage;
};

// The record; nullopt when the database has none.
std::optional<SettingsRecord> ReadSettingsRecord(Database& db);
// Stores the record (the table is made when missing), in the caller's
// transaction when there is one.
void WriteSettingsRecord(Database& db, const SettingsRecord& record);
// Removes the record, so that the database says nothing of the settings.
void ForgetSettingsRecord(Database& db);
// Why the record's file cannot be put back as company.w1: not a whole
// settings file, or its 期首 is not the start the record says the books were
// carried to. Empty when it can.
std::string RecordFault(const SettingsRecord& record);

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
    // The record cannot be read: nothing compared, nothing written; the next
    // save of 自社登録 replaces it.
    Damaged,
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
// Only a record whose file is whole and agrees with it is put back.
// Throws DbError when the record cannot be read; a file that cannot be
// written is said in Message.
SettingsCheck CheckSettingsAgainstDatabase(Database& db, const std::string& folder);

// "2005年4月1日"
std::string JapaneseDate(const LineDate& date);

} // namespace nv
