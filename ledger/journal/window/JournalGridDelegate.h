#pragma once
// Editors of the journal grid: a line edit per cell, an editable list of
// item names for 品名. Enter and Tab in an open editor go to the window
// first, which takes the text (or refuses it and keeps the editor open) and
// moves on. A figure is drawn whole or not at all, and a 品名 cut by its
// narrowed column shows whole in a tip.
#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>

namespace nv {

class JournalGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Takes the editor's text; false keeps the editor open.
    using Commit = std::function<bool(const QString& text)>;
    // The key's move, once the editor is closed.
    using KeyEntry = std::function<void(int key)>;

    explicit JournalGridDelegate(int itemColumn, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), itemColumn_(itemColumn) {}

    void SetItemNames(QStringList names) { itemNames_ = std::move(names); }
    void SetKeyHandlers(Commit c, KeyEntry k) { commit_ = std::move(c), keyEntry_ = std::move(k); }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    static QString EditorText(QWidget* editor);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int itemColumn_;
    QStringList itemNames_;
    Commit commit_;
    KeyEntry keyEntry_;
};

} // namespace nv
