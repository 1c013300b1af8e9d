#include "control/ControlError.h"

namespace nv {

void RaiseTvlError(uint32_t scode, int32_t textId, const std::string& description)
{
    throw AutomationError(static_cast<HRESULT>(scode), description.empty() ? DescriptionOf(static_cast<HRESULT>(scode)) : description,
                          textId, "Tavelo.Inkplate");
}

} // namespace nv
