#pragma once
// One run of a report through the drawing control, late-bound by member
// name: set-up, the print job or the document, the form with its layers,
// the pages, the end of the output, and one exit path that abandons an open
// job or document and closes the form whatever failed. Every failure is
// shown once; the busy cursor and the status text are restored on every
// path.
#include "ledger/common/StatusText.h"
#include "ledger/journal/print/ReportPage.h"
#include "platform/automation/Dispatch.h"

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace nv {

enum class OutputMode { Printer = 1, Document = 2 };

inline constexpr const char* kNoPrinterMessage = "プリンタがインストールされていません。";
inline constexpr const char* kPrintDoneMessage = "印刷が終了しました。";
inline constexpr const char* kPrintFileLine = "PDFファイル: ";
inline constexpr const char* kLedgerWorkingStatus = "                                     処理中・・・";
inline constexpr const char* kPrintedStatus = "印刷終了";
inline constexpr const char* kDocumentDoneStatus = "作成終了";
inline constexpr const char* kReadyStatus = "入力担当者名・出力条件を入力してください。";

struct DrawingJob {
    OutputMode Mode = OutputMode::Document;
    std::string FormFile;                 // as OpenForm takes it
    std::string DocumentFile;             // absolute; document output only
    std::string DocumentName;             // the print job's or the document's
    std::string PrintFolder;              // printer output: where the PDF printer writes
    int32_t Orientation = 1;              // of the A4 paper: 1 portrait, 2 landscape
    std::vector<std::string> Layers;      // made visible at print, in order
    std::vector<FieldWrite> Header;       // written once, after the fields are cleared
    std::vector<ReportPage> Pages;
    bool ClearAfterEachPage = false;
    bool LedgerStatus = false;            // the ledger's status texts
};

struct PrintContext {
    StatusBarPanels* Status = nullptr;
    QWidget* Parent = nullptr;
};

// True when every page went out and the output was ended.
bool RunDrawingJob(const ObjectRef& control, const DrawingJob& job, const PrintContext& context);

// "Err:" + method + "(" + the result's message + ")".
std::string ControlFailureText(const std::string& method, int32_t result);

} // namespace nv
