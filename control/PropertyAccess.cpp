#include "control/PropertyAccess.h"

#include "engine/core/PropertyIds.h"

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
    P(4, "Visible", BOTH, propVisible, C::Bool),
    P(5, "Transparent", BOTH, propTransparent, C::Bool),
    P(6, "BackColor", BOTH, propBackColor, C::Color),
    En(7, "FillPattern", BOTH, propFillStyle, E::Fill, 20015),
    {8, "FillColor", BOTH, propFillColor, C::Color, E::None, false, 0, 0, 9, 0, false},
    En(9, "LineStyle", BOTH, propLineStyle, E::LineStyle, 20014),
    P(10, "LineWidth", BOTH, propLineWidth, C::Length),
    P(11, "LineColor", BOTH, propLineColor, C::Color),
    P(12, "StartX", AP, propAnchorX, C::Position),
    P(13, "StartY", AP, propAnchorY, C::Position),
    P(14, "EndX", AP, propEndX, C::Position),
    P(15, "EndY", AP, propEndY, C::Position),
    P(16, "Width", AP, propWidth, C::Length),
    P(17, "Height", AP, propHeight, C::Length),
    P(18, "RoundSize", AP, propRoundSize, C::Length),
    P(19, "Frame", BOTH, propFrame, C::Bool),
    P(20, "CenterX", AP, propCenterX, C::Position),
    P(21, "CenterY", AP, propCenterY, C::Position),
    P(22, "RadiusX", AP, propRadiusX, C::Length),
    P(23, "RadiusY", AP, propRadiusY, C::Length),
    En(24, "ArcType", AP, propArcType, E::Arc, 20028),
    P(25, "StartAngle", AP, propStartAngle, C::Plain),
    P(26, "EndAngle", AP, propEndAngle, C::Plain),
    En(27, "PolyType", AP, propPolyType, E::Poly, 20038),
    P(28, "PolyCount", AP, propPolyCount, C::Plain, true),
    En(29, "BarcodeType", AP, propSymbology, E::BarcodeType, 0, true),
    P(30, "CheckDigit", AP, propCheckDigit, C::Bool, true),
    En(31, "Direction", BOTH, propDirection, E::Direction, 20010),
    P(32, "Embed", AP, propEmbedded, C::Bool, true),
    P(33, "FileName", AP, propFileName, C::String),
    En(34, "Angle", AP, propAngle, E::Angle, 20024),
    En(35, "Alignment", BOTH, propAlign, E::Alignment, 20039),
    P(36, "Wordlap", AP, propWordWrap, C::Bool),
    P(37, "Kinsoku", AP, propKinsoku, C::Bool),
    P(38, "Format", BOTH, propPicture, C::String, true),
    P(39, "ReplaceCharacter", BOTH, propReplaceChar, C::String),
    P(40, "ZenFontName", BOTH, propZenFont, C::FontName),
    P(41, "ZenFontHeight", AP, propZenHeight, C::FontSize),
    P(42, "ZenFontWidth", AP, propZenWidth, C::FontSize),
    P(43, "ZenCharacterPitch", AP, propZenPitch, C::Length),
    P(44, "HanFontName", BOTH, propHanFont, C::FontName),
    P(45, "HanFontHeight", AP, propHanHeight, C::FontSize),
    P(46, "HanFontWidth", AP, propHanWidth, C::FontSize),
    P(47, "HanCharacterPitch", AP, propHanPitch, C::Length),
    P(48, "Bold", BOTH, propBold, C::Bool),
    P(49, "Italic", BOTH, propItalic, C::Bool),
    P(50, "DefaultPitch", AP, propMeasuredPitch, C::Bool),
    P(51, "LinePitch", AP, propLinePitch, C::Length),
    {52, "TextColor", BOTH, propTextColor, C::Color, E::None, false, 0, 0, 2, 3, false},
    P(53, "Column", LP, propAnchorX, C::CellX),
    P(54, "Row", LP, propAnchorY, C::CellY),
    P(55, "ColumnWidth", LP, propWidth, C::CellW),
    P(56, "RowHeight", LP, propHeight, C::CellH),
    P(57, "MarginTop", AP, propMarginTop, C::Length),
    P(58, "MarginBottom", AP, propMarginBottom, C::Length),
    P(59, "MarginLeft", AP, propMarginLeft, C::Length),
    P(60, "MarginRight", AP, propMarginRight, C::Length),
    P(61, "AutoLineFeed", AP, propAutoLineFeed, C::Bool),
    P(62, "Reverse", BOTH, propReverse, C::Bool),
    En(63, "CharacterRatio", LP, propCharRatio, E::CharRatio, 20019),
    P(64, "OleObject", AP, 0, C::None, true, 13),
    P(65, "FieldNumber", BOTH, propFieldNumber, C::Plain, true),
    P(66, "AfterString", BOTH, propAfter, C::String),
    P(67, "BeforeString", BOTH, propBefore, C::String),
    P(68, "Comma", BOTH, propComma, C::Bool, true),
    En(69, "UnderLine", BOTH, propUnderline, E::DecoLine, 20021),
    P(70, "UnderLineColor", BOTH, propUnderlineColor, C::Color),
    En(71, "DeleteLine", BOTH, propStrike, E::DecoLine, 20021),
    P(72, "DeleteLineColor", BOTH, propStrikeColor, C::Color),
    P(73, "BarcodeColor", AP, propFillColor, C::Color, false, 9),
    En(74, "AdjustType", AP, propBarWidthMode, E::BarAdjust, 20022),
    {75, "BarWidth", AP, propSecondWidth, C::Positive, E::None, false, 20041, 0, 0, 0, false},
    P(76, "BarAdjust", AP, propFirstWidth, C::Plain),
    P(77, "StandardSize", AP, propStandardHeight, C::Bool),
    P(84, "BarSize", AP, propBarWidthFirst, C::Plain, false, 9),
    P(85, "ListText", AP, propCellText, C::String, false, 10),
    P(78, "ListColumns", AP, propColumns, C::Plain, true),
    P(79, "ListRows", AP, propRows, C::Plain, true),
    P(80, "Column", LP, propEndX, C::CellX, false, 2),
    P(81, "Row", LP, propEndY, C::CellY, false, 2),
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
