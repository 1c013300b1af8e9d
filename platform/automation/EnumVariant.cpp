#include "platform/automation/EnumVariant.h"

#include <algorithm>
#include <new>

namespace nv {

CEnumVariant::CEnumVariant(std::vector<Variant> items, size_t cursor)
    : items_(std::move(items)), cursor_(std::min(cursor, items_.size()))
{
}

HRESULT CEnumVariant::Next(uint32_t count, Variant* out, uint32_t* fetched)
{
    if (!out && count) return E_POINTER;
    size_t n = std::min<size_t>(count, items_.size() - cursor_);
    size_t done = 0;
    try {
        for (; done < n; ++done) out[done] = items_[cursor_ + done];
    } catch (const std::bad_alloc&) {
        for (size_t i = 0; i < done; ++i) out[i] = Variant();
        if (fetched) *fetched = 0;
        return E_OUTOFMEMORY;
    }
    cursor_ += n;
    if (fetched) *fetched = uint32_t(n);
    return n < count ? S_FALSE : S_OK;
}

HRESULT CEnumVariant::Skip(uint32_t count)
{
    size_t n = std::min<size_t>(count, items_.size() - cursor_);
    cursor_ += n;
    return n < count ? S_FALSE : S_OK;
}

HRESULT CEnumVariant::Reset()
{
    cursor_ = 0;
    return S_OK;
}

HRESULT CEnumVariant::Clone(EnumVariant** out)
{
    if (!out) return E_POINTER;
    try {
        Ref<CEnumVariant> c = MakeRef<CEnumVariant>(items_, cursor_);
        *out = c.Detach();
    } catch (const std::bad_alloc&) {
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void* CEnumVariant::QueryInterface(std::string_view iid)
{
    if (iid == kIID_IEnumVARIANT) return static_cast<EnumVariant*>(this);
    return RefCounted<EnumVariant>::QueryInterface(iid);
}

std::vector<Variant> EnumerateCollection(Dispatch* collection)
{
    Variant e = InvokeOrThrow(collection, DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
    Unknown* u = e.AsUnknown();
    auto* en = u ? static_cast<EnumVariant*>(u->QueryInterface(kIID_IEnumVARIANT)) : nullptr;
    if (!en) throw AutomationError(DISP_E_TYPEMISMATCH, "コレクションの要素を順に取り出せません");
    std::vector<Variant> items;
    Variant v;
    uint32_t fetched = 0;
    while (en->Next(1, &v, &fetched) == S_OK && fetched == 1) items.push_back(std::move(v));
    return items;
}

} // namespace nv
