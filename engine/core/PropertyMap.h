#pragma once
// New property values by 16-bit property id, handed to SetProperties.
// Values are held by the map (strings and numbers alike); iteration follows
// the class library's map order, which is the order changes are applied in.
#include "engine/core/BucketMap.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

class TvPropValue {
public:
    enum Kind { kLong, kShort, kString, kBytes };

    TvPropValue() = default;
    static TvPropValue Long(int32_t v) { return TvPropValue(kLong, v, {}); }
    static TvPropValue Short(int16_t v) { return TvPropValue(kShort, v, {}); }
    static TvPropValue String(std::string s) { return TvPropValue(kString, 0, std::move(s)); }
    // Raw bytes (the eight-byte values, type 5).
    static TvPropValue Bytes(std::string b) { return TvPropValue(kBytes, 0, std::move(b)); }

    Kind kind() const { return kind_; }
    // A short widens with its sign; a long narrows to a short by truncation.
    int32_t AsLong() const { return number_; }
    int16_t AsShort() const { return static_cast<int16_t>(number_); }
    const std::string& AsString() const { return text_; }

private:
    TvPropValue(Kind k, int32_t n, std::string t) : kind_(k), number_(n), text_(std::move(t)) {}
    Kind kind_ = kLong;
    int32_t number_ = 0;
    std::string text_;
};

class TvPropertyMap {
public:
    TvPropertyMap() = default;
    TvPropertyMap(uint16_t id, TvPropValue value) { SetAt(id, std::move(value)); }

    // A value already under the id is replaced (its position kept).
    void SetAt(uint16_t id, TvPropValue value) { map_.SetAt(id, std::move(value)); }
    void SetLong(uint16_t id, int32_t v) { SetAt(id, TvPropValue::Long(v)); }
    void SetShort(uint16_t id, int16_t v) { SetAt(id, TvPropValue::Short(v)); }
    void SetString(uint16_t id, std::string s) { SetAt(id, TvPropValue::String(std::move(s))); }

    const TvPropValue* Lookup(uint16_t id) const { return map_.Lookup(id); }
    bool RemoveKey(uint16_t id) { return map_.RemoveKey(id); }
    void RemoveAll() { map_.RemoveAll(); }
    size_t size() const { return map_.size(); }
    bool empty() const { return map_.empty(); }

    // The first entry of the iteration order (null when empty).
    const std::pair<uint16_t, TvPropValue>* GetFirst() const
    {
        auto it = map_.begin();
        return it == map_.end() ? nullptr : &*it;
    }

    // for (const auto& [id, value] : map)
    auto begin() const { return map_.begin(); }
    auto end() const { return map_.end(); }

private:
    BucketMap<uint16_t, TvPropValue> map_;
};

} // namespace nv
