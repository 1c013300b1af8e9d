#include "platform/automation/Dispatch.h"
#include "platform/automation/DispatchObject.h"

#include <exception>
#include <vector>

namespace nv {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string ArgumentText(std::string description, size_t position)
{
    return description + " (" + std::to_string(position + 1) + " 番目の引数)";
}

HRESULT Fail(ErrorRecord* error, HRESULT scode, std::string description = {}, int32_t argError = -1)
{
    if (error) {
        error->scode = scode;
        error->description = description.empty() ? DescriptionOf(scode) : std::move(description);
        error->source.clear();
        error->helpContext = 0;
        error->argError = argError;
    }
    return scode;
}

// Coerces one argument to its declared type; an error names its position.
HRESULT Coerce(const Variant& in, uint16_t type, uint8_t paramFlags, size_t position, Variant& out, ErrorRecord* error)
{
    const Variant& v = in.Deref();
    if (v.IsMissing()) {
        if (paramFlags & PARAM_OPTIONAL) {
            out = v;
            return S_OK;
        }
        return Fail(error, DISP_E_PARAMNOTOPTIONAL, {}, int32_t(position));
    }
    try {
        out = (type == VT_VARIANT || type == VT_EMPTY) ? v : v.ChangeType(VarType(type));
        return S_OK;
    } catch (const AutomationError& e) {
        HRESULT s = e.Scode() == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
        return Fail(error, s, ArgumentText(e.Description(), position), int32_t(position));
    } catch (const std::exception& e) {
        return Fail(error, DISP_E_TYPEMISMATCH, ArgumentText(e.what(), position), int32_t(position));
    }
}

} // namespace

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

size_t MemberInfo::ParamCount() const
{
    size_t n = 0;
    while (n < params.size() && params[n].name) ++n;
    return n;
}

size_t MemberInfo::RequiredCount() const
{
    size_t n = ParamCount();
    while (n > 0 && (params[n - 1].flags & PARAM_OPTIONAL)) --n;
    return n;
}

const MemberInfo* InterfaceInfo::Find(int32_t id) const
{
    for (const MemberInfo& m : members)
        if (m.id == id) return &m;
    return nullptr;
}

const MemberInfo* InterfaceInfo::Find(std::string_view name) const
{
    for (const MemberInfo& m : members)
        if (EqualNoCase(m.name, name)) return &m;
    return nullptr;
}

HRESULT LookUpName(const InterfaceInfo& info, std::string_view name, int32_t* id) noexcept
{
    const MemberInfo* m = info.Find(name);
    if (!m) return DISP_E_UNKNOWNNAME;
    if (id) *id = m->id;
    return S_OK;
}

HRESULT PrepareInvoke(const InterfaceInfo& info, int32_t id, uint16_t flags, std::span<Variant> args,
                      std::array<Variant, kMaxParams + 1>& coerced, size_t& count, const MemberInfo*& member,
                      bool& put, ErrorRecord* error) noexcept
{
    member = info.Find(id);
    if (!member) return Fail(error, DISP_E_MEMBERNOTFOUND);
    put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put) {
        if (!member->IsProperty()) return Fail(error, DISP_E_MEMBERNOTFOUND);
        if (member->ReadOnly()) {
            if (error) *error = AutomationError(CTL_E_SETNOTSUPPORTED).Record();
            return DISP_E_EXCEPTION;
        }
    } else if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
        return Fail(error, E_INVALIDARG);
    } else if (member->IsProperty() && !(member->kinds & DISPATCH_PROPERTYGET)) {
        if (error) *error = AutomationError(CTL_E_GETNOTSUPPORTED).Record();
        return DISP_E_EXCEPTION;
    }
    size_t params = member->ParamCount();
    size_t required = member->RequiredCount();
    size_t given = args.size() - (put ? 1 : 0);
    if (put && args.empty()) return Fail(error, DISP_E_BADPARAMCOUNT);
    if (given < required || given > params) return Fail(error, DISP_E_BADPARAMCOUNT);
    for (size_t i = 0; i < given; ++i) {
        const ParamInfo& p = member->params[i];
        HRESULT hr = Coerce(args[i], p.type, p.flags, i, coerced[i], error);
        if (hr != S_OK) return hr;
    }
    if (put) {
        HRESULT hr = Coerce(args[given], member->type, 0, given, coerced[given], error);
        if (hr != S_OK) return hr;
        count = given + 1;
        return S_OK;
    }
    for (size_t i = given; i < params; ++i) coerced[i] = Variant::Missing();
    count = params;
    return S_OK;
}

void FinishInvoke(const MemberInfo& member, bool put, std::span<Variant> args,
                  std::array<Variant, kMaxParams + 1>& coerced) noexcept
{
    size_t given = args.size() - (put ? 1 : 0);
    for (size_t i = 0; i < given && i < kMaxParams; ++i)
        if ((member.params[i].flags & PARAM_BYREF) && args[i].IsByRef()) args[i].Deref() = std::move(coerced[i]);
}

HRESULT RecordCurrentException(ErrorRecord* error) noexcept
{
    try {
        throw;
    } catch (const AutomationError& e) {
        if (error) *error = e.Record();
    } catch (const std::exception& e) {
        if (error) {
            *error = ErrorRecord{};
            error->scode = DISP_E_EXCEPTION;
            error->description = e.what();
        }
    } catch (...) {
        if (error) {
            *error = ErrorRecord{};
            error->scode = DISP_E_EXCEPTION;
            error->description = DescriptionOf(DISP_E_EXCEPTION);
        }
    }
    return DISP_E_EXCEPTION;
}

int32_t IdOfName(Dispatch* object, std::string_view name)
{
    if (!object) throw AutomationError(RuntimeError(91), "オブジェクト変数が設定されていません");
    int32_t id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDOfName(name, &id);
    if (hr != S_OK)
        throw AutomationError(DISP_E_UNKNOWNNAME, DescriptionOf(DISP_E_UNKNOWNNAME) + ": " + std::string(name));
    return id;
}

Variant InvokeOrThrow(Dispatch* object, int32_t id, uint16_t flags, std::span<Variant> args)
{
    if (!object) throw AutomationError(RuntimeError(91), "オブジェクト変数が設定されていません");
    Variant result;
    ErrorRecord error;
    HRESULT hr = object->Invoke(id, flags, args, &result, &error);
    if (Succeeded(hr)) return result;
    if (hr == DISP_E_EXCEPTION) {
        if (error.scode == S_OK) error.scode = DISP_E_EXCEPTION;
        throw AutomationError(std::move(error));
    }
    if (error.scode == hr) throw AutomationError(std::move(error));
    throw AutomationError(hr);
}

Variant ObjectRef::Get(int32_t id, std::initializer_list<Variant> args) const
{
    std::vector<Variant> a(args);
    return InvokeOrThrow(Get(), id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, a);
}

Variant ObjectRef::Get(std::string_view name, std::initializer_list<Variant> args) const
{
    return Get(IdOfName(Get(), name), args);
}

void ObjectRef::Put(int32_t id, Variant value) const
{
    Variant a[1] = {std::move(value)};
    InvokeOrThrow(Get(), id, DISPATCH_PROPERTYPUT, a);
}

void ObjectRef::Put(std::string_view name, Variant value) const
{
    Put(IdOfName(Get(), name), std::move(value));
}

Variant ObjectRef::Call(int32_t id, std::initializer_list<Variant> args) const
{
    std::vector<Variant> a(args);
    return InvokeOrThrow(Get(), id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, a);
}

Variant ObjectRef::Call(std::string_view name, std::initializer_list<Variant> args) const
{
    return Call(IdOfName(Get(), name), args);
}

Variant ObjectRef::CallArgs(int32_t id, std::span<Variant> args) const
{
    return InvokeOrThrow(Get(), id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

Variant ObjectRef::CallArgs(std::string_view name, std::span<Variant> args) const
{
    return CallArgs(IdOfName(Get(), name), args);
}

} // namespace nv
