#include "Viewer/PagelookApp.h"
#include "engine/core/EngineLog.h"
#include "platform/qt/QtPrinterCatalog.h"
#include "platform/ui/QtTranslation.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    nv::viewer::PagelookApp::NameProgram();
    nv::StartLogFile("pagelook");
    nv::ui::LoadQtTranslation(app);
    nv::InstallQtPrinterCatalog();
    int rc = 0;
    {
        nv::viewer::PagelookApp viewer;
        rc = viewer.Start(app.arguments().mid(1), QDir::currentPath());
        if (rc == nv::viewer::PagelookApp::kContinue) rc = QApplication::exec();
    }
    return rc;
}
