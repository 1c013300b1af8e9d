#pragma once
// The party table of one side (suppliers or customers) as the register keeps
// it: the columns it shows, searches, the next number, registering a party
// with its opening line, changing and deleting one with its lines. Every
// write is one transaction: it happens whole or not at all.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/FiscalPeriod.h"
#include "ledger/common/JournalSide.h"
#include "ledger/common/StatusText.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nv {

// The twelve columns the register shows and edits, in grid order.
enum PartyColumn : int {
    kPartyNo, kSearchKey, kKana, kName, kPostCode, kAddress, kPhone, kFax, kClosingDay, kBillingDay,
    kPaymentDay, kCarryForward, kPartyColumnCount
};
using PartyValues = std::array<DbValue, kPartyColumnCount>;
using PartyTexts = std::array<std::string, kPartyColumnCount>;

// The register's own words of a side.
struct RegisterWords {
    const char* FirstCaption;   // 仕入先の登録、検索と削除 / 売上先の登録、検索と削除
    const char* Caption;        // 仕入先の登録、検索、削除 / 顧客先の登録、検索、削除
    const char* Who;            // 仕入先 / 売上先
    const char* JournalWord;    // 仕入張 / 売上張
};
const RegisterWords& RegisterWordsOf(JournalSide side);
// The company's closing-day text for the side, as the settings hold it.
const std::string& CompanyClosingDayText(const CompanySettings& settings, JournalSide side);

// Column name of a party column on a side.
std::string PartyColumnName(const SideWords& words, int column);
// Width in characters of a text column (0 for the number and the amount).
size_t PartyTextWidth(int column);

// Typed input that cannot be stored; the message names the field.
class PartyInputError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// What people typed, as column values: texts within their widths and held by
// CP932; the number a whole 1-9,999,999, the amount whole yen within a Long
// (full-width digits too); an empty text is Null. Throws PartyInputError.
PartyValues ParsePartyTexts(const SideWords& words, const PartyTexts& texts);

// A search field: its name and its class (-1 text, 0 anything else).
struct SearchField {
    std::string name;
    int typeClass = 0;
};

inline constexpr const char* kSearchOperators[] = {"Like", "=", ">", ">=", "<", "<=", "<>"};

// A search the register cannot run (a field or an operator it does not know,
// a value that does not suit the column).
class SearchError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class PartyBook {
public:
    PartyBook(Database& db, const SideWords& words) : db_(db), words_(words) {}

    const SideWords& Words() const { return words_; }
    Database& Db() { return db_; }

    // Columns of the party table in table order, BLOB columns left out.
    std::vector<SearchField> SearchFields();
    // Every party, sorted by sort (a column name, or empty for table order).
    RecordSource AllRows(const std::string& sort = "");
    // Parties whose field compares to value: Like is "contains" on any
    // column, text comparisons ignore ASCII case; the value is always bound.
    RecordSource SearchRows(const std::string& field, const std::string& op, const std::string& value,
                            const std::string& sort);

    // The highest number of the whole table, or of the lines of a party
    // that is gone, plus one; or 1.
    int64_t NextNumber();
    bool NumberTaken(int64_t partyNo);
    int64_t LineCount(int64_t partyNo);

    // Adds the party's row and its opening line (データ数 = the party's lines
    // in the period, dated at the fiscal start, 品名 "前期繰越金額", 差引残高
    // the carry-forward amount), both in one transaction. Throws
    // PartyInputError for a taken number (a number with lines left by a
    // deleted party too) or a missing amount, DbError when
    // the database refuses; writes nothing then. Returns the new row's id.
    int64_t Register(const PartyValues& values, const CompanySettings& settings, StatusBarPanels& statusBar);
    // Inserts the opening line of a party just added into the line table
    // (inside Register's transaction; no transaction of its own).
    void ZenkiKurikoshiAdd(int64_t partyNo, const DbValue& carryForward, const CompanySettings& settings,
                           StatusBarPanels& statusBar);
    // Writes every column of the party's row, in one transaction with the
    // checks: a new number must be free, and a party with lines keeps its
    // number.
    void Update(int64_t rowId, const PartyValues& values);
    // Deletes the party's lines of every year, then the party's row, in one
    // transaction (the row's stored number counts, not an unsaved edit).
    void DeleteRow(int64_t rowId);
    // Sets the row's 〆切期日 when it differs, one statement in the caller's
    // transaction when there is one; true when it wrote.
    bool SetClosingDay(int64_t rowId, const std::string& day);

private:
    std::string Quoted(const std::string& column) const;
    void CheckFreeNumber(int64_t partyNo, std::optional<int64_t> exceptRowId);

    Database& db_;
    const SideWords& words_;
};

// A failure as people read it: a busy or read-only database in words, else
// the failure's own text.
std::string DescribeFailure(const std::exception& e);

// One party's lines of the fiscal period in journal order (whole dates), on
// the side's line table. Status "データ処理中", then "検索終了"; a failure
// shows "検索失敗,全データ表示" first and gives nothing.
std::optional<Recordset> gsOpenPeriodData(Database& db, const CompanySettings& settings, StatusBarPanels& statusBar,
                                          JournalSide side, int64_t partyNo);

} // namespace nv
