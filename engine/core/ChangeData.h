#pragma once
// One recorded property change, and the list that collects them.
#include "engine/core/CObject.h"
#include "engine/core/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

class CChangeData : public CObject {
    NV_DECLARE_SERIAL(CChangeData)
public:
    enum ValueType : uint16_t {
        typeNone = 0,
        typeShort = 1,
        typeLong = 2,
        typeBytes = 3, // a string with its terminating zero, or a byte block
        typeRect = 4,
        typeFile = 7,  // the file name of an embedded file (the store writes the contents)
    };

    CChangeData() = default;
    CChangeData(uint16_t id, int32_t value);
    CChangeData(uint16_t id, int16_t value);
    explicit CChangeData(const Rect& rect); // id 0
    // A byte block of the given type (3 or 7), stored as given.
    CChangeData(uint16_t id, uint16_t type, std::string bytes);
    // A string of type 3 (or 7) stored with its terminating zero.
    static std::unique_ptr<CChangeData> FromString(uint16_t id, std::string_view s, uint16_t type = typeBytes);

    void Serialize(Archive& ar, uint32_t schema) override;

    uint16_t m_nPropId = 0;
    uint16_t m_nType = typeNone;
    uint32_t Size() const { return static_cast<uint32_t>(m_value.size()); }
    // The raw value bytes (little-endian numbers, strings with their zero).
    const std::string& Value() const { return m_value; }

    int16_t GetShort() const;
    int32_t GetLong() const;      // a short is sign-extended
    std::string GetString() const; // up to the first zero, never past the block
    Rect GetRect() const;

    std::string m_value;
};

// Change records collected by the setters of one SetProperties call.
class TvChangeList {
public:
    TvChangeList() = default;
    TvChangeList(const TvChangeList&) = delete;
    TvChangeList& operator=(const TvChangeList&) = delete;
    TvChangeList(TvChangeList&&) = default;
    TvChangeList& operator=(TvChangeList&&) = default;

    // 1 (default): records the value before the change (undo); 0 the new value.
    bool m_bRecordOld = true;

    void Add(std::unique_ptr<CChangeData> c) { items_.push_back(std::move(c)); }
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    CChangeData& operator[](size_t i) { return *items_[i]; }
    const CChangeData& operator[](size_t i) const { return *items_[i]; }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    void clear() { items_.clear(); }
    std::vector<std::unique_ptr<CChangeData>>& Items() { return items_; }

private:
    std::vector<std::unique_ptr<CChangeData>> items_;
};

} // namespace nv
