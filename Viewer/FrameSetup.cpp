// Print setup and page setting of the main window.
#include "Viewer/MainFrame.h"

#include "Viewer/PageSettingDialog.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PagelookView.h"
#include "Viewer/TreePane.h"
#include "Viewer/VirtualPdfPrinter.h"
#include "platform/core/Cp932.h"
#include "platform/ui/Prompt.h"

namespace nv::viewer {
namespace {

QString NameOf(const std::string& printer)
{
    return printer.empty() ? VirtualPdfPrinterName() : QString::fromStdString(Cp932ToUtf8(printer));
}

ui::PrinterSetupChoice ChoiceOf(const std::optional<PrinterSetup>& s)
{
    if (!s) return {};
    return {NameOf(s->printer), s->paper.id,
            QString::fromStdString(Cp932ToUtf8(s->paper.name)), s->paper.size.width, s->paper.size.length,
            s->orientation};
}

PrinterSetup SetupOf(const ui::PrinterSetupChoice& c)
{
    PrinterSetup s;
    if (c.printer != VirtualPdfPrinterName()) s.printer = Utf8ToCp932Lossy(c.printer.toStdString());
    s.paper.id = static_cast<int16_t>(c.paperId);
    s.paper.name = Utf8ToCp932Lossy(c.paperName.toStdString());
    s.paper.size = {c.widthTenths, c.lengthTenths};
    const StandardPaper* standard = FindStandardPaper(s.paper.id);
    if ((s.paper.size.width <= 0 || s.paper.size.length <= 0) && standard) s.paper.size = standard->size;
    if (s.paper.name.empty() && standard) s.paper.name = standard->name;
    s.orientation = c.orientation == 2 ? 2 : 1;
    return s;
}

// What shows on paper: the printer, the paper by number and by size, the
// orientation. A new name for the same paper changes nothing.
bool SamePaper(const std::optional<PrinterSetup>& a, const std::optional<PrinterSetup>& b)
{
    if (!a || !b) return !a && !b;
    return a->printer == b->printer && a->paper.id == b->paper.id && a->paper.size == b->paper.size &&
           a->orientation == b->orientation;
}

ui::PaperOffer OfferOf(const CatalogPaper& p)
{
    return {p.id, QString::fromStdString(Cp932ToUtf8(p.name)), p.size.width, p.size.length};
}

// The machine's printers with their papers, then the PDF file.
QList<ui::PrinterOffer> Offers(PrinterCatalog& catalog)
{
    QList<ui::PrinterOffer> out;
    for (const std::string& name : catalog.PrinterNames()) {
        ui::PrinterOffer o{NameOf(name), {}};
        for (const CatalogPaper& p : catalog.Papers(name)) o.papers << OfferOf(p);
        out << o;
    }
    ui::PrinterOffer pdf{VirtualPdfPrinterName(), {}};
    const VirtualPdfSpooler file;
    for (const CatalogPaper& p : file.Papers()) pdf.papers << OfferOf(p);
    out << pdf;
    return out;
}

} // namespace

void MainFrame::PrintSetup()
{
    ui::PrinterSetupChoice proposed = ChoiceOf(printer_.setup);
    // Without a printer the PDF file is offered first, on A4 portrait.
    if (!printer_.setup) proposed = {VirtualPdfPrinterName(), 9, QStringLiteral("A4"), 2100, 2970, 1};
    const auto chosen = ui::CurrentPrompt().ChoosePrinterSetup({.title = QStringLiteral("プリンタの設定"),
                                                         .proposed = proposed,
                                                         .printers = Offers(*printer_.catalog),
                                                         .parent = this});
    if (!chosen) return;
    std::optional<PrinterSetup> next;
    if (!chosen->printer.isEmpty()) next = SetupOf(*chosen);
    if (SamePaper(next, printer_.setup)) return;
    printer_.setup = next;
    RefreshAllViews();
}

void MainFrame::PageSetting()
{
    PagelookView* v = ActiveView();
    if (!v) return;
    PageSettingDialog d(QStringLiteral("ページ設定  - %1").arg(v->Document().DisplayName()), v->PaperMode(),
                        v->PrintFlags(), this);
    d.printerSetup = [this] { PrintSetup(); };
    if (d.exec() != QDialog::Accepted) return;
    v->PrintFlags() = d.Flags();
    if (d.Mode() >= 0) v->SetPaperMode(d.Mode());
    tree_->ShowPrintFlags(v->TreeItem(), v->PrintFlags());
    v->Refresh(false);
}

} // namespace nv::viewer
