#include "platform/automation/Automation.h"
#include "plugins/EchoObject.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

struct Case {
    const char* what;
    Variant in;
    VarType to;
    const char* expect;   // the result as a string, or nullptr
    HRESULT error;        // when expect is nullptr
};

std::string Show(const Variant& v)
{
    return v.IsNull() ? std::string("Null") : v.ToString();
}

} // namespace

TEST(Variant, CoercionsAsCallersExpectThem)
{
    Variant dbl25(2.5);
    const Case cases[] = {
        {"single to string, 7 digits", Variant(1234.56f), VT_BSTR, "1234.56", 0},
        {"single third", Variant(1.0f / 3.0f), VT_BSTR, "0.3333333", 0},
        {"single large", Variant(1e20f), VT_BSTR, "1E+20", 0},
        {"double to string, 15 digits", Variant(0.1 + 0.2), VT_BSTR, "0.3", 0},
        {"double third", Variant(1.0 / 3.0), VT_BSTR, "0.333333333333333", 0},
        {"double amount", Variant(1234.56), VT_BSTR, "1234.56", 0},
        {"negative zero", Variant(-0.0), VT_BSTR, "0", 0},
        {"currency 4 decimals", Variant::Currency(12345678), VT_BSTR, "1234.5678", 0},
        {"currency trailing zeros", Variant::Currency(12345000), VT_BSTR, "1234.5", 0},
        {"currency small negative", Variant::Currency(-5), VT_BSTR, "-0.0005", 0},
        {"true", Variant(true), VT_BSTR, "-1", 0},
        {"false", Variant(false), VT_BSTR, "0", 0},
        {"date", Variant::Date(MakeOleDate(2024, 3, 9)), VT_BSTR, "2024/03/09", 0},
        {"date and time", Variant::Date(MakeOleDate(2024, 3, 9, 13, 5, 9)), VT_BSTR, "2024/03/09 13:05:09", 0},
        {"date before 1900", Variant::Date(MakeOleDate(1899, 12, 29, 6, 0, 0)), VT_BSTR, "1899/12/29 6:00:00", 0},
        {"half to even down", Variant(2.5), VT_I2, "2", 0},
        {"half to even up", Variant(3.5), VT_I4, "4", 0},
        {"negative half", Variant(-2.5), VT_I4, "-2", 0},
        {"single rounds", Variant(1.5f), VT_I2, "2", 0},
        {"3e9 to Long", Variant(3e9), VT_I4, nullptr, DISP_E_OVERFLOW},
        {"40000 to Integer", Variant(int32_t(40000)), VT_I2, nullptr, DISP_E_OVERFLOW},
        {"32767.5 to Integer", Variant(32767.5), VT_I2, nullptr, DISP_E_OVERFLOW},
        {"-32768.5 to Integer", Variant(-32768.5), VT_I2, "-32768", 0},
        {"Long bounds", Variant(-2147483648.0), VT_I4, "-2147483648", 0},
        {"Byte overflow", Variant(int32_t(256)), VT_UI1, nullptr, DISP_E_OVERFLOW},
        {"Byte negative", Variant(int16_t(-1)), VT_UI1, nullptr, DISP_E_OVERFLOW},
        {"string with blanks, sign, exponent", Variant(" -12.5e1 "), VT_R8, "-125", 0},
        {"string decimals to Long", Variant("2.5"), VT_I4, "2", 0},
        {"hex", Variant("&HFF"), VT_I4, "255", 0},
        {"hex all bits", Variant("&HFFFFFFFF"), VT_I4, "-1", 0},
        {"octal", Variant("&O17"), VT_I2, "15", 0},
        {"hex too long", Variant("&H100000000"), VT_I4, nullptr, DISP_E_OVERFLOW},
        {"not a number", Variant("12abc"), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"empty string to number", Variant(""), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"infinity word", Variant("inf"), VT_R8, nullptr, DISP_E_TYPEMISMATCH},
        {"huge", Variant("1e400"), VT_R8, nullptr, DISP_E_OVERFLOW},
        {"string date", Variant("2024/03/09"), VT_DATE, "2024/03/09", 0},
        {"string date and time", Variant("2024-3-9 7:08"), VT_DATE, "2024/03/09 7:08:00", 0},
        {"bad date", Variant("2023/02/29"), VT_DATE, nullptr, DISP_E_TYPEMISMATCH},
        {"string True", Variant("True"), VT_BOOL, "-1", 0},
        {"string zero", Variant("0"), VT_BOOL, "0", 0},
        {"currency from double", Variant(1.23456), VT_CY, "1.2346", 0},
        {"currency half even", Variant::Currency(25000), VT_I4, "2", 0},
        {"currency half even up", Variant::Currency(35000), VT_I4, "4", 0},
        {"Null to Long", Variant::Null(), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"Null to String", Variant::Null(), VT_BSTR, nullptr, DISP_E_TYPEMISMATCH},
        {"Null to Variant", Variant::Null(), VT_VARIANT, "Null", 0},
        {"Empty to Long", Variant(), VT_I4, "0", 0},
        {"Empty to String", Variant(), VT_BSTR, "", 0},
        {"Empty to Boolean", Variant(), VT_BOOL, "0", 0},
        {"by reference", Variant::ByRef(&dbl25), VT_I4, "2", 0},
        {"array to Long", MakeArray({Variant(1)}), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"Empty to Object", Variant(), VT_DISPATCH, nullptr, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.expect) {
            Variant r;
            ASSERT_NO_THROW(r = c.in.ChangeType(c.to));
            if (c.to != VT_VARIANT) {
                EXPECT_EQ(r.Vt(), c.to);
            }
            EXPECT_EQ(Show(r), c.expect);
        } else {
            try {
                c.in.ChangeType(c.to);
                ADD_FAILURE() << "no error";
            } catch (const AutomationError& e) {
                EXPECT_EQ(e.Scode(), c.error);
            }
        }
    }
}

TEST(Variant, AnObjectConvertsThroughItsDefaultMember)
{
    Ref<nvtest::Echo> echo = MakeRef<nvtest::Echo>();
    Variant v(static_cast<Dispatch*>(echo.Get()));
    EXPECT_EQ(v.ToString(), "42");
    EXPECT_EQ(v.ToDouble(), 42.0);
    EXPECT_EQ(v.ChangeType(VT_DISPATCH).AsDispatch(), echo.Get());
    Variant nothing(static_cast<Dispatch*>(nullptr));
    EXPECT_THROW(nothing.ToString(), AutomationError);
}

TEST(Variant, ArraysKeepTheirLowerBoundAndCopyDeeply)
{
    Variant a = MakeArray({Variant("x"), Variant(int16_t(2))}, 1);
    EXPECT_EQ(a.Vt(), VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(a.Array().lowerBound, 1);
    EXPECT_EQ(a.Array().UpperBound(), 2);
    EXPECT_EQ(a.Array().At(1).Str(), "x");
    EXPECT_THROW(a.Array().At(0), AutomationError);
    EXPECT_THROW(a.Array().At(3), AutomationError);
    Variant b = a;
    b.Array().At(1) = Variant("changed");
    EXPECT_EQ(a.Array().At(1).Str(), "x");
}

TEST(Variant, ByReferenceWritesThrough)
{
    Variant target("before");
    Variant ref = Variant::ByRef(&target);
    EXPECT_EQ(ref.Vt(), VT_BYREF | VT_BSTR);
    ref.Deref() = Variant(int32_t(7));
    EXPECT_EQ(target.Vt(), VT_I4);
    EXPECT_EQ(target.I4(), 7);
    Variant refToRef = Variant::ByRef(&ref);
    EXPECT_EQ(refToRef.ToLong(), 7);
}

TEST(Variant, ErrorNumbersAreTheLowWord)
{
    EXPECT_EQ(ErrorNumberOf(int32_t(0x800A017D)), 381);
    EXPECT_EQ(ErrorNumberOf(CTL_E_CANTCREATEOBJECT), 429);
    EXPECT_EQ(ErrorNumberOf(DISP_E_TYPEMISMATCH), 13);
    AutomationError e(RuntimeError(20027 - 20027 + 381), "ｲﾝﾃﾞｯｸｽが有効範囲にありません。", 20027);
    EXPECT_EQ(e.Number(), 381);
    EXPECT_EQ(e.HelpContext(), 20027);
    EXPECT_STREQ(e.what(), "ｲﾝﾃﾞｯｸｽが有効範囲にありません。");
}
