#pragma once
// Month figures of a party's fiscal year for the summary tables: opening
// balance, then per fiscal month (closing on the party's closing day) the
// amounts, the settlements and the balance at the month's end.
#include "ledger/common/FiscalPeriod.h"
#include "ledger/common/JournalSide.h"
#include "platform/db/Database.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// 0 opening; for month k (1-12): 3k-2 amounts, 3k-1 settlements, 3k balance.
using MonthTotals = std::array<int64_t, 37>;

// The figures a line gives the totals.
struct LineFigures {
    LineDate Date;
    std::optional<int64_t> Amount, Settlement, Balance;
};

// Totals of a party's lines in journal order; every month's balance starts
// from the month before. Throws PeriodError for a line date that
// is not a day of the period's months, AmountOverflow on overflow.
MonthTotals ComputeMonthTotals(const std::vector<LineFigures>& lines, int closingDay, const FiscalPeriod& period);

struct PartyMonthTotals {
    bool NoDataFlag = false;   // no such party, or no line in the period
    MonthTotals Totals{};      // zeros when NoDataFlag
};

// The totals of one party from its own row and its lines of the period.
PartyMonthTotals BuildMonthTotals(Database& db, const SideWords& words, int64_t partyNo, const FiscalPeriod& period);

struct SummaryRow {
    int64_t PartyNo = 0;
    std::string Name;
    PartyMonthTotals Figures;
};

struct SummaryData {
    std::vector<SummaryRow> Rows;   // every party of the side, ascending number
    MonthTotals YearTotals{};       // slot by slot over all parties
};

SummaryData BuildSummaryData(Database& db, const SideWords& words, const FiscalPeriod& period);

} // namespace nv
