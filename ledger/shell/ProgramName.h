#pragma once
// What the desktop knows the main menu program by: its organisation and
// name (where its settings live), the caption of its dialogs and the icon
// of every window of the process, the components' screens included.

namespace nv {

// Needs the QApplication.
void NameMenuProgram();

} // namespace nv
