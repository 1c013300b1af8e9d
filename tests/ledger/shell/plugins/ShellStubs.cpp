// Stand-ins for the components the menu calls: each call is appended to the
// file $NIVALO_STUB_LOG as "<ProgID> <member>(<arguments>)", each argument
// with its type and value. $NIVALO_STUB_DBNAME is what the own-company stub
// writes into element 0, a name the real screen would refuse itself.
#include "platform/automation/Automation.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Describe(const nv::Variant& v)
{
    std::string prefix = v.IsByRef() ? "ref " : "";
    const nv::Variant& d = v.Deref();
    if (d.IsArray()) {
        const nv::SafeArray& a = d.Array();
        std::string s = prefix + "Array[" + std::to_string(a.lowerBound) + ".." + std::to_string(a.UpperBound()) + "]{";
        for (size_t i = 0; i < a.items.size(); ++i) s += (i ? ", " : "") + Describe(a.items[i]);
        return s + "}";
    }
    switch (d.BaseType()) {
    case nv::VT_EMPTY: return prefix + "Empty";
    case nv::VT_I2: return prefix + "Integer:" + std::to_string(d.I2());
    case nv::VT_I4: return prefix + "Long:" + std::to_string(d.I4());
    case nv::VT_R4: return prefix + "Single:" + d.ToString();
    case nv::VT_BSTR: return prefix + "String:\"" + d.Str() + "\"";
    default: return prefix + "Type" + std::to_string(d.BaseType()) + ":" + d.ToString();
    }
}

class Stub : public nv::RefCounted<nv::Dispatch> {
public:
    explicit Stub(const char* progId) : progId_(progId) {}

    nv::HRESULT GetIDOfName(std::string_view name, int32_t* id) override
    {
        for (size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name) {
                *id = int32_t(i + 1);
                return nv::S_OK;
            }
        names_.emplace_back(name);
        *id = int32_t(names_.size());
        return nv::S_OK;
    }

    nv::HRESULT Invoke(int32_t id, uint16_t, std::span<nv::Variant> args, nv::Variant* result,
                       nv::ErrorRecord*) override
    {
        const std::string& member = names_.at(size_t(id - 1));
        std::string line = progId_ + " " + member + "(";
        for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + Describe(args[i]);
        line += ")\n";
        if (const char* path = std::getenv("NIVALO_STUB_LOG")) {
            if (FILE* f = std::fopen(path, "ab")) {
                std::fputs(line.c_str(), f);
                std::fclose(f);
            }
        }
        const char* name = std::getenv("NIVALO_STUB_DBNAME");
        if (name && progId_ == "FirmProfile.companyClass" && args.size() == 3 && args[2].Deref().IsArray())
            args[2].Deref().Array().At(0) = nv::Variant(std::string(name));
        if (result) *result = nv::Variant("");
        return nv::S_OK;
    }

private:
    std::string progId_;
    std::vector<std::string> names_;
};

template <const char* P>
nv::Dispatch* Make()
{
    return new Stub(P);
}

constexpr char kFirm[] = "FirmProfile.companyClass";
constexpr char kSupplier[] = "SupplierBook.shiiresakiClass";
constexpr char kCustomer[] = "CustomerBook.uriagesakiClass";
constexpr char kScreen[] = "ScreenMode.displayClass";
constexpr char kClock[] = "ClockPanel.tokeiClass";
constexpr char kAbout[] = "InfoPanel.aboutClass";

} // namespace

NV_DEFINE_PLUGIN({kFirm, nullptr, "companyClass", nullptr, &Make<kFirm>},
                 {kSupplier, nullptr, "shiiresakiClass", nullptr, &Make<kSupplier>},
                 {kCustomer, nullptr, "uriagesakiClass", nullptr, &Make<kCustomer>},
                 {kScreen, nullptr, "displayClass", nullptr, &Make<kScreen>},
                 {kClock, nullptr, "tokeiClass", nullptr, &Make<kClock>},
                 {kAbout, nullptr, "aboutClass", nullptr, &Make<kAbout>})
