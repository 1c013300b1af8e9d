#include "Viewer/ZoomBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace nv::viewer {

namespace {
constexpr int kPresets[] = {25, 50, 75, 100, 150, 200, 400};

QString Text(int zoom) { return QStringLiteral("%1%").arg(zoom); }
} // namespace

ZoomBox::ZoomBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("zoomBox"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completing "5" to "50%" would apply another zoom than the one typed.
    setCompleter(nullptr);
    setMaxVisibleItems(10);
    for (int z : kPresets) addItem(Text(z));
    // Three digits and the sign: a length limit of three would cut "100%".
    lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}%?")), lineEdit()));
    // Keys reach the box itself while it has the focus, and are handed to
    // the line edit past its filters: watch both.
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    setMinimumContentsLength(4);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::activated, this, [this](int index) { Apply(ValueOf(itemText(index))); });
    ShowZoom(current_);
}

int ZoomBox::ValueOf(const QString& text)
{
    int value = 0;
    for (QChar c : text.trimmed()) {
        if (!c.isDigit() || c.unicode() > '9') break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 99999) break;
    }
    return value;
}

void ZoomBox::ShowZoom(int zoom)
{
    const QString text = Text(zoom);
    int index = findText(text);
    if (index < 0) {
        if (count() > 0 && ValueOf(itemText(0)) != kPresets[0]) removeItem(0);
        insertItem(0, text);
        index = 0;
    }
    setCurrentIndex(index);
    setEditText(text);
}

void ZoomBox::Follow(int zoom)
{
    if (zoom == current_) return;
    current_ = zoom;
    ShowZoom(zoom);
}

void ZoomBox::Apply(int zoom)
{
    if (zoom <= 0 || zoom == current_) return;
    current_ = zoom;
    emit ZoomRequested(zoom);
}

bool ZoomBox::eventFilter(QObject* watched, QEvent* e)
{
    if ((watched == this || watched == lineEdit()) && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (k->isAutoRepeat()) return true;
            int zoom = ValueOf(currentText());
            if (zoom <= 0) zoom = current_;
            ShowZoom(zoom);
            Apply(zoom);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, e);
}

} // namespace nv::viewer
