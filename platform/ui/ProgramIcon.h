#pragma once
// A program's own icon, built into it at every size it is drawn at, for its
// windows; the desktop finds the same pictures in the icon theme by name.
#include <QIcon>
#include <QString>

namespace nv::ui {

// The sizes each program icon is drawn at, as the icon theme's folders name them.
inline constexpr int kProgramIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// ":/<name>/images/<name>-<size>.png" for each size; null when the program
// carries none.
QIcon ProgramIcon(const QString& name);

} // namespace nv::ui
