#include "platform/automation/Variant.h"
#include "platform/automation/Dispatch.h"

namespace nv {

int32_t SafeArray::UpperBound() const
{
    return lowerBound + int32_t(items.size()) - 1;
}

Variant& SafeArray::At(int32_t index)
{
    int64_t i = int64_t(index) - lowerBound;
    if (i < 0 || i >= int64_t(items.size())) throw AutomationError(DISP_E_BADINDEX);
    return items[size_t(i)];
}

const Variant& SafeArray::At(int32_t index) const
{
    return const_cast<SafeArray*>(this)->At(index);
}

Variant::Variant(Dispatch* object) : vt_(VT_DISPATCH), obj_(static_cast<Unknown*>(object)) {}

Variant::Variant(SafeArray array)
    : vt_(uint16_t(VT_ARRAY | array.elementType)), arr_(std::make_unique<SafeArray>(std::move(array)))
{
}

Variant Variant::Null()
{
    Variant v;
    v.vt_ = VT_NULL;
    return v;
}

Variant Variant::Currency(int64_t scaledBy10000)
{
    Variant v;
    v.vt_ = VT_CY;
    v.u_.cy = scaledBy10000;
    return v;
}

Variant Variant::Date(double oleDate)
{
    Variant v;
    v.vt_ = VT_DATE;
    v.u_.r8 = oleDate;
    return v;
}

Variant Variant::Error(HRESULT scode)
{
    Variant v;
    v.vt_ = VT_ERROR;
    v.u_.scode = scode;
    return v;
}

Variant Variant::FromUnknown(Unknown* object)
{
    Variant v;
    v.vt_ = VT_UNKNOWN;
    v.obj_ = Ref<Unknown>(object);
    return v;
}

Variant Variant::ByRef(Variant* target)
{
    Variant v;
    v.vt_ = VT_BYREF | VT_VARIANT;
    v.u_.ref = target ? &target->Deref() : nullptr;
    if (!target) v.vt_ = VT_EMPTY;
    return v;
}

Variant::Variant(const Variant& o) : vt_(o.vt_), u_(o.u_), str_(o.str_), obj_(o.obj_)
{
    if (o.arr_) arr_ = std::make_unique<SafeArray>(*o.arr_);
}

Variant::Variant(Variant&& o) noexcept
    : vt_(std::exchange(o.vt_, uint16_t(VT_EMPTY))), u_(o.u_), str_(std::move(o.str_)), obj_(std::move(o.obj_)),
      arr_(std::move(o.arr_))
{
}

Variant& Variant::operator=(const Variant& o)
{
    if (this != &o) {
        Variant copy(o);
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& o) noexcept
{
    if (this != &o) {
        vt_ = std::exchange(o.vt_, uint16_t(VT_EMPTY));
        u_ = o.u_;
        str_ = std::move(o.str_);
        obj_ = std::move(o.obj_);
        arr_ = std::move(o.arr_);
    }
    return *this;
}

uint16_t Variant::Vt() const
{
    return IsByRef() ? uint16_t(VT_BYREF | u_.ref->vt_) : vt_;
}

Dispatch* Variant::AsDispatch() const
{
    const Variant& v = Deref();
    if (v.vt_ == VT_DISPATCH) return static_cast<Dispatch*>(v.obj_.Get());
    return nullptr;
}

SafeArray& Variant::Array()
{
    Variant& v = Deref();
    if (!v.arr_) throw AutomationError(DISP_E_TYPEMISMATCH);
    return *v.arr_;
}

const SafeArray& Variant::Array() const
{
    return const_cast<Variant*>(this)->Array();
}

Variant MakeArray(std::vector<Variant> items, int32_t lowerBound, VarType elementType)
{
    SafeArray a;
    a.elementType = elementType;
    a.lowerBound = lowerBound;
    a.items = std::move(items);
    return Variant(std::move(a));
}

} // namespace nv
