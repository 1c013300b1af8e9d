#pragma once
// The main menu F0_menu: start-up, the buttons that hand over to the ledger
// components by ProgID, help, and the exit with its backup offer.
#include "ledger/common/ModuleGlobal.h"
#include "platform/automation/Variant.h"
#include "platform/ui/Prompt.h"

#include <QDate>
#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <map>
#include <span>
#include <string_view>

class QPushButton;
class QAction;

namespace nv {

// What tests replace: the date of the backup's name and the page opener.
struct MenuHooks {
    std::function<QDate()> today;
    std::function<bool(const QUrl&)> openUrl;
};

inline constexpr const char* kMenuCaption = "のびのび補助簿 V2.6";
inline constexpr const char* kHelpPage = "HELP/補助簿補足説明.htm";

class MenuForm : public QMainWindow {
    Q_OBJECT
public:
    // Button indexes as the menu numbers them.
    enum : int { kFirm = 1, kSupplier = 2, kCustomer = 3, kDm = 4, kExit = 11 };

    explicit MenuForm(MenuHooks hooks = {}, QWidget* parent = nullptr);
    ~MenuForm() override;

    // Start-up: data folder made current, ScreenMode, the database, the
    // settings file (the shipped one copied when missing), the settings. Each step stands alone: a failure is shown and the next runs.
    void Load();

    void CombMenu_Click(int index);
    void mnuHELP_Click(int index);

    QPushButton* Button(int index) const { return buttons_.at(index); }
    QAction* HelpAction(int index) const { return index == 0 ? helpStart_ : helpVersion_; }
    const ModuleGlobal& Globals() const { return g_; }
    bool SettingsRead() const { return settingsRead_; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildWindow();
    // Each false when it failed and said so.
    bool CreateDatabase();
    bool CreateSettings();
    // Opens the database: why it cannot be used, and whether company.w1
    // agrees with it (a save that stopped half way is finished).
    void CheckDatabase();
    void ReadSettings();
    void Say(const QString& text, ui::Icon icon);
    void UpdateButtons();
    bool DatabaseExists() const;
    void CallFirmProfile();
    void CallRegister(const char* progId, int menuMode);
    void OpenHelpPage();
    void QueryUnload();
    void OfferBackup();
    // A component call by ProgID, released right after; errors are thrown.
    static Variant CallComponent(std::string_view progId, std::string_view member, std::span<Variant> args);
    void ShowError(const QString& text);

    MenuHooks hooks_;
    ModuleGlobal g_;
    bool firstPaint_ = false;
    bool settingsRead_ = false;
    bool exited_ = false;
    bool settingsFailureSaid_ = false;
    QString databaseProblem_;
    QString lastSaid_;
    std::map<int, QPushButton*> buttons_;
    QAction* helpStart_ = nullptr;
    QAction* helpVersion_ = nullptr;
};

// The proposed backup file name: "<name>バックアップmm-dd-yyyy.MDB".
QString BackupFileName(const std::string& databaseName, const QDate& day);

} // namespace nv
