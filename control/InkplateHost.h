#pragma once
// What a host tells the control besides its dispatch interface: the ambient
// user mode, given once right after creation (QueryInterface of
// kIID_InkplateAmbient). Without it the control is in run mode.
#include <string_view>

namespace nv {

inline constexpr std::string_view kIID_InkplateAmbient = "InkplateAmbient";

class InkplateAmbient {
public:
    // true: run mode (the widget hidden, printers listed); false: design
    // mode (the icon shown, no printers, the property page on the menu).
    virtual void SetUserMode(bool run) = 0;

protected:
    virtual ~InkplateAmbient() = default;
};

} // namespace nv
