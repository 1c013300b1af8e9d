#include "control/PropertyAccess.h"

#include <array>
#include <cstddef>

namespace nv {

namespace {

constexpr uint8_t AP = kModeAp;
constexpr uint8_t LP = kModeLp;
constexpr uint8_t BOTH = kModeAp | kModeLp;
using C = PropConv;
using E = EnumKind;

constexpr PropertyAccess P(int32_t dispid, const char* name, uint8_t modes, uint16_t id, PropConv conv,
                           bool readOnly = false, int32_t onlyType = 0)
{
    return {dispid, name, modes, id, conv, E::None, readOnly, 0, onlyType, 0, 0,
            conv == C::String || conv == C::FontName};
}
constexpr PropertyAccess En(int32_t dispid, const char* name, uint8_t modes, uint16_t id, EnumKind kind,
                            int32_t error, bool readOnly = false)
{
    return {dispid, name, modes, id, C::Enum, kind, readOnly, error, 0, 0, 0, false};
}

// By table index: DISPID - 1 for 1-77, then BarSize, ListText, ListColumns,
// ListRows and the two cell entries EndColumn and EndRow use.
constexpr std::array<PropertyAccess, kAccessCount> kTable = {{
    {1, "Name", BOTH, 0, C::None, E::None, true, 0, 0, 0, 0, true},
    {2, "Text", BOTH, 0, C::None, E::None, false, 0, 0, 0, 0, true},
    P(3, "ObjectType", BOTH, 0, C::None, true),
    P(4, "Visible", BOTH, 1000, C::Bool),
    P(5, "Transparent", BOTH, 3, C::Bool),
    P(6, "BackColor", BOTH, 2, C::Color),
    En(7, "FillPattern", BOTH, 8, E::Fill, 20015),
    {8, "FillColor", BOTH, 7, C::Color, E::None, false, 0, 0, 9, 0, false},
    En(9, "LineStyle", BOTH, 10, E::LineStyle, 20014),
    P(10, "LineWidth", BOTH, 9, C::Length),
    P(11, "LineColor", BOTH, 11, C::Color),
    P(12, "StartX", AP, 4, C::Position),
    P(13, "StartY", AP, 5, C::Position),
    P(14, "EndX", AP, 33, C::Position),
    P(15, "EndY", AP, 34, C::Position),
    P(16, "Width", AP, 13, C::Length),
    P(17, "Height", AP, 14, C::Length),
    P(18, "RoundSize", AP, 15, C::Length),
    P(19, "Frame", BOTH, 12, C::Bool),
    P(20, "CenterX", AP, 117, C::Position),
    P(21, "CenterY", AP, 118, C::Position),
    P(22, "RadiusX", AP, 119, C::Length),
    P(23, "RadiusY", AP, 120, C::Length),
    En(24, "ArcType", AP, 27, E::Arc, 20028),
    P(25, "StartAngle", AP, 39, C::Plain),
    P(26, "EndAngle", AP, 40, C::Plain),
    En(27, "PolyType", AP, 30, E::Poly, 20038),
    P(28, "PolyCount", AP, 121, C::Plain, true),
    En(29, "BarcodeType", AP, 28, E::BarcodeType, 0, true),
    P(30, "CheckDigit", AP, 29, C::Bool, true),
    En(31, "Direction", BOTH, 31, E::Direction, 20010),
    P(32, "Embed", AP, 60, C::Bool, true),
    P(33, "FileName", AP, 69, C::String),
    En(34, "Angle", AP, 41, E::Angle, 20024),
    En(35, "Alignment", BOTH, 26, E::Alignment, 20039),
    P(36, "Wordlap", AP, 42, C::Bool),
    P(37, "Kinsoku", AP, 43, C::Bool),
    P(38, "Format", BOTH, 38, C::String, true),
    P(39, "ReplaceCharacter", BOTH, 36, C::String),
    P(40, "ZenFontName", BOTH, 54, C::FontName),
    P(41, "ZenFontHeight", AP, 59, C::FontSize),
    P(42, "ZenFontWidth", AP, 58, C::FontSize),
    P(43, "ZenCharacterPitch", AP, 51, C::Length),
    P(44, "HanFontName", BOTH, 55, C::FontName),
    P(45, "HanFontHeight", AP, 57, C::FontSize),
    P(46, "HanFontWidth", AP, 56, C::FontSize),
    P(47, "HanCharacterPitch", AP, 52, C::Length),
    P(48, "Bold", BOTH, 20, C::Bool),
    P(49, "Italic", BOTH, 21, C::Bool),
    P(50, "DefaultPitch", AP, 48, C::Bool),
    P(51, "LinePitch", AP, 53, C::Length),
    {52, "TextColor", BOTH, 1, C::Color, E::None, false, 0, 0, 2, 3, false},
    P(53, "Column", LP, 4, C::CellX),
    P(54, "Row", LP, 5, C::CellY),
    P(55, "ColumnWidth", LP, 13, C::CellW),
    P(56, "RowHeight", LP, 14, C::CellH),
    P(57, "MarginTop", AP, 50, C::Length),
    P(58, "MarginBottom", AP, 99, C::Length),
    P(59, "MarginLeft", AP, 49, C::Length),
    P(60, "MarginRight", AP, 98, C::Length),
    P(61, "AutoLineFeed", AP, 47, C::Bool),
    P(62, "Reverse", BOTH, 46, C::Bool),
    En(63, "CharacterRatio", LP, 91, E::CharRatio, 20019),
    P(64, "OleObject", AP, 0, C::None, true, 13),
    P(65, "FieldNumber", BOTH, 122, C::Plain, true),
    P(66, "AfterString", BOTH, 97, C::String),
    P(67, "BeforeString", BOTH, 96, C::String),
    P(68, "Comma", BOTH, 104, C::Bool, true),
    En(69, "UnderLine", BOTH, 23, E::DecoLine, 20021),
    P(70, "UnderLineColor", BOTH, 44, C::Color),
    En(71, "DeleteLine", BOTH, 22, E::DecoLine, 20021),
    P(72, "DeleteLineColor", BOTH, 45, C::Color),
    P(73, "BarcodeColor", AP, 7, C::Color, false, 9),
    En(74, "AdjustType", AP, 92, E::BarAdjust, 20022),
    P(75, "BarWidth", AP, 105, C::Plain),
    P(76, "BarAdjust", AP, 106, C::Plain),
    P(77, "StandardSize", AP, 107, C::Bool),
    P(84, "BarSize", AP, 109, C::Plain, false, 9),
    P(85, "ListText", AP, 125, C::String, false, 10),
    P(78, "ListColumns", AP, 123, C::Plain, true),
    P(79, "ListRows", AP, 124, C::Plain, true),
    P(80, "Column", LP, 33, C::CellX, false, 2),
    P(81, "Row", LP, 34, C::CellY, false, 2),
}};

} // namespace

const PropertyAccess* AccessByIndex(int32_t index)
{
    if (index < 0 || index >= kAccessCount) return nullptr;
    return &kTable[static_cast<std::size_t>(index)];
}

int32_t AccessIndexOfDispid(int32_t dispid)
{
    if (dispid >= 1 && dispid <= 77) return dispid - 1;
    switch (dispid) {
    case 78: return kAccessListColumns;
    case 79: return kAccessListRows;
    case 80: return kAccessColumn;
    case 81: return kAccessRow;
    case 84: return kAccessBarSize;
    case 85: return kAccessListText;
    default: return -1;
    }
}

const PropertyAccess* AccessByDispid(int32_t dispid) { return AccessByIndex(AccessIndexOfDispid(dispid)); }

} // namespace nv
