#pragma once
// Remembers the printer mode last applied so that a device is reset only
// when a page's mode changes something that shows on paper; resetting is
// slow and upsets some drivers.
#include "platform/print/PrinterModeTarget.h"
#include "platform/core/DevMode.h"

#include <cstdint>

namespace nv {

class DevModeTracker {
public:
    DevModeTracker() { Reset(); }

    // The next call resets the device whatever the mode.
    void Reset();

    // 1 when the device is in the mode afterwards (or already was), 0 when
    // it refused the mode twice. The mode is remembered either way, so an
    // identical mode that failed is not retried.
    int ResetDCIfChanged(PrinterModeTarget& dc, const DevMode& mode);

    bool IsFirstCall() const { return firstCall_ != 0; }
    const DevMode& CachedMode() const { return cached_; }

private:
    int32_t firstCall_ = 1;
    DevMode cached_;
};

} // namespace nv
