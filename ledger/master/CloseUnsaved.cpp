#include "ledger/master/CloseUnsaved.h"

#include "engine/core/EngineLog.h"
#include "platform/ui/Prompt.h"

#include <QWidget>

namespace nv {

bool MayCloseWithoutSaving(const QString& question, const QString& cause, QWidget* screen)
{
    if (!ui::CurrentPrompt().Attended()) {
        LogLine(screen->windowTitle().toStdString(), "保存できなかったため、保存せずに閉じました: " + cause.toStdString());
        return true;
    }
    return ui::Ask(question, ui::Buttons::YesNo, ui::Answer::No, screen) == ui::Answer::Yes;
}

} // namespace nv
