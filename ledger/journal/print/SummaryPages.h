#pragma once
// The summary tables of all parties of a side as pages: a column of the 37
// month figures per party and a last column of the year totals. Portrait: 5
// columns a page over the whole year. Landscape: 24 columns a page, the year
// in three sections of four months, each printed for every party.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/JournalSide.h"
#include "ledger/journal/MonthTotals.h"
#include "ledger/journal/print/ReportPage.h"

#include <string>
#include <vector>

namespace nv {

inline constexpr int kPortraitColumns = 5;
inline constexpr int kLandscapeColumns = 24;
inline constexpr const char* kYearTotalCaption = "年合計";

struct SummaryHeading {
    std::string PrintName;   // 印刷名, as stored
    float StartYear = 0;     // 年
    int StartMonth = 1;      // first month of the fiscal year, naming the months
};

// The heading of the tables: one row of months from the fiscal start, right
// for every party whatever its closing day.
SummaryHeading SummaryHeadingOf(const CompanySettings& settings);

// "買 掛 金 集 計 表" / "売 掛 金 集 計 表".
const char* SummaryTitle(const SideWords& words);

std::vector<ReportPage> BuildPortraitSummary(const SideWords& words, const SummaryHeading& heading,
                                             const SummaryData& data);
std::vector<ReportPage> BuildLandscapeSummary(const SideWords& words, const SummaryHeading& heading,
                                              const SummaryData& data);

} // namespace nv
