#include "ledger/shell/ComponentFailure.h"

#include "platform/automation/Status.h"
#include "engine/core/EngineLog.h"

namespace nv {

QString DescribeComponentFailure(const QString& what, const std::exception& e)
{
    QString why;
    LogLine("Menu", what.toStdString() + " " + LogText(e));
    if (auto* a = dynamic_cast<const AutomationError*>(&e)) {
        // A status without words of its own says only the runtime's stock text.
        if (a->Description().empty() || a->Description() == DescriptionOf(a->Scode())) {
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
