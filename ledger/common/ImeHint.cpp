#include "ledger/common/ImeHint.h"

#include "platform/automation/Automation.h"

#include <exception>

namespace nv {

std::string HintImeMode(int32_t widgetHandle, const Variant& open, int32_t mode)
{
    try {
        ObjectRef ime = CreateObject("NvZzIME.imeClass");
        ime.Call("ChangeIMEModeEX", {Variant(widgetHandle), open, Variant(mode)});
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace nv
