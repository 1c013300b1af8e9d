#pragma once
// Qt's own Japanese texts (standard buttons, file and print dialogs) for a
// program's screens. Every program with screens calls it once, after making
// its application object.
// Link target: nv_ui.

class QCoreApplication;

namespace nv::ui {

// Installs Qt's Japanese translation from the system's translations folder,
// and the few texts it lacks; makes Japanese the default locale. False when
// the package that holds the translation is not installed (Qt's English
// texts stay, but for those few).
bool LoadQtTranslation(QCoreApplication& app);

} // namespace nv::ui
