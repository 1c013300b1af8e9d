#pragma once
// Small numeric and text helpers of the engine.
#include <cstdint>

namespace nv {

// Rounds half away from zero and truncates to 64 bits (out-of-range values
// and NaN are clamped / give 0 rather than being undefined).
int64_t RoundToLong(double v);

// Truncates toward zero into the 32-bit range (clamped; NaN gives 0).
int32_t TruncToInt32(double v);

// Non-zero for a CP932 lead byte, with *length 2; else 0 and *length 1.
// Uses the fixed CP932 ranges, never the process locale.
int IsLeadByte(unsigned char b, int* length = nullptr);

} // namespace nv
