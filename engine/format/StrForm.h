#pragma once
// Hosts write whole numbers in their runtime's Str form: a leading blank
// stands for the plus sign. The ledger writes its balances so, and a field
// with a numeric edit picture reads the blank as the sign again; both sides
// of that convention live here.
#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

// The Str form of a whole number: a leading blank unless negative.
inline std::string StrForm(int64_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

// The number of a value in Str form, its leading blanks dropped; empty when
// the value is blank through.
inline std::string_view StrFormNumber(std::string_view value)
{
    const size_t digits = value.find_first_not_of(' ');
    return digits == std::string_view::npos ? std::string_view() : value.substr(digits);
}

} // namespace nv
