#pragma once
// The supplier or customer register: a modal screen over the party table of
// its side. People search and sort parties, edit the current one in the
// fields or the grid, add one (written only by 登録, with its opening line),
// delete one with its journal, and open its journal by ProgID.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/JournalSide.h"
#include "ledger/common/StatusText.h"
#include "ledger/master/PartyBook.h"
#include "platform/db/Database.h"
#include "platform/rows/RowTableModel.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;

namespace nv {

inline constexpr const char* kNoDatabaseMessage =
    "補助簿DBが作成されていません。HELPの補助簿のインストールを参照して補助簿DBを作成してください。";

class PartyRegisterDialog : public QDialog, private StatusBarPanels {
    Q_OBJECT
public:
    // appFolder ends with "/"; the database is the settings' name in it.
    PartyRegisterDialog(JournalSide side, std::string appFolder, CompanySettings settings,
                        QWidget* parent = nullptr);
    ~PartyRegisterDialog() override;

    // Opens the database and runs the set-up; false (after the message) when
    // there is no usable database, and the screen must not be shown.
    bool Open();

    // The set-up that runs at the start and after each journal visit.
    void Setup();

    // Controls by their form names, for tests and the focus order.
    QLineEdit* Field(int index) const { return fields_.at(size_t(index)); }
    QComboBox* ClosingDayCombo() const { return closingDay_; }
    QComboBox* SearchFieldCombo() const { return searchField_; }
    QComboBox* OperatorCombo() const { return operator_; }
    QLineEdit* SearchValue() const { return searchValue_; }
    QComboBox* SortCombo() const { return sort_; }
    QPushButton* SearchButton() const { return searchButton_; }
    QPushButton* AddButton() const { return addButton_; }
    QPushButton* RegisterButton() const { return registerButton_; }
    QPushButton* DeleteButton() const { return deleteButton_; }
    QPushButton* DataButton() const { return dataButton_; }
    QPushButton* CloseButton() const { return closeButton_; }
    QTableView* Grid() const { return grid_; }
    RowTableModel& Model() { return model_; }
    QString StatusText() const;
    QString NavigatorText() const;
    bool AddPending() const { return addPending_; }
    int CurrentRow() const;

    void reject() override;

private:
    void SetPanelText(int panel, const std::string& text) override;
    void BuildForm();
    void WarnAndMakeReadOnly();
    void sGetCmbSort();
    void sRegisterGridColumns();
    void FitColumnsToValues();
    void Reload(std::optional<int64_t> keepId);
    void SelectRow(int row);
    void FillFields();
    void FieldEdited(int column, const QString& text);
    PartyTexts RowTexts(int row) const;
    // Writes a changed row; a failure is shown, or handed back in error.
    bool SaveRow(int row, QString* error = nullptr);
    bool ResolvePendingNew();
    bool RegisterNew();
    void DiscardNew();
    int NewRow() const;
    void CurrentRowChanged(int current, int previous);
    void ChangeIme(QWidget* w, bool open, int mode);
    void SearchValueFocused();
    void ReportFailure(const std::exception& e);
    bool eventFilter(QObject* watched, QEvent* event) override;

    void OnSearch();
    void OnAdd();
    void OnRegister();
    void OnDelete();
    void OnData();

    JournalSide side_;
    const SideWords& words_;
    std::string appFolder_;
    CompanySettings settings_;
    Database db_;
    std::unique_ptr<PartyBook> book_;
    RowTableModel model_;
    RecordSource source_;
    bool combosFilled_ = false;
    std::array<int, kPartyColumnCount> drawnWidths_{};   // pixels; 0 for a column left as it is
    bool addPending_ = false;
    bool filling_ = false;
    bool moving_ = false;

    std::array<QLineEdit*, 12> fields_{};
    QComboBox* closingDay_ = nullptr;
    QComboBox* searchField_ = nullptr;
    QComboBox* operator_ = nullptr;
    QLineEdit* searchValue_ = nullptr;
    QComboBox* sort_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* registerButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* dataButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* navigator_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* panel1_ = nullptr;
};

// txtFields index -> party column (-1 for the index the form lacks).
int PartyColumnOfField(int fieldIndex);
// The Enter order of the fields: the field after fieldIndex.
int NextFieldOnEnter(int fieldIndex);

} // namespace nv
