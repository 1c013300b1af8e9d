#pragma once
// One journal line as the list holds it, the grid's column numbers, and the
// typed-cell rules (numbers, Null for an empty cell, amount from price and
// quantity, widths).
#include "ledger/common/JournalSide.h"
#include "platform/db/DbValue.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// Grid column indexes, shared by both sides.
enum class JournalColumn {
    PartyNo = 0,
    DataNo = 1,
    Year = 2,
    Month = 3,
    Day = 4,
    Item = 5,
    Quantity = 6,
    UnitPrice = 7,
    Amount = 8,       // 仕入金額 / 売上金額
    Settlement = 9,   // 支払金額 / 受入金額
    DebitCredit = 10,
    Balance = 11,
};

// The column's name in the side's line table.
const char* ColumnName(const SideWords& words, JournalColumn column);

inline constexpr size_t kItemWidth = 50;
inline constexpr size_t kDebitCreditWidth = 4;
inline constexpr const char* kCarryForwardItem = "繰越金額";
inline constexpr const char* kOpeningCarryForwardItem = "前期繰越金額";

// A cell or line that cannot be taken; the message names the column.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct JournalLine {
    int64_t RowId = 0;   // 0 until stored; kept for good once stored
    int64_t PartyNo = 0;
    std::optional<int64_t> DataNo;
    std::optional<int64_t> Year, Month, Day;
    std::optional<std::string> Item;
    std::optional<double> Quantity, UnitPrice;
    std::optional<int64_t> Amount, Settlement;
    std::optional<std::string> DebitCredit;
    std::optional<int64_t> Balance;

    // Nothing stored: no item, figures, debit/credit mark or balance.
    bool IsWhollyEmpty() const;
    // The opening line: "前期繰越金額" or "繰越金額" without amounts.
    bool IsCarryForward() const;
    // 単価 x 数量 is the amount: both given and 数量 not 0. The grid applies
    // it as a cell is typed, the opening pass to an empty amount.
    bool HasPriceAndQuantity() const;

    bool operator==(const JournalLine&) const = default;
};

// Values in the column order of the line table (party number first).
std::vector<DbValue> LineValues(const JournalLine& line);
// The line of a row in that order; throws JournalError for a value of the
// wrong kind.
JournalLine LineFromValues(std::span<const DbValue> values, int64_t rowId);
// Names of the line table's columns in that order.
std::vector<std::string> LineColumnNames(const SideWords& words);

// Journal order: 年, 月, 日, データ数 (Null first, as the database sorts),
// then the row id as the database's period query orders them. Of lines alike
// in all four, a new carry-forward line comes before the stored ones and any
// other new line after them.
bool JournalOrderLess(const JournalLine& a, const JournalLine& b);
// True when both lines share 年, 月, 日 and データ数, the keys that
// place a line in the journal.
bool SameJournalPlace(const JournalLine& a, const JournalLine& b);

} // namespace nv
