#pragma once
// The input mode a grid or field asks for, passed to the input-method
// component "NvZzIME.imeClass" by its window handle.
#include "platform/automation/Variant.h"

#include <cstdint>
#include <string>

namespace nv {

// Asks the component to open the input method in the given mode (9 hiragana,
// 3 half-width katakana) or to close it; `open` goes as the caller gives it
// (a Boolean from the registers, a Long from the journal). The mode is a hint: without the
// component nothing changes, and the reason comes back for the log (empty
// when the hint was passed on).
std::string HintImeMode(int32_t widgetHandle, const Variant& open, int32_t mode);

} // namespace nv
