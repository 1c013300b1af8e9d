#include "ledger/journal/window/JournalDialog.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/ImeHint.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/common/SettingsRecord.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/journal/window/JournalGridDelegate.h"
#include "ledger/journal/window/PreviewViewer.h"
#include "platform/ui/DesignUnits.h"
#include "platform/ui/DialogKeys.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WidgetHandle.h"
#include "platform/ui/WorkArea.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>

namespace nv {

namespace {

constexpr int kBusyTimeoutMs = 1500;
constexpr int kFewRows = 4;
constexpr const char* kErrorPrefix = "ｴﾗｰが発生しました:";
constexpr const char* kCloseWithoutSaving = "保存せずに閉じますか？";

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

// The busy cursor for the length of a scope.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

void Warn(const QString& text, QWidget* parent, const QString& title = {})
{
    ui::Message m;
    m.text = text;
    m.title = title;
    m.icon = ui::Icon::Warning;
    m.parent = parent;
    ui::CurrentPrompt().Ask(m);
}

int Col(JournalColumn c)
{
    return static_cast<int>(c);
}

// A label of a fixed-width value: its trailing blanks take no room. It
// asks for its design width and gives it up down to its text's on a small
// screen.
class ValueLabel : public QLabel {
public:
    ValueLabel(const QString& text, int designWidth, QWidget* parent) : QLabel(text, parent), designWidth_(designWidth) {}
    QSize sizeHint() const override
    {
        const QSize s = Trimmed(QLabel::sizeHint());
        return QSize(std::max(s.width(), designWidth_), s.height());
    }
    QSize minimumSizeHint() const override { return Trimmed(QLabel::minimumSizeHint()); }

private:
    QSize Trimmed(QSize s) const
    {
        const QString t = text();
        qsizetype n = t.size();
        while (n > 0 && t[n - 1].isSpace()) --n;
        const QFontMetrics fm = fontMetrics();
        s.rwidth() -= fm.horizontalAdvance(t) - fm.horizontalAdvance(t.left(n));
        return s;
    }

    int designWidth_;
};

// A button of the design's size where the window has the room, as narrow as
// its caption where it has not.
class DesignButton : public QPushButton {
public:
    DesignButton(const QString& text, QSize design, QWidget* parent) : QPushButton(text, parent), design_(design)
    {
        // A push button's own policy takes its hint as its least width.
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return QPushButton::sizeHint().expandedTo(design_); }
    QSize minimumSizeHint() const override { return QPushButton::sizeHint(); }

private:
    QSize design_;
};

} // namespace

JournalDialog::JournalDialog(JournalEntry entry, QWidget* parent)
    : QDialog(parent), entry_(std::move(entry)), words_(WordsOf(entry_.Side))
{
    model_.SetRefusal([this](JournalColumn c, const std::string& m) { Refused(c, m); });
    BuildForm();
    ApplySideWords();
}

JournalDialog::~JournalDialog()
{
    // Children go after the members: deleted here, the grid cannot repaint
    // from a book already destroyed.
    delete grid_;
    grid_ = nullptr;
}

void JournalDialog::Load()
{
    firstPaintDone_ = false;
    global_.AppFolderPath = entry_.AppFolderPath;
    global_.MenuMode = entry_.MenuMode;
    global_.Settings = entry_.Settings;
    global_.gsSetDBPath();
    if (!std::filesystem::exists(std::filesystem::u8path(global_.DbPath)))
        throw JournalError("補助簿DBがありません: " + global_.DbPath);
    db_ = OpenLedgerDatabase(global_.DbPath);
    db_.SetBusyTimeout(kBusyTimeoutMs);
    model_.SetReadOnly(db_.IsReadOnly());
    // A save of 自社登録 that stopped half way is finished before the
    // settings are read; a start the database was not carried to is said.
    try {
        const SettingsCheck check = CheckSettingsAgainstDatabase(db_, global_.AppFolderPath);
        settingsNotice_ = Q(check.Message);
        if (check.State == SettingsAgreement::Differ) settingsNotice_ += "\n自社登録で繰越の計算を行ってください。";
    } catch (const std::exception& e) {
        settingsNotice_ = "補助簿DBの自社設定の記録を読めません。\n" + Q(ShownFailure("Journal", e));
    }
    global_.gsReadCompany();
    entry_.Settings = global_.Settings;
    book_ = std::make_unique<JournalBook>(db_, entry_, static_cast<StatusBarPanels*>(this));
    model_.SetBook(book_.get());
    FillItemNames();
}

void JournalDialog::FillItemNames()
{
    QStringList names;
    try {
        for (const auto& row : db_.Query("SELECT \"品名\" FROM \"品名\" WHERE \"品名\" IS NOT NULL ORDER BY _rowid_"))
            if (auto s = std::get_if<std::string>(&row[0])) names << Q(*s);
    } catch (const std::exception& e) {
        // The 品名 cell still takes typed text, so the journal opens without
        // the list once the person is told.
        Warn("品名の一覧を読めません。品名は入力してください。\n" + Q(ShownFailure("Journal", e)), this);
    }
    delegate_->SetItemNames(names);
}

void JournalDialog::BuildForm()
{
    setObjectName(words_.FormName);
    setWindowTitle(words_.Caption);
    setModal(true);
    ui::KeepOpenOnEscape(this);
    auto px = [this](int twips) { return ui::DesignPixels(this, twips); };

    auto* top = new QVBoxLayout(this);
    const QMargins margins = top->contentsMargins();
    top->setContentsMargins(0, 0, 0, 0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(margins);
    auto* menuBar = new QMenuBar(this);
    printMenu_ = menuBar->addMenu(" 印刷(&P)");
    printMenu_->setObjectName("mnuHPrint");
    const char* printItems[] = {"仕入張印刷", "集計表印刷"};
    for (int i = 0; i < 2; ++i) {
        QAction* a = printMenu_->addAction(printItems[i]);
        a->setObjectName(QString("mnuPRINT_%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { mnuPRINT_Click(i); });
    }
    top->setMenuBar(menuBar);

    std::map<QString, QLabel*> labels;
    auto label = [&](const QString& name, const QString& text, int, int, int width) {
        auto* l = new ValueLabel(text, px(width), this);
        l->setObjectName(name);
        labels[name] = l;
        return l;
    };
    label("Label0_1", words_.Caption, 120, 360, 1200)->setStyleSheet("font-weight: bold");
    const struct { const char* text; int left, top; } captions[] = {
        {"No．", 1440, 360}, {"氏名", 2880, 360}, {"住所 ", 1440, 720}, {"TEL", 1440, 1080},
        {"FAX", 4320, 1080}, {"〆切日", 7200, 1080}, {"請求日", 9360, 1080}, {"支払定日", 11520, 1080}};
    int i = 0;
    for (const auto& c : captions) {
        label(QString("Label0_%1").arg(i == 0 ? 0 : i + 1), c.text, c.left, c.top, 720);
        ++i;
    }
    const struct { const char* name; int left, top, width; } values[] = {
        {"LabNo", 2160, 360, 720}, {"LabName", 3600, 360, 5400}, {"Lab郵便", 2160, 720, 1200},
        {"Lab住所", 3480, 720, 7200}, {"LabTEL", 2160, 1080, 2040}, {"LabFAX", 5040, 1080, 2040},
        {"Lab〆", 7920, 1080, 1320}, {"Lab請求", 10080, 1080, 1320}, {"Lab定日", 12360, 1080, 1320}};
    for (const auto& v : values) label(v.name, "", v.left, v.top, v.width);
    label("Label4", "注　データ入力は、Enter或いはTABで前に進みます", 120, 1440, 7200);
    // Each row's first caption and value in columns, the rest in drawn order.
    const char* const rows[3][10] = {
        {"Label0_0", "LabNo", "Label0_2", "LabName"},
        {"Label0_3", "Lab郵便", "Lab住所"},
        {"Label0_4", "LabTEL", "Label0_5", "LabFAX", "Label0_6", "Lab〆", "Label0_7", "Lab請求", "Label0_8", "Lab定日"}};
    auto* head = new QGridLayout;
    head->addWidget(labels["Label0_1"], 0, 0);
    for (int r = 0; r < 3; ++r) {
        head->addWidget(labels[rows[r][0]], r, 1);
        head->addWidget(labels[rows[r][1]], r, 2);
        auto* rest = new QHBoxLayout;
        for (int c = 2; c < 10 && rows[r][c]; ++c) rest->addWidget(labels[rows[r][c]]);
        rest->addStretch(1);
        head->addLayout(rest, r, 3);
    }
    head->setColumnStretch(3, 1);
    body->addLayout(head);
    body->addWidget(labels["Label4"]);

    grid_ = new QTableView(this);
    grid_->setObjectName("DBGrid1");
    body->addWidget(grid_, 1);
    grid_->setModel(&model_);
    delegate_ = new JournalGridDelegate(Col(JournalColumn::Item), grid_);
    delegate_->SetKeyHandlers([this](const QString& text) { return CommitEditor(text); },
                              [this](int key) { KeyEntry(key); });
    grid_->setItemDelegate(delegate_);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);
    grid_->setTabKeyNavigation(false);
    grid_->verticalHeader()->setDefaultSectionSize(std::max(px(270), grid_->fontMetrics().height() + 6));
    // The row indicator keeps its column whether or not a row shows the new
    // line's "*", so the columns do not shift as lines are typed.
    QHeaderView* indicator = grid_->verticalHeader();
    indicator->setMinimumWidth(std::max(px(240), ui::HeaderFitWidth(indicator, QStringLiteral("*"), 0)));
    // On a small screen the grid scrolls: a few lines in sight are enough.
    grid_->setMinimumSize(px(6000), grid_->horizontalHeader()->sizeHint().height() +
                                        kFewRows * grid_->verticalHeader()->defaultSectionSize() +
                                        2 * grid_->frameWidth());
    grid_->installEventFilter(this);
    // Balances change under a reload; a typed cell changes its own row.
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        if (firstPaintDone_) WidenFigureColumns(false);
    });
    connect(&model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
        for (int r = from.row(); r <= to.row(); ++r)
            for (int c = from.column(); c <= to.column(); ++c)
                if (IsNumberColumn(static_cast<JournalColumn>(c))) WidenFor(c, model_.index(r, c).data().toString());
    });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, &JournalDialog::CurrentChanged);

    const struct { const char* name; const char* text; const char* tip; int left; void (JournalDialog::*slot)(); } buttons[] = {
        {"cmdZandaka", "残高更新(&Z)", "残高の自動計算", 120, &JournalDialog::cmdZandaka_Click},
        {"cmdPrint", "仕入帳(&L)", "仕入張のプレビューと印刷", 1920, &JournalDialog::cmdPrint_Click},
        {"btnPreview", "集計表(&T)", "集計表のプレビューと印刷", 3720, &JournalDialog::btnPreview_Click},
        {"cmdUpdate", "更新(&U)", nullptr, 5520, &JournalDialog::cmdUpdate_Click},
        {"cmdRefresh", "再表示(&R)", nullptr, 7320, &JournalDialog::cmdRefresh_Click},
        {"cmdDelete", "削除(&D)", "選択している行のデータ削除", 9120, &JournalDialog::cmdDelete_Click},
        {"cmdClose", "閉じる(&C)", "仕入先画面へ戻る", 12480, nullptr},
    };
    auto* buttonRow = new QHBoxLayout;
    for (const auto& b : buttons) {
        auto* button = new DesignButton(b.text, QSize(px(1680), px(420)), this);
        button->setObjectName(b.name);
        // 閉じる stands apart at the right.
        if (b.left > 120 + 1800 * buttonRow->count()) buttonRow->addStretch(1);
        buttonRow->addWidget(button);
        button->setAutoDefault(false);
        if (b.tip) button->setToolTip(b.tip);
        if (b.slot) connect(button, &QPushButton::clicked, this, b.slot);
    }
    connect(findChild<QPushButton*>("cmdClose"), &QPushButton::clicked, this, &JournalDialog::reject);

    body->addLayout(buttonRow);

    navigator_ = new QLabel("ﾚｺｰﾄﾞ: ", this);
    navigator_->setObjectName("Data1");
    navigator_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    navigator_->setMinimumHeight(navigator_->fontMetrics().height() + 2 * navigator_->frameWidth() + 2);
    navigator_->setMinimumWidth(px(3000));
    body->addWidget(navigator_, 0, Qt::AlignLeft);
    top->addLayout(body, 1);
    auto* status = new QStatusBar(this);
    status->setObjectName("stt1");
    status->setSizeGripEnabled(false);
    panel1_ = new QLabel(status);
    status->addWidget(panel1_, 1);
    top->addWidget(status);
    resize(QSize(px(14400), px(9600)).expandedTo(sizeHint()));
}

void JournalDialog::ApplySideWords()
{
    auto* print = findChild<QPushButton*>("cmdPrint");
    print->setText(words_.LedgerButton);
    print->setToolTip(words_.LedgerTip);
    findChild<QPushButton*>("cmdClose")->setToolTip(words_.CloseTip);
    findChild<QAction*>("mnuPRINT_0")->setText(words_.LedgerMenuItem);
}

void JournalDialog::FillLabels()
{
    const PartyRecord& p = entry_.Party;
    setWindowTitle(words_.Caption);
    findChild<QLabel*>("Label0_1")->setText(words_.Caption);
    const std::pair<const char*, std::string> texts[] = {
        {"LabName", p.Name}, {"Lab郵便", p.PostCode}, {"Lab住所", p.Address},
        {"LabNo", std::to_string(p.PartyNo)}, {"LabTEL", p.Phone}, {"LabFAX", p.Fax},
        {"Lab〆", p.ClosingDay}, {"Lab請求", p.BillingDay}, {"Lab定日", p.PaymentDay}};
    for (const auto& [name, text] : texts) findChild<QLabel*>(name)->setText(Q(text));
}

void JournalDialog::SetGridColumns()
{
    const int widths[kJournalColumnCount] = {500, 500, 800, 400, 400, 3400, 900, 1400, 1600, 1600, 400, 1800};
    const QHeaderView* header = grid_->horizontalHeader();
    for (int c = 0; c < kJournalColumnCount; ++c) {
        const QString caption = model_.headerData(c, Qt::Horizontal).toString();
        wanted_[c] = ui::HeaderFitWidth(header, caption, ui::DesignPixels(grid_, widths[c]));
        const auto column = static_cast<JournalColumn>(c);
        least_[c] = column == JournalColumn::Item || IsNumberColumn(column) ? ui::HeaderFitWidth(header, caption, 0) : wanted_[c];
        grid_->setColumnWidth(c, wanted_[c]);
    }
    columnsSet_ = true;
}

void JournalDialog::WidenFigureColumns(bool fractionsToo)
{
    for (int c = 0; c < kJournalColumnCount; ++c) {
        const auto column = static_cast<JournalColumn>(c);
        if (IsNumberColumn(column) && (fractionsToo || !JournalGridModel::HoldsFractions(column)))
            WidenFor(c, model_.LongestFigure(column));
    }
}

void JournalDialog::WidenFor(int column, const QString& figure)
{
    // A figure is never cut: its column takes the text, the item view's
    // margins on both sides and the grid line. Columns only widen while the
    // window is open, so the grid does not shift as lines are typed. Drawn
    // at a screen scale of 125 % a text takes a fraction of a pixel more
    // than its rounded width, and a cell cuts it at the first.
    const int margin = grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
    const int text = int(std::ceil(QFontMetricsF(grid_->font()).horizontalAdvance(figure)));
    const int need = text + 2 * margin + (grid_->showGrid() ? 1 : 0);
    if (need <= least_[column]) return;
    least_[column] = need;
    wanted_[column] = std::max(wanted_[column], need);
    FitColumnsToView();
}

void JournalDialog::FitColumnsToView()
{
    if (!columnsSet_) return;
    // The vertical scroll bar's room is kept whether or not it shows, so
    // the columns do not shift as lines fill the view.
    const QHeaderView* indicator = grid_->verticalHeader();
    const int room = grid_->contentsRect().width() - std::max(indicator->minimumWidth(), indicator->sizeHint().width()) -
                     grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
    int excess = -room;
    for (int c = 0; c < kJournalColumnCount; ++c) excess += wanted_[c];
    // 品名 gives way first (its whole text in a tip), then the figure
    // columns' room beyond their widest figure, the balance's first.
    const JournalColumn order[] = {JournalColumn::Item,   JournalColumn::Balance, JournalColumn::Settlement,
                                   JournalColumn::Amount, JournalColumn::UnitPrice, JournalColumn::Quantity};
    std::array<int, kJournalColumnCount> width = wanted_;
    for (JournalColumn column : order) {
        const int c = Col(column);
        const int give = std::clamp(excess, 0, wanted_[c] - least_[c]);
        width[c] -= give;
        excess -= give;
    }
    for (int c = 0; c < kJournalColumnCount; ++c)
        if (grid_->columnWidth(c) != width[c]) grid_->setColumnWidth(c, width[c]);
}

void JournalDialog::FitWindowToGrid()
{
    // Every column at its full width where the screen has the room; where it
    // has not, the columns give way, and the grid scrolls where that is not
    // enough.
    int total = 0;
    for (int c = 0; c < kJournalColumnCount; ++c) total += wanted_[c];
    const int frame = 2 * grid_->frameWidth();
    const int bar = grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
    const int wanted = total + grid_->verticalHeader()->sizeHint().width() + frame + bar;
    if (wanted > grid_->width()) resize(width() + wanted - grid_->width(), height());
    ui::FitIntoWorkArea(this);
    FitColumnsToView();
}

void JournalDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!firstPaintDone_ && book_) FirstPaint();
}

void JournalDialog::FirstPaint()
{
    firstPaintDone_ = true;
    BusyCursor busy;
    // Each step reports its own failure once; the grid is shown in any case.
    auto step = [this](auto&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            Warn(Q(ShownFailure("Journal", e)), this);
        }
    };
    step([this] { FillLabels(); });
    step([this] { SetGridColumns(); });
    grid_->hide();
    std::string message;
    model_.Relayout([&] { step([&] { message = book_->OpenPass(); }); });
    if (!message.empty()) ui::Inform(Q(message), this);
    step([this] {
        if (!book_->NewLine()) book_->AppendNewLine();
    });
    model_.Reload();
    WidenFigureColumns(true);
    grid_->show();
    FitWindowToGrid();
    ShowNewLine();
    SetPanelText(1, kStatusWorkDone);
    if (db_.IsReadOnly()) WarnAndMakeReadOnly();
    if (!settingsNotice_.isEmpty()) Warn(settingsNotice_, this);
}

void JournalDialog::WarnAndMakeReadOnly()
{
    // Said once as the screen opens; the lines can be looked at and
    // printed, not changed.
    Warn(Q(db_.ReadOnlyNotice()), this);
    model_.SetReadOnly(true);
    for (const char* name : {"cmdZandaka", "cmdUpdate", "cmdDelete"})
        if (auto* b = findChild<QPushButton*>(name)) b->setEnabled(false);
}

void JournalDialog::ShowNewLine()
{
    int last = model_.rowCount() - 1;
    if (last >= 0) MoveTo(last, Col(JournalColumn::Month));
    grid_->setFocus();
}

void JournalDialog::MoveTo(int row, int column)
{
    QModelIndex here = grid_->currentIndex();
    if (here.isValid() && here.row() != row) SaveBook();
    row = std::clamp(row, 0, std::max(0, model_.rowCount() - 1));
    moving_ = true;
    grid_->setCurrentIndex(model_.index(row, column));
    moving_ = false;
    KeepCurrentInView();
}

void JournalDialog::KeepCurrentInView()
{
    // The grid scrolled to the cell before its rows and scroll bars were laid
    // out again: a new last line ends under the horizontal bar, which shows
    // only once the event loop runs. Scrolled again after both, the line
    // being typed is wholly in sight.
    grid_->doItemsLayout();
    grid_->scrollTo(grid_->currentIndex());
    QMetaObject::invokeMethod(
        this, [this] { grid_->scrollTo(grid_->currentIndex()); }, Qt::QueuedConnection);
}

void JournalDialog::CurrentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (!current.isValid()) return;
    navigator_->setText("ﾚｺｰﾄﾞ: " + QString::number(current.row() + 1));
    ChangeIme(current.column());
    if (!moving_ && previous.isValid() && previous.row() != current.row()) SaveBook();
}

void JournalDialog::ChangeIme(int column)
{
    const bool open = column == Col(JournalColumn::Item) || column == Col(JournalColumn::DebitCredit);
    const Variant openFlag(int32_t{open ? 1 : 0});
    if (const std::string why = HintImeMode(ui::WidgetHandle(grid_), openFlag, open ? 9 : 0); !why.empty())
        LogLine("Journal", "NvZzIME.ChangeIMEModeEX: " + why);
}

bool JournalDialog::SaveBook()
{
    if (!book_ || !book_->Dirty()) return true;
    try {
        BusyCursor busy;
        model_.Relayout([this] { book_->Save(); });
        return true;
    } catch (const std::exception& e) {
        Warn(kErrorPrefix + Q(ShownFailure("Journal", e)), this);
        return false;
    }
}

bool JournalDialog::CommitEditor(const QString& text)
{
    QModelIndex at = grid_->currentIndex();
    if (!at.isValid()) return true;
    if (text == model_.data(at, Qt::EditRole).toString()) return true;
    return model_.SetCellText(at.row(), static_cast<JournalColumn>(at.column()), text);
}

void JournalDialog::Refused(JournalColumn column, const std::string& message)
{
    if (message == kNumberMessage) {
        ui::Message m;
        m.text = kNumberMessage;
        m.title = QString("DBGrid1.Columns(%1)").arg(Col(column));
        m.icon = ui::Icon::None;
        m.parent = this;
        ui::CurrentPrompt().Ask(m);
        return;
    }
    Warn(Q(message), this);
}

void JournalDialog::WarnAndReturnTo(const std::exception& e, int column)
{
    Warn(Q(ShownFailure("Journal", e)), this);
    QModelIndex at = grid_->currentIndex();
    if (at.isValid()) MoveTo(at.row(), column);
    grid_->setFocus();
}

void JournalDialog::CloseOpenEditor()
{
    QModelIndex at = grid_->currentIndex();
    QWidget* editor = at.isValid() ? grid_->indexWidget(at) : nullptr;
    if (!editor) return;
    if (CommitEditor(JournalGridDelegate::EditorText(editor))) emit delegate_->closeEditor(editor);
}

void JournalDialog::KeyEntry(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Tab) return;
    QModelIndex at = grid_->currentIndex();
    if (!at.isValid()) return;
    try {
        if (at.column() != Col(JournalColumn::Balance)) {
            MoveTo(at.row(), at.column() + 1);
            return;
        }
        int rows = model_.rowCount();
        if (!SaveBook()) return;   // a refused save keeps the cursor on its row
        if (book_->EnterOnBalanceCell(static_cast<size_t>(at.row()))) {
            if (model_.rowCount() != rows) model_.Reload();
            MoveTo(static_cast<int>(book_->NewLineIndex()), Col(JournalColumn::Month));
        } else {
            MoveTo(at.row() + 1, Col(JournalColumn::DataNo));
        }
    } catch (const std::exception& e) {
        WarnAndReturnTo(e, Col(JournalColumn::Year));
    }
}

bool JournalDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && event->type() == QEvent::Resize) FitColumnsToView();
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
            KeyEntry(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void JournalDialog::cmdZandaka_Click()
{
    CloseOpenEditor();
    BusyCursor busy;
    said_.clear();
    try {
        book_->CalcRunningBalance();
        if (book_->ReadOthersLines()) {
            model_.Reload();
            ui::Inform(Q(kReadOthersLinesMessage), this);
        }
    } catch (const std::exception& e) {
        model_.Reload();
        said_ = Q(ShownFailure("Journal", e));
        WarnAndReturnTo(e, Col(JournalColumn::Month));
    }
    try {
        if (!book_->NewLine()) book_->AppendNewLine();
    } catch (const std::exception& e) {
        SayOnce(Q(ShownFailure("Journal", e)), kNewLineFailedMessage);
    }
    model_.Reload();
    ShowNewLine();
    // The done text replaces the balance pass's working text, also after a
    // failure, so the status never says it is still working.
    SetPanelText(1, kStatusWorkDone);
}

void JournalDialog::SayOnce(const QString& cause, const QString& before)
{
    if (cause == said_) return;
    said_ = cause;
    Warn(before + cause, this);
}

void JournalDialog::cmdUpdate_Click()
{
    CloseOpenEditor();
    SaveBook();
}

void JournalDialog::cmdRefresh_Click()
{
    CloseOpenEditor();
    if (!SaveBook()) return;
    BusyCursor busy;
    try {
        book_->SearchPeriod();
        book_->AppendNewLine();
    } catch (const std::exception& e) {
        Warn(Q(ShownFailure("Journal", e)), this);
    }
    model_.Reload();
    ShowNewLine();
}

void JournalDialog::cmdDelete_Click()
{
    CloseOpenEditor();
    QModelIndex at = grid_->currentIndex();
    if (!at.isValid()) return;
    int row = at.row();
    try {
        book_->DeleteLine(static_cast<size_t>(row));
    } catch (const std::exception& e) {
        WarnAndReturnTo(e, Col(JournalColumn::Month));
        return;
    }
    model_.Reload();
    SaveBook();
    if (!book_->NewLine() && book_->Lines().empty()) {
        book_->AppendNewLine();
        model_.Reload();
    }
    moving_ = true;
    grid_->setCurrentIndex(model_.index(std::clamp(row - 1, 0, model_.rowCount() - 1), Col(JournalColumn::Month)));
    moving_ = false;
    KeepCurrentInView();
    grid_->setFocus();
}

bool JournalDialog::Form_QueryUnload()
{
    CloseOpenEditor();
    model_.Relayout([this] { book_->FixLineYears(); });
    if (book_->Dirty()) {
        try {
            BusyCursor busy;
            model_.Relayout([this] { book_->Save(); });
        } catch (const std::exception& e) {
            ui::Answer a = ui::Ask(kErrorPrefix + Q(ShownFailure("Journal", e)) + "\n" + kCloseWithoutSaving, ui::Buttons::YesNo,
                                   ui::Answer::No, this);
            if (a != ui::Answer::Yes) return false;
        }
    }
    firstPaintDone_ = false;
    return true;
}

void JournalDialog::reject()
{
    // The print call that runs the viewer is still on this window's stack:
    // the window stays open until the viewer ends.
    if (waitingForViewer_) return;
    if (book_ && !Form_QueryUnload()) return;
    QDialog::reject();
}

void JournalDialog::SetPanelText(int panel, const std::string& text)
{
    if (panel == 1) panel1_->setText(Q(text));
}

QString JournalDialog::StatusText() const
{
    return panel1_->text();
}

QString JournalDialog::NavigatorText() const
{
    return navigator_->text();
}

} // namespace nv
