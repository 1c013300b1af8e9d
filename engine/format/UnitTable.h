#pragma once
// The engine's measurement units. Every length in the model is an integer in
// document units of 1/1,440,000 inch; these convert user units to and from
// them, and hold the engine's fixed conversions and grid snapping.
#include <cstdint>
#include <string>

namespace nv {

constexpr int32_t kDocUnitsPerInch = 1440000;
constexpr int32_t kDocUnitsPerPoint = 20000;
constexpr int32_t kDocUnitsPerTwip = 1000;

// Unit ids of the table.
enum : int32_t {
    UNIT_MM = 2,
    UNIT_CENTIMM = 3,
    UNIT_INCH = 4,
    UNIT_POINT = 5,
    UNIT_TWIPS = 6,
    UNIT_CPI = 7,
    UNIT_LPI = 8,
    UNIT_CENTIINCH = 9,
    UNIT_DECIMM = 10,
    UNIT_DECIPOINT = 11,
    UNIT_DECICPI = 12,
    UNIT_DECILPI = 13,
    UNIT_CENTIPOINT = 14,
    UNIT_PIXEL = 15,
    UNIT_NONE = 16,
    UNIT_MICROMM = 17,
};

struct UnitRow {
    const char* name; // CP932
    int32_t id;
    int32_t decimals; // digits shown after the decimal point
    double factor;
    // 1: v units are v * factor document units; 0: a reciprocal unit
    // (characters or lines per inch), v stands for factor / v.
    int32_t multiply;
};

constexpr int kUnitCount = 16;

// The sixteen rows in their search order.
const UnitRow* UnitRows();

// The row with that id, or nullptr for an id the table does not hold.
const UnitRow* FindUnit(int32_t id);

// Throws CAppException 30008 when check is set and x is outside the signed
// 32-bit range or not a number; returns x.
double CheckRange(double x, bool check);

// Double to 32 bits rounding half away from zero (RoundToLong); out of range
// saturates and NaN gives 0, so an unchecked overflow is never undefined.
// TruncToInt32 (engine/core/EngineMath.h) is the truncating twin.
int32_t RoundToInt32(double x);

// The conversions throw CAppException for an id not in the table.
int32_t UnitToInternal(int32_t value, int32_t unitId, bool check);
int32_t InternalToUnit(int32_t value, int32_t unitId, bool check);
int32_t ConvertUnit(int32_t toUnitId, int32_t value, int32_t fromUnitId, bool check);

// Rounds value to a multiple of step: mode -1 down, 0 to nearest (halves
// upward), anything else up. count, when given, receives the multiple. A step
// of 0 means no grid: the value comes back unchanged with a count of 0.
int32_t SnapToGrid(int32_t value, int32_t step, int mode, int32_t* count = nullptr);

// a / b rounded half away from zero; 0 when b is 0.
int32_t DivRound(int32_t a, int32_t b);

int32_t DocToPoints(int32_t v);        // whole points, integer division
int32_t DocToCentiPoints(int32_t v);   // hundredths of a point, rounded
double DocToPointsRounded(double v);   // points, rounded
int32_t DocToPointsRounded(int32_t v);
double InchesToDoc(double v);          // rounded
int32_t InchesToDoc(int32_t v);
int32_t TwipsToDoc(int32_t v);
int32_t PixelsToDoc(int32_t v, int32_t resolution); // 0 for a resolution of 0
double DocToHimetric(double v);        // hundredths of a millimetre, truncated
int32_t DocToHimetric(int32_t v);
int32_t TimesFifth(int32_t v);         // truncated
int32_t TimesFive(double v);           // rounded

} // namespace nv
