// A plug-in that asks a question, to show that loaded modules share the
// program's prompt.
#include "platform/ui/Prompt.h"

extern "C" int nv_test_plugin_ask()
{
    return static_cast<int>(nv::ui::Ask(QStringLiteral("from the plug-in"), nv::ui::Buttons::YesNo));
}
