#pragma once
// The item-name table 品名: one column of names the journals offer. The
// last line is the one being appended; Enter or Tab stores the edit and
// moves on.
#include "platform/db/Database.h"

#include <QDialog>
#include <QTableWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace nv {

// Enter and Tab, in the editor or on a line, become one signal.
class ItemNameGrid : public QTableWidget {
    Q_OBJECT
public:
    using QTableWidget::QTableWidget;
signals:
    void advance();

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* e) override;
};

class ItemNameForm : public QDialog {
    Q_OBJECT
public:
    ItemNameForm(Database& db, QWidget* parent = nullptr);

    // Reads the table; false (message shown) when it cannot.
    bool Load();
    void Advance();
    void DeleteCurrent();

    ItemNameGrid* Grid() const { return grid_; }
    QPushButton* DeleteButton() const { return cmdDelete_; }
    QPushButton* CloseButton() const { return cmdClose_; }
    QLabel* Navigator() const { return navigator_; }

    // Closing with an edit that could not be written asks first.
    void done(int result) override;

private:
    void AppendBlankLine();
    void Land(int row);

    Database& db_;
    ItemNameGrid* grid_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* navigator_ = nullptr;
    std::vector<std::optional<int64_t>> ids_;   // per line; none for the line being appended
    bool unsaved_ = false;                      // the last write-back failed
};

} // namespace nv
