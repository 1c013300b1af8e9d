#pragma once
// The process's measuring context: the device the text layout measures
// characters on when it is given none. The drawing platform registers how
// to make one when its library is loaded, so no program has to set it up;
// one is made on first use.
#include <functional>
#include <memory>

#include "platform/gdi/DeviceContext.h"

namespace nv {

using MeasuringDcFactory = std::function<std::unique_ptr<DeviceContext>()>;

// Replaces how the measuring context is made and drops the current one.
void SetMeasuringDcFactory(MeasuringDcFactory factory);

// Runs `use` on the measuring context under the process's lock and returns
// true; false (use not run) when no platform can make one.
bool WithMeasuringDc(const std::function<void(DeviceContext&)>& use);

// Drops the context (the platform does when its drawing system shuts down);
// the next use makes a new one.
void ReleaseMeasuringDc();

} // namespace nv
