#pragma once
// Elements of the arrays a caller hands to a component's entry (the settings
// array, a party array) as plain values, and their conversions. A value that
// does not convert is an EntryError naming the element; nothing is guessed.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nv {

using EntryValue = std::variant<std::monostate, bool, int64_t, double, std::string>;
using EntryArray = std::vector<EntryValue>;

class EntryError : public std::invalid_argument {
public:
    EntryError(std::string array, size_t index, const std::string& message)
        : std::invalid_argument(message), array_(std::move(array)), index_(index) {}
    const std::string& Array() const { return array_; }
    size_t Index() const { return index_; }

private:
    std::string array_;
    size_t index_;
};

// A number typed or passed as text: blanks around it ignored (full-width too),
// full-width digits, signs and point read as their ASCII twins, thousands
// commas allowed. None for an empty text, anything else, or a value that is
// not finite.
std::optional<double> ParseNumberText(std::string_view text);
// Nothing but blanks, half- or full-width (or nothing at all).
bool IsBlankText(std::string_view text);

// Conversions as an entry takes them: Empty is 0 or "", a Boolean -1 or 0.
std::optional<double> EntryNumber(const EntryValue& v);
std::string EntryText(const EntryValue& v);

// Element i of array `array` (its name for messages) read as a number, a
// whole number, a yen amount (halves to even) or a text; throws EntryError
// when the element is missing or does not convert.
double EntryNumberAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field);
int64_t EntryWholeAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field);
int64_t EntryYenAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field);
std::string EntryTextAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field);

} // namespace nv
