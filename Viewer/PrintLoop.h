#pragma once
// Printing a report document's pages, each on its own paper, to a printer
// or a PDF file. Nothing here shows a window: the caller chooses pages and
// printer and reports the outcome, so the shell print and the menu share it.
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "Viewer/PagePaper.h"
#include "platform/core/DevMode.h"
#include "platform/print/PrinterCatalog.h"

class QPrinter;

namespace nv {
class DeviceContext;
}

namespace nv::viewer {

class PagelookDoc;

inline constexpr uint32_t kFailedToStartPrintId = 61702;
inline constexpr int kJobNameChars = 31;

QString NoPagesToPrintText();
QString FailedToStartPrintText();
// The PDF could not be written whole; `why` names the file and the cause
// the system gave ("<file>: ディスクがいっぱいです").
QString FailedToWritePdfText(const QString& why);

// Pages from..to (1-based, clamped to the flags) whose flag is 1; every page
// of the range when `everyPage`.
std::vector<int> PrintCandidates(const std::vector<int>& flags, int from, int to, bool everyPage = false);
// The order pages reach a printer that cannot make copies itself.
std::vector<int> CopySequence(const std::vector<int>& pages, int copies, bool collate);
// The job's name: the title's first 31 characters (not bytes).
QString JobName(const QString& title);
// The printer mode that puts a page's paper in the printer.
DevMode PaperDevMode(const PagePaper& paper);

// The sheet, orientation and scale a page gets in paper mode 0-3 on a
// printer whose current paper is `printer` (turned as it is set); without a
// printer every mode keeps the page's own paper.
PagePaper SheetForMode(const PagePaper& page, const PagePaper* printer, int mode);

class PrintLoop {
public:
    struct Request {
        QString printer{};    // as OpenPrinterByName takes it
        QString fallbackPdf{};  // the virtual printer's file when no printer exists
        std::vector<int> pages{};
        int copies = 1;
        bool collate = true;
        int mode = 0;  // paper mode
        // The paper print setup chose, for a job on that same printer.
        std::optional<PrinterSetup> setup{};
    };
    struct Outcome {
        bool printed = false;
        bool cancelled = false;
        QString error;   // why not, for the user
        QString output;  // the PDF written, if any
    };

    explicit PrintLoop(PagelookDoc& doc);

    // Before each sheet with (sheets done, sheets in all); false cancels.
    std::function<bool(int, int)> progress;
    // Draws one page; false or an exception fails the job. Defaults to the
    // document's own drawing.
    std::function<bool(DeviceContext&, int page, int scale)> drawPage;
    // Where the job's printer's papers are found.
    PrinterCatalog* catalog;

    // A failed or cancelled job leaves no PDF behind.
    Outcome Run(const Request& request);
    // A job that failed, in the log before anyone is told: the document, the
    // printer or file, and why.
    void LogFailure(const Request& request, const Outcome& out) const;

private:
    bool PrintSheets(QPrinter& printer, const std::vector<int>& sheets, Outcome& out);

    PagelookDoc& doc_;
    PrinterSetup setup_;
    int mode_ = 0;
};

} // namespace nv::viewer
