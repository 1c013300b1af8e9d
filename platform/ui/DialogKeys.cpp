#include "platform/ui/DialogKeys.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>

namespace nv::ui {

namespace {

// Takes the Escape that reaches the dialog itself: one no control inside
// used (an open cell editor or a list's popup takes its own first).
class EscapeKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void KeepOpenOnEscape(QDialog* dialog)
{
    dialog->installEventFilter(new EscapeKeeper(dialog));
}

} // namespace nv::ui
