#pragma once
// Lengths between the control's Unit and document units. Values from the
// host are taken in 64 bits, so that a start plus a size or a cell count
// times the grid is checked, never wrapped.
#include <cstdint>

namespace nv {

// 30,000 mm in document units: the largest magnitude a host may give.
inline constexpr int64_t kMaxDocCoordinate = 1700787401;

enum class SignRule { NonNegative, Any };

// Document units to the engine unit; a unit error raises 0x800A017C / 20040.
int32_t DocToUnit(int32_t doc, int32_t engineUnit);
// The engine unit to document units, then the bound check (0x800A017C /
// 20040 above the bound, or for a negative value where none is allowed).
int32_t UnitToDoc(int64_t value, int32_t engineUnit, SignRule sign);
// Checks a value already in document units the same way.
int32_t CheckDocValue(int64_t doc, SignRule sign);
// Between two units of the unit table (character sizes, paper sizes).
int32_t ConvertUnits(int32_t toUnit, int64_t value, int32_t fromUnit);

} // namespace nv
