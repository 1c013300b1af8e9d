#pragma once
// The value type of every property id, and the change-recording setters.
#include "engine/core/ChangeData.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

enum PropertyValueType : int32_t {
    propTypeNone = 0,   // id not in the table
    propTypeShort = 1,  // 16-bit
    propTypeLong = 2,   // 32-bit
    propTypeString = 3, // string
    propTypeEight = 5,  // eight bytes
    propTypeSpecial = 6, // property 65 only
    propTypeFile = 7,   // embedded file (the value is its name)
};

struct PropertyTypeEntry {
    int32_t id;
    int32_t type;
};

// The table itself, ids ascending (166 entries).
const PropertyTypeEntry* PropertyTypeTable(size_t* count);
// Builds the lookup on first use (thread-safe); later calls do nothing.
void BuildPropertyTypeMap();
// The value type of an id, 0 for an id not in the table.
int32_t GetPropertyType(uint32_t id);
// Kept for callers that free the lookup at exit; the lookup is static.
void FreePropertyTypeMap();

// 1 for the ids of string and embedded-file properties.
bool IsStringProperty(uint32_t id);

// Setters: when the field differs from the new value, append a record (old
// value when list->m_bRecordOld, else the new value) and assign. A null list
// records nothing. They return true when the field changed.
bool SetShortProp(TvChangeList* list, uint16_t id, int16_t& field, int16_t value);
bool SetLongProp(TvChangeList* list, uint16_t id, int32_t& field, int32_t value);
bool SetLongProp(TvChangeList* list, uint16_t id, uint32_t& field, int32_t value);
// A 16-bit field set through the 32-bit setter: widened with its sign,
// recorded as a 32-bit value, narrowed back.
bool SetLongProp(TvChangeList* list, uint16_t id, int16_t& field, int32_t value);
// Strings record their bytes and a terminating zero; with new-value
// recording, ids 69 and 1002 record type 7 (embedded file).
bool SetStringProp(TvChangeList* list, uint16_t id, std::string& field, std::string_view value);

} // namespace nv
