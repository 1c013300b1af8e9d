#include "control/UnitConversion.h"

#include "control/ControlErrors.h"
#include "engine/core/Exceptions.h"
#include "engine/format/UnitTable.h"

#include <cmath>
#include <stdexcept>

namespace nv {

namespace {

constexpr int32_t kCoordinateError = 20040;

[[noreturn]] void Refuse() { ThrowControlError(kErrInvalidProperty, kCoordinateError); }

const UnitRow& Row(int32_t unit)
{
    const UnitRow* row = FindUnit(unit);
    if (!row) Refuse();
    return *row;
}

// The table's rule in double precision: multiples truncate, reciprocal
// units round half away from zero.
double ToDoc(int64_t value, const UnitRow& row)
{
    const double v = static_cast<double>(value);
    if (row.multiply) return std::trunc(v * row.factor);
    if (value == 0) return 0;
    return std::round(row.factor / v);
}

} // namespace

int32_t DocToUnit(int32_t doc, int32_t engineUnit)
{
    try {
        return InternalToUnit(doc, engineUnit, true);
    } catch (const CException&) {
        Refuse();
    }
}

int32_t CheckDocValue(int64_t doc, SignRule sign)
{
    if (doc > kMaxDocCoordinate || doc < -kMaxDocCoordinate) Refuse();
    if (doc < 0 && sign == SignRule::NonNegative) Refuse();
    return static_cast<int32_t>(doc);
}

int32_t UnitToDoc(int64_t value, int32_t engineUnit, SignRule sign)
{
    if (value < 0 && sign == SignRule::NonNegative) Refuse();
    const double doc = ToDoc(value, Row(engineUnit));
    if (!(std::fabs(doc) <= static_cast<double>(kMaxDocCoordinate))) Refuse();
    return CheckDocValue(static_cast<int64_t>(doc), sign);
}

int32_t ConvertUnits(int32_t toUnit, int64_t value, int32_t fromUnit)
{
    if (value < INT32_MIN || value > INT32_MAX) Refuse();
    try {
        return ConvertUnit(toUnit, static_cast<int32_t>(value), fromUnit, true);
    } catch (const CException&) {
        Refuse();
    }
}

} // namespace nv
