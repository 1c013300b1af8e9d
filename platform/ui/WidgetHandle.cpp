#include "platform/ui/WidgetHandle.h"

#include "platform/automation/HandleTable.h"

#include <QVariant>
#include <QWidget>

namespace nv::ui {

namespace {
constexpr const char* kHandleProperty = "nvHandle";
}

int32_t WidgetHandle(QWidget* widget)
{
    if (!widget) return 0;
    QVariant known = widget->property(kHandleProperty);
    if (known.isValid()) return known.toInt();
    int32_t handle = AddHandle(HandleKind::Widget, widget);
    widget->setProperty(kHandleProperty, handle);
    QObject::connect(widget, &QObject::destroyed, [handle] { RemoveHandle(handle); });
    return handle;
}

QWidget* WidgetOfHandle(int32_t handle)
{
    return static_cast<QWidget*>(LookUpHandle(HandleKind::Widget, handle));
}

} // namespace nv::ui
