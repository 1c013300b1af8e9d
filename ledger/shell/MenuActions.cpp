// What the menu does: start-up, the hand-over to the components, help and
// the exit steps.
#include "ledger/shell/ComponentFailure.h"
#include "ledger/shell/DatabaseFiles.h"
#include "ledger/shell/MenuForm.h"

#include "platform/automation/Automation.h"
#include "engine/core/EngineLog.h"
#include "ledger/common/LedgerSchema.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/common/SettingsRecord.h"
#include "platform/core/FileErrors.h"
#include "platform/core/Paths.h"
#include "platform/core/PlatformLog.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>

#include <filesystem>

namespace fs = std::filesystem;

namespace nv {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QString ErrorText(const std::exception& e) { return Q(ShownFailure("Menu", e)); }

// The menu stays disabled while a component's modal screen is up.
class DisabledWhile {
public:
    explicit DisabledWhile(QWidget* w) : w_(w) { w_->setEnabled(false); }
    ~DisabledWhile() { w_->setEnabled(true); }
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QWidget* w_;
};

Variant ToVariant(const SettingsValue& v)
{
    if (auto* f = std::get_if<float>(&v)) return Variant(*f);
    if (auto* s = std::get_if<std::string>(&v)) return Variant(*s);
    return Variant();
}

} // namespace

QString BackupFileName(const std::string& databaseName, const QDate& day)
{
    QString name = QFileInfo(Q(TrimRight(databaseName))).fileName();
    return name + QStringLiteral("バックアップ") + day.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral(".MDB");
}

Variant MenuForm::CallComponent(std::string_view progId, std::string_view member, std::span<Variant> args)
{
    ObjectRef object(CreateObject(progId));
    return object.CallArgs(member, args);
}

void MenuForm::ShowError(const QString& text)
{
    ui::Message m;
    m.text = text;
    m.icon = ui::Icon::Warning;
    m.parent = this;
    ui::CurrentPrompt().Ask(m);
}

void MenuForm::Load()
{
    // Before the start moves into it: a relative folder read again from
    // inside would be another one.
    const std::string folder = AnchorDataFolder();
    g_.AppFolderPath = folder;
    g_.gsSetAppPath();
    std::string why = MakePrivateFolder(folder);
    std::error_code ec;
    if (why.empty()) fs::current_path(folder, ec);
    if (why.empty() && ec) why = folder + ": " + FileErrorText(ec.value(), folder);
    if (!why.empty()) ShowError(QStringLiteral("データフォルダを使用できません: %1\n%2").arg(Q(folder), Q(why)));
    try {
        CallComponent("ScreenMode.displayClass", "gsDispIni", {});
    } catch (const std::exception& e) {
        // The screen stays as it is; only the log hears of it.
        LogLine("Menu", "ScreenMode.gsDispIni: " + LogText(e));
    }
    g_.Settings.DatabaseName = FixedText(kDefaultDatabaseName, kDatabaseNameWidth);
    // Without the folder nothing can be made in it: said once above.
    // What a kill inside 自社登録's save left beside company.w1 goes first.
    if (why.empty()) RemoveCompanyFileLeftovers(folder);
    const bool databaseMade = why.empty() && CreateDatabase();
    // A settings file lost beside books that recorded it comes back from
    // them before a default one could be made.
    CheckDatabase();
    settingsFailureSaid_ = !(databaseMade && CreateSettings());
    ReadSettings();
}

bool MenuForm::DatabaseExists() const
{
    std::error_code ec;
    return fs::is_regular_file(DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName), ec);
}

bool MenuForm::CreateDatabase()
{
    std::string path = DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) return true;
    ui::Message m;
    // A newcomer is told where the books will be, before they are made.
    m.text = QStringLiteral("補助簿DBが作成されていません。初めて補助簿を使用するには補助簿DBが必要です。補助簿DBを作成しますか。") +
             QStringLiteral("\n\n作成するフォルダ: ") + Q(fs::u8path(path).parent_path().string());
    m.icon = ui::Icon::None;
    m.buttons = ui::Buttons::OkCancel;
    m.parent = this;
    if (ui::CurrentPrompt().Ask(m) != ui::Answer::Ok) return true;
    try {
        CreateDatabaseFromTemplate(path);
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
        return false;
    }
    return true;
}

bool MenuForm::CreateSettings()
{
    const QDate today = hooks_.today();
    try {
        CreateSettingsFile(g_.AppPath + kCompanyFileName, {today.year(), today.month(), today.day()});
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
        return false;
    }
    return true;
}

void MenuForm::CheckDatabase()
{
    const std::string path = DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName);
    std::error_code ec;
    // No database: the user declined to make one, or its failure was said.
    if (!fs::exists(fs::symlink_status(path, ec))) {
        databaseProblem_ = QStringLiteral("補助簿DBがありません: ") + Q(path);
        return;
    }
    databaseProblem_.clear();
    Database db;
    try {
        db = OpenLedgerDatabase(path);
    } catch (const std::exception& e) {
        const QString shown = ErrorText(e);
        if (!BooksBusy(e)) databaseProblem_ = shown;
        Say(shown, ui::Icon::Warning);
        return;
    }
    try {
        const SettingsCheck check = CheckSettingsAgainstDatabase(db, g_.AppFolderPath);
        if (check.State == SettingsAgreement::Finished || check.State == SettingsAgreement::Restored)
            Say(Q(check.Message), ui::Icon::Information);
        if (check.State == SettingsAgreement::Lost || check.State == SettingsAgreement::Damaged)
            Say(Q(check.Message), ui::Icon::Warning);
        if (check.State == SettingsAgreement::Differ)
            Say(Q(check.Message) + QStringLiteral("\n自社登録を開くと、繰越の計算を行えます。"), ui::Icon::Warning);
    } catch (const std::exception& e) {
        Say(QStringLiteral("補助簿DBの自社設定の記録を読めません。\n") + ErrorText(e), ui::Icon::Warning);
    }
}

void MenuForm::Say(const QString& text, ui::Icon icon)
{
    // The same finding is not said again when the menu looks again.
    if (text == lastSaid_) return;
    lastSaid_ = text;
    ui::Message m;
    m.text = text;
    m.icon = icon;
    m.parent = this;
    ui::CurrentPrompt().Ask(m);
}

void MenuForm::ReadSettings()
{
    try {
        g_.gsReadCompany();
        settingsRead_ = true;
        if (!g_.ReadProblems.empty())
            Say(Q(DescribeProblems(g_.ReadProblems)) + QStringLiteral("\n自社登録で確かめて閉じると、設定ファイルを書き直します。"),
                ui::Icon::Warning);
        if (!g_.ReadCautions.empty()) Say(Q(DescribeCautions(g_.ReadCautions)), ui::Icon::Warning);
    } catch (const std::exception& e) {
        settingsRead_ = false;
        // A file that could not be made is not said a second time as missing.
        if (!settingsFailureSaid_) Say(ErrorText(e) + QStringLiteral("\n自社登録で設定を入力してください。"), ui::Icon::Warning);
    }
    settingsFailureSaid_ = false;
    UpdateButtons();
    if (settingsRead_ && IsTrue(g_.ScreenFlag)) {
        try {
            CallComponent("ScreenMode.displayClass", "gsDispChange", {});
        } catch (const std::exception& e) {
            LogLine("Menu", "ScreenMode.gsDispChange: " + LogText(e));
        }
    }
}

void MenuForm::UpdateButtons()
{
    // The registers need both the settings and the database; a button that
    // is off says why when the pointer rests on it.
    QString why = databaseProblem_;
    if (why.isEmpty() && !DatabaseExists())
        why = QStringLiteral("補助簿DBがありません: ") + Q(DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName));
    if (!settingsRead_) why = QStringLiteral("設定ファイル company.w1 を読めません。自社登録で設定を入力してください。");
    for (int index : {kSupplier, kCustomer, kDm}) {
        buttons_[index]->setEnabled(why.isEmpty());
        buttons_[index]->setToolTip(why);
    }
}

void MenuForm::CombMenu_Click(int index)
{
    switch (index) {
    case kFirm:
        CallFirmProfile();
        break;
    case kSupplier:
        CallRegister("SupplierBook.shiiresakiClass", 1);
        break;
    case kCustomer:
        CallRegister("CustomerBook.uriagesakiClass", 2);
        break;
    case kDm:
        g_.MenuMode = 3;
        break;
    default:
        close();
        break;
    }
}

void MenuForm::CallFirmProfile()
{
    Variant path(g_.AppFolderPath);
    Variant mode{int16_t(g_.MenuMode)};
    Variant array = MakeArray({Variant(g_.Settings.DatabaseName), Variant()});
    Variant args[] = {Variant::ByRef(&path), Variant::ByRef(&mode), Variant::ByRef(&array)};
    try {
        DisabledWhile busy(this);
        CallComponent("FirmProfile.companyClass", "fcFrmOp", args);
        std::string name = array.IsArray() ? array.Array().At(0).ToString() : g_.Settings.DatabaseName;
        if (Utf8CharCount(TrimRight(name)) > kDatabaseNameWidth) {
            ShowError(QStringLiteral("補助簿DBの名前は%1文字までです: %2").arg(kDatabaseNameWidth).arg(Q(TrimRight(name))));
        } else {
            g_.Settings.DatabaseName = FixedText(name, kDatabaseNameWidth);
        }
    } catch (const std::exception& e) {
        ShowError(DescribeComponentFailure(QStringLiteral("自社登録を開けません。"), e));
    }
    CheckDatabase();
    ReadSettings();
}

void MenuForm::CallRegister(const char* progId, int menuMode)
{
    g_.MenuMode = menuMode;
    SettingsArray s = MakeSettingsArray(g_.Settings);
    std::vector<Variant> items;
    for (const SettingsValue& v : s) items.push_back(ToVariant(v));
    Variant path(g_.AppFolderPath);
    Variant mode{int16_t(menuMode)};
    Variant array = MakeArray(std::move(items));
    Variant args[] = {Variant::ByRef(&path), Variant::ByRef(&mode), Variant::ByRef(&array)};
    try {
        DisabledWhile busy(this);
        CallComponent(progId, "fcFrmOp", args);
    } catch (const std::exception& e) {
        const QString book = menuMode == 1 ? QStringLiteral("仕入帳") : QStringLiteral("売上帳");
        ShowError(DescribeComponentFailure(book + QStringLiteral("を開けません。"), e));
    }
}

void MenuForm::mnuHELP_Click(int index)
{
    if (index == 0) {
        OpenHelpPage();
        return;
    }
    if (index != 1) return;
    Variant item{int16_t(index)};
    Variant args[] = {Variant::ByRef(&item)};
    try {
        CallComponent("InfoPanel.aboutClass", "fcFrmOp", args);
    } catch (const std::exception& e) {
        ShowError(DescribeComponentFailure(QStringLiteral("バージョン情報を表示できません。"), e));
    }
}

void MenuForm::OpenHelpPage()
{
    std::optional<std::string> page = FindResourcePath(kHelpPage);
    QString shown = Q(page.value_or(DataFolderPath() + kHelpPage));
    if (!page) {
        LogLine("Menu", "help page missing: " + shown.toStdString());
        ShowError(QStringLiteral("ヘルプを表示できません\nヘルプのページがありません:\n") + shown);
        return;
    }
    if (hooks_.openUrl(QUrl::fromLocalFile(shown))) return;
    // The desktop opens a page through xdg-open; without it, or without a
    // browser behind it, Qt says why only on stderr.
    const bool opener = !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
    LogLine("Menu", "help page " + shown.toStdString() + " not opened: " +
                        (opener ? "xdg-open found no program for HTML pages" : "xdg-open is not installed"));
    ShowError(QStringLiteral("ヘルプを表示できません\n"
                             "このコンピューターには HTML のページを開くプログラムがありません。\n"
                             "ブラウザーで次のページを開いてください:\n") +
              shown);
}

void MenuForm::QueryUnload()
{
    if (exited_) return;
    exited_ = true;
    try {
        CallComponent("ClockPanel.tokeiClass", "fcEnd", {});
    } catch (const std::exception& e) {
        // The clock's end is a courtesy, never a reason to stop the exit.
        LogLine("Menu", "ClockPanel.fcEnd: " + LogText(e));
    }
    OfferBackup();
    try {
        CallComponent("ScreenMode.displayClass", "gsDispEnd", {});
    } catch (const std::exception& e) {
        LogLine("Menu", "ScreenMode.gsDispEnd: " + LogText(e));
    }
}

void MenuForm::OfferBackup()
{
    ui::Message m;
    m.text = QStringLiteral("お疲れ様でした。補助簿DBのバックアップを作成しますか？");
    m.icon = ui::Icon::None;
    m.buttons = ui::Buttons::OkCancel;
    m.parent = this;
    if (ui::CurrentPrompt().Ask(m) != ui::Answer::Ok) return;
    ui::FileRequest r;
    r.mode = ui::FileMode::Save;
    r.title = QStringLiteral("補助簿DBのバックアップ作成");
    r.proposed = Q(g_.AppFolderPath) + BackupFileName(g_.Settings.DatabaseName, hooks_.today());
    r.filters = {QStringLiteral("データベース名(*.MDB)")};
    r.parent = this;
    std::optional<QString> chosen = ui::CurrentPrompt().ChooseFile(r);
    if (!chosen) return;
    std::string target = chosen->isEmpty() ? TrimRight(g_.Settings.DatabaseName) + "バックアップ.MDB" : chosen->toStdString();
    try {
        BackupDatabase(g_.AppFolderPath, DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName), target);
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
    }
}

} // namespace nv
