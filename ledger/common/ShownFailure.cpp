#include "ledger/common/ShownFailure.h"

#include "engine/core/EngineLog.h"
#include "platform/db/DbError.h"

namespace nv {

std::string ShownFailure(std::string_view screen, const std::exception& e)
{
    LogLine(screen, LogText(e));
    return e.what();
}

bool BooksBusy(const std::exception& e)
{
    const auto* db = dynamic_cast<const DbError*>(&e);
    return db && db->IsBusy();
}

} // namespace nv
