#pragma once
// The late-bound faces of the printers: ITvPrinter over one CXPrinter and
// ITvPrinters over the control's collection, one wrapper per printer.
#include "control/CXPrinter.h"
#include "platform/automation/DispatchObject.h"

#include <memory>
#include <unordered_map>

namespace nv {

class CInkplateCtrl;

class TvPrinterDispatch : public DispatchObject<TvPrinterDispatch> {
public:
    explicit TvPrinterDispatch(std::shared_ptr<CXPrinter> printer);
    static void BindMembers(Binder& b);
    CXPrinter& Typed() { return *m_pPrinter; }

private:
    std::shared_ptr<CXPrinter> m_pPrinter;
};

class TvPrintersDispatch : public DispatchObject<TvPrintersDispatch> {
public:
    explicit TvPrintersDispatch(CInkplateCtrl& ctrl);
    static void BindMembers(Binder& b);

    // The control is going away: members then raise 0x800A03E9 / 20017.
    void Detach() { m_pCtrl = nullptr; }
    // The one wrapper of a printer of the collection; null for null.
    Ref<TvPrinterDispatch> PrinterDispatch(const std::shared_ptr<CXPrinter>& printer);
    // The current printer's wrapper, or null.
    Ref<TvPrinterDispatch> CurrentDispatch();

private:
    CInkplateCtrl& Ctrl() const;

    CInkplateCtrl* m_pCtrl;
    std::unordered_map<const CXPrinter*, std::pair<TvPrinterDispatch*, std::shared_ptr<LifeToken>>> m_cache;
};

} // namespace nv
