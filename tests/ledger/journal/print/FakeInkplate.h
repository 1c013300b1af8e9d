#pragma once
// A recording stand-in for the drawing control: the control's own member
// tables (so names resolve and arguments coerce as they do on the real
// one), a log of every call, the field texts of each output page, and
// results or errors chosen per call.
#include "control/TypeLibrary.h"
#include "control/typelib/TvlError.h"
#include "platform/automation/Automation.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace nvtest {

class FakeDispatch : public nv::RefCounted<nv::Dispatch> {
public:
    using Handler = std::function<nv::Variant(const nv::MemberInfo&, bool put, nv::Args)>;
    FakeDispatch(const nv::InterfaceInfo& info, Handler handler) : info_(info), handler_(std::move(handler)) {}

    nv::HRESULT GetIDOfName(std::string_view name, int32_t* id) override { return nv::LookUpName(info_, name, id); }
    nv::HRESULT Invoke(int32_t id, uint16_t flags, std::span<nv::Variant> args, nv::Variant* result,
                       nv::ErrorRecord* error) override
    {
        std::array<nv::Variant, nv::kMaxParams + 1> coerced;
        const nv::MemberInfo* member = nullptr;
        bool put = false;
        size_t count = 0;
        nv::HRESULT hr = nv::PrepareInvoke(info_, id, flags, args, coerced, count, member, put, error);
        if (hr != nv::S_OK) return hr;
        try {
            nv::Variant r = handler_(*member, put, nv::Args(coerced.data(), count));
            if (result && !put) *result = std::move(r);
        } catch (...) {
            return nv::RecordCurrentException(error);
        }
        nv::FinishInvoke(*member, put, args, coerced);
        return nv::S_OK;
    }
    const nv::InterfaceInfo* TypeInfo() override { return &info_; }
    void* QueryInterface(std::string_view iid) override
    {
        if (iid == nv::kIID_IDispatch) return static_cast<nv::Dispatch*>(this);
        return RefCounted::QueryInterface(iid);
    }

private:
    const nv::InterfaceInfo& info_;
    Handler handler_;
};

struct FakeInkplate {
    // What the host did, one entry a call: "Initialize", "Printer.PaperSize=9",
    // "StartDocument(/x/仕入元帳.tvd,仕入帳 山田商店)", "Layer(明細).VisibleAtPrint=True",
    // "ClearAllFields", "PrintOut", "Close", ... (object texts are kept apart).
    std::vector<std::string> calls;
    // Field texts as they stood at each successful PrintOut.
    std::vector<std::map<std::string, std::string>> pages;
    std::map<std::string, std::string> fields;

    int32_t printerCount = 1;
    // Result of the n-th call (from 1) of a method; 0 otherwise.
    std::map<std::string, std::map<int, int32_t>> results;
    std::map<std::string, int> counts;
    // Object names the form holds; empty: any name.
    std::set<std::string> objectNames;
    // Throws for a text the control refuses.
    std::function<void(const std::string& name, const std::string& text)> onText;

    nv::ObjectRef Control() { return nv::ObjectRef(MakeControl()); }

    int Count(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls) n += c == call;
        return n;
    }
    bool Called(const std::string& prefix) const
    {
        for (const std::string& c : calls)
            if (c.rfind(prefix, 0) == 0) return true;
        return false;
    }

private:
    nv::Variant Result(const std::string& method)
    {
        int n = ++counts[method];
        auto it = results.find(method);
        int32_t r = 0;
        if (it != results.end() && it->second.count(n)) r = it->second.at(n);
        return nv::Variant(r);
    }

    nv::Dispatch* MakeControl()
    {
        return new FakeDispatch(nv::kITaveloDraw, [this](const nv::MemberInfo& m, bool, nv::Args a) -> nv::Variant {
            std::string name = m.name;
            if (name == "Printer") return nv::Variant(MakePrinter());
            if (name == "TvPrinters") return nv::Variant(MakePrinters());
            if (name == "OpenForm") {
                calls.push_back("OpenForm(" + a[0].ToString() + ")");
                fields.clear();
                return nv::Variant(MakeForm());
            }
            std::string call = name;
            if (name == "StartDocument" || name == "StartPrinter")
                call += "(" + a[0].ToString() + "," + a[1].ToString() + ")";
            calls.push_back(call);
            return Result(name);
        });
    }
    nv::Dispatch* MakePrinter()
    {
        return new FakeDispatch(nv::kITvPrinter, [this](const nv::MemberInfo& m, bool put, nv::Args a) {
            if (put) calls.push_back(std::string("Printer.") + m.name + "=" + a[0].ToString());
            return nv::Variant();
        });
    }
    nv::Dispatch* MakePrinters()
    {
        return new FakeDispatch(nv::kITvPrinters, [this](const nv::MemberInfo&, bool, nv::Args) {
            calls.push_back("TvPrinters.Count");
            return nv::Variant(printerCount);
        });
    }
    nv::Dispatch* MakeForm()
    {
        return new FakeDispatch(nv::kITvForm, [this](const nv::MemberInfo& m, bool, nv::Args) -> nv::Variant {
            std::string name = m.name;
            if (name == "TvLayers") return nv::Variant(MakeList(nv::kITvLayers, true));
            if (name == "TvObjects") return nv::Variant(MakeList(nv::kITvObjects, false));
            calls.push_back(name);
            if (name == "ClearAllFields") fields.clear();
            if (name == "PrintOut") {
                nv::Variant r = Result(name);
                if (r.I4() == 0) pages.push_back(fields);
                return r;
            }
            return nv::Variant();
        });
    }
    nv::Dispatch* MakeList(const nv::InterfaceInfo& info, bool layers)
    {
        return new FakeDispatch(info, [this, layers](const nv::MemberInfo&, bool, nv::Args a) -> nv::Variant {
            std::string item = a[0].ToString();
            if (layers) return nv::Variant(MakeLayer(item));
            if (!objectNames.empty() && !objectNames.count(item))
                throw nv::AutomationError(nv::DISP_E_BADINDEX, "オブジェクトがありません: " + item);
            return nv::Variant(MakeObject(item));
        });
    }
    nv::Dispatch* MakeLayer(const std::string& layer)
    {
        return new FakeDispatch(nv::kITvLayer, [this, layer](const nv::MemberInfo& m, bool put, nv::Args a) {
            if (put) calls.push_back("Layer(" + layer + ")." + m.name + "=" + (a[0].Boolean() ? "True" : "False"));
            return nv::Variant();
        });
    }
    nv::Dispatch* MakeObject(const std::string& object)
    {
        return new FakeDispatch(nv::kITvObject, [this, object](const nv::MemberInfo& m, bool put, nv::Args a) {
            if (put && std::string(m.name) == "Text") {
                if (onText) onText(object, a[0].Str());
                fields[object] = a[0].Str();
            }
            return nv::Variant();
        });
    }
};

} // namespace nvtest
