#pragma once
// The shape the control's four collections share (CXForms, CXLayers,
// CXObjects, CXPrinters): Item (0) by name or position, Count (1) and
// _NewEnum (-4), over a list of wrappers that each hold one reference.
// Element must derive from Dispatch and offer `std::string CollectionName()
// const` (CP932 bytes), which does not change while the wrapper is in the
// collection. A key (the engine element's id) keeps one wrapper per engine
// element. Names are looked up in an index of the first position of each
// name, so that a page of hundreds of objects found by name costs no search.
#include "control/ControlErrors.h"
#include "control/EngineText.h"
#include "platform/automation/DispatchObject.h"
#include "platform/automation/EnumVariant.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace nv {

template <class Element>
class CXCollection : public DispatchObject<CXCollection<Element>> {
    using Base = DispatchObject<CXCollection<Element>>;

public:
    // ignoreCase: names compare without regard to case (printers).
    explicit CXCollection(const InterfaceInfo& info, bool ignoreCase = false) : Base(info), ignoreCase_(ignoreCase) {}

    static void BindMembers(typename Base::Binder& b)
    {
        b.Get("Item", [](CXCollection& c, Args a) { return Variant(static_cast<Dispatch*>(c.Item(a[0]).Get())); });
        b.Get("Count", [](CXCollection& c, Args) { return Variant(c.Count()); });
        b.Get("_NewEnum", [](CXCollection& c, Args) { return Variant::FromUnknown(c.NewEnum().Get()); });
    }

    // Appends a wrapper; with a key, the one already made for that key is
    // returned instead.
    Element* Add(Ref<Element> element, const void* key = nullptr)
    {
        if (key) {
            if (Element* existing = Find(key)) return existing;
            byKey_[key] = element.Get();
        }
        byName_.try_emplace(Cp932NameKey(element->CollectionName(), ignoreCase_), items_.size());
        items_.push_back(std::move(element));
        return items_.back().Get();
    }
    Element* Find(const void* key) const
    {
        auto it = byKey_.find(key);
        return it == byKey_.end() ? nullptr : it->second;
    }
    // Releases every wrapper (emptied or rebuilt).
    void Clear()
    {
        byKey_.clear();
        byName_.clear();
        items_.clear();
    }
    size_t size() const { return items_.size(); }
    Element* at(size_t i) const { return items_[i].Get(); }
    // Removes the wrappers that pred picks.
    void RemoveIf(const std::function<bool(Element&)>& pred)
    {
        std::erase_if(items_, [&](const Ref<Element>& e) { return pred(*e); });
        std::erase_if(byKey_, [&](const auto& kv) {
            for (const Ref<Element>& e : items_)
                if (e.Get() == kv.second) return false;
            return true;
        });
        byName_.clear();
        for (size_t i = 0; i < items_.size(); ++i)
            byName_.try_emplace(Cp932NameKey(items_[i]->CollectionName(), ignoreCase_), i);
    }

    int32_t Count()
    {
        BeforeAccess();
        return int32_t(items_.size());
    }

    Ref<Element> Item(const Variant& index)
    {
        BeforeAccess();
        CollectionIndex i = ReadCollectionIndex(index);
        if (i.byName) {
            // The first element of that name in list order.
            auto it = byName_.find(ignoreCase_ ? Cp932NameKey(i.name, true) : i.name);
            if (it != byName_.end()) return items_[it->second];
        } else if (i.position >= 0 && size_t(i.position) < items_.size()) {
            return items_[size_t(i.position)];
        }
        ThrowControlError(kErrInvalidIndex, kTextIndexOutOfRange);
    }

    // A snapshot: later changes to the list do not reach it.
    Ref<CEnumVariant> NewEnum()
    {
        BeforeAccess();
        std::vector<Variant> snapshot;
        snapshot.reserve(items_.size());
        for (const Ref<Element>& e : items_) snapshot.emplace_back(static_cast<Dispatch*>(e.Get()));
        return MakeRef<CEnumVariant>(std::move(snapshot));
    }

protected:
    // Runs before Item, Count and _NewEnum (checks of the owner, pruning).
    virtual void BeforeAccess() {}

private:
    std::vector<Ref<Element>> items_;
    std::unordered_map<const void*, Element*> byKey_;
    std::unordered_map<std::string, size_t> byName_; // name key -> first position
    bool ignoreCase_;
};

} // namespace nv
