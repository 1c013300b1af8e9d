// The output jobs of the control: report documents, print jobs, a host's
// device context, and printing a stored document again.
#include "control/CInkplateCtrl.h"

#include "control/CXForm.h"
#include "control/CXPrinters.h"
#include "control/ControlErrors.h"
#include "control/ControlText.h"
#include "engine/core/EngineLog.h"
#include "engine/core/PathUtil.h"
#include "engine/render/TvReportDoc.h"
#include "engine/store/TvDocStore.h"
#include "platform/automation/HandleTable.h"
#include "platform/core/Cp932.h"
#include "platform/qt/PrinterByName.h"

#include <QFileInfo>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace nv {

void CInkplateCtrl::RebuildFaceList()
{
    m_faceList.Rebuild();
    m_bFaceListBuilt = true;
}

void CInkplateCtrl::DropReservedDocumentName()
{
    if (!m_bReservedDocumentName) return;
    m_bReservedDocumentName = false;
    // Only while it is still the empty file the reservation made.
    struct stat st {};
    if (::lstat(m_strDocumentFileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        ::unlink(m_strDocumentFileName.c_str());
}

void CInkplateCtrl::EndJobFile(bool written)
{
    if (written) {
        m_bReservedDocumentName = false;
        return;
    }
    DropReservedDocumentName();
    m_strDocumentFileName.clear();
}

void CInkplateCtrl::EndJobHandle()
{
    if (m_bOwnOutputDc) RemoveHandle(m_hOutputDc);
    m_hOutputDc = 0;
    m_bOwnOutputDc = false;
}

std::unique_ptr<OutputJob> CInkplateCtrl::MakeJob(CXPrinter& printer, const std::string& docName, int32_t& result)
{
    std::unique_ptr<OutputJob> job;
    DropReservedDocumentName();
    m_strDocumentFileName.clear();
    try {
        printer.Refresh();
        bool reserved = false;
        const std::string name = printer.JobPrinterName(&reserved);
        // The PDF file a job writes is what the host asks for afterwards.
        if (const QString pdf = PdfFileOfPrinterName(QString::fromStdString(name)); !pdf.isEmpty())
            m_strDocumentFileName = QFileInfo(pdf).absoluteFilePath().toStdString();
        m_bReservedDocumentName = reserved;
        job = m_jobFactory ? m_jobFactory(name) : MakeQtOutputJob(name);
    } catch (const std::exception& e) {
        LogLine("Inkplate", "プリンタ " + printer.GetPrinterName() + " の印刷ジョブを作れません: " + LogText(e));
        job.reset();
    }
    if (!job) {
        EndJobFile(false);
        result = tvlErrCreateDc;
        return nullptr;
    }
    if (!job->StartDoc(docName)) {
        LogJobFailure("印刷を開始できません", *job);
        EndJobFile(false);
        result = tvlErrStartDoc;
        return nullptr;
    }
    printer.BeginJob();
    result = tvlNoError;
    return job;
}

int32_t CInkplateCtrl::StartDocument(const std::string& fileName, const std::string& documentName)
{
    if (!HasPrinters()) return tvlErrNoPrinter;
    if (m_bDocumentOpen) return tvlErrAlreadyOpenDocument;
    if (m_bPrintJobOpen) return tvlErrAlreadyOpenPrinter;
    // The name goes into the file: refuse what it cannot hold before
    // anything is made.
    const std::string storedName = HostTextToEngine(documentName, "DocumentName");
    for (const auto& f : m_forms) f->ClearStored();
    m_pDocStore.reset();
    auto store = std::make_unique<TvDocStore>();
    try {
        if (CurrentPrinter()) store->PrinterSettings().CopyFrom(CurrentPrinter()->Settings());
    } catch (const std::exception& e) {
        LogLine("Inkplate", "プリンタの設定をドキュメントに写せません: " + LogText(e));
        return tvlErrCreateDocument;
    }
    std::string path;
    const std::string folder = HostPath(m_strDocumentPath);
    if (!fileName.empty()) {
        std::string normalised;
        if (NormaliseFolder(normalised, folder, true) != 0) return tvlErrCreateDocument;
        JoinPath(path, normalised, HostPath(fileName));
    } else if (MakeUniqueFileName(path, folder, "Tvdoc", "tvd", 1, true) != 0) {
        return tvlErrCreateDocument;
    }
    store->Header().m_bPacked = (m_nFlags & tvlFlagsCompress) ? 1 : 0;
    store->Header().m_strName = storedName;
    store->SetWorkFolder(HostPath(m_strWorkPath));
    try {
        store->Create(path);
    } catch (const std::exception& e) {
        LogLine("Inkplate", "ドキュメントファイル " + path + " を作成できません: " + LogText(e));
        // The numbered name was reserved by an empty file of our own.
        if (fileName.empty()) std::remove(path.c_str());
        return tvlErrCreateDocument;
    }
    RebuildFaceList();
    m_pDocStore = std::move(store);
    m_nPage = 1;
    m_nOutput = tvlOutputDocument;
    m_strDocumentFileName = path;
    m_bReservedDocumentName = fileName.empty();
    m_strDocumentName = documentName;
    m_bDocumentOpen = true;
    return tvlNoError;
}

int32_t CInkplateCtrl::EndDocument()
{
    if (!m_bDocumentOpen) return tvlErrNotOpenDocument;
    const std::string storedName = HostTextToEngine(m_strDocumentName, "DocumentName");
    int32_t result = tvlNoError;
    try {
        m_pDocStore->Header().m_strName = storedName;
        m_pDocStore->Header().m_bPacked = (m_nFlags & tvlFlagsCompress) ? 1 : 0;
        m_pDocStore->WriteObjectList(m_fonts);
        m_pDocStore->Close();
    } catch (...) {
        LogLine("Inkplate", "ドキュメントファイル " + m_strDocumentFileName + " を書き終えられません: "
                                + CurrentExceptionText());
        result = tvlErrWriteDocument;
        m_pDocStore->Discard();
        DropReservedDocumentName();
    }
    m_bReservedDocumentName = false;
    m_bDocumentOpen = false;
    m_nOutput = tvlOutputNone;
    return result;
}

int32_t CInkplateCtrl::AbortDocument()
{
    if (!m_bDocumentOpen) return tvlErrNotOpenDocument;
    // Nothing of it is wanted: drop the store rather than write it.
    try {
        m_pDocStore->Discard();
    } catch (const std::exception& e) {
        LogLine("Inkplate", "ドキュメントファイル " + m_strDocumentFileName + " を破棄できません: " + LogText(e));
    }
    m_bDocumentOpen = false;
    // The store removes a target it made itself; an older document of the
    // name is the user's and stays.
    DropReservedDocumentName();
    return tvlNoError;
}

int32_t CInkplateCtrl::StartPrinter(const std::string& printerName, const std::string& documentName)
{
    if (m_bPrintJobOpen) return tvlErrAlreadyOpenPrinter;
    if (m_bDocumentOpen) return tvlErrAlreadyOpenDocument;
    if (!HasPrinters()) return tvlErrNoPrinter;
    if (!printerName.empty()) {
        if (Printers().SelectPrinter(printerName) != 0) return tvlErrPrinterNotExists;
    }
    CXPrinter* printer = CurrentPrinter();
    if (!printer) return tvlErrNoPrinter;
    EndJobHandle();
    m_strDocumentName = documentName;
    int32_t result = tvlNoError;
    m_pJob = MakeJob(*printer, documentName, result);
    if (!m_pJob) return result;
    m_hOutputDc = ReserveHandle(HandleKind::DeviceContext);
    m_bOwnOutputDc = true;
    RebuildFaceList();
    m_nOutput = tvlOutputPrinter;
    m_bPrintJobOpen = true;
    m_nPage = 1;
    return tvlNoError;
}

int32_t CInkplateCtrl::EndPrinter()
{
    if (!m_bPrintJobOpen) return tvlErrNotOpenPrinter;
    m_bPrintJobOpen = false;
    m_nOutput = tvlOutputNone;
    if (!m_pJob) return tvlErrInvalidHdc;
    const bool ended = m_pJob->EndDoc();
    if (!ended) LogJobFailure("印刷を終了できません", *m_pJob);
    m_pJob.reset();
    EndJobFile(ended);
    EndJobHandle();
    return ended ? tvlNoError : tvlErrEndDoc;
}

int32_t CInkplateCtrl::AbortPrinter()
{
    if (!m_bPrintJobOpen) return tvlErrNotOpenPrinter;
    m_bPrintJobOpen = false;
    if (!m_pJob) return tvlErrInvalidHdc;
    m_pJob->AbortDoc();
    m_pJob.reset();
    EndJobFile(false);
    EndJobHandle();
    return tvlNoError;
}

int32_t CInkplateCtrl::SetOutputDC(int32_t hDC)
{
    if (m_bDocumentOpen) return tvlErrAlreadyOpenDocument;
    if (m_bPrintJobOpen) return tvlErrAlreadyOpenPrinter;
    if (hDC == 0) ThrowControlError(kErrInvalidValue, kTextBadHdc);
    EndJobHandle();
    m_nOutput = tvlOutputNone;
    if (!LookUpHandle(HandleKind::DeviceContext, hDC)) ThrowControlError(kErrInvalidValue, kTextBadHdc);
    m_hOutputDc = hDC;
    RebuildFaceList();
    m_nOutput = tvlOutputDC;
    return tvlNoError;
}

int32_t CInkplateCtrl::Initialize()
{
    int32_t result = tvlNoError;
    if (m_bPrintJobOpen) {
        AbortPrinter();
        result = tvlErrAlreadyOpenPrinter;
    }
    if (m_bDocumentOpen) {
        AbortDocument();
        result = tvlErrAlreadyOpenDocument;
    }
    CloseAllForms();
    m_nOutput = tvlOutputNone;
    m_pJob.reset();
    EndJobHandle();
    m_strDocumentFileName.clear();
    m_nPage = 0;
    if (!HasPrinters()) return tvlErrNoPrinter;
    CXPrinter* previous = CurrentPrinter();
    CXPrinter* printer = Printers().DefaultPrinter();
    if (!printer) return tvlErrNoPrinter;
    if (previous && previous != printer) previous->Forget();
    SetCurrentPrinter(printer);
    printer->Forget();
    return result;
}

int32_t CInkplateCtrl::PrintDocument(const std::string& fileName)
{
    if (m_bPrintJobOpen) return tvlErrAlreadyOpenPrinter;
    if (m_bDocumentOpen) return tvlErrAlreadyOpenDocument;
    if (!HasPrinters()) return tvlErrNoPrinter;
    std::string found;
    const int where = FindFileOnPathList(found, HostPath(m_strDocumentPath), HostPath(fileName), false);
    if (where != 0) {
        std::string why;
        if (where == -1) {
            why = "ドキュメントのフォルダ (" + m_strDocumentPath + ") にありません。";
        } else {
            ProbeFile(found, &why);
            why = Cp932ToUtf8(why);
        }
        LogLine("Inkplate", "ドキュメントファイル " + fileName + " を開けません: " + why);
        return where == -1 ? tvlErrOpenDocument : tvlErrReadDocument;
    }
    CXPrinter* printer = CurrentPrinter();
    if (!printer) return tvlErrNoPrinter;
    try {
        printer->Refresh();
    } catch (const std::exception& e) {
        // The settings read last still serve the job.
        LogLine("Inkplate", "プリンタ " + printer->GetPrinterName() + " の設定を読み直せません: " + LogText(e));
    }
    m_pDocStore.reset();
    TvReportDoc doc;
    try {
        doc.Open(found);
    } catch (const std::exception& e) {
        LogLine("Inkplate", "ドキュメントファイル " + found + " を開けません: " + LogText(e));
        return tvlErrOpenDocument;
    }
    const std::string jobName = Cp932ToUtf8(doc.Store().Header().m_strName);
    int32_t result = tvlNoError;
    std::unique_ptr<OutputJob> job = MakeJob(*printer, jobName, result);
    if (!job) return result;
    try {
        const int16_t scale = printer->PrintScale();
        for (int32_t n = 1; n <= doc.PageCount() && result == tvlNoError; ++n) {
            doc.GetPageData(n);
            printer->ApplyDevMode(*job, doc.GetPageSettings(n));
            if (!job->StartPage()) {
                LogJobFailure("ページ " + std::to_string(n) + " を始められません", *job);
                result = tvlErrStartPage;
                break;
            }
            doc.DrawPage(*job->PageDc(), n, {0, 0}, scale);
            if (!job->EndPage()) {
                LogJobFailure("ページ " + std::to_string(n) + " を出力できません", *job);
                result = tvlErrEndPage;
            }
        }
    } catch (...) {
        LogLine("Inkplate", "ドキュメントファイル " + found + " を読み続けられません: " + CurrentExceptionText());
        // A document that cannot be read any further is not ended as if whole.
        job->AbortDoc();
        EndJobFile(false);
        return result == tvlNoError ? tvlErrReadDocument : result;
    }
    // A page the printer refused stops the loop, but the pages before it
    // have gone out: the job is ended as usual.
    const bool ended = job->EndDoc();
    EndJobFile(ended);
    if (ended) return result;
    LogJobFailure("印刷を終了できません", *job);
    return tvlErrEndDoc;
}

} // namespace nv
