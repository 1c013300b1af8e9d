#include "ledger/common/EntryValue.h"

#include "ledger/common/Money.h"

#include <cmath>
#include <cstdlib>

namespace nv {

namespace {

// ASCII twin of a full-width character that may appear in a number.
std::optional<char> AsciiOf(std::string_view s, size_t& i)
{
    static const std::pair<std::string_view, char> wide[] = {
        {"０", '0'}, {"１", '1'}, {"２", '2'}, {"３", '3'}, {"４", '4'}, {"５", '5'}, {"６", '6'},
        {"７", '7'}, {"８", '8'}, {"９", '9'}, {"－", '-'}, {"−", '-'}, {"＋", '+'}, {"．", '.'},
        {"，", ','}, {"　", ' '}, {"ｅ", 'e'}, {"Ｅ", 'E'},
    };
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) return s[i++];
    for (const auto& [w, c] : wide) {
        if (s.substr(i, w.size()) == w) {
            i += w.size();
            return c;
        }
    }
    return std::nullopt;
}

[[noreturn]] void Fail(const std::string& array, size_t i, const std::string& field, const std::string& why)
{
    throw EntryError(array, i, array + "(" + std::to_string(i) + ") " + field + ": " + why);
}

const EntryValue& At(const EntryArray& a, size_t i, const std::string& array, const std::string& field)
{
    if (i >= a.size()) Fail(array, i, field, "要素がありません");
    return a[i];
}

} // namespace

std::optional<double> ParseNumberText(std::string_view text)
{
    std::string ascii;
    for (size_t i = 0; i < text.size();) {
        std::optional<char> c = AsciiOf(text, i);
        if (!c) return std::nullopt;
        if (*c != ',') ascii += *c;
    }
    size_t b = ascii.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    ascii = ascii.substr(b, ascii.find_last_not_of(' ') - b + 1);
    for (char c : ascii)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool IsBlankText(std::string_view text)
{
    static constexpr std::string_view kWideBlank = "　";
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') ++i;
        else if (text.substr(i, kWideBlank.size()) == kWideBlank) i += kWideBlank.size();
        else return false;
    }
    return true;
}

std::optional<double> EntryNumber(const EntryValue& v)
{
    if (std::holds_alternative<std::monostate>(v)) return 0.0;
    if (auto p = std::get_if<bool>(&v)) return *p ? -1.0 : 0.0;
    if (auto p = std::get_if<int64_t>(&v)) return static_cast<double>(*p);
    if (auto p = std::get_if<double>(&v)) return std::isfinite(*p) ? std::optional<double>(*p) : std::nullopt;
    return ParseNumberText(std::get<std::string>(v));
}

std::string EntryText(const EntryValue& v)
{
    if (auto p = std::get_if<std::string>(&v)) return *p;
    if (auto p = std::get_if<bool>(&v)) return *p ? "True" : "False";
    if (auto p = std::get_if<int64_t>(&v)) return std::to_string(*p);
    if (auto p = std::get_if<double>(&v)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.15g", *p);
        return buf;
    }
    return "";
}

double EntryNumberAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field)
{
    std::optional<double> n = EntryNumber(At(a, i, array, field));
    if (!n) Fail(array, i, field, "数値ではありません");
    return *n;
}

int64_t EntryWholeAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field)
{
    const EntryValue& v = At(a, i, array, field);
    if (auto p = std::get_if<int64_t>(&v)) return *p;
    double n = EntryNumberAt(a, i, array, field);
    if (n != std::floor(n) || std::fabs(n) > 9.0e15) Fail(array, i, field, "整数ではありません");
    return static_cast<int64_t>(n);
}

int64_t EntryYenAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field)
{
    const EntryValue& v = At(a, i, array, field);
    if (auto p = std::get_if<int64_t>(&v)) return *p;
    try {
        return YenAmount(EntryNumberAt(a, i, array, field), 1.0);
    } catch (const std::range_error&) {
        Fail(array, i, field, "金額が大きすぎます");
    }
}

std::string EntryTextAt(const EntryArray& a, size_t i, const std::string& array, const std::string& field)
{
    return EntryText(At(a, i, array, field));
}

} // namespace nv
