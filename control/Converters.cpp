#include "control/Converters.h"
#include "control/ControlErrors.h"
#include "control/typelib/TvlEnums.h"

#include <cmath>

namespace nv {

namespace {

using Row = std::pair<int32_t, int32_t>;

constexpr Row kUnitRows[] = {{0, 2}, {1, 3}, {2, 11}, {3, 9}, {4, 6}, {5, 12}, {6, 13}};
constexpr Row kBarcodeRows[] = {{0, 5}, {1, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 6}};
constexpr Row kDirectionRows[] = {{0, 1}, {1, 3}, {2, 2}, {3, 4}};
constexpr Row kAlignmentRows[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}};
constexpr Row kFillRows[] = {{0, 0}, {1, 1}, {2, 8},  {3, 9},  {4, 10}, {5, 11}, {6, 12},
                             {7, 13}, {8, 2}, {9, 3}, {10, 4}, {11, 5}, {12, 6}, {13, 7}};
constexpr Row kLineStyleRows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
constexpr Row kArcRows[] = {{0, 1}, {1, 2}, {2, 3}};
constexpr Row kPolyRows[] = {{0, 2}, {1, 1}};
constexpr Row kRatioRows[] = {{0, 0}, {1, 1}};
constexpr Row kDecorateRows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 7}, {7, 6}};
constexpr Row kBarAdjustRows[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}};
constexpr Row kAngleRows[] = {{0, 0}, {-1, 9000}, {-2, 18000}, {-3, 27000}};

constexpr FormPaper kPapers[] = {
    {0, "A3", 8, 16837795, 23811023},   {1, "B4", 12, 14570078, 20636220},
    {2, "A4", 9, 11905511, 16837795},   {3, "B5", 13, 10318110, 14570078},
    {4, "A5", 11, 8390551, 11905511},   {5, "はがき", 43, 5669291, 8390551},
    {256, "不定形", 256, 0, 0},
};

} // namespace

const ConverterPair kUnitConverter{"tvlUnit", kUnitRows, tvlUnitMm100, 20011};
const ConverterPair kBarcodeTypeConverter{"tvlBarcodeType", kBarcodeRows, tvlBarcodeNw7, 20033};
const ConverterPair kDirectionConverter{"tvlDirection", kDirectionRows, tvlDirectionLtoR, 20010};
const ConverterPair kAlignmentConverter{"tvlAlignment", kAlignmentRows, tvlAlignLeft, 20039};
const ConverterPair kFillPatternConverter{"tvlFillPattern", kFillRows, tvlFillNone, 20015};
const ConverterPair kLineStyleConverter{"tvlLineStyle", kLineStyleRows, tvlLineNone, 20014};
const ConverterPair kArcTypeConverter{"tvlArcType", kArcRows, tvlArcArc, 20028};
const ConverterPair kPolyTypeConverter{"tvlPolyType", kPolyRows, tvlPolyPoly, 20038};
const ConverterPair kCharacterRatioConverter{"tvlCharacterRatio", kRatioRows, tvlCharacterRatio2to1, 20019};
const ConverterPair kDecorateLineConverter{"tvlDecorateLine", kDecorateRows, tvlDecorateLineNone, 20021};
const ConverterPair kBarAdjustConverter{"tvlBarAdjust", kBarAdjustRows, tvlBarAdjustDefault, 20022};
const ConverterPair kAngleConverter{"tvlAngle", kAngleRows, tvlAngle0, 20024, &AngleFromEngine};

int32_t ConverterPair::ToEngine(int32_t value) const
{
    for (const Row& r : rows)
        if (r.first == value) return r.second;
    return kNotInRow;
}

int32_t ConverterPair::FromEngine(int32_t engineValue) const
{
    if (fromEngineRule) return fromEngineRule(engineValue);
    for (const Row& r : rows)
        if (r.second == engineValue) return r.first;
    return fromEngineDefault;
}

std::span<const ConverterPair* const> ConverterPairs()
{
    static const ConverterPair* const all[] = {
        &kUnitConverter,     &kBarcodeTypeConverter, &kDirectionConverter,      &kAlignmentConverter,
        &kFillPatternConverter, &kLineStyleConverter, &kArcTypeConverter,       &kPolyTypeConverter,
        &kCharacterRatioConverter, &kDecorateLineConverter, &kBarAdjustConverter, &kAngleConverter};
    return all;
}

int32_t ToEngineOrThrow(const ConverterPair& pair, int32_t value, ConvertSite site)
{
    int32_t v = pair.ToEngine(value);
    if (v == kNotInRow)
        ThrowControlError(site == ConvertSite::PropertySetter ? kErrInvalidProperty : kErrInvalidValue, pair.errorId);
    return v;
}

int32_t AngleFromEngine(int32_t angle)
{
    int32_t r = angle % 36000;
    int64_t q = std::llround(double(r) / 9000.0);
    int64_t d = (q * 90) % 360;
    if (d < 0) d += 360;
    switch (d) {
    case 90: return tvlAngle90;
    case 180: return tvlAngle180;
    case 270: return tvlAngle270;
    default: return tvlAngle0;
    }
}

int32_t LayerModeFromEngine(int32_t engineMode)
{
    return engineMode == 2 ? tvlLayerModeLP : tvlLayerModeAP;
}

int32_t OrientationFromDevMode(int32_t dmOrientation)
{
    return dmOrientation == 2 ? tvlOrientHorizontal : tvlOrientVertical;
}

int32_t ObjectTypeFromEngine(int32_t typeCode)
{
    switch (typeCode) {
    case 2: return tvlLine;
    case 3: return tvlBox;
    case 4: return tvlCircle;
    case 5: return tvlArc;
    case 6: return tvlPolygon;
    case 7: return tvlPicture;
    case 8: return tvlData;
    case 9: return tvlBarcode;
    case 10: return tvlList;
    case 11: return tvlText;
    case 12: return tvlImage;
    case 13: return tvlOle;
    default: return tvlLabel;
    }
}

std::span<const FormPaper> FormPaperTable()
{
    return kPapers;
}

int32_t FormPaperCode(int32_t paperNumber)
{
    for (const FormPaper& p : kPapers)
        if (p.number == paperNumber) return p.code;
    return tvlPaperUser;
}

} // namespace nv
