#include "ledger/shell/MenuForm.h"
#include "platform/ui/QtTranslation.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ardel"));
    QApplication::setApplicationName(QStringLiteral("Nivalo"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(nv::kMenuCaption));
    nv::ui::LoadQtTranslation(app);
    nv::MenuForm menu;
    menu.Load();
    menu.show();
    return QApplication::exec();
}
