#include "ledger/common/ShownFailure.h"

#include "engine/core/EngineLog.h"
#include "platform/automation/Status.h"

namespace nv {

std::string ShownFailure(std::string_view screen, const std::exception& e)
{
    LogLine(screen, LogText(e));
    if (const auto* a = dynamic_cast<const AutomationError*>(&e); a && !a->Description().empty())
        return a->Description();
    return e.what();
}

} // namespace nv
