#include "platform/gdi/MeasuringDc.h"

#include <mutex>

namespace nv {

namespace {
struct MeasuringState {
    std::recursive_mutex mutex;
    MeasuringDcFactory factory;
    std::unique_ptr<DeviceContext> dc;
};

MeasuringState& State()
{
    // Never destroyed: a plug-in may still measure while the process exits.
    static MeasuringState* state = new MeasuringState;
    return *state;
}
} // namespace

void SetMeasuringDcFactory(MeasuringDcFactory factory)
{
    MeasuringState& s = State();
    std::lock_guard lock(s.mutex);
    s.dc.reset();
    s.factory = std::move(factory);
}

bool WithMeasuringDc(const std::function<void(DeviceContext&)>& use)
{
    MeasuringState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.dc && s.factory) s.dc = s.factory();
    if (!s.dc) return false;
    use(*s.dc);
    return true;
}

void ReleaseMeasuringDc()
{
    MeasuringState& s = State();
    std::lock_guard lock(s.mutex);
    s.dc.reset();
}

} // namespace nv
