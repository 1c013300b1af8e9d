#include "ledger/shell/ProgramName.h"

#include "ledger/shell/MenuForm.h"
#include "platform/ui/ProgramIcon.h"

#include <QApplication>

namespace nv {

void NameMenuProgram()
{
    QApplication::setOrganizationName(QStringLiteral("Ardel"));
    QApplication::setApplicationName(QStringLiteral("Nivalo"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kMenuCaption));
    QApplication::setWindowIcon(ui::ProgramIcon(QStringLiteral("nivalo")));
}

} // namespace nv
