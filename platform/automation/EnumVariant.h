#pragma once
// Enumerators: what _NewEnum (id -4) hands out, and a snapshot
// implementation of it. A snapshot holds its own references, so it outlives
// the collection it was taken from and keeps its order after a change.
#include "platform/automation/Dispatch.h"

#include <vector>

namespace nv {

class EnumVariant : public Unknown {
public:
    // Copies up to count variants into out; S_FALSE when fewer were left.
    virtual HRESULT Next(uint32_t count, Variant* out, uint32_t* fetched) = 0;
    virtual HRESULT Skip(uint32_t count) = 0;
    virtual HRESULT Reset() = 0;
    // A new enumerator over the same elements at the same position.
    virtual HRESULT Clone(EnumVariant** out) = 0;
};

class CEnumVariant : public RefCounted<EnumVariant> {
public:
    explicit CEnumVariant(std::vector<Variant> items, size_t cursor = 0);

    HRESULT Next(uint32_t count, Variant* out, uint32_t* fetched) override;
    HRESULT Skip(uint32_t count) override;
    HRESULT Reset() override;
    HRESULT Clone(EnumVariant** out) override;
    void* QueryInterface(std::string_view iid) override;

    size_t Size() const { return items_.size(); }
    size_t Cursor() const { return cursor_; }

private:
    std::vector<Variant> items_;
    size_t cursor_ = 0;
};

// The elements of a collection through its _NewEnum (For Each).
std::vector<Variant> EnumerateCollection(Dispatch* collection);

} // namespace nv
