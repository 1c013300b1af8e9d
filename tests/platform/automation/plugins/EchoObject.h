#pragma once
// A small dispatchable class, used in-process by the dispatch tests and
// through the test plug-in.
#include "platform/automation/Automation.h"

#include <stdexcept>

namespace nvtest {

inline const nv::MemberInfo kEchoMembers[] = {
    {0, "Value", nv::DISPATCH_PROPERTYGET | nv::DISPATCH_PROPERTYPUT, nv::VT_I4},
    {1, "Name", nv::DISPATCH_PROPERTYGET, nv::VT_BSTR},
    {2, "Join", nv::DISPATCH_METHOD, nv::VT_BSTR, nullptr, nullptr, {{{"A", nv::VT_BSTR}, {"B", nv::VT_BSTR}}}},
    {3, "Append", nv::DISPATCH_METHOD, nv::VT_EMPTY, nullptr, nullptr,
     {{{"Text", nv::VT_BSTR, nullptr, nv::PARAM_BYREF}, {"Suffix", nv::VT_BSTR}}}},
    {4, "Bounds", nv::DISPATCH_METHOD, nv::VT_BSTR, nullptr, nullptr, {{{"Values", nv::VT_VARIANT}}}},
    {5, "Fail", nv::DISPATCH_METHOD, nv::VT_EMPTY},
    {6, "Crash", nv::DISPATCH_METHOD, nv::VT_EMPTY},
    {7, "Scale", nv::DISPATCH_METHOD, nv::VT_I2, nullptr, nullptr,
     {{{"Count", nv::VT_I2}, {"Factor", nv::VT_I4, nullptr, nv::PARAM_OPTIONAL}}}},
    {8, "Later", nv::DISPATCH_METHOD, nv::VT_EMPTY},
};

inline const nv::InterfaceInfo kEchoInterface{"IEcho", nullptr, nullptr, kEchoMembers};

class Echo : public nv::DispatchObject<Echo> {
public:
    Echo() : DispatchObject(kEchoInterface) {}

    static void BindMembers(Binder& b)
    {
        b.Get("Value", &Echo::value);
        b.Put("Value", &Echo::setValue);
        b.Get("Name", [](Echo&, nv::Args) { return nv::Variant("echo"); });
        b.Method("Join", &Echo::join);
        b.Method("Append", [](Echo&, nv::Args a) { a[0] = a[0].Str() + a[1].Str(); });
        b.Method("Bounds", [](Echo&, nv::Args a) {
            const nv::SafeArray& arr = a[0].Array();
            std::string s = std::to_string(arr.lowerBound) + ".." + std::to_string(arr.UpperBound());
            for (const nv::Variant& v : arr.items) s += " " + v.ToString();
            return nv::Variant(s);
        });
        b.Method("Fail", [](Echo&, nv::Args) {
            throw nv::AutomationError(nv::CTL_E_ILLEGALFUNCTIONCALL, "値が不正です。(Direction)", 20010);
        });
        b.Method("Crash", [](Echo&, nv::Args) { throw std::runtime_error("engine broke"); });
        b.Method("Scale", [](Echo&, nv::Args a) {
            int32_t f = a[1].IsMissing() ? 2 : a[1].I4();
            return nv::Variant(int16_t(a[0].I2() * f));
        });
    }

    int32_t value() const { return value_; }
    void setValue(int32_t v) { value_ = v; }
    std::string join(const std::string& a, const std::string& b) { return a + b; }

private:
    int32_t value_ = 42;
};

} // namespace nvtest
