#pragma once
// Which pages print and on which paper: a row per page that the person
// flips between printed and skipped, and the paper mode. The rows are made
// as they are shown, so a document of 100,000 pages opens it at once.
#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QPushButton;
class QTreeView;

namespace nv::viewer {

class PageRowsModel;

class PageSettingDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 75;
    // A row's flag, 1 printed or 0 skipped.
    static constexpr int kPrintedRole = Qt::UserRole + 2;

    // `flags` one per page; only 1 shows as printed.
    PageSettingDialog(const QString& caption, int mode, const std::vector<int>& flags, QWidget* parent = nullptr);

    // After OK: 1 or 0 per page, and the paper mode.
    const std::vector<int>& Flags() const { return flags_; }
    int Mode() const;

    QTreeView* List() const { return list_; }
    QPushButton* ToggleButton() const { return toggle_; }
    QPushButton* PrinterButton() const { return printer_; }

    // Runs print setup while the dialog stays open.
    std::function<void()> printerSetup;

    // Every selected row changes between printed and skipped and is left
    // unselected.
    void Toggle();
    void accept() override;

private:
    QTreeView* list_;
    PageRowsModel* rows_;
    QPushButton* toggle_;
    QPushButton* printer_;
    QButtonGroup* modes_;
    std::vector<int> flags_;
};

} // namespace nv::viewer
