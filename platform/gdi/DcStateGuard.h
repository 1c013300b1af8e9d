#pragma once
// Saves a device context's drawing state and puts it back when the scope
// ends, however it ends, so that a failed drawing leaves the caller's
// selections as they were.
#include "platform/gdi/DeviceContext.h"

namespace nv {

class DcStateGuard {
public:
    explicit DcStateGuard(DeviceContext& dc) : dc_(dc), level_(dc.SaveDC()) {}
    ~DcStateGuard()
    {
        if (level_ == 0) return;
        try {
            dc_.RestoreDC(level_);
        } catch (...) { // unwinding already: the first failure is the one to report
        }
    }
    DcStateGuard(const DcStateGuard&) = delete;
    DcStateGuard& operator=(const DcStateGuard&) = delete;

    // Restores now; false when the saved state was gone.
    bool Restore()
    {
        const int level = level_;
        level_ = 0;
        return level != 0 && dc_.RestoreDC(level);
    }

private:
    DeviceContext& dc_;
    int level_;
};

} // namespace nv
