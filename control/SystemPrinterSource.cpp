// The printers of this machine as CUPS reports them through Qt. No driver
// hands out a printer mode here, so the mode and its field mask are made
// from what the printer says it offers.
#include "control/PrinterSource.h"

#include "platform/core/Cp932.h"
#include "platform/qt/CupsPrintSpooler.h"

#include <QPageSize>
#include <QPrinterInfo>

#include <cmath>

namespace nv {

namespace {

constexpr int16_t kCollateTrue = 1;

void SetPaper(DevMode& m, const QPageSize& ps)
{
    const int wid = ps.windowsId();
    if (const StandardPaper* p = (wid > 0 && wid < DMPAPER_USER) ? FindStandardPaper(int16_t(wid)) : nullptr) {
        m.dmPaperSize = p->id;
        m.dmPaperWidth = int16_t(p->size.width);
        m.dmPaperLength = int16_t(p->size.length);
        m.formName = p->name;
        return;
    }
    const QSizeF mm = ps.size(QPageSize::Millimeter);
    m.dmPaperSize = DMPAPER_USER;
    m.dmPaperWidth = int16_t(std::lround(mm.width() * 10));
    m.dmPaperLength = int16_t(std::lround(mm.height() * 10));
    m.formName = Utf8ToCp932(ps.name().toStdString()).value_or(std::string());
}

class CupsPrinterSource : public PrinterSource {
public:
    std::optional<std::vector<std::string>> ListPrinters() override
    {
        std::vector<std::string> names;
        for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(n.toStdString());
        return names;
    }

    std::string DefaultPrinterName() override { return QPrinterInfo::defaultPrinterName().toStdString(); }

    std::optional<PrinterReading> ReadPrinter(const std::string& name) override
    {
        const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name));
        if (info.isNull()) return std::nullopt;
        PrinterReading r;
        r.driverName = (info.makeAndModel().isEmpty() ? info.description() : info.makeAndModel()).toStdString();
        r.portName = info.location().toStdString();
        DevMode m;
        m.deviceName = Utf8ToCp932(name).value_or(std::string());
        m.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_COLLATE;
        m.dmOrientation = DMORIENT_PORTRAIT;
        SetPaper(m, info.defaultPageSize());
        m.dmCopies = 1;
        m.dmCollate = kCollateTrue;
        if (info.supportsCustomPageSizes()) m.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
        if (info.supportedDuplexModes().size() > 1) {
            m.dmFields |= DM_DUPLEX;
            switch (info.defaultDuplexMode()) {
            case QPrinter::DuplexLongSide: m.dmDuplex = DMDUP_VERTICAL; break;
            case QPrinter::DuplexShortSide: m.dmDuplex = DMDUP_HORIZONTAL; break;
            default: m.dmDuplex = DMDUP_SIMPLEX; break;
            }
        }
        if (info.supportedColorModes().size() > 1) {
            m.dmFields |= DM_COLOR;
            m.dmColor = info.defaultColorMode() == QPrinter::Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
        }
        if (const QList<int> dpis = info.supportedResolutions(); !dpis.isEmpty()) {
            m.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
            m.dmPrintQuality = int16_t(dpis.front());
            m.dmYResolution = int16_t(dpis.front());
        }
        r.mode = m;
        return r;
    }

    PrintSpooler& Spooler() override
    {
        static CupsPrintSpooler spooler;
        return spooler;
    }
};

} // namespace

PrinterSource& SystemPrinterSource()
{
    static CupsPrinterSource source;
    return source;
}

DevMode PdfPrinterMode()
{
    DevMode m;
    m.deviceName = "PDF";
    m.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE;
    m.dmOrientation = DMORIENT_PORTRAIT;
    SetPaper(m, QPageSize(QPageSize::A4));
    m.dmCopies = 1;
    m.dmCollate = kCollateTrue;
    return m;
}

} // namespace nv
