#include "platform/qt/CupsPrintSpooler.h"

#include "platform/core/Cp932.h"
#include "platform/core/DevMode.h"
#include "platform/qt/PrinterByName.h"

#include <QPageSize>
#include <QPrinterInfo>
#include <QString>

#include <cmath>

namespace nv {
namespace {

// A "pdf:" printer takes every standard paper and any custom size.
bool IsPdfDevice(const std::string& device) { return IsPdfPrinterName(QString::fromStdString(device)); }

QPrinterInfo InfoFor(const std::string& device)
{
    if (device.empty()) return QPrinterInfo();
    return QPrinterInfo::printerInfo(QString::fromStdString(Cp932ToUtf8(device)));
}

PaperExtent TenthsOf(const QPageSize& ps)
{
    const QSizeF mm = ps.size(QPageSize::Millimeter);
    return {int32_t(std::lround(mm.width() * 10)), int32_t(std::lround(mm.height() * 10))};
}

// Form sizes come in thousandths of a millimetre; papers are matched in
// tenths, rounded to the nearest.
PaperExtent TenthsOf(const FormInfo1& f) { return {(f.width + 50) / 100, (f.height + 50) / 100}; }

bool Within(const PaperExtent& s, const std::optional<PaperExtent>& min, const std::optional<PaperExtent>& max)
{
    if (max && (s.width > max->width || s.length > max->length)) return false;
    if (min && (s.width < min->width || s.length < min->length)) return false;
    return true;
}

class CupsSpoolPrinter : public SpoolPrinter {
public:
    explicit CupsSpoolPrinter(FormRegistry& registry) : registry_(registry) {}

    std::optional<std::vector<FormInfo1>> EnumForms() override
    {
        auto registered = registry_.Load();
        if (!registered) return std::nullopt;
        std::vector<FormInfo1> forms;
        for (const StandardPaper& p : StandardPapers()) {
            const int32_t w = p.size.width * 100, h = p.size.length * 100;
            forms.push_back(FormInfo1{0, p.name, w, h, 0, 0, w, h});
        }
        for (const RegisteredForm& r : *registered) forms.push_back(r.form);
        return forms;
    }
    SpoolStatus AddForm(const FormInfo1& form) override
    {
        for (const StandardPaper& p : StandardPapers())
            if (FormNamesEqual(p.name, form.name)) return SpoolStatus::FileExists;
        return registry_.Add(form);
    }
    SpoolStatus DeleteForm(const std::string& name) override { return registry_.Remove(name); }

private:
    FormRegistry& registry_;
};

} // namespace

void InstallCupsPrintSpooler()
{
    static CupsPrintSpooler spooler;
    SetDefaultPrintSpooler(&spooler);
}

CupsPrintSpooler::CupsPrintSpooler(std::string registryPath) : registry_(std::move(registryPath)) {}

std::vector<std::string> CupsPrintSpooler::PrinterNames()
{
    std::vector<std::string> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames())
        names.push_back(Utf8ToCp932Lossy(n.toStdString()));
    return names;
}

std::string CupsPrintSpooler::DefaultPrinterName()
{
    return Utf8ToCp932Lossy(QPrinterInfo::defaultPrinterName().toStdString());
}

std::optional<std::vector<CupsPrintSpooler::Paper>> CupsPrintSpooler::Papers(const std::string& device)
{
    if (IsPdfDevice(device)) {
        std::vector<Paper> papers;
        for (const StandardPaper& p : StandardPapers()) papers.push_back({p.name, p.id, p.size});
        if (auto registered = registry_.Load())
            for (const RegisteredForm& r : *registered)
                papers.push_back({r.form.name, r.paperId, TenthsOf(r.form)});
        return papers;
    }
    const QPrinterInfo info = InfoFor(device);
    if (info.isNull()) return std::nullopt;
    std::vector<Paper> papers;
    for (const QPageSize& ps : info.supportedPageSizes()) {
        const int wid = ps.windowsId();
        if (const StandardPaper* known = (wid > 0 && wid < DMPAPER_USER) ? FindStandardPaper(int16_t(wid)) : nullptr) {
            papers.push_back({known->name, known->id, known->size});
            continue;
        }
        std::string name = Utf8ToCp932Lossy(ps.name().toStdString());
        papers.push_back({std::move(name), DMPAPER_USER, TenthsOf(ps)});
    }
    if (info.supportsCustomPageSizes()) {
        auto registered = registry_.Load();
        const auto max = MaxExtent(device, {});
        const auto min = MinExtent(device, {});
        if (registered) {
            for (const RegisteredForm& r : *registered) {
                const PaperExtent s = TenthsOf(r.form);
                if (Within(s, min, max)) papers.push_back({r.form.name, r.paperId, s});
            }
        }
    }
    for (Paper& p : papers)
        if (p.name.size() > 63) p.name.resize(63);
    return papers;
}

std::optional<std::vector<std::string>> CupsPrintSpooler::PaperNames(const std::string& device, const std::string&)
{
    auto papers = Papers(device);
    if (!papers) return std::nullopt;
    std::vector<std::string> out;
    for (const Paper& p : *papers) out.push_back(p.name);
    return out;
}

std::optional<std::vector<int16_t>> CupsPrintSpooler::PaperIds(const std::string& device, const std::string&)
{
    auto papers = Papers(device);
    if (!papers) return std::nullopt;
    std::vector<int16_t> out;
    for (const Paper& p : *papers) out.push_back(p.id);
    return out;
}

std::optional<std::vector<PaperExtent>> CupsPrintSpooler::PaperSizes(const std::string& device, const std::string&)
{
    auto papers = Papers(device);
    if (!papers) return std::nullopt;
    std::vector<PaperExtent> out;
    for (const Paper& p : *papers) out.push_back(p.size);
    return out;
}

std::optional<PaperExtent> CupsPrintSpooler::MaxExtent(const std::string& device, const std::string&)
{
    const QPrinterInfo info = InfoFor(device);
    if (info.isNull()) return std::nullopt;
    const QPageSize ps = info.maximumPhysicalPageSize();
    if (!ps.isValid()) return std::nullopt;
    return TenthsOf(ps);
}

std::optional<PaperExtent> CupsPrintSpooler::MinExtent(const std::string& device, const std::string&)
{
    const QPrinterInfo info = InfoFor(device);
    if (info.isNull()) return std::nullopt;
    const QPageSize ps = info.minimumPhysicalPageSize();
    if (!ps.isValid()) return std::nullopt;
    return TenthsOf(ps);
}

std::unique_ptr<SpoolPrinter> CupsPrintSpooler::OpenPrinter(const std::string& device, SpoolStatus& status)
{
    if (!IsPdfDevice(device) && InfoFor(device).isNull()) {
        status = SpoolStatus::NotFound;
        return nullptr;
    }
    status = SpoolStatus::Ok;
    return std::make_unique<CupsSpoolPrinter>(registry_);
}

} // namespace nv
