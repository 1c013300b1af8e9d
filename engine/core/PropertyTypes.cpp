#include "engine/core/PropertyTypes.h"

#include "engine/core/BucketMap.h"
#include "engine/core/PropertyIds.h"

#include <array>
#include <mutex>

namespace nv {
namespace {

struct Range {
    int32_t first, last, type;
};

constexpr Range kRanges[] = {
    {1, 5, 2},       {6, 6, 3},       {7, 7, 2},       {8, 8, 1},       {9, 9, 2},       {10, 10, 1},
    {11, 18, 2},     {19, 19, 5},     {20, 34, 2},     {35, 38, 3},     {39, 64, 2},     {65, 65, 6},
    {66, 68, 2},     {69, 69, 7},     {70, 70, 3},     {71, 71, 2},     {72, 72, 3},     {73, 95, 2},
    {96, 97, 3},     {98, 121, 2},    {123, 124, 1},   {125, 125, 3},   {126, 127, 2},   {500, 500, 3},
    {501, 507, 2},   {510, 510, 2},   {511, 512, 3},   {515, 515, 2},   {516, 517, 3},   {520, 524, 2},
    {1000, 1000, 2}, {1001, 1001, 3}, {1002, 1002, 7}, {1003, 1006, 2}, {1500, 1501, 2}, {1502, 1511, 1},
    {1512, 1512, 3}, {1513, 1513, 1},
};

constexpr size_t CountIds()
{
    size_t n = 0;
    for (const auto& r : kRanges) n += static_cast<size_t>(r.last - r.first + 1);
    return n;
}

constexpr size_t kCount = CountIds();
static_assert(kCount == 166);

constexpr std::array<PropertyTypeEntry, kCount> MakeTable()
{
    std::array<PropertyTypeEntry, kCount> t{};
    size_t i = 0;
    for (const auto& r : kRanges)
        for (int32_t id = r.first; id <= r.last; ++id) t[i++] = PropertyTypeEntry{id, r.type};
    return t;
}

constexpr std::array<PropertyTypeEntry, kCount> kTable = MakeTable();

const BucketMap<uint32_t, int32_t>& TypeMap()
{
    static const BucketMap<uint32_t, int32_t> map = [] {
        BucketMap<uint32_t, int32_t> m;
        for (const auto& e : kTable) m.SetAt(static_cast<uint32_t>(e.id), e.type);
        return m;
    }();
    return map;
}

void Record(TvChangeList* list, std::unique_ptr<CChangeData> c)
{
    if (list) list->Add(std::move(c));
}

} // namespace

const PropertyTypeEntry* PropertyTypeTable(size_t* count)
{
    if (count) *count = kTable.size();
    return kTable.data();
}

void BuildPropertyTypeMap()
{
    (void)TypeMap();
}

int32_t GetPropertyType(uint32_t id)
{
    const int32_t* t = TypeMap().Lookup(id);
    return t ? *t : 0;
}

void FreePropertyTypeMap() {}

bool IsStringProperty(uint32_t id)
{
    switch (id) {
    case 6: case 35: case 36: case 37: case 38: case 69: case 70: case 72: case 96: case 97: case 125:
    case 500: case 511: case 512: case 516: case 517: case 1001: case 1002: case 1512:
        return true;
    default:
        return false;
    }
}

bool SetShortProp(TvChangeList* list, uint16_t id, int16_t& field, int16_t value)
{
    if (field == value) return false;
    if (list) Record(list, std::make_unique<CChangeData>(id, list->m_bRecordOld ? field : value));
    field = value;
    return true;
}

bool SetLongProp(TvChangeList* list, uint16_t id, int32_t& field, int32_t value)
{
    if (field == value) return false;
    if (list) Record(list, std::make_unique<CChangeData>(id, list->m_bRecordOld ? field : value));
    field = value;
    return true;
}

bool SetLongProp(TvChangeList* list, uint16_t id, uint32_t& field, int32_t value)
{
    int32_t v = static_cast<int32_t>(field);
    const bool changed = SetLongProp(list, id, v, value);
    field = static_cast<uint32_t>(v);
    return changed;
}

bool SetLongProp(TvChangeList* list, uint16_t id, int16_t& field, int32_t value)
{
    int32_t v = field;
    const bool changed = SetLongProp(list, id, v, value);
    field = static_cast<int16_t>(v);
    return changed;
}

bool SetStringProp(TvChangeList* list, uint16_t id, std::string& field, std::string_view value)
{
    if (field == value) return false;
    if (list) {
        const bool recordOld = list->m_bRecordOld;
        const uint16_t type =
            (!recordOld && (id == propFileName || id == propEmbeddedFile)) ? CChangeData::typeFile : CChangeData::typeBytes;
        Record(list, CChangeData::FromString(id, recordOld ? std::string_view(field) : value, type));
    }
    field = std::string(value);
    return true;
}

} // namespace nv
