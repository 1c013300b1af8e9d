#pragma once
// The journal window of one party: its lines of the fiscal year in an
// editable grid, the party's details above, buttons for balances, saving,
// reloading, deleting and closing. One class serves both sides.
#include "ledger/common/ModuleGlobal.h"
#include "ledger/common/StatusText.h"
#include "ledger/journal/JournalBook.h"
#include "ledger/journal/print/JournalPrint.h"
#include "ledger/journal/window/JournalGridModel.h"
#include "platform/db/Database.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>

class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace nv {

class JournalGridDelegate;

// Said before the cause when the line after the last cannot be added.
inline constexpr const char* kNewLineFailedMessage = "新しい行を追加できませんでした。\n";

class JournalDialog : public QDialog, private StatusBarPanels {
    Q_OBJECT
public:
    explicit JournalDialog(JournalEntry entry, QWidget* parent = nullptr);
    ~JournalDialog() override;

    // Form_Load: database path, database, settings file. Throws
    // std::runtime_error with the cause; the window must then not be shown.
    void Load();

    QTableView* Grid() const { return grid_; }
    JournalGridModel& Model() { return model_; }
    JournalBook& Book() { return *book_; }
    QString StatusText() const;
    QString NavigatorText() const;
    bool FirstPaintDone() const { return firstPaintDone_; }

    // Enter or Tab in the current cell with no editor open.
    void KeyEntry(int key);

    // The drawing control the prints drive (made by ProgID on first use).
    void SetDrawingControl(ObjectRef control) { ink_ = std::move(control); }
    // The preview viewer to start instead of the one found.
    void SetViewerProgram(const QString& program) { viewerProgram_ = program; }
    bool WaitingForViewer() const { return waitingForViewer_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WarnAndMakeReadOnly();
    void SetPanelText(int panel, const std::string& text) override;
    void BuildForm();
    void ApplySideWords();
    void FillLabels();
    void SetGridColumns();
    // Number columns widen to the figures they hold (fractions: 数量 and
    // 単価 too, which costs a pass over every line).
    void WidenFigureColumns(bool fractionsToo);
    void WidenFor(int column, const QString& figure);
    void FitWindowToGrid();
    // Every column in the grid's view without a sideways scroll where the
    // columns can give way without cutting a caption or a figure.
    void FitColumnsToView();
    void FirstPaint();
    void FillItemNames();

    bool CommitEditor(const QString& text);
    void Refused(JournalColumn column, const std::string& message);
    void MoveTo(int row, int column);
    void KeepCurrentInView();
    void CurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void ChangeIme(int column);
    bool SaveBook();
    void ShowNewLine();
    void WarnAndReturnTo(const std::exception& e, int column);
    void CloseOpenEditor();
    // A failure is said once, though the steps after it meet it again.
    void SayOnce(const QString& cause, const QString& before = {});

    ObjectRef DrawingControl();
    PrintContext Context();
    bool PrintLedgerOut(OutputMode mode);
    bool PrintSummaryOut(OutputMode mode, JournalReport& report);
    void ShowDocument(JournalReport report, bool doneWhenStarted);
    void RecomputeAfterPrint(int passes);
    void cmdPrint_Click();
    void btnPreview_Click();
    void mnuPRINT_Click(int index);

    void cmdZandaka_Click();
    void cmdUpdate_Click();
    void cmdRefresh_Click();
    void cmdDelete_Click();
    bool Form_QueryUnload();

    JournalEntry entry_;
    const SideWords& words_;
    ModuleGlobal global_;
    Database db_;
    std::unique_ptr<JournalBook> book_;
    JournalGridModel model_;
    JournalGridDelegate* delegate_ = nullptr;
    bool firstPaintDone_ = false;
    bool moving_ = false;
    bool columnsSet_ = false;
    std::array<int, kJournalColumnCount> wanted_{};   // each column's width where the grid has the room
    std::array<int, kJournalColumnCount> least_{};    // the least that shows its caption and figures whole
    ObjectRef ink_;
    QString viewerProgram_;
    bool waitingForViewer_ = false;
    QString said_;             // the cause said last in the current command
    QString settingsNotice_;   // company.w1 against the database, said at the first paint

    QTableView* grid_ = nullptr;
    QLabel* navigator_ = nullptr;
    QLabel* panel1_ = nullptr;
    QMenu* printMenu_ = nullptr;
};

} // namespace nv
