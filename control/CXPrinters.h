#pragma once
// The control's printers. The list is made at the first member that needs
// it, never at construction, so a hidden control never waits on a print
// server. At the first use of the collection every printer is read once and
// the unreadable ones leave the list, so positions never shift later; a
// current printer that left is replaced by the default one.
#include "control/CXPrinter.h"
#include "control/PrinterSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class CInkplateCtrl;

class CXPrinters {
public:
    explicit CXPrinters(CInkplateCtrl& ctrl);
    ~CXPrinters();
    CXPrinters(const CXPrinters&) = delete;
    CXPrinters& operator=(const CXPrinters&) = delete;

    // The source the list comes from (null: the system's). Empties the list;
    // it is made again at the next use.
    void SetSource(PrinterSource* source);
    PrinterSource& Source() const;

    // Makes the list once (run mode only) and the default printer current.
    void EnsureListed();
    // EnsureListed, then (once only) reads every printer and drops the
    // unreadable ones, so positions never shift afterwards.
    void EnsureReady();

    // No printer after pruning.
    bool Empty();
    int32_t Count();
    // The printer at a position from 0, or null.
    std::shared_ptr<CXPrinter> At(int32_t position);
    // By name, letter case aside; a "pdf:" name is added when missing. Null
    // when none.
    std::shared_ptr<CXPrinter> Item(const std::string& name);
    // The list as it stands (after pruning).
    std::vector<std::shared_ptr<CXPrinter>> List();

    // As Item, but a plain pointer: the list, not the caller, keeps it alive.
    CXPrinter* FindPrinter(const std::string& name);
    // An empty name changes nothing; 0, or -10 for an unknown name.
    int32_t SelectPrinter(const std::string& name);
    // The printer $LPDEST, else $PRINTER, else the system names, else the
    // first of the list; null when the list is empty.
    CXPrinter* DefaultPrinter();
    // Deletes every printer (they are detached from the control).
    void Clear();

    // The current printer, or null; never one that left the list.
    CXPrinter* Current();
    void SetCurrent(CXPrinter* printer);
    // True when the printer is one of this collection.
    bool Owns(const CXPrinter* printer) const;

private:
    // In the list, or a "pdf:" printer added to it.
    std::shared_ptr<CXPrinter> Find(const std::string& name);
    // The environment's or the system's default printer, else the first.
    CXPrinter* DefaultLookup();
    void Prune();

    CInkplateCtrl& m_ctrl;
    PrinterSource* m_pSource = nullptr;
    std::vector<std::shared_ptr<CXPrinter>> m_printers;
    // Every printer made, pruned ones too: all are detached with the control.
    std::vector<std::weak_ptr<CXPrinter>> m_all;
    CXPrinter* m_pCurrent = nullptr;
    bool m_bListed = false;
    bool m_bPruned = false;
};

} // namespace nv
