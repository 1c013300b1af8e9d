#include "platform/qt/QtPrinterJob.h"

#include "platform/core/Cp932.h"

#include <QPageSize>

namespace nv {
namespace {

QPrinter::PaperSource SourceFor(int16_t bin, QPrinter::PaperSource current)
{
    // Tray numbers 1-11 run in the same order as Qt's sources.
    if (bin >= 1 && bin <= 11) return QPrinter::PaperSource(bin - 1);
    if (bin == 14) return QPrinter::Cassette;
    if (bin == 15) return QPrinter::FormSource;
    return current;
}

} // namespace

QtPrinterJob::QtPrinterJob(QPrinter& printer) : printer_(printer)
{
    options_.copies = printer_.copyCount();
    options_.duplex = printer_.duplex();
    options_.color = printer_.colorMode();
    options_.source = printer_.paperSource();
}

QtPrinterJob::~QtPrinterJob()
{
    if (docOpen_) AbortDoc();
}

bool QtPrinterJob::PageLayoutFor(const DevMode& mode, QPageLayout& layout)
{
    if (mode.dmFields & DM_ORIENTATION) {
        if (mode.dmOrientation == DMORIENT_LANDSCAPE)
            layout.setOrientation(QPageLayout::Landscape);
        else if (mode.dmOrientation == DMORIENT_PORTRAIT)
            layout.setOrientation(QPageLayout::Portrait);
        else
            return false;
    }
    const bool hasSize = mode.dmPaperWidth > 0 && mode.dmPaperLength > 0;
    auto sizeOfMode = [&mode] {
        return QPageSize(QSizeF(mode.dmPaperWidth / 10.0, mode.dmPaperLength / 10.0), QPageSize::Millimeter,
                         QString::fromStdString(Cp932ToUtf8(mode.formName)), QPageSize::ExactMatch);
    };
    QPageSize size;
    if ((mode.dmFields & DM_PAPERLENGTH) && (mode.dmFields & DM_PAPERWIDTH) && hasSize) {
        // An explicit width and length win over the paper number.
        size = sizeOfMode();
    } else if (mode.dmFields & DM_PAPERSIZE) {
        const QPageSize::PageSizeId id = QPageSize::id(mode.dmPaperSize);
        if (id != QPageSize::Custom)
            size = QPageSize(id);
        else if (hasSize)
            size = sizeOfMode(); // a user size or a registered form, which the mode gives the size of
        else
            return false;
    }
    if (size.isValid()) {
        const QMarginsF margins = layout.margins();
        QPageLayout next(size, layout.orientation(), QMarginsF(0, 0, 0, 0), layout.units());
        next.setMode(layout.mode());
        // Keep the margins where they still fit the new sheet.
        next.setMargins(margins);
        layout = next;
    }
    return true;
}

QtPrinterJob::JobOptions QtPrinterJob::OptionsFor(const DevMode& mode) const
{
    JobOptions o = options_;
    if ((mode.dmFields & DM_COPIES) && mode.dmCopies > 0) o.copies = mode.dmCopies;
    if (mode.dmFields & DM_DUPLEX) {
        if (mode.dmDuplex == DMDUP_SIMPLEX) o.duplex = QPrinter::DuplexNone;
        else if (mode.dmDuplex == DMDUP_VERTICAL) o.duplex = QPrinter::DuplexLongSide;
        else if (mode.dmDuplex == DMDUP_HORIZONTAL) o.duplex = QPrinter::DuplexShortSide;
    }
    if (mode.dmFields & DM_COLOR) {
        if (mode.dmColor == DMCOLOR_MONOCHROME) o.color = QPrinter::GrayScale;
        else if (mode.dmColor == DMCOLOR_COLOR) o.color = QPrinter::Color;
    }
    if (mode.dmFields & DM_DEFAULTSOURCE) o.source = SourceFor(mode.dmDefaultSource, o.source);
    return o;
}

void QtPrinterJob::ApplyOptions(const JobOptions& o)
{
    options_ = o;
    if (IsPdf()) return; // a file has no trays, copies or sides
    printer_.setCopyCount(o.copies);
    printer_.setDuplex(o.duplex);
    printer_.setColorMode(o.color);
    printer_.setPaperSource(o.source);
}

bool QtPrinterJob::ResetDC(const DevMode& mode)
{
    if (inPage_) return false;
    QPageLayout layout = printer_.pageLayout();
    if (!PageLayoutFor(mode, layout)) return false;
    const JobOptions o = OptionsFor(mode);
    if (!(o == options_)) {
        if (docOpen_ && !needBegin_ && OptionsSplitJobs()) {
            // The rest goes into a new job with the new options.
            painter_.end();
            needBegin_ = true;
        }
        ApplyOptions(o);
    }
    if (!(layout == printer_.pageLayout()) && !printer_.setPageLayout(layout)) return false;
    return true;
}

bool QtPrinterJob::StartDoc(const std::string& docName)
{
    if (docOpen_) return false;
    printer_.setDocName(QString::fromStdString(Cp932ToUtf8(docName)));
    ApplyOptions(options_);
    docOpen_ = true;
    needBegin_ = true;
    jobs_ = 0;
    return true;
}

bool QtPrinterJob::Begin()
{
    if (!painter_.begin(&printer_)) return false;
    needBegin_ = false;
    ++jobs_;
    return true;
}

bool QtPrinterJob::StartPage()
{
    if (!docOpen_ || inPage_) return false;
    if (needBegin_) {
        if (!Begin()) return false;
    } else if (!printer_.newPage()) {
        return false;
    }
    inPage_ = true;
    return true;
}

bool QtPrinterJob::EndPage()
{
    if (!inPage_) return false;
    inPage_ = false;
    return true;
}

bool QtPrinterJob::EndDoc()
{
    if (!docOpen_) return false;
    bool ok = true;
    if (!needBegin_) ok = painter_.end();
    docOpen_ = false;
    inPage_ = false;
    needBegin_ = true;
    return ok;
}

void QtPrinterJob::AbortDoc()
{
    if (!docOpen_) return;
    if (!needBegin_) {
        printer_.abort();
        if (painter_.isActive()) painter_.end();
    }
    docOpen_ = false;
    inPage_ = false;
    needBegin_ = true;
}

} // namespace nv
