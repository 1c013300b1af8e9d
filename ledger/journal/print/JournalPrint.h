#pragma once
// The journal's three reports through the drawing control: the party's
// ledger and the side's summary table, portrait or landscape, to the
// current printer or into a report document for preview. Report forms are
// read-only resources; documents go to the data folder's PRINT folder.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/JournalSide.h"
#include "ledger/journal/JournalLine.h"
#include "ledger/journal/MonthTotals.h"
#include "ledger/journal/PartyRecord.h"
#include "ledger/journal/print/DrawingJob.h"

#include <string>
#include <vector>

namespace nv {

inline constexpr const char* kDrawingControlProgId = "Tavelo.Inkplate";
inline constexpr const char* kLedgerForm = "PRINT/仕入れ.tvf";
inline constexpr const char* kPortraitSummaryForm = "PRINT/仕入れ集計.tvf";
inline constexpr const char* kLandscapeSummaryForm = "PRINT/仕入れ集計横書き.tvf";
inline constexpr const char* kNoLinesToPrintMessage = "印刷する明細がありません。";

enum class JournalReport { Ledger, PortraitSummary, LandscapeSummary };

// The report's form file: the resource's path when one is found, else the
// relative name (the control then reports it missing).
std::string ReportFormFile(JournalReport report);
// The data folder's PRINT folder, absolute, created when missing. Throws
// std::runtime_error when it cannot be.
std::string PrintFolderPath();
// The absolute path of the side's document of a report in the data folder's
// PRINT folder, which is created when missing. Throws std::runtime_error
// when it cannot be.
std::string ReportDocumentFile(const SideWords& words, JournalReport report);
// What a printer's queue and the viewer's tree call a report: the ledger by
// its book and party ("仕入帳 山田商店"), a summary by its title.
std::string ReportDocumentName(const SideWords& words, JournalReport report, const std::string& partyName);

// The ledger of lines already balanced. No line: a message, nothing started.
bool PrintLedger(const ObjectRef& control, OutputMode mode, const SideWords& words, const CompanySettings& settings,
                 const PartyRecord& party, const std::vector<JournalLine>& lines, const PrintContext& context);
bool PrintSummaryPortrait(const ObjectRef& control, OutputMode mode, const SideWords& words,
                          const CompanySettings& settings, const SummaryData& data, const PrintContext& context);
bool PrintSummaryLandscape(const ObjectRef& control, OutputMode mode, const SideWords& words,
                           const CompanySettings& settings, const SummaryData& data, const PrintContext& context);

} // namespace nv
