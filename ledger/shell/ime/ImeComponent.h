#pragma once
// The input-method component "NvZzIME.imeClass". ChangeIMEModeEX(handle,
// open, mode) takes a widget's entry in the handle table; on Linux the modes
// are hints to the input method: open with 9 (hiragana) or 3 (half-width
// katakana) drops the Latin preference, closed or mode 0 asks for Latin. The
// mode is kept on the widget (property "nvImeMode").
#include "platform/automation/Automation.h"

class QWidget;

namespace nv {

inline constexpr const char* kImeModeProperty = "nvImeMode";

inline const MemberInfo kImeMembers[] = {
    {1, "ChangeIMEModeEX", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr,
     {{{"hWnd", VT_VARIANT, nullptr, PARAM_BYREF},
       {"lngOpen", VT_VARIANT, nullptr, PARAM_BYREF},
       {"lngMode", VT_VARIANT, nullptr, PARAM_BYREF}}}},
};
inline const InterfaceInfo kImeInterface{"_imeClass", nullptr, nullptr, kImeMembers};

// Applies the hints to a widget; nullptr does nothing.
void ApplyImeMode(QWidget* widget, bool open, int mode);

class ImeComponent : public DispatchObject<ImeComponent> {
public:
    ImeComponent() : DispatchObject(kImeInterface) {}
    static void BindMembers(Binder& b);

    void ChangeIMEModeEX(const Variant& handle, const Variant& open, const Variant& mode);
};

Dispatch* CreateImeComponent();

} // namespace nv
