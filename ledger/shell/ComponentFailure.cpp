#include "ledger/shell/ComponentFailure.h"

#include "platform/automation/Status.h"
#include "platform/core/PlatformLog.h"

namespace nv {

QString DescribeComponentFailure(const QString& what, const std::exception& e)
{
    QString why;
    if (auto* a = dynamic_cast<const AutomationError*>(&e)) {
        // A status without words of its own carries only the runtime's English.
        if (a->Description().empty() || a->Description() == DescriptionOf(a->Scode())) {
            PlatformLog("nivalo", what.toStdString() + " " + a->what());
            why = QStringLiteral("部品が処理を終えられませんでした (エラー番号 %1)。").arg(a->Number());
        } else {
            why = QString::fromStdString(a->Description());
        }
    } else {
        why = QString::fromUtf8(e.what());
    }
    return what + QLatin1Char('\n') + why + QLatin1Char('\n') + QString::fromUtf8(kMenuGoesOn);
}

} // namespace nv
