#include "control/CInkplateCtrl.h"

#include "control/CInkplateDoc.h"
#include "control/CXForm.h"
#include "control/CXPrinters.h"
#include "control/ControlErrors.h"
#include "control/Converters.h"
#include "control/ControlText.h"
#include "engine/core/EngineLog.h"
#include "engine/core/PathUtil.h"
#include "engine/core/PropertyIds.h"
#include "engine/format/UnitTable.h"
#include "engine/model/TvImage.h"
#include "engine/render/ImageDrawer.h"
#include "engine/store/TvDocStore.h"

#include <algorithm>
#include <array>

namespace nv {

namespace {

constexpr int32_t kDefaultTvlUnit = 1;

// Windows' classic scheme, as 0x00bbggrr.
constexpr std::array<uint32_t, 25> kSystemColours = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF};

// Hosts show the description to the user: which file and why (a damaged
// block table, a denied permission, a folder) is for the log.
[[noreturn]] void FormFileError(const std::string& path, const std::string& why)
{
    LogLine("Inkplate", "フォームファイル " + path + " を開けません: " + why);
    ThrowControlError(kErrFileAccess, 20000);
}

} // namespace

CInkplateCtrl::CInkplateCtrl(Mode mode) : m_mode(mode), m_pPrinters(std::make_unique<CXPrinters>(*this)) {}

CInkplateCtrl::~CInkplateCtrl()
{
    CloseAllForms();
    // A job still open leaves no output; its handle goes with it.
    if (m_pJob) m_pJob->AbortDoc();
    EndJobHandle();
    m_pPrinters.reset();
}

CXPrinter* CInkplateCtrl::CurrentPrinter() { return m_pPrinters->Current(); }

void CInkplateCtrl::SetCurrentPrinter(CXPrinter* printer) { m_pPrinters->SetCurrent(printer); }

void CInkplateCtrl::SetPrinter(CXPrinter* printer)
{
    if (m_bDocumentOpen || m_bPrintJobOpen) ThrowControlError(kErrInvalidProperty, kTextPrinterInUse);
    if (!printer || printer->Ctrl() != this || !m_pPrinters->Owns(printer))
        ThrowControlError(kErrInvalidProperty, kTextInvalidObject);
    m_pPrinters->SetCurrent(printer);
    m_bModified = true;
}

bool CInkplateCtrl::HasPrinters() { return !m_pPrinters->Empty(); }

void CInkplateCtrl::SetWorkPath(const std::string& v)
{
    m_strWorkPath = v;
    if (m_pDocStore) m_pDocStore->SetWorkFolder(HostPath(v));
    m_bModified = true;
}

void CInkplateCtrl::SetImagePath(const std::string& v)
{
    m_strImagePath = v;
    m_bModified = true;
}

void CInkplateCtrl::SetDocumentPath(const std::string& v)
{
    m_strDocumentPath = v;
    m_bModified = true;
}

void CInkplateCtrl::SetFormPath(const std::string& v)
{
    m_strFormPath = v;
    m_bModified = true;
}

void CInkplateCtrl::SetDocumentName(const std::string& v)
{
    m_strDocumentName = v;
    m_bModified = true;
}

int32_t CInkplateCtrl::GetUnit() const { return kUnitConverter.FromEngine(m_nUnit); }

void CInkplateCtrl::SetUnit(int32_t tvlUnit)
{
    m_nUnit = ToEngineOrThrow(kUnitConverter, tvlUnit, ConvertSite::PropertySetter);
    m_bModified = true;
}

void CInkplateCtrl::SaveProperties(PropertyBag& bag) const
{
    bag["WorkPath"] = m_strWorkPath;
    bag["ImagePath"] = m_strImagePath;
    bag["DocumentPath"] = m_strDocumentPath;
    bag["FormPath"] = m_strFormPath;
    bag["Unit"] = std::to_string(GetUnit());
}

void CInkplateCtrl::LoadProperties(const PropertyBag& bag)
{
    auto get = [&](const char* name) {
        auto it = bag.find(name);
        return it == bag.end() ? std::string() : it->second;
    };
    int32_t unit = kDefaultTvlUnit;
    if (auto it = bag.find("Unit"); it != bag.end()) {
        size_t used = 0;
        try {
            unit = std::stoi(it->second, &used);
        } catch (const std::exception& e) {
            LogLine("Inkplate", "保存された単位 \"" + it->second + "\" は数ではありません: " + LogText(e));
            used = 0;
        }
        if (used == 0 || used != it->second.size()) ThrowControlError(kErrInvalidProperty, 20011);
    }
    SetUnit(unit);
    m_strWorkPath = get("WorkPath");
    m_strImagePath = get("ImagePath");
    m_strDocumentPath = get("DocumentPath");
    m_strFormPath = get("FormPath");
    m_bModified = false;
}

std::shared_ptr<CXForm> CInkplateCtrl::OpenForm(const std::string& fileName)
{
    std::string found;
    const int r = FindFileOnPathList(found, HostPath(m_strFormPath), HostPath(fileName), false);
    if (r == -1) {
        LogLine("Inkplate", "フォームファイル " + fileName + " がフォームのフォルダ (" + m_strFormPath + ") にありません。");
        ThrowControlError(kErrFileNotFound, 20016);
    }
    if (r != 0) {
        std::string why;
        ProbeFile(found, &why);
        FormFileError(found, EngineTextToHost(why));
    }

    auto doc = std::make_unique<CInkplateDoc>();
    if (!doc->OnOpenDocument(found)) FormFileError(found, EngineTextToHost(doc->Error()));
    std::unique_ptr<TvFedObject> copy;
    try {
        TvFedObject& root = *doc->GetRoot();
        root.SetObjectsFlag(1);
        copy = root.Clone();
        root.SetObjectsFlag(0);
    } catch (const CException& e) {
        FormFileError(found, EngineTextToHost(e.GetErrorMessage()));
    }
    copy->ForEachObjectMutable([&](TvObject& obj, TvLayer&) {
        auto* image = dynamic_cast<TvImage*>(&obj);
        if (!image || image->GetType() != objImage || image->m_bEmbedded) return;
        try {
            image->m_strFileName = ResolvePicture(image->m_strFileName, &image->m_strFoundPath);
        } catch (const AutomationError& e) {
            // The form still opens; its page output reports the picture.
            LogLine("Inkplate", "フォームファイル " + found + " のイメージ " + EngineTextToHost(image->m_strFileName) +
                                    " を使えません: " + e.Description());
            image->m_strFileName.clear();
        }
    });
    auto form = std::make_shared<CXForm>(*this, std::move(doc), std::move(copy), found);
    m_forms.push_back(form);
    ++m_nFormsGeneration;
    return form;
}

void CInkplateCtrl::RemoveForm(const CXForm* form)
{
    ++m_nFormsGeneration;
    m_forms.erase(std::remove_if(m_forms.begin(), m_forms.end(), [&](const auto& f) { return f.get() == form; }),
                  m_forms.end());
}

void CInkplateCtrl::CloseAllForms()
{
    // Close removes each form from the list.
    std::vector<std::shared_ptr<CXForm>> forms = m_forms;
    for (const auto& f : forms) {
        try {
            f->CloseForm();
        } catch (const std::exception& e) {
            LogLine("Inkplate", "フォームファイル " + f->FileName() + " を閉じられません: " + LogText(e));
        }
    }
    m_forms.clear();
    ++m_nFormsGeneration;
}

int32_t CInkplateCtrl::LookupFont(const std::string& faceName)
{
    for (const auto& f : m_fonts)
        if (f->m_strFaceName == faceName) return f->m_nFontId;
    if (!m_bFaceListBuilt) {
        m_faceList.Rebuild();
        m_bFaceListBuilt = true;
    }
    const TvFontDesc* face = m_faceList.Find(faceName);
    if (!face) ThrowControlError(kErrInvalidProperty, 20018);
    auto desc = face->Clone();
    desc->m_nFontId = --m_nFontCounter;
    m_fonts.push_back(std::move(desc));
    return m_nFontCounter;
}

std::string CInkplateCtrl::FontFace(int32_t fontId) const
{
    for (const auto& f : m_fonts)
        if (f->m_nFontId == fontId) return f->m_strFaceName;
    return {};
}

int32_t CInkplateCtrl::UnitToCentiPoints(int64_t value) const { return ConvertUnits(UNIT_CENTIPOINT, value, m_nUnit); }

int32_t CInkplateCtrl::CentiPointsToUnit(int32_t value) const { return ConvertUnits(m_nUnit, value, UNIT_CENTIPOINT); }

uint32_t CInkplateCtrl::TranslateColor(uint32_t oleColor)
{
    if ((oleColor & 0xFF000000u) == 0x80000000u) {
        const uint32_t n = oleColor & 0x00FFFFFFu;
        if (n < kSystemColours.size()) return kSystemColours[n];
    }
    return oleColor & 0x00FFFFFFu;
}

std::string CInkplateCtrl::ResolvePicture(const std::string& storedName, std::string* nativePath) const
{
    if (storedName.empty()) ThrowControlError(kErrFileNotFound, 20030);
    std::string found;
    int r = -1;
    try {
        r = FindStoredFile(found, HostPath(m_strImagePath), storedName);
    } catch (const CException& e) {
        // A stored name the file system cannot hold is a missing picture.
        LogLine("Inkplate", "イメージ名をファイル名にできません: " + LogText(e));
        r = -1;
    }
    if (r == -1) ThrowControlError(kErrFileNotFound, 20030);
    if (r != 0) ThrowControlError(kErrFileAccess, 20031);
    if (ImageDrawer::GetPictureKind(found) == 0) ThrowControlError(kErrImageFormat, 20044);
    // The model keeps picture names as stored text.
    const std::optional<std::string> stored = HostPathToEngine(found);
    if (stored) return *stored;
    if (!nativePath) ThrowControlError(kErrFileNotFound, 20030);
    *nativePath = found;
    return storedName;
}

} // namespace nv
