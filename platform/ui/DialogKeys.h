#pragma once
// Keys a dialog takes from the toolkit's defaults.
class QDialog;

namespace nv::ui {

// Escape cancels what the focused control is editing and nothing more: the
// window closes by its close button or its close box, where it asks or
// saves, never by a key pressed once too often.
void KeepOpenOnEscape(QDialog* dialog);

} // namespace nv::ui
