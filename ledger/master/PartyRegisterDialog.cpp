#include "ledger/master/PartyRegisterDialog.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/ImeHint.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/common/ModuleGlobal.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/master/CloseUnsaved.h"
#include "ledger/master/HandOffArrays.h"
#include "platform/db/DbError.h"
#include "platform/ui/DesignUnits.h"
#include "platform/ui/DialogKeys.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WidgetHandle.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace nv {

namespace {

constexpr int kBusyTimeoutMs = 1500;
const char* const kNeedAmount = "登録時繰越金額を入力してください。";

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

constexpr const char* kCloseWithoutSaving = "保存せずに閉じますか？";

void Warn(const QString& text, QWidget* parent)
{
    ui::Message m;
    m.text = text;
    m.icon = ui::Icon::Warning;
    m.parent = parent;
    ui::CurrentPrompt().Ask(m);
}

} // namespace

int PartyColumnOfField(int fieldIndex)
{
    static const int kColumns[12] = {kName, kKana, kPostCode, kPhone, kFax, -1,
                                     kPartyNo, kAddress, kSearchKey, kCarryForward, kBillingDay, kPaymentDay};
    return fieldIndex >= 0 && fieldIndex < 12 ? kColumns[fieldIndex] : -1;
}

int NextFieldOnEnter(int fieldIndex)
{
    static const int kOrder[] = {0, 1, 8, 2, 7, 3, 6, 4, 9, 11, 10};
    constexpr int n = int(std::size(kOrder));
    for (int i = 0; i < n; ++i)
        if (kOrder[i] == fieldIndex) return kOrder[(i + 1) % n];
    return 0;
}

PartyRegisterDialog::PartyRegisterDialog(JournalSide side, std::string appFolder, CompanySettings settings,
                                         QWidget* parent)
    : QDialog(parent), side_(side), words_(WordsOf(side)), appFolder_(std::move(appFolder)),
      settings_(std::move(settings))
{
    std::vector<RowTableModel::Column> columns;
    for (int c = 0; c < kPartyColumnCount; ++c) {
        std::string name = PartyColumnName(words_, c);
        // The closing day is the company's, set through 自社登録 alone.
        columns.push_back({name, Q(name), Qt::AlignLeft | Qt::AlignVCenter, c != kClosingDay});
    }
    model_.SetColumns(std::move(columns));
    model_.SetAlternateColor(QColor(0xC0, 0xFF, 0xFF));   // the form's &HFFFFC0, stored blue-green-red
    model_.SetWriter([this](const RowTableModel::Row& row) {
        // A party being added has no row yet; 登録 stores it, not a move of
        // the grid's current line.
        if (!row.id) return;
        PartyTexts texts;
        for (int c = 0; c < kPartyColumnCount; ++c) texts[size_t(c)] = RowTableModel::TextOf(row.values[size_t(c)]).toStdString();
        try {
            book_->Update(*row.id, ParsePartyTexts(words_, texts));
        } catch (const std::exception& e) {
            throw RowRefused(DescribeFailure(e));
        }
    });
    BuildForm();
}

PartyRegisterDialog::~PartyRegisterDialog() = default;

void PartyRegisterDialog::BuildForm()
{
    const RegisterWords& rw = RegisterWordsOf(side_);
    setObjectName(side_ == JournalSide::Sales ? "F1_売上先" : "F1_仕入先");
    setWindowTitle(rw.FirstCaption);
    setModal(true);
    ui::KeepOpenOnEscape(this);
    setFont(QFont("ＭＳ ゴシック"));
    auto px = [this](int twips) { return ui::DesignPixels(this, twips); };

    // Made in the order of the form's tab stops.
    auto make = [this](QWidget* w, const char* name) {
        w->setObjectName(name);
        w->setParent(this);
        return w;
    };
    struct FieldWidth { int index, width; };
    const FieldWidth kFields[] = {{0, 6132}, {1, 2652}, {8, 372},  {2, 972},  {7, 5412}, {3, 1695},
                                  {6, 1695}, {4, 1695}, {9, 1695}, {11, 1680}, {10, 1695}};
    for (const FieldWidth& f : kFields) {
        auto* e = new QLineEdit;
        make(e, ("txtFields_" + std::to_string(f.index)).c_str());
        e->setMinimumWidth(px(f.width));
        fields_[size_t(f.index)] = e;
        int column = PartyColumnOfField(f.index);
        connect(e, &QLineEdit::textEdited, this, [this, column](const QString& t) { FieldEdited(column, t); });
        connect(e, &QLineEdit::returnPressed, this, [this, i = f.index] { Field(NextFieldOnEnter(i))->setFocus(); });
    }
    // Two full-width characters show in the one-character search key.
    fields_[8]->setFixedWidth(std::max(px(372), fields_[8]->fontMetrics().horizontalAdvance("ｶﾀｶ") + 8));
    fields_[0]->installEventFilter(this);
    // A party closes on the company's day, which only 自社登録 sets: the box
    // shows what the row holds, which is what the summaries use, and takes
    // no choice. Editable so that any stored text shows as it stands.
    closingDay_ = new QComboBox;
    closingDay_->setEditable(true);
    make(closingDay_, "Cmb〆日");
    closingDay_->setMinimumWidth(px(1692));
    for (const ClosingDayWord& w : kClosingDayWords)
        if (w.Offered) closingDay_->addItem(w.Word);
    closingDay_->setEnabled(false);

    const bool sales = side_ == JournalSide::Sales;
    const char* const kLabels[] = {
        sales ? "氏名　" : "氏名", sales ? "ふりがな　 " : "ふりがな", "住所", "電話", "ＦＡＸ", "〆切期日",
        sales ? "Ｎｏ．*" : "Ｎｏ．", "〒",
        sales ? "検索キー（ふりがなの１文字目半角ｶﾀｶﾅ）* " : "検索キー（ふりがなの１文字目半角ｶﾀｶﾅ） ",
        "請求期日", "支払定日", "登録時繰越金額"};
    std::array<QLabel*, 12> labels{};
    for (size_t i = 0; i < labels.size(); ++i) {
        labels[i] = new QLabel(kLabels[i], this);
        labels[i]->setObjectName(QString("lblLabels_%1").arg(i));
        labels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (!sales) labels[11]->setToolTip("品名が前期残高で元帳に挿入");
    // Required fields: a red star beside each, and the legend.
    auto star = [this](int index) {
        auto* l = new QLabel("*", this);
        l->setObjectName(QString("Label3_%1").arg(index));
        l->setStyleSheet("color: red");
        return l;
    };
    std::array<QLabel*, 6> stars{};
    for (int i = 0; i < 6; ++i) stars[size_t(i)] = star(i);
    auto* legend = new QLabel("は登録時に入力が必要です。", this);
    legend->setObjectName("Label2_1");
    auto* closingNote = new QLabel("〆切期日は自社登録で入力してください。", this);
    closingNote->setObjectName("Label2_0");
    closingDay_->setToolTip(closingNote->text());
    auto* digits = new QLabel("（数字）", this);
    digits->setObjectName("Label4_1");

    searchField_ = new QComboBox;
    make(searchField_, "CmbKensaku");
    operator_ = new QComboBox;
    make(operator_, "CmbShiki");
    operator_->setToolTip("Like：検索値が部分的に含まれていれば検索");
    for (const char* o : kSearchOperators) operator_->addItem(o);
    searchValue_ = new QLineEdit;
    make(searchValue_, "txOya");
    searchValue_->installEventFilter(this);
    sort_ = new QComboBox;
    make(sort_, "CmbSort");
    searchField_->setMinimumWidth(px(1092));
    operator_->setMinimumWidth(px(852));
    searchValue_->setMinimumWidth(px(975));
    sort_->setMinimumWidth(px(1092));
    const char* const kSearchLabels[] = {"検索対象", "検索式", "検索値 ", "検索結果のソート"};
    connect(searchField_, &QComboBox::activated, this, [this] {
        if (searchField_->currentText() != "親番") searchValue_->clear();
    });

    auto button = [&](const char* text, const char* name, int width) {
        auto* b = new QPushButton(text);
        make(b, name);
        b->setAutoDefault(false);
        b->setMinimumWidth(std::max(px(width), b->sizeHint().width()));
        b->setMinimumHeight(px(375));
        return b;
    };
    searchButton_ = button("検索開始(&S)", "CmdKensaku", 1212);
    addButton_ = button("追加(&A)", "cmdAdd", 972);
    registerButton_ = button("登録(&R)", sales ? "cmdUpdate" : "cmdTouroku", 972);
    deleteButton_ = button("削除(&D)", "cmdDelete", 972);
    dataButton_ = button("データ入力(&I)", "cmdData", 1572);
    closeButton_ = button("閉じる(&C)", "cmdClose", 1092);
    auto* note = new QLabel("注　登録は追加をクリックしてからです。", this);
    note->setObjectName("Label4_0");
    connect(searchButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnSearch);
    connect(addButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnAdd);
    connect(registerButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnRegister);
    connect(deleteButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnDelete);
    connect(dataButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnData);
    connect(closeButton_, &QPushButton::clicked, this, &PartyRegisterDialog::reject);

    grid_ = new QTableView;
    make(grid_, "DBGrid1");
    grid_->setMinimumSize(px(8292), px(2052));
    grid_->setModel(&model_);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(std::max(18, grid_->fontMetrics().height() + 6));
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& cur, const QModelIndex& prev) { CurrentRowChanged(cur.row(), prev.row()); });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentColumnChanged, this, [this](const QModelIndex& cur) {
        static const int kModes[12] = {0, 3, 3, 9, 0, 9, 0, 0, 9, 9, 9, 0};
        int c = cur.column();
        if (c >= 0 && c < 12) ChangeIme(grid_, kModes[c] != 0, kModes[c]);
    });
    connect(&model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& tl) {
        if (!filling_ && tl.row() == CurrentRow()) FillFields();
    });

    navigator_ = new QLabel("Data2 ", this);
    navigator_->setObjectName("Data2");
    navigator_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    navigator_->setMinimumHeight(navigator_->fontMetrics().height() + 2 * navigator_->frameWidth() + 2);
    navigator_->setMinimumWidth(px(2412));
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("stt1");
    statusBar_->setSizeGripEnabled(false);
    panel1_ = new QLabel(statusBar_);
    statusBar_->addWidget(panel1_, 1);

    // The party's fields in the form's rows: captions, fields, their stars.
    auto* form = new QGridLayout;
    auto row = [](std::initializer_list<QWidget*> widgets) {
        auto* h = new QHBoxLayout;
        for (QWidget* w : widgets) h->addWidget(w);
        return h;
    };
    form->addWidget(labels[0], 0, 0);
    form->addWidget(fields_[0], 0, 1, 1, 4);
    form->addWidget(stars[0], 0, 5, Qt::AlignLeft);
    form->addWidget(labels[1], 1, 0);
    form->addWidget(fields_[1], 1, 1);
    form->addWidget(stars[2], 1, 2, Qt::AlignLeft);
    form->addWidget(labels[8], 1, 3, 1, 2);
    auto* keyRow = row({fields_[8], stars[3]});
    keyRow->addStretch(1);
    form->addLayout(keyRow, 1, 5);
    form->addWidget(labels[7], 2, 0);
    auto* postRow = row({fields_[2], labels[2], fields_[7]});
    postRow->setStretch(2, 1);
    form->addLayout(postRow, 2, 1, 1, 4);
    const struct { QLabel* left; int leftField; QLabel* right; int rightField; } kPairs[] = {
        {labels[3], 3, labels[6], 6}, {labels[4], 4, labels[11], 9}, {labels[10], 11, labels[9], 10}};
    for (int r = 0; r < 3; ++r) {
        form->addWidget(kPairs[r].left, 3 + r, 0);
        form->addWidget(fields_[size_t(kPairs[r].leftField)], 3 + r, 1);
        form->addWidget(kPairs[r].right, 3 + r, 3);
        form->addWidget(fields_[size_t(kPairs[r].rightField)], 3 + r, 4);
    }
    auto* numberRow = row({stars[1], digits});
    numberRow->addStretch(1);
    form->addLayout(numberRow, 3, 5);
    form->addWidget(stars[4], 4, 5, Qt::AlignLeft);
    form->addWidget(labels[5], 6, 0);
    form->addWidget(closingDay_, 6, 1);
    form->addWidget(closingNote, 6, 2, 1, 4);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(4, 1);
    form->setColumnMinimumWidth(2, px(300));

    // The search: captions above their controls, the legend, the button.
    auto* search = new QGridLayout;
    QWidget* const kSearch[] = {searchField_, operator_, searchValue_, sort_};
    for (int c = 0; c < 4; ++c) {
        search->addWidget(new QLabel(kSearchLabels[c], this), 0, c);
        search->addWidget(kSearch[c], 1, c);
    }
    search->setColumnStretch(4, 1);
    search->addLayout(row({stars[5], legend}), 0, 5);
    search->addWidget(searchButton_, 0, 6, 2, 1, Qt::AlignBottom);

    auto* buttons = row({addButton_, registerButton_, deleteButton_, dataButton_});
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* foot = row({navigator_, note});
    foot->addStretch(1);

    auto* top = new QVBoxLayout(this);
    const QMargins margins = top->contentsMargins();
    top->setContentsMargins(0, 0, 0, 0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(margins);
    body->addLayout(form);
    body->addLayout(search);
    body->addWidget(grid_, 1);
    body->addLayout(buttons);
    body->addLayout(foot);
    top->addLayout(body, 1);
    top->addWidget(statusBar_);
    // The drawn size, or more when the font needs it.
    resize(QSize(px(8745), px(6675)).expandedTo(sizeHint()));
}

void PartyRegisterDialog::sRegisterGridColumns()
{
    struct Col { int column; const char* caption; int twips; };
    const Col kCols[] = {{1, "検索キー", 450}, {2, "ふりがな", 1000}, {4, "郵便番号", 850}, {5, "住所", 3000},
                         {6, "電話", 1500},    {7, "ファックス", 1500}, {8, "〆切日", 1500}, {9, "請求期日", 1500},
                         {10, "支払定日", 1500}, {0, words_.PartyNo, 500}, {3, words_.PartyName, 1500}};
    for (const Col& c : kCols) {
        model_.SetCaption(c.column, c.caption);
        model_.SetAlignment(c.column, Qt::AlignCenter);
        drawnWidths_[size_t(c.column)] = ui::HeaderFitWidth(grid_->horizontalHeader(), c.caption,
                                                            ui::DesignPixels(grid_, c.twips));
        grid_->setColumnWidth(c.column, drawnWidths_[size_t(c.column)]);
    }
}

// A column widens to show its values whole (a postcode, a name), up to
// sixteen full-width characters; a longer value is cut there.
void PartyRegisterDialog::FitColumnsToValues()
{
    const QAbstractItemView* view = grid_;
    const int widest = grid_->fontMetrics().horizontalAdvance(QString(16, QChar(0x3042)));
    for (int c = 0; c < kPartyColumnCount; ++c) {
        const int drawn = drawnWidths_[size_t(c)];
        if (drawn > 0) grid_->setColumnWidth(c, std::clamp(view->sizeHintForColumn(c), drawn, std::max(drawn, widest)));
    }
}

// Fills the search and sort combos from the party table, once: a table
// without columns means there is no usable database.
void PartyRegisterDialog::sGetCmbSort()
{
    std::vector<SearchField> fields = book_->SearchFields();
    if (fields.empty()) throw DbError(0, std::string(words_.PartyTable) + " がありません");
    for (const SearchField& f : fields) {
        sort_->addItem(Q(f.name));
        searchField_->addItem(Q(f.name), f.typeClass);
    }
}

bool PartyRegisterDialog::Open()
{
    try {
        db_ = OpenLedgerDatabase(DbPathFor(appFolder_, settings_.DatabaseName));
        db_.SetBusyTimeout(kBusyTimeoutMs);
        book_ = std::make_unique<PartyBook>(db_, words_);
        Setup();
    } catch (const std::exception& e) {
        const std::string why = DescribeFailure(e); // logged
        Warn(BooksBusy(e) ? Q(why) : kNoDatabaseMessage, this);
        return false;
    }
    if (db_.IsReadOnly()) WarnAndMakeReadOnly();
    return true;
}

void PartyRegisterDialog::WarnAndMakeReadOnly()
{
    // Said once, when the screen opens: the parties can be looked at, not
    // changed.
    Warn(Q(db_.ReadOnlyNotice()), this);
    for (QLineEdit* f : fields_)
        if (f) f->setReadOnly(true);
    closingDay_->setEnabled(false);
    for (QPushButton* b : {addButton_, registerButton_, deleteButton_}) b->setEnabled(false);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void PartyRegisterDialog::Setup()
{
    std::optional<int64_t> keep;
    if (int r = CurrentRow(); r >= 0) keep = model_.RowAt(r).id;
    if (!combosFilled_) {
        sGetCmbSort();
        operator_->setCurrentText("Like");
        searchField_->setCurrentText("検索キー");
        searchField_->setCurrentIndex(1);
        sort_->setCurrentText(words_.PartyNo);
        setWindowTitle(RegisterWordsOf(side_).Caption);
        sRegisterGridColumns();
        source_ = book_->AllRows();
        combosFilled_ = true;
    }
    try {
        Reload(keep);
    } catch (const std::exception& e) {
        SetPanelText(1, DescribeFailure(e));
        return;
    }
    // The current party's closing day follows the company settings.
    int r = CurrentRow();
    if (r < 0 || !model_.RowAt(r).id) return;
    const std::string& day = CompanyClosingDayText(settings_, side_);
    try {
        if (book_->SetClosingDay(*model_.RowAt(r).id, day)) {
            filling_ = true;
            model_.SetValue(r, kClosingDay, RowTableModel::ValueOf(Q(day)));
            model_.ClearChanged(r);
            filling_ = false;
            FillFields();
        }
    } catch (const std::exception& e) {
        filling_ = false;
        SetPanelText(1, DescribeFailure(e));
    }
}

void PartyRegisterDialog::Reload(std::optional<int64_t> keepId)
{
    Recordset rs = db_.OpenRecordset(source_);
    moving_ = true;
    model_.Load(rs);
    moving_ = false;
    addPending_ = false;
    FitColumnsToValues();
    int row = keepId ? model_.RowOfId(*keepId) : -1;
    SelectRow(row < 0 ? 0 : row);
}

void PartyRegisterDialog::SelectRow(int row)
{
    moving_ = true;
    if (row >= 0 && row < model_.rowCount()) {
        int column = grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 0;
        grid_->setCurrentIndex(model_.index(row, column));
    } else {
        grid_->setCurrentIndex({});
    }
    moving_ = false;
    FillFields();
}

int PartyRegisterDialog::CurrentRow() const
{
    return grid_->currentIndex().row();
}

void PartyRegisterDialog::FillFields()
{
    filling_ = true;
    int r = CurrentRow();
    for (int i = 0; i < 12; ++i) {
        int c = PartyColumnOfField(i);
        if (c >= 0) fields_[size_t(i)]->setText(r >= 0 ? RowTableModel::TextOf(model_.Value(r, c)) : QString());
    }
    closingDay_->setCurrentText(r >= 0 ? RowTableModel::TextOf(model_.Value(r, kClosingDay)) : QString());
    navigator_->setText(QString("ﾚｺｰﾄﾞ: %1").arg(r + 1));
    filling_ = false;
}

void PartyRegisterDialog::FieldEdited(int column, const QString& text)
{
    int r = CurrentRow();
    if (filling_ || r < 0) return;
    filling_ = true;
    model_.SetValue(r, column, RowTableModel::ValueOf(text));
    filling_ = false;
}

PartyTexts PartyRegisterDialog::RowTexts(int row) const
{
    PartyTexts texts;
    for (int c = 0; c < kPartyColumnCount; ++c) texts[size_t(c)] = RowTableModel::TextOf(model_.Value(row, c)).toStdString();
    return texts;
}

bool PartyRegisterDialog::SaveRow(int row, QString* error)
{
    if (row < 0 || row >= model_.rowCount() || !model_.RowAt(row).id || !model_.RowAt(row).changed) return true;
    if (!model_.SubmitRow(row)) {
        if (error) *error = model_.LastError();
        else Warn(model_.LastError(), this);
        return false;
    }
    // Show the stored form of what was typed (full-width digits as numbers).
    PartyValues stored = ParsePartyTexts(words_, RowTexts(row));
    filling_ = true;
    for (int c = 0; c < kPartyColumnCount; ++c) model_.SetValue(row, c, stored[size_t(c)]);
    model_.ClearChanged(row);
    filling_ = false;
    return true;
}

int PartyRegisterDialog::NewRow() const
{
    for (int r = 0; r < model_.rowCount(); ++r)
        if (!model_.RowAt(r).id) return r;
    return -1;
}

bool PartyRegisterDialog::ResolvePendingNew()
{
    int r = NewRow();
    if (r < 0) return true;
    const QString who = RegisterWordsOf(side_).Who;
    ui::Answer a = ui::Ask("追加した" + who + "はまだ登録されていません。登録しますか？", ui::Buttons::YesNoCancel,
                           ui::Answer::Yes, this);
    if (a == ui::Answer::Yes) return RegisterNew();
    if (a == ui::Answer::No) {
        DiscardNew();
        return true;
    }
    SelectRow(r);
    return false;
}

bool PartyRegisterDialog::RegisterNew()
{
    int r = NewRow();
    if (r < 0) return true;
    PartyTexts texts = RowTexts(r);
    if (texts[kCarryForward].empty()) {
        SelectRow(r);
        Warn(kNeedAmount, this);
        Field(9)->setFocus();
        return false;
    }
    int64_t id = 0;
    try {
        id = book_->Register(ParsePartyTexts(words_, texts), settings_, *this);
    } catch (const std::exception& e) {
        SelectRow(r);
        Warn(Q(DescribeFailure(e)), this);
        return false;
    }
    try {
        Reload(id);
        // The reload's search text would say nothing of the new party.
        SetPanelText(1, std::string(RegisterWordsOf(side_).Who) + "を登録しました");
    } catch (const std::exception& e) {
        SetPanelText(1, DescribeFailure(e));
    }
    grid_->setFocus();
    return true;
}

void PartyRegisterDialog::DiscardNew()
{
    int r = NewRow();
    if (r < 0) return;
    moving_ = true;
    model_.RemoveRowAt(r);
    moving_ = false;
    addPending_ = false;
    FillFields();
}

void PartyRegisterDialog::CurrentRowChanged(int current, int previous)
{
    if (moving_ || previous < 0 || previous >= model_.rowCount() || previous == current) {
        if (!moving_) FillFields();
        return;
    }
    bool stay = false;
    if (!model_.RowAt(previous).id) {
        moving_ = true;
        const QString who = RegisterWordsOf(side_).Who;
        ui::Answer a = ui::Ask("追加した" + who + "はまだ登録されていません。登録しますか？",
                               ui::Buttons::YesNoCancel, ui::Answer::Yes, this);
        moving_ = false;
        if (a == ui::Answer::Yes) {
            RegisterNew();
            return;
        }
        if (a == ui::Answer::No) {
            DiscardNew();
            SelectRow(current < previous ? current : current - 1);
            return;
        }
        stay = true;
    } else if (!SaveRow(previous)) {
        stay = true;
    }
    if (stay) SelectRow(previous);
    else FillFields();
}

void PartyRegisterDialog::ChangeIme(QWidget* w, bool open, int mode)
{
    if (const std::string why = HintImeMode(ui::WidgetHandle(w), Variant(open), mode); !why.empty())
        LogLine("PartyRegister", "NvZzIME.ChangeIMEModeEX: " + why);
}

void PartyRegisterDialog::SearchValueFocused()
{
    const std::string f = searchField_->currentText().toStdString();
    auto any = [&f](std::initializer_list<std::string> names) {
        for (const std::string& n : names)
            if (n == f) return true;
        return false;
    };
    if (any({"支払定日", "請求期日", "〆切期日", "住所", words_.PartyName})) ChangeIme(grid_, true, 9);
    else if (any({"繰越金額", "ファックス", "電話", "郵便番号", words_.PartyNo})) ChangeIme(grid_, false, 0);
    else if (any({"検索キー", "ふりがな"})) ChangeIme(grid_, true, 3);
}

bool PartyRegisterDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == searchValue_ && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            searchButton_->setFocus();
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (watched == searchValue_) SearchValueFocused();
        else if (watched == fields_[0]) ChangeIme(fields_[0], true, 4);
    }
    return QDialog::eventFilter(watched, event);
}

void PartyRegisterDialog::SetPanelText(int panel, const std::string& text)
{
    if (panel == 1) panel1_->setText(Q(text));
}

QString PartyRegisterDialog::StatusText() const
{
    return panel1_->text();
}

QString PartyRegisterDialog::NavigatorText() const
{
    return navigator_->text();
}

void PartyRegisterDialog::reject()
{
    if (!ResolvePendingNew()) return;
    for (int r = 0; r < model_.rowCount(); ++r) {
        QString error;
        if (SaveRow(r, &error)) continue;
        // As the journal: the window and its edits stay unless the user says so.
        if (!MayCloseWithoutSaving(error + "\n" + kCloseWithoutSaving, error, this)) {
            SelectRow(r);
            return;
        }
        break;
    }
    QDialog::reject();
}

} // namespace nv
