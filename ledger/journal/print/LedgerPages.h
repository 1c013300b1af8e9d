#pragma once
// The printed ledger of one party as pages: the header written once, then
// 31 line rows on the first page and 30 after a carried-forward row on every
// later page, each page closed by its carry-forward row 32.
#include "ledger/common/JournalSide.h"
#include "ledger/journal/JournalLine.h"
#include "ledger/journal/PartyRecord.h"
#include "ledger/journal/print/ReportPage.h"

#include <string>
#include <vector>

namespace nv {

inline constexpr int kLedgerRows = 31;
inline constexpr const char* kBroughtForward = "前葉ヨリ繰越し";
inline constexpr const char* kCarriedForward = "次葉へ繰り越し";

struct LedgerReport {
    std::vector<FieldWrite> Header;
    std::vector<ReportPage> Pages;
};

// Pages for a count of lines: 31 on the first page, 30 on each after.
int LedgerPageCount(size_t lines);

// The ledger of lines already balanced, in journal order. No lines, no
// pages. Throws AmountOverflow when a total leaves 64 bits.
LedgerReport BuildLedgerReport(const SideWords& words, const std::string& printName, const PartyRecord& party,
                               const std::vector<JournalLine>& lines);

} // namespace nv
