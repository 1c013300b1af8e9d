#include "engine/core/EngineLog.h"
#include "ledger/shell/MenuForm.h"
#include "ledger/shell/ProgramName.h"
#include "platform/core/Paths.h"
#include "platform/ui/QtTranslation.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Every data path from here on is absolute.
    nv::AnchorDataFolder();
    QApplication app(argc, argv);
    // Why a component, a file or a printer was refused is kept from the start.
    nv::StartLogFile("nivalo");
    nv::NameMenuProgram();
    nv::ui::LoadQtTranslation(app);
    nv::MenuForm menu;
    menu.Load();
    menu.show();
    return QApplication::exec();
}
