#include "ledger/journal/window/JournalGridDelegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolTip>

namespace nv {

QWidget* JournalGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    if (index.column() != itemColumn_) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setObjectName("TDBDropDown1");
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(itemNames_);
    // The line edit gets the keys before the combo, so Enter and Tab are
    // caught there.
    combo->lineEdit()->installEventFilter(const_cast<JournalGridDelegate*>(this));
    return combo;
}

void JournalGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setEditText(index.data(Qt::EditRole).toString());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void JournalGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    model->setData(index, EditorText(editor), Qt::EditRole);
}

void JournalGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // A figure the view's edge cuts reads as another amount ("￥1,234,818"
    // of ￥1,234,818,050): its cell is drawn empty until it is scrolled into
    // view whole.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool figure = index.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight;
    if (!view || !figure || view->viewport()->rect().contains(option.rect)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem blank = option;
    initStyleOption(&blank, index);
    blank.text.clear();
    const QStyle* style = view->style();
    style->drawControl(QStyle::CE_ItemViewItem, &blank, painter, view);
}

bool JournalGridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && index.column() == itemColumn_) {
        const QString text = index.data().toString().trimmed();
        const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        if (!text.isEmpty() && option.fontMetrics.horizontalAdvance(text) + 2 * margin > option.rect.width()) {
            QToolTip::showText(event->globalPos(), text, view, option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

QString JournalGridDelegate::EditorText(QWidget* editor)
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) return combo->currentText();
    if (auto* line = qobject_cast<QLineEdit*>(editor)) return line->text();
    return {};
}

bool JournalGridDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* editor = widget;
    if (widget && qobject_cast<QComboBox*>(widget->parentWidget())) editor = widget->parentWidget();
    if (event->type() == QEvent::KeyPress && editor && commit_ && keyEntry_) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
            // The editor goes first: a refused text keeps it open, selected
            // for typing over.
            if (commit_(EditorText(editor))) {
                emit closeEditor(editor, NoHint);
                keyEntry_(key);
            } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
                line->setFocus();
                line->selectAll();
            }
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && editor) {
        // A message box or another window takes the focus for a while: the
        // text is neither taken (a second refusal) nor dropped.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    }
    if (editor != widget) return false;
    return QStyledItemDelegate::eventFilter(watched, event);
}

} // namespace nv
