#pragma once
// One table of properties per class: for each id, the field that holds it
// (or the function that applies it) and what callers may do with it. Such a
// table answers IsPropertySupported, GetPropertyAddress and SetProperties.
//
// A table has groups of rows (its own first, then groups it shares with
// other classes) and a parent table. Look-ups take the first row with the
// id: group by group, then the parent. SetProperties runs the parent's
// pass over the map first and then one pass of its own rows, so the changes
// of the parent's ids are recorded before those of the class.
#include "engine/core/ChangeData.h"
#include "engine/core/PropertyIds.h"
#include "engine/core/PropertyMap.h"
#include "engine/core/PropertyTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace nv {

// Value kinds GetPropertyAddress reports.
enum PropertyAddressKind : int32_t {
    addrNone = 0,
    addrShort = 1,  // int16_t*
    addrLong = 2,   // int32_t* or uint32_t*
    addrString = 3, // std::string*
};

// What a row allows. A row without useRead hides the id from
// GetPropertyAddress; one without useApply is skipped by SetProperties.
enum PropertyUse : uint8_t {
    useRead = 1,  // GetPropertyAddress gives the field
    useWrite = 2, // IsPropertySupported answers 1
    useApply = 4, // SetProperties sets the field (or calls the row's function)
    useQuiet = 8, // set without recording a change
    useAll = useRead | useWrite | useApply,
    useReadOnly = useRead | useApply, // applied when replayed, not offered for writing
};

enum class PropertyField : uint8_t {
    none,
    int32,      // int32_t
    color,      // uint32_t
    shortValue, // int16_t
    shortInLong, // int32_t holding a 16-bit value
    text,       // std::string
};

template <class Root>
struct PropertyRow {
    using AddressFn = void* (*)(Root&);
    using ApplyFn = void (*)(Root&, const PropertyRow& row, const TvPropValue&, TvChangeList*);

    uint16_t id = 0;
    PropertyField field = PropertyField::none;
    uint8_t use = 0;
    AddressFn address = nullptr; // null when the row names no field
    ApplyFn apply = nullptr;     // replaces the field's setter
};

namespace detail {

template <class M>
struct MemberTraits;
template <class C, class T>
struct MemberTraits<T C::*> {
    using Class = C;
    using Type = T;
};

template <class Root, auto Member>
void* FieldAddress(Root& object)
{
    using C = typename MemberTraits<decltype(Member)>::Class;
    return &(static_cast<C&>(object).*Member);
}

template <class T>
constexpr PropertyField FieldOf()
{
    if constexpr (std::is_same_v<T, int32_t>) return PropertyField::int32;
    else if constexpr (std::is_same_v<T, uint32_t>) return PropertyField::color;
    else if constexpr (std::is_same_v<T, int16_t>) return PropertyField::shortValue;
    else {
        static_assert(std::is_same_v<T, std::string>, "a property field is a number or a string");
        return PropertyField::text;
    }
}

} // namespace detail

// Row builders: Rows<Root>::Field<&Class::m_member>(id, use).
template <class Root>
struct PropertyRows {
    using Row = PropertyRow<Root>;

    template <auto Member>
    static constexpr Row Field(uint16_t id, uint8_t use = useAll, typename Row::ApplyFn apply = nullptr)
    {
        using T = typename detail::MemberTraits<decltype(Member)>::Type;
        return Row{id, detail::FieldOf<T>(), use, &detail::FieldAddress<Root, Member>, apply};
    }
    // A 32-bit field whose property is a 16-bit value.
    template <auto Member>
    static constexpr Row ShortIn(uint16_t id, uint8_t use = useAll)
    {
        return Row{id, PropertyField::shortInLong, use, &detail::FieldAddress<Root, Member>, nullptr};
    }
    // An id applied by a function of its own, with no field to read.
    static constexpr Row Apply(uint16_t id, typename Row::ApplyFn apply, uint8_t use = useWrite | useApply)
    {
        return Row{id, PropertyField::none, use, nullptr, apply};
    }
    // An id the class answers for without a field: `use` says how.
    static constexpr Row Mark(uint16_t id, uint8_t use = 0) { return Row{id, PropertyField::none, use, nullptr, nullptr}; }
    // A field found by a function (an array element, a conditional field).
    static constexpr Row Custom(uint16_t id, PropertyField field, typename Row::AddressFn address, uint8_t use = useAll,
                                typename Row::ApplyFn apply = nullptr)
    {
        return Row{id, field, use, address, apply};
    }
};

// The row with the id among `rows` with another use (a class offering for
// writing what its parent only shows, say); a bare mark when none has it.
template <class Root>
constexpr PropertyRow<Root> WithUse(std::span<const PropertyRow<Root>> rows, uint16_t id, uint8_t use)
{
    for (PropertyRow<Root> r : rows)
        if (r.id == id) {
            r.use = use;
            return r;
        }
    return PropertyRows<Root>::Mark(id, use);
}

// Rows by id, the first added winning: the low ids (most of them) by
// position, the others in a short list.
template <class Root>
class PropertyIndex {
public:
    using Row = PropertyRow<Root>;
    static constexpr uint16_t kDirect = 128;

    void Add(const Row& r)
    {
        if (Get(r.id)) return;
        if (r.id < kDirect) low_[r.id] = &r;
        else high_.push_back(&r);
    }
    const Row* Get(uint16_t id) const
    {
        if (id < kDirect) return low_[id];
        for (const Row* r : high_)
            if (r->id == id) return r;
        return nullptr;
    }
    template <class F>
    void ForEach(F fn) const
    {
        for (const Row* r : low_)
            if (r) fn(*r);
        for (const Row* r : high_) fn(*r);
    }

private:
    std::array<const Row*, kDirect> low_{};
    std::vector<const Row*> high_;
};

template <class Root>
class PropertyTable {
public:
    using Row = PropertyRow<Root>;

    static constexpr size_t kMaxGroups = 5;

    // Built once per class (a function-local static); the parent must be
    // built first.
    PropertyTable(const PropertyTable* parent, std::span<const Row> own, std::span<const Row> shared1 = {},
                  std::span<const Row> shared2 = {}, std::span<const Row> shared3 = {},
                  std::span<const Row> shared4 = {})
        : parent_(parent), groups_{own, shared1, shared2, shared3, shared4}
    {
        for (std::span<const Row> g : groups_)
            for (const Row& r : g) own_.Add(r);
        all_ = own_;
        if (parent_) parent_->all_.ForEach([this](const Row& r) { all_.Add(r); });
    }

    static const Row* FindIn(std::span<const Row> rows, uint16_t id)
    {
        for (const Row& r : rows)
            if (r.id == id) return &r;
        return nullptr;
    }
    // The first row with the id in this table's groups.
    const Row* FindOwn(uint16_t id) const { return own_.Get(id); }
    // As FindOwn, then up the parents.
    const Row* Find(uint16_t id) const { return all_.Get(id); }

    int32_t IsSupported(uint16_t id) const
    {
        const Row* r = Find(id);
        return r && (r->use & useWrite) ? 1 : 0;
    }

    // 1 with the field and its kind; 0 with both outputs 0 for an id the
    // class does not show.
    int32_t GetAddress(Root& object, uint16_t id, void*& address, int32_t& kind) const
    {
        const Row* r = Find(id);
        address = r && (r->use & useRead) && r->address ? r->address(object) : nullptr;
        kind = address ? AddressKind(r->field) : addrNone;
        return address ? 1 : 0;
    }

    // The parent's pass, then this table's own.
    void Apply(Root& object, const TvPropertyMap& map, TvChangeList* changes) const
    {
        if (parent_) parent_->Apply(object, map, changes);
        ApplyOwn(object, map, changes);
    }
    void ApplyOwn(Root& object, const TvPropertyMap& map, TvChangeList* changes) const
    {
        for (const auto& [id, value] : map)
            if (const Row* r = FindOwn(id); r && (r->use & useApply)) ApplyRow(*r, object, value, changes);
    }

    // Sets one row's field from a value (through the row's function when it
    // has one); true when the field changed.
    static bool ApplyRow(const Row& r, Root& object, const TvPropValue& v, TvChangeList* changes)
    {
        if (r.apply) {
            r.apply(object, r, v, changes);
            return true;
        }
        if (!r.address) return false;
        void* p = r.address(object);
        if (r.use & useQuiet) changes = nullptr;
        switch (r.field) {
        case PropertyField::int32: return SetLongProp(changes, r.id, *static_cast<int32_t*>(p), v.AsLong());
        case PropertyField::color: return SetLongProp(changes, r.id, *static_cast<uint32_t*>(p), v.AsLong());
        case PropertyField::shortValue: return SetShortProp(changes, r.id, *static_cast<int16_t*>(p), v.AsShort());
        case PropertyField::shortInLong:
            return SetLongProp(changes, r.id, *static_cast<int32_t*>(p), static_cast<int32_t>(v.AsShort()));
        case PropertyField::text: return SetStringProp(changes, r.id, *static_cast<std::string*>(p), v.AsString());
        case PropertyField::none: break;
        }
        return false;
    }

    static int32_t AddressKind(PropertyField f)
    {
        switch (f) {
        case PropertyField::shortValue: return addrShort;
        case PropertyField::text: return addrString;
        case PropertyField::none: return addrNone;
        default: return addrLong;
        }
    }

    const PropertyTable* Parent() const { return parent_; }
    std::span<const Row> Group(size_t i) const { return groups_[i]; }

private:
    const PropertyTable* parent_;
    std::span<const Row> groups_[kMaxGroups];
    PropertyIndex<Root> own_;
    PropertyIndex<Root> all_;
};

} // namespace nv
