#pragma once
// A printer device context that can be set to another printer mode between
// pages.
#include "platform/core/DevMode.h"

namespace nv {

class PrinterModeTarget {
public:
    virtual ~PrinterModeTarget() = default;
    // Applies the mode to the pages that follow; false when the device
    // refused it.
    virtual bool ResetDC(const DevMode& mode) = 0;
};

} // namespace nv
