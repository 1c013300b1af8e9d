// A stand-in input-method component: each call is appended to $NV_IME_LOG as
// "handle|open|mode".
#include "platform/automation/Automation.h"

#include <cstdlib>
#include <fstream>

namespace {

const nv::MemberInfo kMembers[] = {
    {1, "ChangeIMEModeEX", nv::DISPATCH_METHOD, nv::VT_EMPTY, nullptr, nullptr,
     {{{"hWnd", nv::VT_VARIANT}, {"open", nv::VT_VARIANT}, {"mode", nv::VT_VARIANT}}}},
};
const nv::InterfaceInfo kInterface{"_RecordingIme", nullptr, nullptr, kMembers};

class RecordingIme : public nv::DispatchObject<RecordingIme> {
public:
    RecordingIme() : DispatchObject(kInterface) {}
    static void BindMembers(Binder& b)
    {
        b.Method("ChangeIMEModeEX", [](RecordingIme&, nv::Args a) {
            if (const char* path = std::getenv("NV_IME_LOG")) {
                std::ofstream out(path, std::ios::app | std::ios::binary);
                out << a[0].ToLong() << '|' << a[1].ToLong() << '|' << a[2].ToLong() << '\n';
            }
        });
    }
};

nv::Dispatch* Create() { return new RecordingIme; }

} // namespace

NV_DEFINE_PLUGIN({"NvZzIME.imeClass", nullptr, "imeClass", nullptr, &Create})
