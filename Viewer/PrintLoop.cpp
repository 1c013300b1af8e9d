#include "Viewer/PrintLoop.h"

#include "Viewer/PagelookDoc.h"
#include "Viewer/PaperSetup.h"
#include "engine/core/EngineLog.h"
#include "engine/printer/DevModeTracker.h"
#include "platform/core/Cp932.h"
#include "platform/qt/PdfFailure.h"
#include "platform/qt/PdfSpool.h"
#include "platform/qt/PrinterByName.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtPrinterCatalog.h"
#include "platform/qt/QtPrinterJob.h"

#include <QDir>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace nv::viewer {

QString NoPagesToPrintText() { return QStringLiteral("印刷するページがありません"); }
QString FailedToStartPrintText() { return QStringLiteral("印刷を開始できませんでした。"); }
QString FailedToWritePdfText(const QString& why)
{
    return QStringLiteral("PDFファイルを最後まで書き込めませんでした。\n%1。").arg(why);
}

std::vector<int> PrintCandidates(const std::vector<int>& flags, int from, int to, bool everyPage)
{
    std::vector<int> pages;
    from = std::max(from, 1);
    to = std::min(to, static_cast<int>(flags.size()));
    for (int p = from; p <= to; ++p)
        if (everyPage || flags[static_cast<size_t>(p - 1)] == 1) pages.push_back(p);
    return pages;
}

std::vector<int> CopySequence(const std::vector<int>& pages, int copies, bool collate)
{
    std::vector<int> seq;
    copies = std::max(copies, 1);
    if (collate) {
        for (int c = 0; c < copies; ++c) seq.insert(seq.end(), pages.begin(), pages.end());
    } else {
        for (int p : pages) seq.insert(seq.end(), static_cast<size_t>(copies), p);
    }
    return seq;
}

QString JobName(const QString& title)
{
    // Count characters, so a surrogate pair is never split.
    QString name;
    int chars = 0;
    for (qsizetype i = 0; i < title.size() && chars < kJobNameChars; ++i, ++chars) {
        name += title[i];
        if (title[i].isHighSurrogate() && i + 1 < title.size()) name += title[++i];
    }
    return name;
}

DevMode PaperDevMode(const PagePaper& paper)
{
    DevMode m;
    m.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
    m.dmOrientation = paper.orientation == 1 ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    m.dmPaperSize = static_cast<int16_t>(paper.id);
    // The sheet as drawn is turned for landscape; the mode wants it upright.
    const int32_t w = paper.orientation == 1 ? paper.width : paper.height;
    const int32_t l = paper.orientation == 1 ? paper.height : paper.width;
    m.dmPaperWidth = static_cast<int16_t>(std::lround(w / kUnitsPerTenthMm));
    m.dmPaperLength = static_cast<int16_t>(std::lround(l / kUnitsPerTenthMm));
    if (const auto form = Utf8ToCp932(paper.name.toStdString())) m.formName = *form;
    return m;
}

PagePaper SheetForMode(const PagePaper& page, const PagePaper* printer, int mode)
{
    if (!printer || mode <= 0 || mode > 3) return page;
    PagePaper sheet = *printer;
    sheet.scale = page.scale;
    if (mode == 3 && sheet.orientation != page.orientation) {
        sheet.orientation = page.orientation;
        std::swap(sheet.width, sheet.height);
    }
    // Fitting needs the page's size: a page without one keeps its scale.
    if (mode >= 2 && page.width > 0 && page.height > 0) {
        const double fit = std::min(double(sheet.width) / page.width, double(sheet.height) / page.height);
        sheet.scale = static_cast<int>(page.scale * fit);
    }
    return sheet;
}

namespace {
// The failure of a job, naming the PDF file and why when there is one.
QString WithPdfReason(const QString& text, const QString& pdf)
{
    if (pdf.isEmpty()) return text;
    return QStringLiteral("%1\n%2: %3").arg(text, QDir::toNativeSeparators(pdf), PdfFailureReason(pdf));
}

// The printer's set-up before the job changes anything. A PDF file has no
// printer to match papers with.
PrinterSetup CurrentSetup(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    PrinterSetup s;
    if (printer.outputFormat() != QPrinter::PdfFormat)
        s.printer = Utf8ToCp932Lossy(printer.printerName().toStdString());
    s.paper = CatalogPaperOf(layout.pageSize());
    s.orientation = layout.orientation() == QPageLayout::Portrait ? 1 : 2;
    return s;
}
} // namespace

PrintLoop::PrintLoop(PagelookDoc& doc) : catalog(&DefaultPrinterCatalog()), doc_(doc)
{
    drawPage = [this](DeviceContext& dc, int page, int scale) {
        doc_.Report().DrawPage(dc, page, {0, 0}, scale);
        return true;
    };
}

PrintLoop::Outcome PrintLoop::Run(const Request& request)
{
    Outcome out;
    if (request.pages.empty()) {
        out.error = NoPagesToPrintText();
        return out;
    }
    std::unique_ptr<QPrinter> printer = OpenPrinterByName(request.printer, request.fallbackPdf, &out.error);
    if (!printer) return out;
    // A PDF is written beside its file and renamed only when whole, so a
    // failed job leaves an older file of the name as it was.
    PdfSpool spool;
    if (printer->outputFormat() == QPrinter::PdfFormat) {
        out.output = printer->outputFileName();
        if (!spool.Reserve(out.output)) {
            out.error = FailedToStartPrintText() + "\n" + spool.FailureText() + "。";
            return out;
        }
        printer->setOutputFileName(spool.Path());
    }

    // Qt's PDF writer makes one copy only: repeat the pages instead.
    std::vector<int> sheets = request.pages;
    if (printer->supportsMultipleCopies()) {
        printer->setCopyCount(std::max(request.copies, 1));
        printer->setCollateCopies(request.collate);
    } else {
        sheets = CopySequence(request.pages, request.copies, request.collate);
    }
    setup_ = CurrentSetup(*printer);
    // A set-up without a printer name is the PDF file's, chosen in print setup.
    if (request.setup && request.setup->printer == setup_.printer) setup_ = *request.setup;
    mode_ = request.mode;
    out.printed = PrintSheets(*printer, sheets, out);
    if (out.printed && !out.output.isEmpty() && !spool.Commit()) {
        out.printed = false;
        out.error = FailedToWritePdfText(spool.FailureText());
    }
    return out;
}

bool PrintLoop::PrintSheets(QPrinter& printer, const std::vector<int>& sheets, Outcome& out)
{
    QtPrinterJob job(printer);
    const std::string name = Utf8ToCp932(JobName(doc_.Title()).toStdString()).value_or(std::string());
    if (!job.StartDoc(name)) {
        out.error = WithPdfReason(FailedToStartPrintText(), out.output);
        return false;
    }
    DevModeTracker tracker;
    const int dpi = printer.resolution();
    int done = 0;
    for (int page : sheets) {
        if (progress && !progress(done, static_cast<int>(sheets.size()))) {
            out.cancelled = true;
            job.AbortDoc();
            return false;
        }
        const PagePaper paper =
            SetUpPaper(doc_.Report().GetPageSettings(page), &setup_, mode_, *catalog).sheet;
        DevMode mode = PaperDevMode(paper);
        if (!tracker.ResetDCIfChanged(job, mode) || !job.StartPage()) {
            // The first page opens the output: failing there is failing to start.
            out.error = WithPdfReason(done == 0 ? FailedToStartPrintText()
                                                : QStringLiteral("%1ページを印刷できませんでした。").arg(page),
                                      out.output);
            job.AbortDoc();
            return false;
        }
        bool drawn = false;
        {
            QtDeviceContext dc(*job.Painter(), true, dpi, dpi);
            std::vector<std::string> causes;
            try {
                drawn = drawPage(dc, page, paper.scale);
            } catch (...) {
                causes.push_back(CurrentExceptionText());
                drawn = false;
            }
            drawn = drawn && !dc.Failed();
            causes.insert(causes.end(), dc.Errors().begin(), dc.Errors().end());
            for (const std::string& cause : causes)
                LogLine("Pagelook", doc_.Path().toStdString() + ": ページ " + std::to_string(page) + " を印刷できません: "
                                        + cause);
        }
        if (!drawn || !job.EndPage()) {
            out.error = QStringLiteral("%1ページを描画できませんでした。印刷を中止しました。").arg(page);
            job.AbortDoc();
            return false;
        }
        ++done;
    }
    if (progress) progress(done, static_cast<int>(sheets.size()));
    if (!job.EndDoc()) {
        out.error = WithPdfReason(FailedToStartPrintText(), out.output);
        return false;
    }
    return true;
}

void PrintLoop::LogFailure(const Request& request, const Outcome& out) const
{
    const QString target = !out.output.isEmpty() ? out.output
                         : request.printer.isEmpty() ? QStringLiteral("既定のプリンタ") : request.printer;
    LogLine("Pagelook", (doc_.Path() + QStringLiteral(": %1 に印刷できません: ").arg(target) + out.error).toStdString());
}

} // namespace nv::viewer
