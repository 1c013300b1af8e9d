#pragma once
// Small numeric and text helpers of the engine.
#include <cstdint>
#include <string_view>

namespace nv {

// Rounds half away from zero and truncates to 64 bits (out-of-range values
// and NaN are clamped / give 0 rather than being undefined).
int64_t RoundToLong(double v);

// Truncates toward zero into the 32-bit range (clamped; NaN gives 0).
int32_t TruncToInt32(double v);

// The whole number a text starts with, as the C library's atol reads it
// (leading white space, a sign, digits) but without its undefined overflow:
// past 17 digits the value stops growing.
int64_t ParseLeadingLong(std::string_view text);
// The same held to the 32-bit range, as atoi would give it.
int32_t ParseLeadingInt(std::string_view text);

// Non-zero for a CP932 lead byte, with *length 2; else 0 and *length 1.
// Uses the fixed CP932 ranges, never the process locale.
int IsLeadByte(unsigned char b, int* length = nullptr);

} // namespace nv
