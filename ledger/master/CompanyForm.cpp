#include "ledger/master/CompanyForm.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/common/SettingsRecord.h"
#include "ledger/master/CarryForward.h"
#include "ledger/master/CloseUnsaved.h"
#include "ledger/master/ItemNameForm.h"
#include "platform/core/Cp932.h"
#include "platform/core/FileErrors.h"
#include "platform/db/DbError.h"
#include "platform/ui/DialogKeys.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WorkArea.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include <filesystem>
#include <vector>

namespace nv {

namespace {

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

QString Plain(float v)
{
    return Q(PrintNumber(v)).trimmed();
}

// The leading whole number of a text; nullopt when it has none or more follows.
std::optional<int> WholeNumber(const QString& text)
{
    bool ok = false;
    int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

int LeadingNumber(const QString& text)
{
    QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80) ++i;
    bool ok = false;
    int v = t.left(i).toInt(&ok);
    return ok ? v : 0;
}

// The settings file as it is now; empty when there is none.
std::string FileBytesOrNone(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return {};
    return ReadCompanyFileBytes(path);
}

LineDate StartOf(const CompanySettings& s)
{
    return {int(s.StartYear), int(s.StartMonth), int(s.StartDay)};
}

// A database inside the data folder is kept by its name, another by its path.
std::string NameInFolder(const QFileInfo& file, const std::string& folder)
{
    return QDir(file.absolutePath()) == QDir(Q(folder)) ? file.fileName().toStdString()
                                                         : file.absoluteFilePath().toStdString();
}

struct TextField {
    int index;
    const char* name;
    size_t width;
    std::string CompanySettings::*member;
};
constexpr TextField kTextFields[] = {
    {8, "氏名", kOwnerNameWidth, &CompanySettings::OwnerName},
    {9, "氏名(帳票での)", kPrintNameWidth, &CompanySettings::PrintName},
    {5, "ふりがな", kOwnerKanaWidth, &CompanySettings::OwnerKana},
    {2, "〒", kPostCodeWidth, &CompanySettings::PostCode},
    {7, "住所", kAddressWidth, &CompanySettings::Address},
    {3, "電話", kPhoneWidth, &CompanySettings::Phone},
    {4, "ＦＡＸ", kFaxWidth, &CompanySettings::Fax},
};

} // namespace

std::string CheckedText(const QString& text, const char* field, size_t width)
{
    const std::string utf8 = text.toStdString();
    // By character, not by UTF-16 unit: a refused emoji is named whole.
    for (char32_t c : text.toUcs4()) {
        const std::string one = QString::fromUcs4(&c, 1).toStdString();
        if (!Utf8ToCp932(one)) throw FieldError(std::string(field) + "に使えない文字があります: " + one);
    }
    if (text.contains('\n') || text.contains('\r'))
        throw FieldError(std::string(field) + "に改行は使えません。");
    // Trailing blanks are the fixed width's filling, not typed text.
    if (Utf8CharCount(TrimRight(utf8)) > width)
        throw FieldError(std::string(field) + "は" + std::to_string(width) + "文字以内で入力してください。");
    return utf8;
}

CompanyForm::CompanyForm(ModuleGlobal& g, QWidget* parent) : QDialog(parent), g_(g)
{
    ReadSettings();
    Build();
    LimitTextFields();
    sShowSettings();
}

void CompanyForm::ReadSettings()
{
    loadNotice_ = RestoreLostSettings();
    try {
        g_.gsReadCompany();
        // Every value that reads is kept; the others are named.
        if (!g_.ReadProblems.empty())
            AddNotice(Q(DescribeProblems(g_.ReadProblems)) + "\n閉じると、この画面の設定で書き直します。");
        if (!g_.ReadCautions.empty()) AddNotice(Q(DescribeCautions(g_.ReadCautions)));
        KeepWritableLabels();
        return;
    } catch (const CompanyFileError& e) {
        const std::string path = g_.AppPath + kCompanyFileName;
        std::error_code ec;
        AddNotice(std::filesystem::exists(std::filesystem::symlink_status(path, ec))
                      ? Q(ShownFailure("Company", e)) + "\n初期設定を表示します。閉じると、この画面の設定で書き直します。"
                      : "設定ファイル " + Q(path) + " がありません。\n初期設定を表示します。閉じると保存します。");
    }
    // The screen then writes a good file; labels are the new file's.
    const CompanyFile d = DefaultCompanyFile(QDate::currentDate().year());
    const std::string databaseName = g_.Settings.DatabaseName;
    g_.StartHeld = false;
    g_.Settings = d.Settings;
    g_.Settings.DatabaseName = databaseName;
    g_.PortraitSummary = d.PortraitSummary;
    g_.ScreenFlag = d.ScreenFlag;
}

QString CompanyForm::RestoreLostSettings()
{
    const std::string dbPath = DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(dbPath, ec)) return {};
    try {
        const SettingsCheck check = CheckSettingsAgainstDatabase(Db(), g_.AppFolderPath);
        if (check.State == SettingsAgreement::Restored || check.State == SettingsAgreement::Lost ||
            check.State == SettingsAgreement::Finished || check.State == SettingsAgreement::Damaged)
            return Q(check.Message);
    } catch (const std::exception& e) {
        // The screen says an unusable database as it opens, and again when
        // it closes.
        LogLine("自社登録", std::string("補助簿DBの自社設定の記録を読めません: ") + e.what());
    }
    return {};
}

void CompanyForm::KeepWritableLabels()
{
    try {
        FormatCompanyFile(g_.ToCompanyFile());
    } catch (const CompanyFileError& e) {
        // A label broken by a bare carriage return (a file that is no
        // settings file at all) cannot be written back as it stands: the
        // file is written anew from what the screen shows.
        const auto labels = DefaultItemLabels();
        std::copy(labels.begin(), labels.end(), g_.ItemLabels.begin());
        AddNotice("設定ファイル " + Q(g_.CompanyFilePath()) + " はそのままでは書き戻せません (" + Q(e.what()) +
                  ")。\n閉じると、この画面の設定で書き直します。");
    }
}

void CompanyForm::AddNotice(const QString& text)
{
    loadNotice_ += (loadNotice_.isEmpty() ? "" : "\n") + text;
}

void CompanyForm::LimitTextFields()
{
    // Each box takes no more than its item holds.
    for (const TextField& f : kTextFields) fields_[f.index]->setMaxLength(int(f.width));
}

CompanyForm::~CompanyForm() = default;

void CompanyForm::SetPanelText(int panel, const std::string& text)
{
    if (panel == 1 && stt1_) stt1_->showMessage(Q(text));
}

void CompanyForm::Build()
{
    setObjectName("F1_自社登録");
    setWindowTitle("自社登録");
    ui::KeepOpenOnEscape(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* top = new QVBoxLayout;
    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu("ファイル(&F)");
    file->setObjectName("mnuFmain");
    fileItems_[0] = file->addAction(
        "DBの選択 : 選択しない場合は、補助簿DBが選択されています。サンプル補助簿DBには入力例があります。");
    fileItems_[1] = file->addAction("DB名の変更 :  DB名を変更します。元のDBは依然の名前でそのまま残ります.");
    fileItems_[0]->setObjectName("mnuFILE(0)");
    fileItems_[1]->setObjectName("mnuFILE(1)");
    connect(fileItems_[0], &QAction::triggered, this, &CompanyForm::ChooseDatabase);
    connect(fileItems_[1], &QAction::triggered, this, &CompanyForm::CopyDatabase);
    outer->setMenuBar(menuBar);

    auto* grid = new QGridLayout;
    top->addLayout(grid);
    auto edit = [&](int index) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString("txtFields(%1)").arg(index));
        e->installEventFilter(this);
        fields_[index] = e;
        return e;
    };
    int row = 0;
    for (const auto& [index, caption] : std::initializer_list<std::pair<int, const char*>>{
             {8, "氏名"}, {5, "ふりがな "}, {2, "〒"}, {7, "住所"}, {9, "氏名(帳票での)"}, {3, "電話"}, {4, "ＦＡＸ"}}) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(edit(index), row++, 1, 1, 6);
    }
    grid->addWidget(new QLabel("事業年度（期首日付）", this), row, 0);
    const char* ymd[] = {"年", "月", "日"};
    int startBoxes[] = {0, 6, 1};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(edit(startBoxes[i]), row, 1 + 2 * i);
        grid->addWidget(new QLabel(ymd[i], this), row, 2 + 2 * i);
    }
    ++row;
    grid->addWidget(new QLabel("事業年度（期末日付）", this), row, 0);
    int endLabels[] = {2, 0, 1};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QString("Label2(%1)").arg(endLabels[i]));
        endLabels_[endLabels[i]] = l;
        grid->addWidget(l, row, 1 + 2 * i);
        grid->addWidget(new QLabel(ymd[i], this), row, 2 + 2 * i);
    }
    ++row;
    grid->addWidget(new QLabel("第", this), row, 0);
    grid->addWidget(edit(11), row, 1);
    grid->addWidget(new QLabel("期", this), row, 2);
    grid->addWidget(new QLabel("　税率", this), row, 3);
    grid->addWidget(edit(12), row, 4);
    grid->addWidget(new QLabel("％", this), row++, 5);

    struct Group {
        const char* frame;
        const char* name;
        const char* first;
        const char* second;
    } groups[] = {{"事業形態", "Opt個人", "　　　　　　　個人", "　　　　　　　法人"},
                  {"消費税処理", "Opt課税事業者", "　　課税事業者", "　　免税事業者"},
                  {"集計表", "Opti集計表縦", "　　縦書き", "　　横書き"},
                  {"ディスプレイ解像度の変更", "Opti解像度", "　　８００Ｘ６００", "　　変更なし"}};
    auto* optionRow = new QHBoxLayout;
    for (int gi = 0; gi < 4; ++gi) {
        auto* box = new QGroupBox(groups[gi].frame, this);
        auto* v = new QVBoxLayout(box);
        for (int k = 0; k < 2; ++k) {
            auto* r = new QRadioButton(k ? groups[gi].second : groups[gi].first, box);
            r->setObjectName(QString("%1(%2)").arg(groups[gi].name).arg(k));
            options_[gi][k] = r;
            v->addWidget(r);
        }
        optionRow->addWidget(box);
    }
    top->addLayout(optionRow);

    auto* closingRow = new QHBoxLayout;
    const char* closingCaptions[] = {"仕入〆切期日", "売上〆切期日"};
    for (int i = 0; i < 2; ++i) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString("Cmb〆日(%1)").arg(i));
        c->setEditable(true);
        for (const ClosingDayWord& w : kClosingDayWords)
            if (w.Offered) c->addItem(w.Word);
        c->installEventFilter(this);
        if (c->lineEdit()) c->lineEdit()->installEventFilter(this);
        closing_[i] = c;
        closingRow->addWidget(new QLabel(closingCaptions[i], this));
        closingRow->addWidget(c);
    }
    top->addLayout(closingRow);

    command1_ = new QPushButton("繰越の計算(&C)", this);
    command1_->setObjectName("Command1");
    command2_ = new QPushButton("品名の登録(&R)", this);
    command2_->setObjectName("Command2");
    cmdClose_ = new QPushButton("閉じる(&C)", this);
    cmdClose_->setObjectName("cmdClose");
    for (QPushButton* b : {command1_, command2_, cmdClose_}) b->setAutoDefault(false);
    auto note = [&](int index, const char* text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString("Label3(%1)").arg(index));
        l->setWordWrap(true);
        return l;
    };
    top->addWidget(command1_);
    top->addWidget(note(3, "事業年度を変更してからクリックすると、新事業年度の繰越金額を元帳へ自動記入します。元帳にデータがあると自動記入しません。"
                           "元帳の１行目は繰越金額です。元帳の繰越金額を手動で変更する場合は、品名を前期繰越金額に変更してください。"
                           "前事業年度の元帳にデータがない取引先は、登録されている繰越金額のままです。"));
    top->addWidget(command2_);
    top->addWidget(note(1, "元帳入力に必要な品名を登録します。"));
    top->addWidget(note(4, "DB : データベースファイル"));
    // On a small screen the controls scroll; 閉じる and the status line stay
    // in sight below them.
    outer->addWidget(new ui::ScrollingPage(top, this), 1);
    auto* closeRow = new QVBoxLayout;
    const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    closeRow->setContentsMargins(margin, 0, margin, margin / 2);
    closeRow->addWidget(cmdClose_);
    outer->addLayout(closeRow);
    stt1_ = new QStatusBar(this);
    stt1_->setObjectName("stt1");
    outer->addWidget(stt1_);

    connect(command1_, &QPushButton::clicked, this, &CompanyForm::CarryForwardNow);
    connect(command2_, &QPushButton::clicked, this, [this] {
        try {
            ItemNameForm form(Db(), this);
            if (form.Load()) form.exec();
        } catch (const std::exception& e) {
            ShowError(Q(ShownFailure("Company", e)));
        }
    });
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::close);
    connect(fields_[0], &QLineEdit::textChanged, this, [this] { StartChanged(false); });
    connect(fields_[6], &QLineEdit::textChanged, this, [this] { StartChanged(true); });
    connect(fields_[1], &QLineEdit::textChanged, this, [this] { StartChanged(true); });
}

void CompanyForm::sShowSettings()
{
    const CompanySettings& s = g_.Settings;
    for (const TextField& f : kTextFields) fields_[f.index]->setText(Q(TrimRight(s.*f.member)));
    fields_[11]->setText(Plain(s.Term));
    fields_[0]->setText(Plain(s.StartYear));
    fields_[6]->setText(Plain(s.StartMonth));
    fields_[1]->setText(Plain(s.StartDay));
    endLabels_[2]->setText(Plain(s.EndYear));
    endLabels_[0]->setText(Plain(s.EndMonth));
    // A start on the 1st shows day 31 as it always has (its month's last day).
    endLabels_[1]->setText(s.StartDay == 1 ? QString("31") : Plain(s.EndDay));
    const float flags[] = {s.BusinessForm, s.TaxHandling, g_.PortraitSummary, g_.ScreenFlag};
    for (int i = 0; i < 4; ++i) options_[i][IsTrue(flags[i]) ? 0 : 1]->setChecked(true);
    fields_[12]->setText(Plain(s.TaxRate));
    closing_[0]->setEditText(Q(s.PurchaseClosingDay));
    closing_[1]->setEditText(Q(s.SalesClosingDay));
}

void CompanyForm::StartChanged(bool monthToo)
{
    CompanySettings s;
    s.StartYear = float(LeadingNumber(fields_[0]->text()));
    s.StartMonth = float(LeadingNumber(fields_[6]->text()));
    s.StartDay = float(LeadingNumber(fields_[1]->text()));
    DeriveFiscalEnd(s);
    if (monthToo) {
        endLabels_[0]->setText(Plain(s.EndMonth));
        endLabels_[1]->setText(Plain(s.EndDay));
    }
    endLabels_[2]->setText(Plain(s.EndYear));
}

CompanyForm::ReadBack CompanyForm::sReadBack() const
{
    ReadBack r;
    CompanySettings& s = r.Settings;
    s = g_.Settings;
    for (const TextField& f : kTextFields)
        s.*f.member = FixedText(CheckedText(fields_[f.index]->text(), f.name, f.width), f.width);
    bool ok = false;
    const float term = fields_[11]->text().trimmed().toFloat(&ok);
    if (!ok) throw FieldError("期には数字を入力してください。");
    s.Term = term;
    auto y = WholeNumber(fields_[0]->text()), m = WholeNumber(fields_[6]->text()), d = WholeNumber(fields_[1]->text());
    if (!y || !m || !d || *y < 1 || *y > 9999 || !QDate::isValid(*y, *m, *d))
        throw FieldError("事業年度（期首日付）が正しい日付ではありません。");
    r.StartChanged = float(*y) != g_.Settings.StartYear || float(*m) != g_.Settings.StartMonth ||
                     float(*d) != g_.Settings.StartDay;
    s.StartYear = float(*y), s.StartMonth = float(*m), s.StartDay = float(*d);
    s.EndYear = float(LeadingNumber(endLabels_[2]->text()));
    s.EndMonth = float(LeadingNumber(endLabels_[0]->text()));
    s.EndDay = float(LeadingNumber(endLabels_[1]->text()));
    s.BusinessForm = StoredFlag(options_[0][0]->isChecked());
    s.TaxHandling = StoredFlag(options_[1][0]->isChecked());
    const float rate = fields_[12]->text().trimmed().toFloat(&ok);
    if (!ok || !(rate >= 0 && rate <= 100)) throw FieldError("税率には0から100までの数字を入力してください。");
    s.TaxRate = rate;
    r.PortraitSummary = StoredFlag(options_[2][0]->isChecked());
    r.ScreenFlag = StoredFlag(options_[3][0]->isChecked());
    const char* closingNames[] = {"仕入〆切期日", "売上〆切期日"};
    std::string* closingDays[] = {&s.PurchaseClosingDay, &s.SalesClosingDay};
    for (int i = 0; i < 2; ++i) {
        const std::string text = closing_[i]->currentText().toStdString();
        if (!IsClosingDay(text))
            throw FieldError(std::string(closingNames[i]) + "は一覧の締日から選んでください: " + text);
        *closingDays[i] = text;
    }
    return r;
}

Database& CompanyForm::Db()
{
    if (!db_.IsOpen()) {
        db_ = OpenLedgerDatabase(DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName));
        db_.SetBusyTimeout(2000);
    }
    return db_;
}

void CompanyForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (databaseNoted_) return;
    databaseNoted_ = true;
    NoteDatabase();
}

// A database that takes no writes is said so once, as the screen opens, and
// nothing that would write into it can be started; the menu still chooses
// another one, which is looked at again.
void CompanyForm::NoteDatabase()
{
    readOnlyDb_ = false;
    std::string notice;
    Database* db = nullptr;
    try {
        db = &Db();
        readOnlyDb_ = db->IsReadOnly();
        notice = db->ReadOnlyNotice();
    } catch (const std::exception& e) {
        // A missing or unusable database is said when the screen closes,
        // with what was saved without it.
        LogLine("Company", LogText(e));
        db = nullptr;
    }
    if (readOnlyDb_ && !noticeShown_) {
        noticeShown_ = true;
        ShowError(Q(notice));
    }
    std::vector<QWidget*> edits{command1_, command2_, closing_[0], closing_[1]};
    edits.insert(edits.end(), fields_.begin(), fields_.end());
    for (const auto& group : options_) edits.insert(edits.end(), group.begin(), group.end());
    for (QWidget* w : edits)
        if (w) w->setEnabled(!readOnlyDb_);
    if (db) CheckAgreement(*db);
}

// The settings file and the database are compared as the screen opens: a
// save that stopped after the commit is finished, a start the database was
// not carried to is offered its carry-forward.
void CompanyForm::CheckAgreement(Database& db)
{
    SettingsCheck check;
    try {
        check = CheckSettingsAgainstDatabase(db, g_.AppFolderPath);
    } catch (const std::exception& e) {
        ShowError("補助簿DBの自社設定の記録を読めません。\n" + Q(ShownFailure("Company", e)));
        return;
    }
    if (check.State == SettingsAgreement::Finished || check.State == SettingsAgreement::Restored) {
        try {
            g_.gsReadCompany();
            sShowSettings();
        } catch (const std::exception& e) {
            ShowError(Q(ShownFailure("Company", e)));
        }
        ui::Inform(Q(check.Message), this);
    } else if (check.State == SettingsAgreement::Lost || check.State == SettingsAgreement::Damaged) {
        // Said once: the opening said it already unless another database
        // was chosen since.
        if (!loadNotice_.contains(Q(check.Message))) ui::Warn(Q(check.Message), this);
    } else if (check.State == SettingsAgreement::Differ) {
        if (readOnlyDb_) {
            ShowError(Q(check.Message));
            return;
        }
        const QString question = Q(check.Message) + "\n設定ファイルの期首 " + Q(JapaneseDate(check.FileStart)) +
                                 " へ補助簿DBを繰り越しますか？";
        // Moving the books is never what happens by default.
        if (ui::Ask(question, ui::Buttons::YesNo, ui::Answer::No, this) == ui::Answer::Yes) CarryForwardNow();
    }
}

void CompanyForm::ShowError(const QString& text)
{
    ui::Error(text, this);
}

std::string CompanyForm::CommitWithFile(const ModuleGlobal& next, bool recordStart,
                                        const std::function<void(Database&)>& work)
{
    const std::string path = next.CompanyFilePath();
    const std::string bytes = FormatCompanyFile(next.ToCompanyFile());
    const std::string before = FileBytesOrNone(path);
    // Made whole before the database commits, so a full disk or a read-only
    // file stops the save with nothing written.
    CompanyFileReplacement file(path, bytes);
    Database& db = Db();
    {
        Transaction t(db);
        work(db);
        if (recordStart) WriteSettingsRecord(db, {StartOf(next.Settings), bytes, before, {}});
        t.Commit();
    }
    FaultPoint("company.w1");
    try {
        file.Replace();
    } catch (const std::exception& e) {
        return "補助簿DBには保存しましたが、設定ファイルを書き換えられませんでした。次に開いたときに書き直します。\n" +
               ShownFailure("Company", e);
    }
    return {};
}

bool CompanyForm::SaveAll()
{
    ReadBack r;
    try {
        r = sReadBack();
    } catch (const FieldError& e) {
        lastFailure_ = e.what();
        ShowError(Q(e.what()));
        return false;
    }
    ModuleGlobal next = g_;
    next.StartHeld = true;
    next.Settings = r.Settings;
    next.PortraitSummary = r.PortraitSummary;
    next.ScreenFlag = r.ScreenFlag;
    // Without a usable database the settings are saved all the same.
    std::string noDatabase;
    const std::string dbPath = DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(dbPath, ec)) {
        noDatabase = "補助簿DBがありません: " + dbPath;
    } else {
        try {
            Db();
        } catch (const std::exception& e) {
            noDatabase = ShownFailure("Company", e);
            if (noDatabase.find(dbPath) == std::string::npos) noDatabase = dbPath + ": " + noDatabase;
        }
    }
    if (!noDatabase.empty()) {
        try {
            next.gsWriteCompany();
        } catch (const std::exception& e) {
            lastFailure_ = e.what();
            ShowError("保存できませんでした。\n" + Q(ShownFailure("Company", e)));
            return false;
        }
        g_ = next;
        ui::Warn("設定は保存しました。補助簿DBを使用できないため、繰越の計算と〆切期日の書き込みは行っていません。\n" +
                     Q(noDatabase),
                 this);
        return true;
    }
    std::string warning;
    try {
        // The books move only to a start the user typed in this visit (or
        // agreed to when asked as the screen opened), never to one the
        // screen filled in: a start the database was not carried to stays
        // said by the record, which tells what the books hold or nothing.
        const std::optional<SettingsRecord> record = ReadSettingsRecord(Db());
        const bool readable = record && record->Damage.empty();
        const bool behind = readable && record->CarriedStart != StartOf(r.Settings);
        const bool carry = r.StartChanged;
        const bool recordStart = carry || (readable ? !behind : g_.StartHeld);
        warning = CommitWithFile(next, recordStart, [&](Database& db) {
            if (carry) sCarryForward(db, r.Settings, *this);
            gsShimebiSet(db, r.Settings, *this);
            // An unreadable record, said as the screen opened, is replaced.
            if (record && !readable && !recordStart) ForgetSettingsRecord(db);
        });
    } catch (const std::exception& e) {
        lastFailure_ = e.what();
        ShowError("保存できませんでした。\n" + Q(ShownFailure("Company", e)));
        return false;
    }
    g_ = next;
    if (!warning.empty()) ShowError(Q(warning));
    return true;
}

bool CompanyForm::ConfirmCloseWithoutSaving()
{
    return MayCloseWithoutSaving("保存せずに閉じますか？", Q(lastFailure_), this);
}

void CompanyForm::closeEvent(QCloseEvent* e)
{
    // Nothing could be changed over a read-only database.
    if (closing_ok_ || readOnlyDb_ || SaveAll() || ConfirmCloseWithoutSaving()) {
        closing_ok_ = true;
        e->accept();
        QDialog::closeEvent(e);
    } else {
        e->ignore();
    }
}

void CompanyForm::reject()
{
    if (closing_ok_) QDialog::reject();
    else close();
}

void CompanyForm::CarryForwardNow()
{
    try {
        const ReadBack r = sReadBack();
        // The new start reaches company.w1 with the carry-forward, so the
        // two never disagree; the screen's other edits wait for 閉じる.
        ModuleGlobal next = g_;
        next.StartHeld = true;
        CompanySettings& s = next.Settings;
        s.StartYear = r.Settings.StartYear, s.StartMonth = r.Settings.StartMonth, s.StartDay = r.Settings.StartDay;
        s.EndYear = r.Settings.EndYear, s.EndMonth = r.Settings.EndMonth, s.EndDay = r.Settings.EndDay;
        const std::string warning =
            CommitWithFile(next, true, [&](Database& db) { sCarryForward(db, r.Settings, *this); });
        // The close then finds the start unchanged and does not run it again.
        g_ = next;
        const QString done = "繰越の計算が終わりました (期首 " + Q(JapaneseDate(StartOf(s))) + ")。";
        SetPanelText(1, done.toStdString());
        if (warning.empty()) ui::Inform(done, this);
        else ShowError(done + "\n" + Q(warning));
    } catch (const std::exception& e) {
        ShowError(Q(ShownFailure("Company", e)));
    }
}

void CompanyForm::ChooseDatabase()
{
    const auto chosen = ui::CurrentPrompt().ChooseFile({.mode = ui::FileMode::Open,
                                                 .proposed = Q(g_.AppPath),
                                                 .filters = {"データベース名(*.MDB) | *.MDB"},
                                                 .parent = this});
    std::string name = kDefaultDatabaseName;
    if (chosen && !chosen->isEmpty()) {
        name = NameInFolder(QFileInfo(*chosen), g_.AppPath);
    }
    if (Utf8CharCount(name) > kDatabaseNameWidth) {
        ShowError(QString("データベース名は%1文字以内にしてください: ").arg(kDatabaseNameWidth) + Q(name));
        return;
    }
    db_ = Database();
    g_.Settings.DatabaseName = FixedText(name, kDatabaseNameWidth);
    NoteDatabase();
}

void CompanyForm::CopyDatabase()
{
    const auto chosen = ui::CurrentPrompt().ChooseFile({.mode = ui::FileMode::Save,
                                                 .proposed = Q(g_.AppPath),
                                                 .filters = {"データベース名(*.MDB) | *.MDB"},
                                                 .parent = this});
    if (!chosen || chosen->trimmed().isEmpty()) return;
    const QFileInfo info(*chosen);
    const std::string target = info.absoluteFilePath().toStdString();
    const std::string current = DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName);
    std::error_code ec;
    if (target == current || std::filesystem::equivalent(target, current, ec)) {
        ShowError("使用中のデータベースには複写できません。");
        return;
    }
    const std::string name = NameInFolder(info, g_.AppPath);
    if (Utf8CharCount(name) > kDatabaseNameWidth) {
        ShowError(QString("データベース名は%1文字以内にしてください: ").arg(kDatabaseNameWidth) + Q(name));
        return;
    }
    try {
        Db().BackupTo(target);
    } catch (const std::exception& e) {
        ShowError(Q(ShownFailure("Company", e)));
        return;
    }
    db_ = Database();
    g_.Settings.DatabaseName = FixedText(name, kDatabaseNameWidth);
    NoteDatabase();
}

bool CompanyForm::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

} // namespace nv
