// One page of a form to the current output: a printer page, a document
// page or a page on a host's device context.
#include "control/CInkplateCtrl.h"

#include "control/CXForm.h"
#include "control/CXPrinters.h"
#include "control/ControlText.h"
#include "control/OleSubstitute.h"
#include "engine/core/EngineLog.h"
#include "engine/core/Exceptions.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvOle.h"
#include "engine/render/FormPainter.h"
#include "engine/store/TvDocStore.h"
#include "platform/automation/HandleTable.h"

#include <fstream>

namespace nv {

namespace {

void LogPageError(const std::string& what) { LogLine("Inkplate", "ページの出力: " + what); }

} // namespace

int32_t CInkplateCtrl::PrintOut(CXForm& form)
{
    form.CheckOpen();
    if (!HasPrinters()) return tvlErrNoPrinter;
    switch (m_nOutput) {
    case tvlOutputPrinter: return PrinterPage(form);
    case tvlOutputDocument: return DocumentPage(form);
    case tvlOutputDC:
        return DcPage(form, static_cast<DeviceContext*>(LookUpHandle(HandleKind::DeviceContext, m_hOutputDc)));
    default: return tvlErrOutputNone;
    }
}

int32_t CInkplateCtrl::PrinterPage(CXForm& form)
{
    // After AbortPrinter the job is gone: nothing is touched.
    if (!m_pJob || !CurrentPrinter()) return tvlErrStartPage;
    try {
        CurrentPrinter()->ApplyDevMode(*m_pJob, nullptr);
    } catch (const std::exception& e) {
        LogPageError(LogText(e));
    }
    if (!m_pJob->StartPage()) {
        LogJobFailure("ページ " + std::to_string(m_nPage) + " を始められません", *m_pJob);
        return tvlErrStartPage;
    }
    RebindHandle(m_hOutputDc, m_pJob->PageDc());
    // Paper and preview agree: a failed object is logged, not returned.
    DcPage(form, m_pJob->PageDc());
    RebindHandle(m_hOutputDc, nullptr);
    if (!m_pJob->EndPage()) {
        LogJobFailure("ページ " + std::to_string(m_nPage) + " を出力できません", *m_pJob);
        return tvlErrEndPage;
    }
    ++m_nPage;
    return tvlNoError;
}

int32_t CInkplateCtrl::DcPage(CXForm& form, DeviceContext* dc)
{
    if (!dc) return tvlErrInvalidHdc;
    int32_t scale = 100;
    if (CurrentPrinter()) {
        try {
            CurrentPrinter()->Refresh();
            scale = CurrentPrinter()->PrintScale();
        } catch (const std::exception& e) {
            LogPageError(LogText(e));
        }
    }
    if (dc->SaveDC() <= 0) return tvlErrInvalidHdc;
    int32_t result = tvlNoError;
    TvFedObject& root = form.Root();

    // Pictures that are not embedded take the names the working copy
    // resolved along ImagePath; one without a file is left out.
    std::vector<std::pair<TvImage*, std::string>> renamed;
    std::vector<TvObject*> hidden;
    for (size_t i = 0; i < root.m_layers.size(); ++i) {
        if (!IsLayerPrinted(root, i)) continue;
        for (auto& obj : root.m_layers[i]->m_objects) {
            auto* image = dynamic_cast<TvImage*>(obj.get());
            if (!image || !image->m_bVisible || image->GetType() != objImage || image->m_bEmbedded) continue;
            const auto* own = dynamic_cast<const TvImage*>(form.WorkingCopy().FindObjectById(image->m_nObjectId));
            if (own && !own->m_strFileName.empty()) {
                renamed.emplace_back(image, image->m_strFileName);
                image->m_strFileName = own->m_strFileName;
                image->m_strFoundPath = own->m_strFoundPath;
            } else {
                LogPageError("イメージ \"" + EngineTextToHost(image->m_strName) + "\" のファイルがありません。");
                image->m_bVisible = 0;
                hidden.push_back(image);
                result = tvlErrObjectDraw;
            }
        }
    }
    std::vector<const TvFontDesc*> fonts;
    for (const auto& f : m_fonts) fonts.push_back(f.get());
    // Objects drawn on this page keep their own names.
    PageExtraObjects extras;
    for (const auto& [layerId, list] : form.DrawnObjects())
        for (const auto& obj : list) extras[layerId].push_back(obj.get());
    FormPageOptions options;
    options.zoom = scale;
    options.docFonts = &fonts;
    options.extras = &extras;
    const size_t errorsBefore = dc->Errors().size();
    try {
        if (DrawFormPage(*dc, root, options) > 0) result = tvlErrObjectDraw;
    } catch (const std::exception& e) {
        LogPageError(LogText(e));
        result = tvlErrObjectDraw;
    }
    for (size_t i = errorsBefore; i < dc->Errors().size(); ++i) LogPageError(dc->Errors()[i]);
    for (auto& [image, name] : renamed) {
        image->m_strFileName = name;
        image->m_strFoundPath.clear();
    }
    for (TvObject* obj : hidden) obj->m_bVisible = 1;
    form.DrawnObjects().clear();
    dc->RestoreDC(-1);
    return result;
}

int32_t CInkplateCtrl::OleSubstitutes(CXForm& form, std::vector<std::string>& files, std::vector<uint32_t>& ids)
{
    int32_t result = tvlNoError;
    std::vector<TvOle*> oles;
    form.Root().ForEachObjectMutable([&](TvObject& obj, TvLayer&) {
        if (auto* ole = dynamic_cast<TvOle*>(&obj)) oles.push_back(ole);
    });
    for (TvOle* ole : oles) {
        std::string name;
        bool written = false;
        if (TempFileManager::Instance().CreateTempName(name, HostPath(m_strWorkPath))) {
            std::ofstream out(name, std::ios::binary | std::ios::trunc);
            const std::string emf = OleSubstituteMetafile(*ole);
            written = bool(out.write(emf.data(), std::streamsize(emf.size()))) && bool(out.flush());
        }
        if (!written) {
            if (!name.empty()) TempFileManager::Instance().RemoveFile(name);
            result = tvlErrOleDraw;
            continue;
        }
        files.push_back(name);
        ids.push_back(ole->m_nObjectId);
        form.RecordObject(*ole, TvPropertyMap(propEmbeddedFile, TvPropValue::String(name)));
    }
    return result;
}

int32_t CInkplateCtrl::DocumentPage(CXForm& form)
{
    if (!m_bDocumentOpen || !m_pDocStore) return tvlErrNotOpenDocument;
    if (!form.IsStoredInDocument()) {
        try {
            form.MarkStored(m_pDocStore->WriteForm(form.WorkingCopy()));
        } catch (const std::exception& e) {
            LogPageError("ドキュメントファイル " + m_strDocumentFileName + " にフォームを書き込めません: " + LogText(e));
            return tvlErrWriteDocument;
        }
    }
    std::vector<std::string> files;
    std::vector<uint32_t> oleIds;
    int32_t result = tvlNoError;
    try {
        result = OleSubstitutes(form, files, oleIds);
    } catch (...) {
        LogPageError("OLE オブジェクトの代わりの絵を作れません: " + CurrentExceptionText());
        result = tvlErrOleDraw;
    }
    TvPageData& page = form.PageData();
    page.m_nFormId = uint32_t(form.DocumentFormId());
    for (auto& [layerId, list] : form.DrawnObjects()) page.m_extraObjects.SetAt(layerId, std::move(list));
    form.DrawnObjects().clear();
    page.m_printerEntries.RemoveAll();
    try {
        if (CXPrinter* printer = CurrentPrinter()) printer->CopyPendingChangesTo(page.m_printerEntries);
        m_pDocStore->WritePage(page);
        ++m_nPage;
    } catch (const std::exception& e) {
        LogPageError("ドキュメントファイル " + m_strDocumentFileName + " にページ " + std::to_string(m_nPage)
                     + " を書き込めません: " + LogText(e));
        result = tvlErrWriteDocument;
    }
    page.m_printerEntries.RemoveAll();
    page.m_extraObjects.RemoveAll();
    // The pictures belong to this page: their files go now.
    for (uint32_t id : oleIds) page.m_objectEntries.RemoveKey(TvEntryKey{int32_t(id), propEmbeddedFile});
    for (const auto& f : files) TempFileManager::Instance().RemoveFile(f);
    return result;
}

} // namespace nv
