#pragma once
// The drawing control Inkplate: folders, coordinate unit, flags, the open
// forms and the fonts registered by the text attribute methods. This is the
// typed API under its dispatch table; strings from the host are UTF-8 and
// paths native.
#include "control/FontFaceList.h"
#include "control/OutputDevice.h"
#include "control/typelib/TvlEnums.h"
#include "control/typelib/TvlError.h"
#include "control/UnitConversion.h"
#include "engine/model/TvFontDesc.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class CXForm;
class CXPrinter;
class CXPrinters;
class TvDocStore;

class CInkplateCtrl {
public:
    enum class Mode { Run, Design };
    // tvlFlags bits.
    enum : int32_t { tvlFlagsCompress = 1, tvlFlagsPrinterCheck = 2 };
    static constexpr int32_t kDefaultEngineUnit = 3; // 1/100 mm

    explicit CInkplateCtrl(Mode mode = Mode::Run);
    ~CInkplateCtrl();
    CInkplateCtrl(const CInkplateCtrl&) = delete;
    CInkplateCtrl& operator=(const CInkplateCtrl&) = delete;

    Mode GetMode() const { return m_mode; }
    // The ambient user mode, given by the host right after creation.
    void SetMode(Mode mode) { m_mode = mode; }

    // ---- simple properties ---------------------------------------------
    const std::string& GetWorkPath() const { return m_strWorkPath; }
    const std::string& GetImagePath() const { return m_strImagePath; }
    const std::string& GetDocumentPath() const { return m_strDocumentPath; }
    const std::string& GetFormPath() const { return m_strFormPath; }
    void SetWorkPath(const std::string& v);
    void SetImagePath(const std::string& v);
    void SetDocumentPath(const std::string& v);
    void SetFormPath(const std::string& v);
    // tvlUnit numbering; an invalid value raises 0x800A017C / 20011 and
    // keeps the unit.
    int32_t GetUnit() const;
    void SetUnit(int32_t tvlUnit);
    int32_t GetEngineUnit() const { return m_nUnit; }
    int32_t GetFlags() const { return m_nFlags; }
    void SetFlags(int32_t flags) { m_nFlags = flags; }
    const std::string& GetDocumentName() const { return m_strDocumentName; }
    void SetDocumentName(const std::string& v);
    bool IsModified() const { return m_bModified; }
    void SetModified(bool modified) { m_bModified = modified; }

    // The five persistent properties by name ("WorkPath" ... "Unit", the
    // unit as its tvlUnit number). Loading takes the defaults for what the
    // bag lacks; an invalid unit raises as the property does.
    using PropertyBag = std::map<std::string, std::string>;
    void SaveProperties(PropertyBag& bag) const;
    void LoadProperties(const PropertyBag& bag);

    // ---- output state ----------------------------------------------------
    // tvlOutput: 0 none, 1 printer, 2 document, 3 device context.
    int32_t GetOutput() const { return m_nOutput; }
    bool IsDocumentOpen() const { return m_bDocumentOpen; }
    bool IsPrintJobOpen() const { return m_bPrintJobOpen; }
    int32_t GetPage() const { return m_nPage; }
    const std::string& GetDocumentFileName() const { return m_strDocumentFileName; }
    // The handle of the output device context (the print job's or the
    // host's), 0 when none.
    int32_t GetHDC() const { return m_hOutputDc; }

    // ---- output jobs (tvlError results) -----------------------------------
    int32_t StartDocument(const std::string& fileName, const std::string& documentName);
    int32_t EndDocument();
    int32_t AbortDocument();
    int32_t StartPrinter(const std::string& printerName, const std::string& documentName);
    int32_t EndPrinter();
    int32_t AbortPrinter();
    // 0 or an unknown or withdrawn handle raises 0x800A0005 / 20005.
    int32_t SetOutputDC(int32_t hDC);
    int32_t Initialize();
    int32_t PrintDocument(const std::string& fileName);
    // One page of a form to the current output.
    int32_t PrintOut(CXForm& form);
    // Where print jobs come from (tests put in failing ones).
    void SetOutputJobFactory(OutputJobFactory factory) { m_jobFactory = std::move(factory); }

    // ---- printers ---------------------------------------------------------
    // The printer collection; its members list the printers when they need them.
    CXPrinters& Printers() { return *m_pPrinters; }
    // The current printer (listing the printers first), or null.
    CXPrinter* CurrentPrinter();
    // Makes a printer of this control's collection current (null: none);
    // no checks (the output methods use it).
    void SetCurrentPrinter(CXPrinter* printer);
    // The Printer property: 0x800A017C / 20045 while a document or print job
    // is open, 20006 for anything but a printer of this control.
    void SetPrinter(CXPrinter* printer);
    // The pruned collection is not empty (listing it when not yet listed).
    bool HasPrinters();

    // ---- forms ------------------------------------------------------------
    // Opens a form along FormPath ("PRINT\仕入れ.tvf" works as
    // "PRINT/仕入れ.tvf"). Missing: 0x800A0035 / 20016; not readable or no
    // form: 0x800A004B / 20000.
    std::shared_ptr<CXForm> OpenForm(const std::string& fileName);
    const std::vector<std::shared_ptr<CXForm>>& Forms() const { return m_forms; }
    // Moves on whenever a form opens or leaves the list.
    uint64_t FormsGeneration() const { return m_nFormsGeneration; }
    // Drops a form from the list (its Close does this).
    void RemoveForm(const CXForm* form);
    // Closes every form (Initialize, destruction).
    void CloseAllForms();

    // ---- fonts -------------------------------------------------------------
    // The id of a face (CP932): a registered one, else a new entry made from
    // the face list (-1, -2, ...); a face not listed raises 0x800A017C / 20018.
    int32_t LookupFont(const std::string& faceName);
    // The face of a registered id, empty when none.
    std::string FontFace(int32_t fontId) const;
    const std::vector<std::unique_ptr<TvFontDesc>>& FontList() const { return m_fonts; }
    FontFaceList& FaceList() { return m_faceList; }

    // ---- conversions ------------------------------------------------------
    int32_t ToUnit(int32_t doc) const { return DocToUnit(doc, m_nUnit); }
    int32_t FromUnit(int64_t value, SignRule sign) const { return UnitToDoc(value, m_nUnit, sign); }
    // Character sizes: Unit <-> 1/100 point.
    int32_t UnitToCentiPoints(int64_t value) const;
    int32_t CentiPointsToUnit(int32_t value) const;
    // OLE_COLOR to the engine's 0x00bbggrr: colours stay, 0x80000000 + n is
    // the classic system colour n.
    static uint32_t TranslateColor(uint32_t oleColor);

    // Picture file resolution along ImagePath for a stored (CP932) name:
    // the found path, or 0x800A0035 / 20030, 0x800A004B / 20031, 0x800A03EA /
    // 20044. A name that cannot be a file here counts as missing. A file
    // whose path CP932 cannot hold is found only when `nativePath` is given:
    // it gets the path and the stored name comes back unchanged.
    std::string ResolvePicture(const std::string& storedName, std::string* nativePath = nullptr) const;

private:
    int32_t PrinterPage(CXForm& form);
    int32_t DocumentPage(CXForm& form);
    int32_t DcPage(CXForm& form, DeviceContext* dc);
    // OLE objects' pictures into work files for the page; -17 when one
    // cannot be written.
    int32_t OleSubstitutes(CXForm& form, std::vector<std::string>& files, std::vector<uint32_t>& ids);
    std::unique_ptr<OutputJob> MakeJob(CXPrinter& printer, const std::string& docName, int32_t& result);
    void EndJobHandle();
    void DropReservedDocumentName();
    // A print job's PDF file stays named when written, else its reserved
    // name is given up and no file is named.
    void EndJobFile(bool written);
    void RebuildFaceList();

    Mode m_mode;
    std::string m_strWorkPath;
    std::string m_strImagePath;
    std::string m_strDocumentPath;
    std::string m_strFormPath;
    int32_t m_nUnit = kDefaultEngineUnit;
    int32_t m_nFlags = 0;
    std::string m_strDocumentName = "Tavelo Document";
    bool m_bModified = false;
    int32_t m_nOutput = tvlOutputNone;
    bool m_bDocumentOpen = false;
    bool m_bPrintJobOpen = false;
    int32_t m_nPage = 0;
    std::string m_strDocumentFileName;
    // The numbered name was reserved by an empty file of this job.
    bool m_bReservedDocumentName = false;
    std::vector<std::shared_ptr<CXForm>> m_forms;
    uint64_t m_nFormsGeneration = 0;
    std::vector<std::unique_ptr<TvFontDesc>> m_fonts;
    int32_t m_nFontCounter = 0;
    FontFaceList m_faceList;
    bool m_bFaceListBuilt = false;
    std::unique_ptr<CXPrinters> m_pPrinters;
    std::unique_ptr<TvDocStore> m_pDocStore;
    std::unique_ptr<OutputJob> m_pJob;
    int32_t m_hOutputDc = 0;
    bool m_bOwnOutputDc = false; // the handle is the print job's
    OutputJobFactory m_jobFactory;
};

} // namespace nv
