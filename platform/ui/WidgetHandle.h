#pragma once
// A widget's entry in the per-process handle table: the Long a late-bound
// component takes where it expects a window handle. The entry is made on
// first use and goes with its widget.
#include <cstdint>

class QWidget;

namespace nv::ui {

int32_t WidgetHandle(QWidget* widget);
// The widget of a handle, or nullptr (unknown, or the widget is gone).
QWidget* WidgetOfHandle(int32_t handle);

} // namespace nv::ui
