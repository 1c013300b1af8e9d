#pragma once
// The automation variant. Type numbers are the automation ones (callers test
// bits of them). Strings are Unicode, held as UTF-8; arrays keep their lower
// bound; a by-reference variant points at the caller's variant, which the
// callee may write.
#include "platform/automation/Status.h"
#include "platform/automation/Unknown.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

class Dispatch;

enum VarType : uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,        // Integer
    VT_I4 = 3,        // Long
    VT_R4 = 4,        // Single
    VT_R8 = 5,        // Double
    VT_CY = 6,        // Currency, 1/10000 units
    VT_DATE = 7,      // days since 1899-12-30, time as the fraction
    VT_BSTR = 8,      // String
    VT_DISPATCH = 9,  // Object
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,      // Byte
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

class Variant;

// A one-dimensional array with its lower bound. elementType is the declared
// type of the elements (VT_VARIANT: any).
struct SafeArray {
    VarType elementType = VT_VARIANT;
    int32_t lowerBound = 0;
    std::vector<Variant> items;

    int32_t UpperBound() const;
    // Element by its index (lowerBound ...); throws 0x8002000B outside.
    Variant& At(int32_t index);
    const Variant& At(int32_t index) const;
};

class Variant {
public:
    Variant() = default;
    Variant(int16_t v) : vt_(VT_I2) { u_.i2 = v; }
    Variant(int32_t v) : vt_(VT_I4) { u_.i4 = v; }
    Variant(float v) : vt_(VT_R4) { u_.r4 = v; }
    Variant(double v) : vt_(VT_R8) { u_.r8 = v; }
    Variant(bool v) : vt_(VT_BOOL) { u_.b = v; }
    Variant(uint8_t v) : vt_(VT_UI1) { u_.ui1 = v; }
    Variant(std::string v) : vt_(VT_BSTR), str_(std::move(v)) {}
    Variant(const char* v) : vt_(VT_BSTR), str_(v ? v : "") {}
    Variant(std::string_view v) : vt_(VT_BSTR), str_(v) {}
    Variant(Dispatch* object);             // Nothing when null
    Variant(const Ref<Dispatch>& object) : Variant(object.Get()) {}
    Variant(SafeArray array);

    static Variant Null();
    static Variant Currency(int64_t scaledBy10000);
    static Variant Date(double oleDate);
    static Variant Error(HRESULT scode);
    // An optional argument left out.
    static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
    static Variant FromUnknown(Unknown* object);
    // Points at target, which must outlive the variant.
    static Variant ByRef(Variant* target);

    Variant(const Variant& o);
    Variant(Variant&& o) noexcept;
    Variant& operator=(const Variant& o);
    Variant& operator=(Variant&& o) noexcept;
    ~Variant() = default;

    // The full type, with VT_ARRAY and VT_BYREF bits.
    uint16_t Vt() const;
    // The type after following a reference, without the array bit.
    VarType BaseType() const { return VarType(Deref().vt_ & VT_TYPEMASK); }
    bool IsByRef() const { return vt_ == (VT_BYREF | VT_VARIANT); }
    bool IsEmpty() const { return Deref().vt_ == VT_EMPTY; }
    bool IsNull() const { return Deref().vt_ == VT_NULL; }
    bool IsArray() const { return (Deref().vt_ & VT_ARRAY) != 0; }
    bool IsObject() const { return Deref().vt_ == VT_DISPATCH || Deref().vt_ == VT_UNKNOWN; }
    bool IsMissing() const { return Deref().vt_ == VT_ERROR && Deref().u_.scode == DISP_E_PARAMNOTFOUND; }

    // The variant a by-reference variant points at (itself otherwise).
    Variant& Deref() { return IsByRef() ? *u_.ref : *this; }
    const Variant& Deref() const { return IsByRef() ? *u_.ref : *this; }

    // Raw values: valid only for the matching type (after deref).
    int16_t I2() const { return Deref().u_.i2; }
    int32_t I4() const { return Deref().u_.i4; }
    float R4() const { return Deref().u_.r4; }
    double R8() const { return Deref().u_.r8; }
    int64_t Cy() const { return Deref().u_.cy; }
    double Date() const { return Deref().u_.r8; }
    bool Boolean() const { return Deref().u_.b; }
    uint8_t Ui1() const { return Deref().u_.ui1; }
    HRESULT Scode() const { return Deref().u_.scode; }
    const std::string& Str() const { return Deref().str_; }
    Dispatch* AsDispatch() const;
    Unknown* AsUnknown() const { return Deref().obj_.Get(); }
    SafeArray& Array();
    const SafeArray& Array() const;

    // Coercions as automation callers expect them; they throw AutomationError
    // with DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW. An object converts through
    // its default member (id 0).
    Variant ChangeType(VarType target) const;
    int16_t ToInteger() const;
    int32_t ToLong() const;
    float ToSingle() const;
    double ToDouble() const;
    int64_t ToCurrency() const;
    double ToDate() const;
    bool ToBool() const;
    uint8_t ToByte() const;
    std::string ToString() const;
    Ref<Dispatch> ToObject() const;

private:
    uint16_t vt_ = VT_EMPTY;
    union {
        int16_t i2;
        int32_t i4;
        float r4;
        double r8;   // also the date
        int64_t cy;
        bool b;
        uint8_t ui1;
        HRESULT scode;
        Variant* ref;
    } u_{};
    std::string str_;
    Ref<Unknown> obj_;
    std::unique_ptr<SafeArray> arr_;
};

// An array of variants from lowerBound on.
Variant MakeArray(std::vector<Variant> items, int32_t lowerBound = 0, VarType elementType = VT_VARIANT);

// Day count and time of an OLE date, and back.
double MakeOleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

} // namespace nv
