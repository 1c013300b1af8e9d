#include "platform/qt/QtPrinterCatalog.h"

#include "platform/core/Cp932.h"
#include "platform/qt/QtPrinterJob.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace nv {
namespace {

QPrinterInfo InfoOf(const std::string& printer)
{
    if (printer.empty()) return QPrinterInfo();
    return QPrinterInfo::printerInfo(QString::fromStdString(Cp932ToUtf8(printer)));
}

} // namespace

CatalogPaper CatalogPaperOf(const QPageSize& size)
{
    const int wid = size.windowsId();
    if (const StandardPaper* known = (wid > 0 && wid < DMPAPER_USER) ? FindStandardPaper(int16_t(wid)) : nullptr)
        return {known->name, known->id, known->size};
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return {Utf8ToCp932Lossy(size.name().toStdString()), DMPAPER_USER,
            {int32_t(std::lround(mm.width() * 10)), int32_t(std::lround(mm.height() * 10))}};
}

DevMode DevModeOf(const PrinterSetup& setup)
{
    DevMode m;
    m.dmFields = DM_ORIENTATION | DM_PAPERSIZE;
    m.dmOrientation = setup.orientation == 1 ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    m.dmPaperSize = setup.paper.id;
    if (setup.paper.id == DMPAPER_USER || !FindStandardPaper(setup.paper.id)) {
        m.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
        m.dmPaperWidth = static_cast<int16_t>(setup.paper.size.width);
        m.dmPaperLength = static_cast<int16_t>(setup.paper.size.length);
        m.formName = setup.paper.name;
    }
    return m;
}

std::string QtPrinterCatalog::DefaultPrinter() { return CupsPrintSpooler::DefaultPrinterName(); }

std::vector<std::string> QtPrinterCatalog::PrinterNames()
{
    std::vector<std::string> out;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) out.push_back(Utf8ToCp932Lossy(name.toStdString()));
    return out;
}

std::optional<PrinterSetup> QtPrinterCatalog::DefaultSetup(const std::string& printer)
{
    const QPrinterInfo info = InfoOf(printer);
    if (info.isNull()) return std::nullopt;
    return PrinterSetup{printer, CatalogPaperOf(info.defaultPageSize()), 1};
}

std::optional<SheetGeometry> QtPrinterCatalog::Geometry(const PrinterSetup& setup)
{
    const QPrinterInfo info = InfoOf(setup.printer);
    if (info.isNull()) return std::nullopt;
    QPrinter printer(info, QPrinter::HighResolution);
    QPageLayout layout = printer.pageLayout();
    if (!QtPrinterJob::PageLayoutFor(DevModeOf(setup), layout)) return std::nullopt;
    printer.setPageSize(layout.pageSize());
    printer.setPageOrientation(layout.orientation());
    QPageLayout set = printer.pageLayout();
    set.setMargins(set.minimumMargins());
    const int dpi = printer.resolution();
    const QRect full = set.fullRectPixels(dpi);
    const QRect paint = set.paintRectPixels(dpi);
    return SheetGeometry{dpi, full.width(), full.height(), paint.x(), paint.y(), paint.width(), paint.height()};
}

void InstallQtPrinterCatalog()
{
    static QtPrinterCatalog catalog;
    SetDefaultPrinterCatalog(&catalog);
    SetDefaultPrintSpooler(&catalog.Spooler());
}

} // namespace nv
