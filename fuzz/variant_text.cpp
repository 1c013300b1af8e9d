// Text a late-bound caller passes where a number or a date is declared: every
// coercion either gives a value or an automation error, and a value that
// reads back as text reads the same way again.
#include "platform/automation/Variant.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::Variant text(std::string(reinterpret_cast<const char*>(data), size));
    for (nv::VarType t : {nv::VT_I2, nv::VT_I4, nv::VT_R4, nv::VT_R8, nv::VT_CY, nv::VT_DATE, nv::VT_BOOL, nv::VT_UI1}) {
        nv::Variant v;
        try {
            v = text.ChangeType(t);
        } catch (const nv::AutomationError&) {
            continue;
        }
        std::string once = v.ToString();
        nv::Variant back;
        try {
            back = nv::Variant(once).ChangeType(t);
        } catch (const nv::AutomationError&) {
            if (t != nv::VT_R4 && t != nv::VT_R8) std::abort();   // 7 or 15 digits may round past the range
            continue;
        }
        if (t != nv::VT_R4 && t != nv::VT_R8 && back.ToString() != once) std::abort();
    }
    return 0;
}
