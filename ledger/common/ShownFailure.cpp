#include "ledger/common/ShownFailure.h"

#include "engine/core/EngineLog.h"

namespace nv {

std::string ShownFailure(std::string_view screen, const std::exception& e)
{
    LogLine(screen, LogText(e));
    return e.what();
}

} // namespace nv
