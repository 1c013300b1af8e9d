#include "Viewer/ViewerDialogs.h"

#include "platform/ui/Prompt.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace nv::viewer {

namespace {

class WholeTitle : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::WindowTitleChange) {
            auto* w = static_cast<QWidget*>(watched);
            w->setMinimumWidth(std::max(w->minimumWidth(), TitleWidth(w)));
        }
        return false;
    }
};

} // namespace

int TitleWidth(const QWidget* window)
{
    QFont bold = window->font();
    bold.setBold(true);
    // The icon at the left, three buttons at the right and the gaps between.
    const int bar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QFontMetrics(bold).horizontalAdvance(window->windowTitle()) + 5 * bar;
}

void KeepTitleWhole(QDialog* dialog)
{
    dialog->installEventFilter(new WholeTitle(dialog));
}

QDialogButtonBox* DialogButtons(QDialog* dialog, const QString& cancel)
{
    KeepTitleWhole(dialog);
    auto* b = new QDialogButtonBox(dialog);
    b->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    if (!cancel.isEmpty()) b->addButton(cancel, QDialogButtonBox::RejectRole);
    QObject::connect(b, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(b, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return b;
}

NumberBox::NumberBox(QWidget* parent) : QSpinBox(parent)
{
    setRange(kEmpty, std::numeric_limits<int>::max());
    setAlignment(Qt::AlignRight);
    setGroupSeparatorShown(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void NumberBox::SetBounds(int low, int high)
{
    low_ = low;
    high_ = std::max(low, high);
}

void NumberBox::stepBy(int steps)
{
    const int v = value();
    const long long next = (v < low_ || v > high_) ? low_ : static_cast<long long>(v) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, low_, high_)));
    selectAll();
}

QAbstractSpinBox::StepEnabled NumberBox::stepEnabled() const
{
    const int v = value();
    StepEnabled e = StepNone;
    if (v < high_) e |= StepUpEnabled;
    if (v > low_) e |= StepDownEnabled;
    return e;
}

QValidator::State NumberBox::validate(QString& text, int&) const
{
    if (text.size() > 10) return QValidator::Invalid;
    for (QChar c : text)
        if (c < u'0' || c > u'9') return QValidator::Invalid;
    if (text.size() == 10 && text > QStringLiteral("2147483647")) return QValidator::Invalid;
    return QValidator::Acceptable;
}

int NumberBox::valueFromText(const QString& text) const
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? v : kEmpty;
}

QString NumberBox::textFromValue(int value) const
{
    return value == kEmpty ? QString() : QString::number(value);
}

NumberDialog::NumberDialog(const QString& caption, const QString& prompt, const QString& label, const QString& unit,
                           QWidget* parent)
    : QDialog(parent), box_(new NumberBox(this))
{
    setWindowTitle(caption);
    box_->setObjectName(QStringLiteral("number"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(prompt, this), 0, 0, 1, 3);
    grid->addWidget(new QLabel(label, this), 1, 0);
    grid->addWidget(box_, 1, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, this), 1, 2);
    QDialogButtonBox* buttons = DialogButtons(this, QStringLiteral("ｷｬﾝｾﾙ"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void NumberDialog::SetValue(int value)
{
    value_ = value;
    box_->setValue(value);
    box_->selectAll();
}

void NumberDialog::accept()
{
    box_->interpretText();
    const int v = box_->value();
    QString refusal;
    if (v == NumberBox::kEmpty) refusal = QStringLiteral("整数を入力してください。");
    else if (v < box_->Low() || v > box_->High())
        refusal = QStringLiteral("%1 から %2 までの整数を入力してください。").arg(box_->Low()).arg(box_->High());
    if (!refusal.isEmpty()) {
        ui::Message m;
        m.text = refusal;
        m.icon = ui::Icon::Warning;
        m.parent = this;
        ui::CurrentPrompt().Ask(m);
        box_->setFocus();
        box_->selectAll();
        return;
    }
    value_ = v;
    QDialog::accept();
}

ZoomDialog::ZoomDialog(int zoom, QWidget* parent)
    : NumberDialog(QStringLiteral("倍率変更"), QStringLiteral("ドキュメントの表示倍率を入力してください（１～999）"),
                   QStringLiteral("倍率"), QStringLiteral("％"), parent)
{
    box_->SetBounds(1, 999);
    SetValue(zoom);
}

PageJumpDialog::PageJumpDialog(int page, int pageCount, QWidget* parent)
    : NumberDialog(QStringLiteral("ページ移動"), QStringLiteral("表示するページ番号を入力してください"),
                   QStringLiteral("ページ番号"), {}, parent)
{
    box_->SetBounds(1, pageCount);
    SetValue(page);
}

FindTextDialog::FindTextDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("文字列検索"));
    QDialogButtonBox* buttons = DialogButtons(this, QStringLiteral("ｷｬﾝｾﾙ"));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(buttons);
    resize(280, 150);
}

} // namespace nv::viewer
