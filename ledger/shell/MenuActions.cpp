// What the menu does: start-up, the hand-over to the components, help and
// the exit steps.
#include "ledger/shell/DatabaseFiles.h"
#include "ledger/shell/MenuForm.h"

#include "platform/automation/Automation.h"
#include "platform/core/Paths.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>

#include <filesystem>

namespace fs = std::filesystem;

namespace nv {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QString ErrorText(const std::exception& e)
{
    if (auto* a = dynamic_cast<const AutomationError*>(&e); a && !a->description().empty())
        return Q(a->description());
    return QString::fromUtf8(e.what());
}

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
    ui::prompt().ask(m);
}

void MenuForm::Load()
{
    try {
        std::string folder = DataFolderPath();
        fs::create_directories(folder);
        fs::current_path(folder);
        g_.AppFolderPath = folder;
        g_.gsSetAppPath();
    } catch (const std::exception& e) {
        ShowError(QStringLiteral("データフォルダを使用できません: %1\n%2").arg(Q(DataFolderPath()), ErrorText(e)));
    }
    try {
        CallComponent("ScreenMode.displayClass", "gsDispIni", {});
    } catch (...) {
        // The screen stays as it is.
    }
    g_.Settings.DatabaseName = FixedText(kDefaultDatabaseName, kDatabaseNameWidth);
    CreateDatabase();
    CreateSettings();
    ReadSettings();
}

bool MenuForm::DatabaseExists() const
{
    std::error_code ec;
    return fs::is_regular_file(DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName), ec);
}

void MenuForm::CreateDatabase()
{
    std::string path = DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) return;
    ui::Message m;
    m.text = QStringLiteral("補助簿DBが作成されていません。初めて補助簿を使用するには補助簿DBが必要です。補助簿DBを作成しますか。");
    m.icon = ui::Icon::None;
    m.buttons = ui::Buttons::OkCancel;
    m.parent = this;
    if (ui::prompt().ask(m) != ui::Answer::Ok) return;
    try {
        CreateDatabaseFromTemplate(path);
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
    }
}

void MenuForm::CreateSettings()
{
    try {
        CreateSettingsFile(g_.AppPath + kCompanyFileName, hooks_.today().year());
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
    }
}

void MenuForm::ReadSettings()
{
    try {
        g_.gsReadCompany();
        settingsRead_ = true;
    } catch (const std::exception& e) {
        settingsRead_ = false;
        ShowError(ErrorText(e) + QStringLiteral("\n自社登録で設定を入力してください。"));
    }
    UpdateButtons();
    if (settingsRead_ && IsTrue(g_.ScreenFlag)) {
        try {
            CallComponent("ScreenMode.displayClass", "gsDispChange", {});
        } catch (...) {
        }
    }
}

void MenuForm::UpdateButtons()
{
    // The registers need both the settings and the database.
    bool registers = settingsRead_ && DatabaseExists();
    buttons_[kSupplier]->setEnabled(registers);
    buttons_[kCustomer]->setEnabled(registers);
    buttons_[kDm]->setEnabled(registers);
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
        std::string name = array.isArray() ? array.array().at(0).ToString() : g_.Settings.DatabaseName;
        if (Utf8CharCount(TrimRight(name)) > kDatabaseNameWidth) {
            ShowError(QStringLiteral("補助簿DBの名前は%1文字までです: %2").arg(kDatabaseNameWidth).arg(Q(TrimRight(name))));
        } else {
            g_.Settings.DatabaseName = FixedText(name, kDatabaseNameWidth);
        }
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
    }
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
        ShowError(ErrorText(e));
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
        ShowError(ErrorText(e));
    }
}

void MenuForm::OpenHelpPage()
{
    std::optional<std::string> page = FindResourcePath(kHelpPage);
    QString shown = Q(page.value_or(DataFolderPath() + kHelpPage));
    if (!page || !hooks_.openUrl(QUrl::fromLocalFile(shown)))
        ShowError(QStringLiteral("ヘルプを表示できません\n") + shown);
}

void MenuForm::QueryUnload()
{
    if (exited_) return;
    exited_ = true;
    try {
        CallComponent("ClockPanel.tokeiClass", "fcEnd", {});
    } catch (...) {
    }
    OfferBackup();
    try {
        CallComponent("ScreenMode.displayClass", "gsDispEnd", {});
    } catch (...) {
    }
}

void MenuForm::OfferBackup()
{
    ui::Message m;
    m.text = QStringLiteral("お疲れ様でした。補助簿DBのバックアップを作成しますか？");
    m.icon = ui::Icon::None;
    m.buttons = ui::Buttons::OkCancel;
    m.parent = this;
    if (ui::prompt().ask(m) != ui::Answer::Ok) return;
    ui::FileRequest r;
    r.mode = ui::FileMode::Save;
    r.title = QStringLiteral("補助簿DBのバックアップ作成");
    r.proposed = Q(g_.AppFolderPath) + BackupFileName(g_.Settings.DatabaseName, hooks_.today());
    r.filters = {QStringLiteral("データベース名(*.MDB)")};
    r.parent = this;
    std::optional<QString> chosen = ui::prompt().chooseFile(r);
    if (!chosen) return;
    std::string target = chosen->isEmpty() ? TrimRight(g_.Settings.DatabaseName) + "バックアップ.MDB" : chosen->toStdString();
    try {
        BackupDatabase(g_.AppFolderPath, DbPathFor(g_.AppFolderPath, g_.Settings.DatabaseName), target);
    } catch (const std::exception& e) {
        ShowError(ErrorText(e));
    }
}

} // namespace nv
