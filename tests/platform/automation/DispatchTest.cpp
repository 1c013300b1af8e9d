#include "platform/automation/Automation.h"
#include "plugins/EchoObject.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

HRESULT Call(Dispatch* d, int32_t id, uint16_t flags, std::vector<Variant> args, ErrorRecord& error, Variant* r = nullptr)
{
    return d->Invoke(id, flags, args, r, &error);
}

} // namespace

TEST(Dispatch, NamesInAnyCase)
{
    Ref<nvtest::Echo> echo = MakeRef<nvtest::Echo>();
    for (const char* name : {"Join", "join", "JOIN", "jOiN"}) EXPECT_EQ(IdOfName(echo.Get(), name), 2) << name;
    int32_t id = 99;
    EXPECT_EQ(echo->GetIDOfName("Joint", &id), DISP_E_UNKNOWNNAME);
    try {
        IdOfName(echo.Get(), "Nothing");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 438);
    }
    ObjectRef o(echo.Get());
    EXPECT_EQ(o.Call("join", {"a", "b"}).Str(), "ab");
    EXPECT_EQ(o.Call(2, {"x", int32_t(5)}).Str(), "x5");
}

TEST(Dispatch, RefusalsCarryTheirStatus)
{
    Ref<nvtest::Echo> echo = MakeRef<nvtest::Echo>();
    struct Row {
        const char* what;
        int32_t id;
        uint16_t flags;
        std::vector<Variant> args;
        HRESULT status;
        HRESULT scode;      // in the record
        int32_t argError;
    };
    const Row rows[] = {
        {"unknown id", 77, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, DISP_E_MEMBERNOTFOUND, -1},
        {"too few", 2, DISPATCH_METHOD, {"a"}, DISP_E_BADPARAMCOUNT, DISP_E_BADPARAMCOUNT, -1},
        {"too many", 2, DISPATCH_METHOD, {"a", "b", "c"}, DISP_E_BADPARAMCOUNT, DISP_E_BADPARAMCOUNT, -1},
        {"wrong type, second", 7, DISPATCH_METHOD, {int16_t(1), "many"}, DISP_E_TYPEMISMATCH, DISP_E_TYPEMISMATCH, 1},
        {"overflow, first", 7, DISPATCH_METHOD, {int32_t(70000)}, DISP_E_OVERFLOW, DISP_E_OVERFLOW, 0},
        {"put on read-only", 1, DISPATCH_PROPERTYPUT, {"x"}, DISP_E_EXCEPTION, int32_t(0x800A017F), -1},
        {"put on a method", 2, DISPATCH_PROPERTYPUT, {"x"}, DISP_E_MEMBERNOTFOUND, DISP_E_MEMBERNOTFOUND, -1},
        {"callee's own error", 5, DISPATCH_METHOD, {}, DISP_E_EXCEPTION, CTL_E_ILLEGALFUNCTIONCALL, -1},
        {"engine exception", 6, DISPATCH_METHOD, {}, DISP_E_EXCEPTION, DISP_E_EXCEPTION, -1},
        {"not yet built", 8, DISPATCH_METHOD, {}, E_NOTIMPL, S_OK, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ErrorRecord error;
        EXPECT_EQ(Call(echo.Get(), r.id, r.flags, r.args, error), r.status);
        EXPECT_EQ(error.scode, r.scode);
        EXPECT_EQ(error.argError, r.argError);
    }
    ErrorRecord error;
    Call(echo.Get(), 5, DISPATCH_METHOD, {}, error);
    EXPECT_EQ(error.description, "値が不正です。(Direction)");
    EXPECT_EQ(error.helpContext, 20010);
    Call(echo.Get(), 6, DISPATCH_METHOD, {}, error);
    EXPECT_EQ(error.description, "engine broke");
    Call(echo.Get(), 7, DISPATCH_METHOD, {int16_t(1), "many"}, error);
    EXPECT_EQ(error.description, "型が一致しません (2 番目の引数)");
}

TEST(Dispatch, CallersSeeAutomationErrors)
{
    ObjectRef o(MakeRef<nvtest::Echo>().Get());
    try {
        o.Put("Name", "x");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), int32_t(0x800A017F));
        EXPECT_EQ(e.Number(), 383);
    }
    try {
        o.Call("Fail");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.HelpContext(), 20010);
    }
    try {
        o.Call("Scale", {"x"});
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(e.ArgError(), 0);
    }
    EXPECT_THROW(o.Call("Later"), AutomationError);
}

TEST(Dispatch, ArgumentsAreCoercedAndByReferenceWrittenBack)
{
    ObjectRef o(MakeRef<nvtest::Echo>().Get());
    o.Put("Value", "  17 ");
    EXPECT_EQ(o.Get(DISPID_VALUE).I4(), 17);
    o.Put(0, 2.5f);
    EXPECT_EQ(o.Get("value").I4(), 2);
    EXPECT_EQ(o.Call("Scale", {"3"}).I2(), 6);
    EXPECT_EQ(o.Call("Scale", {3.0, Variant::Missing()}).I2(), 6);
    EXPECT_EQ(o.Call("Scale", {int16_t(3), int32_t(5)}).I2(), 15);

    Variant text(int32_t(12));
    std::vector<Variant> args{Variant::ByRef(&text), Variant("ab")};
    o.CallArgs("Append", args);
    EXPECT_EQ(text.Vt(), VT_BSTR);
    EXPECT_EQ(text.Str(), "12ab");
    // Not by reference: the caller's value stays.
    Variant kept("k");
    std::vector<Variant> byValue{kept, Variant("z")};
    o.CallArgs("Append", byValue);
    EXPECT_EQ(kept.Str(), "k");
    // A failed call writes nothing back.
    Variant untouched("u");
    std::vector<Variant> bad{Variant::ByRef(&untouched), Variant::Null()};
    EXPECT_THROW(o.CallArgs("Append", bad), AutomationError);
    EXPECT_EQ(untouched.Str(), "u");
}

TEST(Dispatch, ReferencesAndWeakLinks)
{
    WeakRef<nvtest::Echo> weak;
    {
        Ref<nvtest::Echo> echo = MakeRef<nvtest::Echo>();
        weak = WeakRef<nvtest::Echo>(echo.Get());
        EXPECT_EQ(echo->RefCount(), 1u);
        Variant v(static_cast<Dispatch*>(echo.Get()));
        EXPECT_EQ(echo->RefCount(), 2u);
        EXPECT_EQ(weak.Get(), echo.Get());
        EXPECT_EQ(echo->QueryInterface(kIID_IDispatch), static_cast<Dispatch*>(echo.Get()));
        EXPECT_EQ(echo->QueryInterface(kIID_QWidget), nullptr);
    }
    EXPECT_TRUE(weak.Expired());
}

TEST(HandleTable, HandlesResolveByKindUntilRemoved)
{
    int a = 0, b = 0;
    int32_t ha = AddHandle(HandleKind::DeviceContext, &a);
    int32_t hb = AddHandle(HandleKind::Widget, &b);
    EXPECT_NE(ha, 0);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(LookUpHandle(HandleKind::DeviceContext, ha), &a);
    EXPECT_EQ(LookUpHandle(HandleKind::Widget, ha), nullptr);
    RemoveHandle(ha);
    EXPECT_EQ(LookUpHandle(HandleKind::DeviceContext, ha), nullptr);
    EXPECT_EQ(AddHandle(HandleKind::Widget, nullptr), 0);
    EXPECT_EQ(LookUpHandle(HandleKind::Widget, hb), &b);
    RemoveHandle(hb);
}

TEST(Dispatch, InvokeKindsAsCallersSendThem)
{
    Ref<nvtest::Echo> echo = MakeRef<nvtest::Echo>();
    std::vector<Variant> value{Variant(int32_t(5))};
    Variant result;
    ErrorRecord error;
    EXPECT_EQ(echo->Invoke(0, DISPATCH_PROPERTYPUTREF, value, nullptr, &error), S_OK);
    EXPECT_EQ(echo->Invoke(0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &result, &error), S_OK);
    EXPECT_EQ(result.I4(), 5);
    std::vector<Variant> two{Variant("a"), Variant("b")};
    EXPECT_EQ(echo->Invoke(2, DISPATCH_PROPERTYGET, two, &result, &error), S_OK);
    EXPECT_EQ(result.Str(), "ab");
    EXPECT_EQ(echo->Invoke(0, 0, {}, &result, &error), E_INVALIDARG);
    EXPECT_EQ(echo->Invoke(0, DISPATCH_PROPERTYPUT, {}, nullptr, &error), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(echo->Invoke(0, DISPATCH_PROPERTYGET, {}, nullptr, nullptr), S_OK);
    EXPECT_EQ(echo->TypeInfo(), &nvtest::kEchoInterface);
}
