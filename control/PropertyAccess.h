#pragma once
// The object property access table: for each ITvObject member by dispatch
// id, the layer modes it is allowed in, the engine property behind it, how
// the value converts, and what may refuse it.
#include <cstdint>

namespace nv {

enum class PropConv : uint8_t {
    None,      // handled by its own member
    Plain,     // the engine value as it is
    Positive,  // as it is, greater than 0 (else the entry's set error)
    Bool,      // 0/1 in the engine, 0/-1 to the host
    Color,     // set through TranslateColor
    Position,  // Unit <-> document units, negatives allowed
    Length,    // Unit <-> document units, never negative
    Enum,      // a converter pair of the vocabulary
    String,
    FontName,  // font id <-> face name
    FontSize,  // Unit <-> 1/100 point, checked 0 (or 1) to 20000
    CellX,     // x <-> column of the layer grid
    CellY,     // y <-> row
    CellW,     // width <-> columns
    CellH,     // height <-> rows
};

enum class EnumKind : uint8_t {
    None, Fill, LineStyle, Arc, Poly, BarcodeType, Direction, Angle, Alignment, CharRatio, DecoLine, BarAdjust
};

struct PropertyAccess {
    int32_t dispid;
    const char* name;
    uint8_t modes;      // 1 AP, 2 LP
    uint16_t engineId;  // 0: none
    PropConv conv;
    EnumKind enumKind;
    bool readOnly;
    int32_t setError;   // text id of a refused value
    int32_t onlyType;   // the one engine type code allowed, 0 any
    int32_t refusedType1, refusedType2;
    bool isString;
};

enum : uint8_t { kModeAp = 1, kModeLp = 2 };
// The engine layer mode of free placement; any other is the line-printer grid.
inline constexpr int32_t kLayerModeAp = 1;

// Table indexes: DISPID - 1 for the first members, then those that are not.
enum : int32_t {
    kAnyAccess = -1, // no member: the object need only be attached
    kAccessName = 0,
    kAccessText = 1,
    kAccessObjectType = 2,
    kAccessBarSize = 77,
    kAccessListText = 78,
    kAccessListColumns = 79,
    kAccessListRows = 80,
    kAccessColumn = 81,
    kAccessRow = 82,
    kAccessCount = 83,
};

// The entry at a table index (0-82); null outside.
const PropertyAccess* AccessByIndex(int32_t index);
// The table index of a dispatch id (-1 for the methods, which have none).
int32_t AccessIndexOfDispid(int32_t dispid);
// The entry of a dispatch id (BarSize, ListText and the cell members
// included); null for ids without one.
const PropertyAccess* AccessByDispid(int32_t dispid);

// The vocabulary's converter pair of a kind: host value to engine value
// (-999 outside the enumeration) and back.
int32_t EnumToEngine(EnumKind kind, int32_t value);
int32_t EnumFromEngine(EnumKind kind, int32_t value);

} // namespace nv
