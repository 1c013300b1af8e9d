#pragma once
// Late binding: the dispatch interface, member tables that describe it, and
// the caller's helpers that turn a failed call into an AutomationError.
#include "platform/automation/Status.h"
#include "platform/automation/Unknown.h"
#include "platform/automation/Variant.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace nv {

// Invoke flags; a member kind is a set of them.
enum DispatchFlags : uint16_t {
    DISPATCH_METHOD = 1,
    DISPATCH_PROPERTYGET = 2,
    DISPATCH_PROPERTYPUT = 4,
    DISPATCH_PROPERTYPUTREF = 8,
};

constexpr int32_t DISPID_VALUE = 0;
constexpr int32_t DISPID_UNKNOWN = -1;
constexpr int32_t DISPID_NEWENUM = -4;
constexpr int32_t DISPID_ABOUTBOX = -552;

enum ParamFlags : uint8_t {
    PARAM_BYREF = 1,
    PARAM_OPTIONAL = 2,
};

constexpr size_t kMaxParams = 12;

struct ParamInfo {
    const char* name = nullptr;       // nullptr ends the list
    uint16_t type = VT_EMPTY;         // declared type (VT_VARIANT: any)
    const char* typeName = nullptr;   // enumeration or interface, if any
    uint8_t flags = 0;
};

struct MemberInfo {
    int32_t id = 0;
    const char* name = nullptr;
    uint16_t kinds = 0;               // DispatchFlags
    uint16_t type = VT_EMPTY;         // property or result type; VT_EMPTY: none
    const char* typeName = nullptr;   // enumeration or interface, if any
    const char* help = nullptr;       // UTF-8
    std::array<ParamInfo, kMaxParams> params{};

    size_t ParamCount() const;
    size_t RequiredCount() const;
    bool IsProperty() const { return (kinds & DISPATCH_METHOD) == 0; }
    bool ReadOnly() const { return IsProperty() && !(kinds & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)); }
};

struct InterfaceInfo {
    const char* name = nullptr;
    const char* iid = nullptr;        // GUID text, if any
    const char* help = nullptr;
    std::span<const MemberInfo> members;

    const MemberInfo* Find(int32_t id) const;
    // Without regard to case.
    const MemberInfo* Find(std::string_view name) const;
};

// ASCII case-insensitive equality (member names, ProgIDs).
bool EqualNoCase(std::string_view a, std::string_view b);

class Dispatch : public Unknown {
public:
    // The id of a member name, without regard to case; DISP_E_UNKNOWNNAME.
    virtual HRESULT GetIDOfName(std::string_view name, int32_t* id) = 0;
    // args in call order, first argument first; a put's value comes last.
    // result may be null. On failure error (may be null) gets the record:
    // DISP_E_EXCEPTION carries the callee's status in error->scode;
    // DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW name the argument in argError.
    virtual HRESULT Invoke(int32_t id, uint16_t flags, std::span<Variant> args, Variant* result,
                           ErrorRecord* error) = 0;
    // The member table, when the object has one.
    virtual const InterfaceInfo* TypeInfo() { return nullptr; }
};

// Caller's side: these throw AutomationError on any failure.
int32_t IdOfName(Dispatch* object, std::string_view name);
Variant InvokeOrThrow(Dispatch* object, int32_t id, uint16_t flags, std::span<Variant> args);

// A late-bound object as a script would hold it.
//   ObjectRef o = CreateObject("Tavelo.Inkplate");
//   o.Call("OpenForm", {"PRINT/a.tvf"});  o.Put(12, v);  o.Get("Count").ToLong();
class ObjectRef {
public:
    ObjectRef() = default;
    ObjectRef(Ref<Dispatch> object) : object_(std::move(object)) {}
    ObjectRef(Dispatch* object) : object_(object) {}
    explicit ObjectRef(const Variant& v) : object_(v.ToObject()) {}

    Dispatch* Get() const { return object_.Get(); }
    explicit operator bool() const { return bool(object_); }
    Variant AsVariant() const { return Variant(object_); }

    // Get of a property, or a method call when the member is a method.
    Variant Get(std::string_view name, std::initializer_list<Variant> args = {}) const;
    Variant Get(int32_t id, std::initializer_list<Variant> args = {}) const;
    void Put(std::string_view name, Variant value) const;
    void Put(int32_t id, Variant value) const;
    Variant Call(std::string_view name, std::initializer_list<Variant> args = {}) const;
    Variant Call(int32_t id, std::initializer_list<Variant> args = {}) const;
    // Arguments the callee may change (by-reference variants among them).
    Variant CallArgs(int32_t id, std::span<Variant> args) const;
    Variant CallArgs(std::string_view name, std::span<Variant> args) const;

private:
    Ref<Dispatch> object_;
};

} // namespace nv
