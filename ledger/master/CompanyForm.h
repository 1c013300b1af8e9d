#pragma once
// The own-company settings screen: shows company.w1, checks every field,
// and on closing saves all or nothing: the carry-forward when the fiscal
// start moved, the closing days copied into every party and the database's
// record of the settings file go in one transaction of the ledger database;
// company.w1, made whole beside the old one first, replaces it after the
// commit (a crash between the two is mended at the next opening). Without a
// usable database only company.w1 is written, and the user is told so.
#include "ledger/common/ModuleGlobal.h"
#include "ledger/common/StatusText.h"
#include "platform/db/Database.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QAction;

namespace nv {

// A field the user must correct; the text names it.
class FieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CompanyForm : public QDialog, public StatusBarPanels {
    Q_OBJECT
public:
    // Reads company.w1 of g.AppFolderPath; a missing or unreadable file
    // gives the default settings and a notice saying so.
    explicit CompanyForm(ModuleGlobal& g, QWidget* parent = nullptr);
    ~CompanyForm() override;

    void SetPanelText(int panel, const std::string& text) override;
    // Why the screen shows the default settings; empty when the file read.
    const QString& LoadNotice() const { return loadNotice_; }

    struct ReadBack {
        CompanySettings Settings;
        float PortraitSummary = 0;
        float ScreenFlag = 0;
        bool StartChanged = false;   // against the start last stored
    };
    // The form's values checked and read; throws FieldError naming the field.
    ReadBack sReadBack() const;

    // The close steps; false (with the message shown) when nothing was saved.
    bool SaveAll();
    void CarryForwardNow();
    void ChooseDatabase();
    void CopyDatabase();

    QLineEdit* Field(int index) const { return fields_[index]; }
    QLabel* EndLabel(int index) const { return endLabels_[index]; }
    QComboBox* ClosingDay(int index) const { return closing_[index]; }
    QRadioButton* Option(int group, int index) const { return options_[group][index]; }
    QPushButton* CarryButton() const { return command1_; }
    QPushButton* ItemButton() const { return command2_; }
    QPushButton* CloseButton() const { return cmdClose_; }
    QAction* FileItem(int index) const { return fileItems_[index]; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void ReadSettings();
    // company.w1 lost, emptied or without a start of its own beside books
    // that recorded their last save: that save's file is put back before
    // the screen reads it. What was done, in words; empty when nothing.
    QString RestoreLostSettings();
    void KeepWritableLabels();
    void AddNotice(const QString& text);
    void Build();
    void LimitTextFields();
    void sShowSettings();
    void StartChanged(bool monthToo);
    Database& Db();
    void NoteDatabase();
    void CheckAgreement(Database& db);
    // Makes next's company.w1 whole beside the old one, runs work and (with
    // recordStart) the database's record of the file in one transaction,
    // then puts the file in place. Throws when nothing was committed; a file
    // that could not be put in place after the commit is returned in words
    // (the next opening finishes it).
    std::string CommitWithFile(const ModuleGlobal& next, bool recordStart,
                               const std::function<void(Database&)>& work);
    void ShowError(const QString& text);
    bool ConfirmCloseWithoutSaving();

    ModuleGlobal& g_;
    Database db_;
    std::array<QLineEdit*, 13> fields_{};
    std::array<QLabel*, 3> endLabels_{};
    std::array<QComboBox*, 2> closing_{};
    std::array<std::array<QRadioButton*, 2>, 4> options_{};
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    std::array<QAction*, 2> fileItems_{};
    QStatusBar* stt1_ = nullptr;
    bool closing_ok_ = false;
    QString loadNotice_;
    bool databaseNoted_ = false;
    bool noticeShown_ = false;
    bool readOnlyDb_ = false;
    std::string lastFailure_;   // why the last save failed, for the log
};

} // namespace nv
