// The journal window's prints: the ledger and the summary, to the printer
// from the print menu or into a document shown in the viewer, then the
// balances again and a new line.
#include "ledger/journal/window/JournalDialog.h"

#include "ledger/common/ShownFailure.h"
#include "ledger/journal/window/PreviewViewer.h"
#include "platform/automation/Automation.h"
#include "platform/ui/Prompt.h"

#include <QTableView>

namespace nv {

ObjectRef JournalDialog::DrawingControl()
{
    if (ink_) return ink_;
    try {
        ink_ = ObjectRef(CreateObject(kDrawingControlProgId));
    } catch (const AutomationError& e) {
        ui::Warn(QString::fromStdString(ShownFailure("Journal", e)), this);
        return {};
    }
    // The control only prints, so it stays hidden on the journal window,
    // which owns it from here on.
    if (auto* w = static_cast<QWidget*>(ink_.Get()->QueryInterface(kIID_QWidget))) {
        w->setParent(this);
        w->setObjectName("Inkplate1");
        w->hide();
    }
    return ink_;
}

PrintContext JournalDialog::Context()
{
    return {static_cast<StatusBarPanels*>(this), this};
}

bool JournalDialog::PrintLedgerOut(OutputMode mode)
{
    // Balances first: a failure or an empty journal starts nothing.
    try {
        book_->CalcRunningBalance();
    } catch (const std::exception& e) {
        model_.Reload();
        SayOnce(QString::fromStdString(ShownFailure("Journal", e)));
        return false;
    }
    model_.Reload();
    if (book_->Lines().empty()) {
        ui::Warn(kNoLinesToPrintMessage, this);
        return false;
    }
    ObjectRef ink = DrawingControl();
    if (!ink) return false;
    return PrintLedger(ink, mode, words_, global_.Settings, entry_.Party, book_->Lines(), Context());
}

bool JournalDialog::PrintSummaryOut(OutputMode mode, JournalReport& report)
{
    const bool portrait = IsTrue(global_.PortraitSummary);
    report = portrait ? JournalReport::PortraitSummary : JournalReport::LandscapeSummary;
    if (!SaveBook()) return false;
    SummaryData data;
    try {
        data = BuildSummaryData(db_, words_, book_->Period());
    } catch (const std::exception& e) {
        ui::Warn(QString::fromStdString(ShownFailure("Journal", e)), this);
        return false;
    }
    ObjectRef ink = DrawingControl();
    if (!ink) return false;
    return portrait ? PrintSummaryPortrait(ink, mode, words_, global_.Settings, data, Context())
                    : PrintSummaryLandscape(ink, mode, words_, global_.Settings, data, Context());
}

void JournalDialog::ShowDocument(JournalReport report, bool doneWhenStarted)
{
    std::string document;
    try {
        document = ReportDocumentFile(words_, report);
    } catch (const std::exception& e) {
        ui::Warn(QString::fromStdString(ShownFailure("Journal", e)), this);
        return;
    }
    waitingForViewer_ = true;
    RunViewer(ViewerProgramPath(viewerProgram_), QString::fromStdString(document), this, [&] {
        if (doneWhenStarted) SetPanelText(1, kStatusWorkDone);
    });
    waitingForViewer_ = false;
}

void JournalDialog::RecomputeAfterPrint(int passes)
{
    // As after the balance button; what the print has said already is not
    // said again, and a pass that failed is not run a second time.
    for (int i = 0; i < passes; ++i) {
        try {
            book_->CalcRunningBalance();
        } catch (const std::exception& e) {
            SayOnce(QString::fromStdString(ShownFailure("Journal", e)));
            break;
        }
    }
    try {
        if (!book_->NewLine()) book_->AppendNewLine();
    } catch (const std::exception& e) {
        SayOnce(QString::fromStdString(ShownFailure("Journal", e)), kNewLineFailedMessage);
    }
    said_.clear();
    model_.Reload();
    ShowNewLine();
    // The balance pass leaves its working text; the work is done.
    SetPanelText(1, kStatusWorkDone);
}

void JournalDialog::cmdPrint_Click()
{
    CloseOpenEditor();
    said_.clear();
    const bool sales = words_.Side == JournalSide::Sales;
    SetPanelText(1, kStatusWorking);
    const bool written = PrintLedgerOut(OutputMode::Document);
    // Only a document written now is shown: never an older one as new.
    if (written) ShowDocument(JournalReport::Ledger, false);
    SetPanelText(1, kStatusWorkDone);
    if (sales && written) PrintLedgerOut(OutputMode::Document);
    RecomputeAfterPrint(sales ? 1 : 2);
}

void JournalDialog::btnPreview_Click()
{
    CloseOpenEditor();
    said_.clear();
    const bool sales = words_.Side == JournalSide::Sales;
    SetPanelText(1, kStatusWorking);
    JournalReport report = JournalReport::PortraitSummary;
    if (PrintSummaryOut(OutputMode::Document, report)) ShowDocument(report, sales);
    SetPanelText(1, kStatusWorkDone);
    RecomputeAfterPrint(1);
}

void JournalDialog::mnuPRINT_Click(int index)
{
    CloseOpenEditor();
    said_.clear();
    if (index == 0) {
        PrintLedgerOut(OutputMode::Printer);
    } else if (index == 1) {
        JournalReport report = JournalReport::PortraitSummary;
        PrintSummaryOut(OutputMode::Printer, report);
    } else {
        return;
    }
    RecomputeAfterPrint(1);
}

} // namespace nv
