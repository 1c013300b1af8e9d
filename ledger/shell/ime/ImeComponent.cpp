#include "ledger/shell/ime/ImeComponent.h"

#include "platform/ui/WidgetHandle.h"

#include <QWidget>

namespace nv {

void ApplyImeMode(QWidget* widget, bool open, int mode)
{
    if (!widget) return;
    Qt::InputMethodHints hints = widget->inputMethodHints();
    if (open && (mode == 9 || mode == 3)) hints &= ~(Qt::ImhPreferLatin | Qt::ImhLatinOnly);
    else if (!open || mode == 0) hints |= Qt::ImhPreferLatin;
    widget->setInputMethodHints(hints);
    widget->setProperty(kImeModeProperty, open ? mode : 0);
}

void ImeComponent::BindMembers(Binder& b)
{
    b.Method("ChangeIMEModeEX", [](ImeComponent& self, Args a) { self.ChangeIMEModeEX(a[0], a[1], a[2]); });
}

void ImeComponent::ChangeIMEModeEX(const Variant& handle, const Variant& open, const Variant& mode)
{
    ApplyImeMode(ui::WidgetOfHandle(handle.ToLong()), open.ToLong() != 0, mode.ToLong());
}

Dispatch* CreateImeComponent()
{
    return new ImeComponent;
}

} // namespace nv
