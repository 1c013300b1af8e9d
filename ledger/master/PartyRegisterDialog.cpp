#include "ledger/master/PartyRegisterDialog.h"

#include "ledger/common/LedgerSchema.h"
#include "ledger/common/ModuleGlobal.h"
#include "ledger/master/HandOffArrays.h"
#include "platform/automation/Automation.h"
#include "platform/db/DbError.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WidgetHandle.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

namespace nv {

namespace {

// Form positions are in twips; 15 twips make a pixel.
int Px(int twips)
{
    return (twips + 7) / 15;
}

constexpr int kRowHeight = 20;
constexpr int kBusyTimeoutMs = 1500;
const char* const kClosingDays[] = {"随時", "末日", "２５日", "２０日", "１５日", "１０日", "５日"};
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
    ui::prompt().ask(m);
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
        columns.push_back({name, Q(name)});
    }
    model_.setColumns(std::move(columns));
    model_.setAlternateColor(QColor(0xC0, 0xFF, 0xFF));   // &HFFFFC0 is blue-green-red
    model_.setWriter([this](const RowTableModel::Row& row) {
        PartyTexts texts;
        for (int c = 0; c < kPartyColumnCount; ++c) texts[size_t(c)] = RowTableModel::textOf(row.values[size_t(c)]).toStdString();
        try {
            book_->Update(*row.id, ParsePartyTexts(words_, texts));
        } catch (const DbError& e) {
            throw std::runtime_error(DescribeFailure(e));
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
    setFont(QFont("ＭＳ ゴシック"));
    setFixedSize(Px(8745), Px(6675) + 22);

    auto place = [this](QWidget* w, const char* name, int left, int top, int width, int height = kRowHeight) {
        w->setObjectName(name);
        w->setParent(this);
        w->setGeometry(Px(left), Px(top), Px(width), height);
        return w;
    };
    struct FieldPos { int index, left, top, width; };
    const FieldPos kFields[] = {{0, 1680, 120, 6132}, {1, 1680, 480, 2652}, {8, 8280, 480, 372},
                                {2, 1680, 840, 972},  {7, 2880, 840, 5412}, {3, 1680, 1200, 1695},
                                {6, 6600, 1200, 1695}, {4, 1680, 1560, 1695}, {9, 6600, 1560, 1695},
                                {11, 1680, 1920, 1680}, {10, 6600, 1920, 1695}};
    for (const FieldPos& f : kFields) {
        auto* e = new QLineEdit;
        place(e, ("txtFields_" + std::to_string(f.index)).c_str(), f.left, f.top, f.width);
        fields_[size_t(f.index)] = e;
        int column = PartyColumnOfField(f.index);
        connect(e, &QLineEdit::textEdited, this, [this, column](const QString& t) { FieldEdited(column, t); });
        connect(e, &QLineEdit::returnPressed, this, [this, i = f.index] { Field(NextFieldOnEnter(i))->setFocus(); });
    }
    fields_[0]->installEventFilter(this);
    closingDay_ = new QComboBox;
    closingDay_->setEditable(true);
    place(closingDay_, "Cmb〆日", 1680, 2280, 1692);
    for (const char* d : kClosingDays) closingDay_->addItem(d);
    connect(closingDay_, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { FieldEdited(kClosingDay, t); });

    const bool sales = side_ == JournalSide::Sales;
    struct LabelPos { const char* text; QWidget* field; };
    const LabelPos kLabels[] = {
        {sales ? "氏名　" : "氏名", fields_[0]}, {sales ? "ふりがな　 " : "ふりがな", fields_[1]},
        {"住所", fields_[7]}, {"電話", fields_[3]}, {"ＦＡＸ", fields_[4]}, {"〆切期日", closingDay_},
        {sales ? "Ｎｏ．*" : "Ｎｏ．", fields_[6]}, {"〒", fields_[2]},
        {sales ? "検索キー（ふりがなの１文字目半角ｶﾀｶﾅ）* " : "検索キー（ふりがなの１文字目半角ｶﾀｶﾅ） ", fields_[8]},
        {"請求期日", fields_[10]}, {"支払定日", fields_[11]}, {"登録時繰越金額", fields_[9]}};
    int i = 0;
    for (const LabelPos& l : kLabels) {
        auto* label = new QLabel(l.text, this);
        label->setObjectName(QString("lblLabels_%1").arg(i++));
        int w = label->fontMetrics().horizontalAdvance(label->text()) + 4;
        label->setGeometry(l.field->x() - w - 4, l.field->y(), w, kRowHeight);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (i == 12 && !sales) label->setToolTip("品名が前期残高で元帳に挿入");
    }
    // Required fields: a red star beside each, and the legend.
    i = 0;
    for (QWidget* f : {fields_[0], fields_[6], fields_[1], fields_[8], fields_[9]}) {
        auto* star = new QLabel("*", this);
        star->setObjectName(QString("Label3_%1").arg(i++));
        star->setStyleSheet("color: red");
        star->setGeometry(f->x() + f->width() + 2, f->y(), 10, kRowHeight);
    }
    auto* legendStar = new QLabel("*", this);
    legendStar->setObjectName("Label3_5");
    legendStar->setStyleSheet("color: red");
    legendStar->setGeometry(Px(4800), Px(2640), 10, kRowHeight);
    auto* legend = new QLabel("は登録時に入力が必要です。", this);
    legend->setObjectName("Label2_1");
    legend->setGeometry(Px(4800) + 10, Px(2640), 170, kRowHeight);
    auto* closingNote = new QLabel("〆切期日は自社登録で入力してください。", this);
    closingNote->setObjectName("Label2_0");
    closingNote->setGeometry(Px(1680 + 1692 + 120), Px(2280), 300, kRowHeight);
    auto* digits = new QLabel("（数字）", this);
    digits->setObjectName("Label4_1");
    digits->setGeometry(fields_[6]->x() + fields_[6]->width() + 14, fields_[6]->y(), 60, kRowHeight);

    searchField_ = new QComboBox;
    place(searchField_, "CmbKensaku", 120, 3000, 1092);
    operator_ = new QComboBox;
    place(operator_, "CmbShiki", 1320, 3000, 852);
    operator_->setToolTip("Like：検索値が部分的に含まれていれば検索");
    for (const char* o : kSearchOperators) operator_->addItem(o);
    searchValue_ = new QLineEdit;
    place(searchValue_, "txOya", 2400, 3000, 975);
    searchValue_->installEventFilter(this);
    sort_ = new QComboBox;
    place(sort_, "CmbSort", 3600, 3000, 1092);
    const std::pair<const char*, int> kSearchLabels[] = {
        {"検索対象", 120}, {"検索式", 1320}, {"検索値 ", 2400}, {"検索結果のソート", 3600}};
    for (auto [text, left] : kSearchLabels) {
        auto* label = new QLabel(text, this);
        label->setGeometry(Px(left), Px(2760), 90, 16);
    }
    connect(searchField_, &QComboBox::activated, this, [this] {
        if (searchField_->currentText() != "親番") searchValue_->clear();
    });

    searchButton_ = new QPushButton("検索開始(&S)");
    place(searchButton_, "CmdKensaku", 7200, 2640, 1212, 25);
    addButton_ = new QPushButton("追加(&A)");
    place(addButton_, "cmdAdd", 120, 5520, 972, 25);
    registerButton_ = new QPushButton("登録(&R)");
    place(registerButton_, sales ? "cmdUpdate" : "cmdTouroku", 1200, 5520, 972, 25);
    deleteButton_ = new QPushButton("削除(&D)");
    place(deleteButton_, "cmdDelete", 2400, 5520, 972, 25);
    dataButton_ = new QPushButton("データ入力(&I)");
    place(dataButton_, "cmdData", 3600, 5520, 1572, 25);
    closeButton_ = new QPushButton("閉じる(&C)");
    place(closeButton_, "cmdClose", 7320, 5520, 1092, 25);
    for (QPushButton* b : {searchButton_, addButton_, registerButton_, deleteButton_, dataButton_, closeButton_})
        b->setAutoDefault(false);
    auto* note = new QLabel("注　登録は追加をクリックしてからです。", this);
    note->setObjectName("Label4_0");
    note->setGeometry(Px(2600), Px(5880), 300, kRowHeight);
    connect(searchButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnSearch);
    connect(addButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnAdd);
    connect(registerButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnRegister);
    connect(deleteButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnDelete);
    connect(dataButton_, &QPushButton::clicked, this, &PartyRegisterDialog::OnData);
    connect(closeButton_, &QPushButton::clicked, this, &PartyRegisterDialog::reject);

    grid_ = new QTableView;
    place(grid_, "DBGrid1", 120, 3360, 8292, Px(2052));
    grid_->setModel(&model_);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(18);
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
    navigator_->setGeometry(0, Px(5880), Px(2412), kRowHeight);
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("stt1");
    statusBar_->setSizeGripEnabled(false);
    panel1_ = new QLabel(statusBar_);
    statusBar_->addWidget(panel1_, 1);
    statusBar_->setGeometry(0, height() - 22, width(), 22);
}

void PartyRegisterDialog::sRegisterGridColumns()
{
    struct Col { int column; const char* caption; int twips; };
    const Col kCols[] = {{1, "検索キー", 450}, {2, "ふりがな", 1000}, {4, "郵便番号", 850}, {5, "住所", 3000},
                         {6, "電話", 1500},    {7, "ファックス", 1500}, {8, "〆切日", 1500}, {9, "請求期日", 1500},
                         {10, "支払定日", 1500}, {0, words_.PartyNo, 500}, {3, words_.PartyName, 1500}};
    for (const Col& c : kCols) {
        model_.setCaption(c.column, c.caption);
        model_.setAlignment(c.column, Qt::AlignCenter);
        grid_->setColumnWidth(c.column, Px(c.twips));
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
    } catch (const DbError& e) {
        Warn(e.IsBusy() ? Q(DescribeFailure(e)) : kNoDatabaseMessage, this);
        return false;
    } catch (const std::exception&) {
        Warn(kNoDatabaseMessage, this);
        return false;
    }
    if (db_.IsReadOnly()) KeepEditsOut();
    return true;
}

void PartyRegisterDialog::KeepEditsOut()
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
    if (int r = CurrentRow(); r >= 0) keep = model_.row(r).id;
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
    if (r < 0 || !model_.row(r).id) return;
    const std::string& day = ClosingDayOf(settings_, side_);
    try {
        if (book_->SetClosingDay(*model_.row(r).id, day)) {
            filling_ = true;
            model_.setValue(r, kClosingDay, RowTableModel::valueOf(Q(day)));
            model_.clearChanged(r);
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
    model_.load(rs);
    moving_ = false;
    addPending_ = false;
    int row = keepId ? model_.rowOfId(*keepId) : -1;
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
        if (c >= 0) fields_[size_t(i)]->setText(r >= 0 ? RowTableModel::textOf(model_.value(r, c)) : QString());
    }
    closingDay_->setCurrentText(r >= 0 ? RowTableModel::textOf(model_.value(r, kClosingDay)) : QString());
    navigator_->setText(QString("ﾚｺｰﾄﾞ: %1").arg(r + 1));
    filling_ = false;
}

void PartyRegisterDialog::FieldEdited(int column, const QString& text)
{
    int r = CurrentRow();
    if (filling_ || r < 0) return;
    filling_ = true;
    model_.setValue(r, column, RowTableModel::valueOf(text));
    filling_ = false;
}

PartyTexts PartyRegisterDialog::RowTexts(int row) const
{
    PartyTexts texts;
    for (int c = 0; c < kPartyColumnCount; ++c) texts[size_t(c)] = RowTableModel::textOf(model_.value(row, c)).toStdString();
    return texts;
}

bool PartyRegisterDialog::SaveRow(int row, QString* error)
{
    if (row < 0 || row >= model_.rowCount() || !model_.row(row).id || !model_.row(row).changed) return true;
    if (!model_.submitRow(row)) {
        if (error) *error = model_.lastError();
        else Warn(model_.lastError(), this);
        return false;
    }
    // Show the stored form of what was typed (full-width digits as numbers).
    PartyValues stored = ParsePartyTexts(words_, RowTexts(row));
    filling_ = true;
    for (int c = 0; c < kPartyColumnCount; ++c) model_.setValue(row, c, stored[size_t(c)]);
    model_.clearChanged(row);
    filling_ = false;
    return true;
}

int PartyRegisterDialog::NewRow() const
{
    for (int r = 0; r < model_.rowCount(); ++r)
        if (!model_.row(r).id) return r;
    return -1;
}

bool PartyRegisterDialog::ResolvePendingNew()
{
    int r = NewRow();
    if (r < 0) return true;
    const QString who = RegisterWordsOf(side_).Who;
    ui::Answer a = ui::ask("追加した" + who + "はまだ登録されていません。登録しますか？", ui::Buttons::YesNoCancel,
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
    model_.removeRowAt(r);
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
    if (!model_.row(previous).id) {
        moving_ = true;
        const QString who = RegisterWordsOf(side_).Who;
        ui::Answer a = ui::ask("追加した" + who + "はまだ登録されていません。登録しますか？",
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
    // Input-method modes are hints: without the component nothing changes.
    try {
        ObjectRef ime = CreateObject("NvZzIME.imeClass");
        ime.Call("ChangeIMEModeEX", {Variant(ui::WidgetHandle(w)), Variant(open),
                                     Variant(static_cast<int32_t>(mode))});
    } catch (const std::exception&) {
    }
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
        if (ui::ask(error + "\n" + kCloseWithoutSaving, ui::Buttons::YesNo, ui::Answer::No, this) != ui::Answer::Yes) {
            SelectRow(r);
            return;
        }
        break;
    }
    QDialog::reject();
}

} // namespace nv
