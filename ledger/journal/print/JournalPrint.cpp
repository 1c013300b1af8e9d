#include "ledger/journal/print/JournalPrint.h"

#include "ledger/common/CompanySettings.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/journal/JournalLine.h"
#include "ledger/journal/print/LedgerPages.h"
#include "ledger/journal/print/SummaryPages.h"
#include "platform/core/FileErrors.h"
#include "platform/core/Paths.h"
#include "platform/ui/Prompt.h"

#include <filesystem>
#include <stdexcept>

namespace nv {

namespace {

namespace fs = std::filesystem;

void Warn(const std::string& text, const PrintContext& context)
{
    ui::Warn(QString::fromStdString(text), context.Parent);
}

// Settles where the output goes before anything starts; a folder that cannot
// be made is reported and nothing runs.
bool Prepare(DrawingJob& job, OutputMode mode, const SideWords& words, JournalReport report,
             const PrintContext& context)
{
    job.Mode = mode;
    job.FormFile = ReportFormFile(report);
    // The wide summary's paper lies on its side, as its form does.
    if (report == JournalReport::LandscapeSummary) job.Orientation = 2;
    // Where the PDF printer's files go, and the document file: a folder that
    // cannot be made stops the print rather than send it elsewhere.
    try {
        if (mode != OutputMode::Document) job.PrintFolder = PrintFolderPath();
        else job.DocumentFile = ReportDocumentFile(words, report);
        return true;
    } catch (const std::exception& e) {
        Warn(ShownFailure("JournalPrint", e), context);
        return false;
    }
}

const std::vector<std::string> kLedgerLayers = {"フレイム", "フレイム２", "明細", "見出し"};
const std::vector<std::string> kSummaryLayers = {"フレイム", "フレイム売上げ", "明細", "見出し"};

} // namespace

std::string ReportFormFile(JournalReport report)
{
    const char* name = report == JournalReport::Ledger            ? kLedgerForm
                       : report == JournalReport::PortraitSummary ? kPortraitSummaryForm
                                                                  : kLandscapeSummaryForm;
    return FindResourcePath(name).value_or(name);
}

std::string PrintFolderPath()
{
    const fs::path folder = fs::absolute(fs::path(DataFolderPath()) / kPrintFolder);
    // Printed ledgers are as private as the books.
    if (const std::string why = MakePrivateFolder(folder.string()); !why.empty())
        throw JournalError("印刷用の" + why);
    return folder.string();
}

std::string ReportDocumentFile(const SideWords& words, JournalReport report)
{
    const char* name = report == JournalReport::Ledger            ? words.LedgerDocument
                       : report == JournalReport::PortraitSummary ? words.PortraitDocument
                                                                  : words.LandscapeDocument;
    return (fs::path(PrintFolderPath()) / name).string();
}

std::string ReportDocumentName(const SideWords& words, JournalReport report, const std::string& partyName)
{
    if (report == JournalReport::Ledger) return std::string(words.Caption) + " " + TrimRight(partyName);
    // The printed title spaces its letters out; a name does not.
    std::string title = SummaryTitle(words);
    std::erase(title, ' ');
    return title;
}

bool PrintLedger(const ObjectRef& control, OutputMode mode, const SideWords& words, const CompanySettings& settings,
                 const PartyRecord& party, const std::vector<JournalLine>& lines, const PrintContext& context)
{
    if (lines.empty()) {
        Warn(kNoLinesToPrintMessage, context);
        return false;
    }
    DrawingJob job;
    try {
        LedgerReport report = BuildLedgerReport(words, settings.PrintName, party, lines);
        job.Header = std::move(report.Header);
        job.Pages = std::move(report.Pages);
    } catch (const std::exception& e) {
        Warn(ShownFailure("JournalPrint", e), context);
        return false;
    }
    if (!Prepare(job, mode, words, JournalReport::Ledger, context)) return false;
    job.DocumentName = ReportDocumentName(words, JournalReport::Ledger, party.Name);
    job.Layers = kLedgerLayers;
    job.LedgerStatus = true;
    return RunDrawingJob(control, job, context);
}

namespace {

bool PrintSummary(const ObjectRef& control, OutputMode mode, const SideWords& words, JournalReport report,
                  std::vector<ReportPage> pages, const PrintContext& context)
{
    DrawingJob job;
    if (!Prepare(job, mode, words, report, context)) return false;
    job.DocumentName = ReportDocumentName(words, report, {});
    job.Layers = kSummaryLayers;
    job.Pages = std::move(pages);
    job.ClearAfterEachPage = true;
    return RunDrawingJob(control, job, context);
}

} // namespace

bool PrintSummaryPortrait(const ObjectRef& control, OutputMode mode, const SideWords& words,
                          const CompanySettings& settings, const SummaryData& data, const PrintContext& context)
{
    return PrintSummary(control, mode, words, JournalReport::PortraitSummary,
                        BuildPortraitSummary(words, SummaryHeadingOf(settings), data), context);
}

bool PrintSummaryLandscape(const ObjectRef& control, OutputMode mode, const SideWords& words,
                           const CompanySettings& settings, const SummaryData& data, const PrintContext& context)
{
    return PrintSummary(control, mode, words, JournalReport::LandscapeSummary,
                        BuildLandscapeSummary(words, SummaryHeadingOf(settings), data), context);
}

} // namespace nv
