#pragma once
// The item-name table 品名: one column of names the journals offer. The
// last line is the one being appended; Enter or Tab stores the edit and
// moves on, and an edit is also stored when its line is left or the screen
// closes.
#include "platform/db/Database.h"

#include <QDialog>
#include <QTableWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace nv {

// Enter and Tab, in the editor or on a line, become one signal; leaving a
// line (its open edit taken into the line first) another.
class ItemNameGrid : public QTableWidget {
    Q_OBJECT
public:
    using QTableWidget::QTableWidget;
    // Takes an open editor's text into its line.
    void CommitOpenEditor();
signals:
    void advance();
    void rowLeft(int row);

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool leaving_ = false;   // the current line is moving: an editor closed now is not Enter
};

class ItemNameForm : public QDialog {
    Q_OBJECT
public:
    ItemNameForm(Database& db, QWidget* parent = nullptr);

    // Reads the table; false (message shown) when it cannot.
    bool Load();
    void Advance();
    // Deletes the current line's row from 品名, one statement committed at
    // once (a line not yet stored is only cleared).
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
    // Writes the line when it differs from the table: an insert of a new
    // name or an update of the line's row in 品名, one statement committed at
    // once. False (shown unless quiet) when it cannot be written.
    bool Commit(int row, bool quiet = false);
    void RowLeft(int row);
    // A line that differs from the table.
    bool Pending() const;

    Database& db_;
    ItemNameGrid* grid_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* navigator_ = nullptr;
    std::vector<std::optional<int64_t>> ids_;   // per line; none for the line being appended
    std::vector<QString> stored_;               // per line, the name as the table holds it
    bool quiet_ = false;                        // loading or deleting: lines left are not written
};

} // namespace nv
