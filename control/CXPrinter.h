#pragma once
// One printer of the control: its set-up read on first use, the changes the
// host made to it (which report documents carry page by page), and the mode
// a print job's device is set to before each page. Names are UTF-8.
#include "engine/store/TvChangeEntry.h"
#include "engine/store/TvPrinterSettings.h"
#include "platform/core/DevMode.h"
#include "platform/print/PrinterModeTarget.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace nv {

class CInkplateCtrl;
class CXForm;
class DevModeTracker;
class TvPaperForms;

class CXPrinter : public std::enable_shared_from_this<CXPrinter> {
public:
    // The ITvPrinter member numbers.
    enum Member : int32_t {
        kPrinterName = 1, kDeviceName, kOrientation, kPaperSize, kPaperLength, kPaperWidth, kPrintScale, kCopies,
        kPrintQuality, kPaperName, kDuplex, kColor, kTTOption, kCollate, kYResolution, kSetFormSize, kDefaultSource,
    };
    // The stand-in printer when the system lists none.
    static constexpr const char* kVirtualName = "PDF";

    CXPrinter(CInkplateCtrl& ctrl, std::string name, bool isVirtual = false);
    ~CXPrinter();
    CXPrinter(const CXPrinter&) = delete;
    CXPrinter& operator=(const CXPrinter&) = delete;

    // The control went away; every member then raises 0x800A03E9 / 20017.
    void Detach() { m_pCtrl = nullptr; }
    CInkplateCtrl* Ctrl() const { return m_pCtrl; }
    bool IsVirtual() const { return m_bVirtual; }

    // The printer's name as listed (UTF-8).
    const std::string& GetPrinterName() const { return m_strName; }
    // The driver's name; reads the printer.
    std::string GetDeviceName();

    // Reads the printer once (again after Forget); a printer that cannot be
    // opened or read raises 0x800A01E2 / 20007.
    void Refresh();
    // 0 not read yet, 1 read, -1 read but it gave no set-up.
    int LoadState() const { return m_nLoadState; }
    // The set-up with the host's changes; reads first.
    const TvPrinterSettings& Settings();

    // The changes (ids 1500-1513, object id 0) since the last Forget, keyed
    // as a page's printer-setting entries.
    const TvEntryMap& PendingChanges() const { return m_pending; }
    // Copies them into a page's printer-setting entries (replacing equal keys).
    void CopyPendingChangesTo(TvEntryMap& target) const;
    // Drops the changes and the set-up read (Initialize): the next use reads again.
    void Forget();

    // The mode page 1 of a job starts with: the printer's set-up with the
    // host's changes, scale 100. Empty (dmFields 0) when the printer cannot
    // be read or gives no set-up.
    DevMode CurrentDevMode();
    // Sets the device to the printer's mode before a page; with page settings
    // (a stored document's page) only orientation and paper follow them.
    void ApplyDevMode(PrinterModeTarget& target, const TvPrinterSettings* pageSettings);
    // At every job start: a fresh mode tracker, so the first page always resets.
    void BeginJob();
    // The drawing scale of the jobs, percent.
    int16_t PrintScale();
    // The name a job opens (OpenPrinterByName): the printer's own, or for the
    // stand-in "pdf:<DocumentPath>/Tvprint<n>.pdf" with the first unused n,
    // whose name an empty file then holds (`reserved` set).
    std::string JobPrinterName(bool* reserved = nullptr);

    // ---- ITvPrinter -----------------------------------------------------------
    // Numeric members by number (Orientation ... DefaultSource but PaperName),
    // lengths in the control's Unit. Setting records the change.
    int32_t GetNumber(int32_t member);
    void SetNumber(int32_t member, int32_t value);
    std::string GetPaperName();
    void SetPaperName(const std::string& name);
    // Sets the printer's orientation and paper to the form's. A paper the
    // printer cannot take gives a tvlError code rather than an exception.
    int32_t SetFormSize(CXForm& form);

private:
    CInkplateCtrl& Control() const;
    // Reads the printer when its mode is missing; false when still missing.
    bool EnsureMode();
    bool CheckOn() const;
    void Check(uint32_t dmBits) const;
    void Record(uint16_t propId, int32_t value);
    void RecordName(const std::string& cp932);
    void RecordNumberedPaperName(const std::string& cp932);
    TvPaperForms PaperForms() const;
    bool PaperFits(int32_t code, int32_t width, int32_t length) const;
    void FillMode(DevMode& mode, const TvPrinterSettings& source, bool pageSettings);

    CInkplateCtrl* m_pCtrl;
    std::string m_strName;
    bool m_bVirtual;
    std::string m_strDriver;
    TvPrinterSettings m_settings;
    int m_nLoadState = 0;
    std::string m_strPort;
    std::optional<DevMode> m_devMode;
    TvEntryMap m_pending;
    std::unique_ptr<DevModeTracker> m_pTracker;
};

} // namespace nv
