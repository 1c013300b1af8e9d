#include "Viewer/PrintCommands.h"

#include "Viewer/PagelookDoc.h"
#include "Viewer/PagelookView.h"
#include "Viewer/PaperSetup.h"
#include "Viewer/PrintLoop.h"
#include "Viewer/ShellPrint.h"
#include "platform/core/Cp932.h"
#include "platform/ui/Prompt.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace nv::viewer {

void PrintView(PagelookView& view, bool direct, const AppPrinter& printer)
{
    PagelookDoc& doc = view.Document();
    const std::vector<int> pages = PrintCandidates(view.PrintFlags(), 1, view.PageCount());
    if (pages.empty()) {
        ui::MessageBox(NoPagesToPrintText(), ui::MbOk | ui::MbIconExclamation);
        return;
    }
    PrintLoop::Request request;
    request.pages = pages;
    request.setup = printer.setup;
    if (printer.setup) request.printer = QString::fromStdString(Cp932ToUtf8(printer.setup->printer));
    if (!direct) {
        // A PDF goes beside the document, under its name.
        const auto chosen = ui::CurrentPrompt().ChoosePrintJob({.title = QStringLiteral("印刷"), .printer = request.printer,
                                                         .firstPage = 1, .lastPage = view.PageCount(),
                                                         .parent = &view, .pdfFile = VirtualPdfFor(doc.Path(), {})});
        if (!chosen) return;
        request.printer = chosen->printer;
        request.copies = chosen->copies;
        request.collate = chosen->collate;
        if (chosen->range) {
            request.pages = PrintCandidates(view.PrintFlags(), chosen->from, chosen->to);
            if (request.pages.empty()) {
                ui::MessageBox(NoPagesToPrintText(), ui::MbOk | ui::MbIconExclamation);
                return;
            }
        }
    }
    if (request.printer.isEmpty()) request.fallbackPdf = VirtualPdfFor(doc.Path(), {});
    request.mode = view.PaperMode();

    QProgressDialog progress(QStringLiteral("印刷中..."), QStringLiteral("キャンセル"), 0,
                             static_cast<int>(request.pages.size()), &view);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    PrintLoop loop(doc);
    loop.catalog = printer.catalog;
    loop.progress = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    const PrintLoop::Outcome out = loop.Run(request);
    progress.reset();
    if (!out.printed && !out.cancelled) {
        loop.LogFailure(request, out);
        ui::MessageBox(out.error, ui::MbOk | ui::MbIconExclamation);
    } else if (out.printed && !request.fallbackPdf.isEmpty() && out.output == request.fallbackPdf) {
        ui::MessageBox(QStringLiteral("プリンタがないため、PDFファイルに印刷しました。\n%1").arg(out.output),
                       ui::MbOk | ui::MbIconInformation);
    }
}

} // namespace nv::viewer
