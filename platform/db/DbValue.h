#pragma once
// One field value of the ledger database: Null, a whole number, a real number
// or a UTF-8 text.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace nv {

using DbValue = std::variant<std::monostate, int64_t, double, std::string>;

inline constexpr std::monostate DbNull{};

inline bool IsNull(const DbValue& v) { return std::holds_alternative<std::monostate>(v); }

// The value as a number when it is one (a Null or a text is absent).
inline std::optional<double> NumberOf(const DbValue& v)
{
    if (auto i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    return std::nullopt;
}

// The value as a whole number when it is one exactly.
inline std::optional<int64_t> IntegerOf(const DbValue& v)
{
    if (auto i = std::get_if<int64_t>(&v)) return *i;
    if (auto d = std::get_if<double>(&v)) {
        if (*d >= -9.0e15 && *d <= 9.0e15 && static_cast<double>(static_cast<int64_t>(*d)) == *d)
            return static_cast<int64_t>(*d);
    }
    return std::nullopt;
}

inline std::optional<std::string> TextOf(const DbValue& v)
{
    if (auto s = std::get_if<std::string>(&v)) return *s;
    return std::nullopt;
}

} // namespace nv
