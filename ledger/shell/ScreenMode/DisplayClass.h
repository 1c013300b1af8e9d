#pragma once
// "ScreenMode.displayClass": the display switch of the menu. Linux leaves
// the screen mode to the desktop, so each request is only logged.
#include "platform/automation/Automation.h"

#include <string>
#include <vector>

namespace nv {

inline const MemberInfo kDisplayClassMembers[] = {
    {1, "gsDispIni", DISPATCH_METHOD, VT_EMPTY},
    {2, "gsDispChange", DISPATCH_METHOD, VT_EMPTY},
    {3, "gsDispEnd", DISPATCH_METHOD, VT_EMPTY},
};
inline const InterfaceInfo kDisplayClassInterface{"_displayClass", nullptr, nullptr, kDisplayClassMembers};

class DisplayClass : public DispatchObject<DisplayClass> {
public:
    DisplayClass() : DispatchObject(kDisplayClassInterface) {}
    static void BindMembers(Binder& b);
    // Requests of this process so far, in order.
    static const std::vector<std::string>& Requests();
};

} // namespace nv
