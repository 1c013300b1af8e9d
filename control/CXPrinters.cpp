#include "control/CXPrinters.h"

#include "control/CInkplateCtrl.h"
#include "engine/core/EngineLog.h"
#include "platform/qt/PrinterByName.h"

#include <QString>

#include <algorithm>
#include <cstdlib>

namespace nv {

namespace {

// The printer `lp` would take: $LPDEST, else $PRINTER.
std::string EnvironmentPrinter()
{
    for (const char* var : {"LPDEST", "PRINTER"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    return {};
}

// Printer names compare without regard to case; the file of a "pdf:" name
// is a path and compares exactly.
bool SamePrinterName(const std::string& a, const std::string& b)
{
    const QString qa = QString::fromStdString(a), qb = QString::fromStdString(b);
    const bool pa = IsPdfPrinterName(qa), pb = IsPdfPrinterName(qb);
    if (pa != pb) return false;
    if (pa) return PdfFileOfPrinterName(qa) == PdfFileOfPrinterName(qb);
    return qa.compare(qb, Qt::CaseInsensitive) == 0;
}

} // namespace

CXPrinters::CXPrinters(CInkplateCtrl& ctrl) : m_ctrl(ctrl) {}

CXPrinters::~CXPrinters() { Clear(); }

void CXPrinters::SetSource(PrinterSource* source)
{
    Clear();
    m_pSource = source;
}

PrinterSource& CXPrinters::Source() const { return m_pSource ? *m_pSource : SystemPrinterSource(); }

void CXPrinters::EnsureListed()
{
    // In design mode the list stays empty (and is made once the host runs).
    if (m_bListed || m_ctrl.GetMode() != CInkplateCtrl::Mode::Run) return;
    m_bListed = true;
    const std::optional<std::vector<std::string>> names = Source().ListPrinters();
    if (names) {
        for (const std::string& n : *names) m_printers.push_back(std::make_shared<CXPrinter>(m_ctrl, n));
        if (names->empty() && !IsPdfPrinterName(QString::fromStdString(EnvironmentPrinter())))
            m_printers.push_back(std::make_shared<CXPrinter>(m_ctrl, CXPrinter::kVirtualName, true));
    }
    m_all.assign(m_printers.begin(), m_printers.end());
    m_pCurrent = DefaultLookup();
}

void CXPrinters::EnsureReady()
{
    EnsureListed();
    if (m_bListed) Prune();
}

void CXPrinters::Prune()
{
    if (m_bPruned) return;
    m_bPruned = true;
    for (const auto& p : m_printers) {
        std::string why = "用紙や向きの設定を取得できません。";
        try {
            p->Refresh();
        } catch (const std::exception& e) {
            why = e.what();
        }
        // A printer the host will never see: the log says which and why.
        if (p->LoadState() != 1)
            LogLine("Inkplate", "プリンタ " + p->GetPrinterName() + " を読めないため一覧から外しました: " + why);
    }
    std::erase_if(m_printers, [](const std::shared_ptr<CXPrinter>& p) { return p->LoadState() != 1; });
    if (m_pCurrent && !Owns(m_pCurrent)) m_pCurrent = DefaultLookup();
}

std::shared_ptr<CXPrinter> CXPrinters::Find(const std::string& name)
{
    for (const auto& p : m_printers)
        if (SamePrinterName(p->GetPrinterName(), name)) return p;
    const QString q = QString::fromStdString(name);
    if (!m_bListed || !IsPdfPrinterName(q) || PdfFileOfPrinterName(q).isEmpty()) return nullptr;
    auto p = std::make_shared<CXPrinter>(m_ctrl, name);
    m_printers.push_back(p);
    m_all.push_back(p);
    return p;
}

CXPrinter* CXPrinters::DefaultLookup()
{
    for (const std::string& name : {EnvironmentPrinter(), Source().DefaultPrinterName()}) {
        if (name.empty()) continue;
        if (auto p = Find(name)) return p.get();
    }
    return m_printers.empty() ? nullptr : m_printers.front().get();
}

bool CXPrinters::Empty()
{
    EnsureReady();
    return m_printers.empty();
}

int32_t CXPrinters::Count()
{
    EnsureReady();
    return int32_t(m_printers.size());
}

std::shared_ptr<CXPrinter> CXPrinters::At(int32_t position)
{
    EnsureReady();
    if (position < 0 || size_t(position) >= m_printers.size()) return nullptr;
    return m_printers[size_t(position)];
}

std::shared_ptr<CXPrinter> CXPrinters::Item(const std::string& name)
{
    EnsureReady();
    return Find(name);
}

std::vector<std::shared_ptr<CXPrinter>> CXPrinters::List()
{
    EnsureReady();
    return m_printers;
}

CXPrinter* CXPrinters::FindPrinter(const std::string& name) { return Item(name).get(); }

int32_t CXPrinters::SelectPrinter(const std::string& name)
{
    if (name.empty()) return 0;
    CXPrinter* p = FindPrinter(name);
    if (!p) return -10;
    m_pCurrent = p;
    return 0;
}

CXPrinter* CXPrinters::DefaultPrinter()
{
    EnsureReady();
    return m_bListed ? DefaultLookup() : nullptr;
}

void CXPrinters::Clear()
{
    for (const auto& weak : m_all)
        if (auto p = weak.lock()) p->Detach();
    m_all.clear();
    m_printers.clear();
    m_pCurrent = nullptr;
    m_bListed = false;
    m_bPruned = false;
}

CXPrinter* CXPrinters::Current()
{
    EnsureListed();
    return m_pCurrent;
}

void CXPrinters::SetCurrent(CXPrinter* printer) { m_pCurrent = Owns(printer) ? printer : nullptr; }

bool CXPrinters::Owns(const CXPrinter* printer) const
{
    return printer && std::any_of(m_printers.begin(), m_printers.end(),
                                  [&](const std::shared_ptr<CXPrinter>& p) { return p.get() == printer; });
}

} // namespace nv
