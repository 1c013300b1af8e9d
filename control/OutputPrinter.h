#pragma once
// Stand-in for the printer objects until they land: just what the output
// jobs use.
#include "engine/store/TvChangeEntry.h"
#include "engine/store/TvPrinterSettings.h"
#include "platform/core/DevMode.h"
#include "platform/print/PrinterModeTarget.h"

#include <memory>
#include <string>
#include <vector>

namespace nv {

class CXPrinter {
public:
    explicit CXPrinter(std::string name) : m_name(std::move(name)) { m_settings.m_strPrinterName = m_name; m_settings.m_nScale = 100; m_settings.m_nOrientation = 1; m_settings.m_nPaperSize = 9; }
    const std::string& GetPrinterName() const { return m_name; }
    void Refresh() {}
    int LoadState() const { return 1; }
    const TvPrinterSettings& Settings() { return m_settings; }
    const TvEntryMap& PendingChanges() const { return m_pending; }
    void Record(uint16_t id, int32_t value)
    {
        TvPropertyMap map(id, TvPropValue::Long(value));
        m_settings.SetProperties(map, nullptr);
        TvObjectChanges changes(0);
        changes.m_changes.Add(std::make_unique<CChangeData>(id, value));
        m_pending.MergeChanges(changes);
    }
    void Forget() { m_pending.RemoveAll(); }
    DevMode CurrentDevMode()
    {
        DevMode m;
        m.dmFields = DM_ORIENTATION | DM_PAPERSIZE;
        m.dmOrientation = int16_t(m_settings.m_nOrientation);
        m.dmPaperSize = int16_t(m_settings.m_nPaperSize);
        m.dmScale = 100;
        return m;
    }
    void ApplyDevMode(PrinterModeTarget& t, const TvPrinterSettings* page)
    {
        DevMode m = CurrentDevMode();
        if (page) {
            m.dmOrientation = int16_t(page->m_nOrientation);
            m.dmPaperSize = int16_t(page->m_nPaperSize);
        }
        t.ResetDC(m);
    }
    void BeginJob() {}
    int16_t PrintScale() { return m_settings.m_nScale; }
    std::string JobPrinterName() { return m_name; }

private:
    std::string m_name;
    TvPrinterSettings m_settings;
    TvEntryMap m_pending;
};

class CXPrinters {
public:
    CXPrinter* FindPrinter(const std::string& name)
    {
        for (auto& p : m_list)
            if (p->GetPrinterName() == name) return p.get();
        return nullptr;
    }
    int32_t SelectPrinter(const std::string& name) { return FindPrinter(name) ? 0 : -10; }
    CXPrinter* DefaultPrinter() { return m_list.empty() ? nullptr : m_list.front().get(); }
    bool Empty() const { return m_list.empty(); }
    std::vector<std::unique_ptr<CXPrinter>> m_list;
};

} // namespace nv
