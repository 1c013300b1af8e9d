#include "engine/core/EngineMath.h"

#include "platform/core/Cp932.h"

#include <algorithm>
#include <cmath>

namespace nv {

int64_t RoundToLong(double v)
{
    if (std::isnan(v)) return 0;
    const double r = v > 0 ? v + 0.5 : v - 0.5;
    if (r >= 9223372036854775807.0) return INT64_MAX;
    if (r <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(r);
}

int32_t TruncToInt32(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int64_t ParseLeadingLong(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (v < INT64_C(100000000000000000)) v = v * 10 + (s[i] - '0');
    return neg ? -v : v;
}

int32_t ParseLeadingInt(std::string_view s)
{
    return static_cast<int32_t>(std::clamp<int64_t>(ParseLeadingLong(s), INT32_MIN, INT32_MAX));
}

int IsLeadByte(unsigned char b, int* length)
{
    const bool lead = IsCp932LeadByte(b);
    if (length) *length = lead ? 2 : 1;
    return lead ? 1 : 0;
}

} // namespace nv
