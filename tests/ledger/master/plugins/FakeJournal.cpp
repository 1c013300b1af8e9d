// Stand-ins for the journals and the input-method component: each call is
// appended as one line to the file $NV_FAKE_LOG, arguments described with
// their variant types, so tests see exactly what the register passed.
#include "platform/automation/Automation.h"

#include <cstdlib>
#include <fstream>

namespace {

const nv::MemberInfo kFakeMembers[] = {
    {1, "fcFrmOp", nv::DISPATCH_METHOD, nv::VT_VARIANT, nullptr, nullptr,
     {{{"a", nv::VT_VARIANT, nullptr, nv::PARAM_BYREF}, {"b", nv::VT_VARIANT, nullptr, nv::PARAM_BYREF},
       {"c", nv::VT_VARIANT, nullptr, nv::PARAM_BYREF}, {"d", nv::VT_VARIANT, nullptr, nv::PARAM_BYREF}}}},
    {2, "ChangeIMEModeEX", nv::DISPATCH_METHOD, nv::VT_EMPTY, nullptr, nullptr,
     {{{"hwnd", nv::VT_VARIANT}, {"open", nv::VT_VARIANT}, {"mode", nv::VT_VARIANT}}}},
};
const nv::InterfaceInfo kFakeInterface{"_Fake", nullptr, nullptr, kFakeMembers};

// "vt=value"; arrays "[lower](e0;e1;...)".
std::string Describe(const nv::Variant& v)
{
    const nv::Variant& d = v.Deref();
    if (d.IsArray()) {
        std::string s = "[" + std::to_string(d.Array().lowerBound) + "](";
        for (size_t i = 0; i < d.Array().items.size(); ++i) s += (i ? ";" : "") + Describe(d.Array().items[i]);
        return s + ")";
    }
    std::string s = std::to_string(int(d.BaseType())) + "=";
    if (d.IsEmpty()) return s;
    if (d.BaseType() == nv::VT_BOOL) return s + (d.Boolean() ? "True" : "False");
    return s + d.ToString();
}

void Log(const std::string& line)
{
    if (const char* path = std::getenv("NV_FAKE_LOG")) {
        std::ofstream out(path, std::ios::app | std::ios::binary);
        out << line << '\n';
    }
}

class Fake : public nv::DispatchObject<Fake> {
public:
    explicit Fake(const char* name) : DispatchObject(kFakeInterface), name_(name) {}
    static void BindMembers(Binder& b)
    {
        b.Method("fcFrmOp", [](Fake& f, nv::Args a) {
            std::string line = f.name_;
            for (nv::Variant& v : a) line += "|" + Describe(v);
            Log(line);
            if (std::getenv("NV_FAKE_FAIL")) throw nv::AutomationError(nv::CTL_E_ILLEGALFUNCTIONCALL, "帳簿を開けません");
            return nv::Variant("");
        });
        b.Method("ChangeIMEModeEX", [](Fake& f, nv::Args a) {
            Log(f.name_ + "|" + Describe(a[1]) + "|" + Describe(a[2]));
        });
    }

private:
    std::string name_;
};

nv::Dispatch* CreatePurchase() { return new Fake("PurchaseJournal"); }
nv::Dispatch* CreateSales() { return new Fake("SalesJournal"); }
nv::Dispatch* CreateIme() { return new Fake("IME"); }

} // namespace

NV_DEFINE_PLUGIN({"PurchaseJournal.shiiredataClass", nullptr, "shiiredataClass", nullptr, &CreatePurchase},
                 {"SalesJournal.uriagedataClass", nullptr, "uriagedataClass", nullptr, &CreateSales},
                 {"NvZzIME.imeClass", nullptr, "imeClass", nullptr, &CreateIme})
