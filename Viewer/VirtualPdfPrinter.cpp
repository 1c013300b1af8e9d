#include "Viewer/VirtualPdfPrinter.h"

#include "platform/print/FormRegistry.h"

namespace nv::viewer {

QString VirtualPdfPrinterName() { return QStringLiteral("PDFファイル"); }

VirtualPdfSpooler::VirtualPdfSpooler()
{
    for (int16_t id : {8, 9, 12, 13, 1, 5})
        if (const StandardPaper* p = FindStandardPaper(id)) papers_.push_back({p->name, p->id, p->size});
    FormRegistry registry(FormRegistry::DefaultPath());
    if (const auto forms = registry.Load())
        for (const RegisteredForm& f : *forms)
            papers_.push_back({f.form.name, f.paperId, {f.form.width / 100, f.form.height / 100}});
}

std::optional<std::vector<std::string>> VirtualPdfSpooler::PaperNames(const std::string&, const std::string&)
{
    std::vector<std::string> out;
    for (const CatalogPaper& p : papers_) out.push_back(p.name);
    return out;
}

std::optional<std::vector<int16_t>> VirtualPdfSpooler::PaperIds(const std::string&, const std::string&)
{
    std::vector<int16_t> out;
    for (const CatalogPaper& p : papers_) out.push_back(p.id);
    return out;
}

std::optional<std::vector<PaperExtent>> VirtualPdfSpooler::PaperSizes(const std::string&, const std::string&)
{
    std::vector<PaperExtent> out;
    for (const CatalogPaper& p : papers_) out.push_back(p.size);
    return out;
}

std::unique_ptr<SpoolPrinter> VirtualPdfSpooler::OpenPrinter(const std::string&, SpoolStatus& status)
{
    status = SpoolStatus::NotFound;
    return nullptr;
}

} // namespace nv::viewer
