#include "engine/printer/DevModeTracker.h"

#include <algorithm>

namespace nv {

void DevModeTracker::Reset()
{
    firstCall_ = 1;
    const DevModeBytes zero{};
    cached_ = DevModeFromBytes(zero.data(), zero.size());
    cached_.dmSize = kDevModeSize;
}

int DevModeTracker::ResetDCIfChanged(PrinterModeTarget& dc, const DevMode& mode)
{
    if (!firstCall_ && SameOutputMode(mode, cached_)) return 1;
    firstCall_ = 0;
    bool ok = dc.ResetDC(mode);
    if (!ok) ok = dc.ResetDC(mode);
    // Only the bytes the mode says it has replace the cache.
    DevModeBytes cache = DevModeToBytes(cached_);
    const DevModeBytes incoming = DevModeToBytes(mode);
    const size_t n = std::min<size_t>(mode.dmSize, kDevModeSize);
    std::copy_n(incoming.begin(), n, cache.begin());
    cached_ = DevModeFromBytes(cache.data(), cache.size());
    return ok ? 1 : 0;
}

} // namespace nv
