#include "engine/format/UnitTable.h"

#include "engine/core/AppException.h"
#include "engine/core/EngineMath.h"
#include "platform/core/Cp932.h"

#include <cmath>
#include <limits>

namespace nv {

namespace {

// Names are CP932 bytes.
const UnitRow kUnits[kUnitCount] = {
    {"\x83~\x83\x8A", UNIT_MM, 2, 56692.913385826774, 1},                        // mm
    {"\x83" "C\x83\x93\x83`", UNIT_INCH, 3, 1440000.0, 1},                       // inch
    {"\x83|\x83" "C\x83\x93\x83g", UNIT_POINT, 2, 20000.0, 1},                   // point
    {"1/100\x83~\x83\x8A", UNIT_CENTIMM, 0, 566.9291338582677, 1},
    {"TWIPS", UNIT_TWIPS, 0, 1000.0, 1},
    {"LPI", UNIT_LPI, 2, 1440000.0, 0},
    {"CPI", UNIT_CPI, 2, 1440000.0, 0},
    {"1/10\x83~\x83\x8A", UNIT_DECIMM, 0, 5669.291338582677, 1},
    {"1/10\x83|\x83" "C\x83\x93\x83g", UNIT_DECIPOINT, 0, 2000.0, 1},
    {"1/100\x83" "C\x83\x93\x83`", UNIT_CENTIINCH, 0, 14400.0, 1},
    {"1/10CPI", UNIT_DECICPI, 2, 14400000.0, 0},
    {"1/10LPI", UNIT_DECILPI, 2, 14400000.0, 0},
    {"1/100\x83|\x83" "C\x83\x93\x83g", UNIT_CENTIPOINT, 0, 200.0, 1},
    {"\x83s\x83N\x83Z\x83\x8B", UNIT_PIXEL, 0, 1.0, 1},                          // pixel
    {"\x95\xCF\x8A\xB7\x96\xB3\x82\xB5", UNIT_NONE, 0, 1.0, 1},                  // no conversion
    {"1/1000\x83~\x83\x8A", UNIT_MICROMM, 0, 56.69291338582677, 1},
};

const UnitRow& RowOrThrow(int32_t id)
{
    const UnitRow* row = FindUnit(id);
    if (!row) ThrowAppExceptionText(Utf8ToCp932Lossy("単位の番号 %d はありません。"), id);
    return *row;
}

constexpr double kMinLong = -2147483648.0;
constexpr double kMaxLong = 2147483647.0;

} // namespace

const UnitRow* UnitRows() { return kUnits; }

const UnitRow* FindUnit(int32_t id)
{
    for (const UnitRow& row : kUnits)
        if (row.id == id) return &row;
    return nullptr;
}

double CheckRange(double x, bool check)
{
    if (check && !(x >= kMinLong && x <= kMaxLong)) ThrowAppException(IDS_UNIT_OVERFLOW);
    return x;
}

int32_t RoundToInt32(double x)
{
    const int64_t r = RoundToLong(x);
    if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

int32_t UnitToInternal(int32_t value, int32_t unitId, bool check)
{
    const UnitRow& u = RowOrThrow(unitId);
    if (u.multiply) return TruncToInt32(CheckRange(value * u.factor, check));
    if (value == 0) return 0;
    return RoundToInt32(CheckRange(u.factor / value, check));
}

int32_t InternalToUnit(int32_t value, int32_t unitId, bool check)
{
    const UnitRow& u = RowOrThrow(unitId);
    if (u.multiply) return RoundToInt32(CheckRange(value / u.factor, check));
    if (value == 0) return 0;
    return RoundToInt32(CheckRange(u.factor / value, check));
}

int32_t ConvertUnit(int32_t toUnitId, int32_t value, int32_t fromUnitId, bool check)
{
    const UnitRow& from = RowOrThrow(fromUnitId);
    const UnitRow& to = RowOrThrow(toUnitId);
    double x;
    if (from.multiply)
        x = value * from.factor;
    else
        x = value == 0 ? 0.0 : from.factor / value;
    double r;
    if (to.multiply)
        r = x / to.factor;
    else
        r = x == 0.0 ? 0.0 : to.factor / x;
    return RoundToInt32(CheckRange(r, check));
}

int32_t SnapToGrid(int32_t value, int32_t step, int mode, int32_t* count)
{
    if (step == 0) {
        if (count) *count = 0;
        return value;
    }
    double q = static_cast<double>(value) / step;
    double n;
    if (mode == -1)
        n = std::floor(q);
    else if (mode == 0)
        n = std::floor(q + 0.5);
    else
        n = std::ceil(q);
    if (count) *count = TruncToInt32(n);
    return TruncToInt32(step * n);
}

int32_t DivRound(int32_t a, int32_t b)
{
    if (b == 0) return 0;
    return RoundToInt32(static_cast<double>(a) / b);
}

int32_t DocToPoints(int32_t v) { return v / kDocUnitsPerPoint; }
int32_t DocToCentiPoints(int32_t v) { return RoundToInt32(v * 0.005); }
double DocToPointsRounded(double v) { return static_cast<double>(RoundToLong(v * 0.00005)); }
int32_t DocToPointsRounded(int32_t v) { return RoundToInt32(v * 0.00005); }
double InchesToDoc(double v) { return static_cast<double>(RoundToLong(v * 1440000.0)); }
int32_t InchesToDoc(int32_t v) { return RoundToInt32(v * 1440000.0); }
int32_t TwipsToDoc(int32_t v) { return TruncToInt32(v * 1000.0); }

int32_t PixelsToDoc(int32_t v, int32_t resolution)
{
    if (resolution == 0) return 0;
    return TruncToInt32(v * 1440.0 / resolution * 1000.0);
}

double DocToHimetric(double v) { return std::trunc(v * 0.0017638888888888888); }
int32_t DocToHimetric(int32_t v) { return TruncToInt32(v * 0.0017638888888888888); }
int32_t TimesFifth(int32_t v) { return TruncToInt32(v * 0.2); }
int32_t TimesFive(double v) { return RoundToInt32(v * 5.0); }

} // namespace nv
