#include "engine/barcode/BarcodeSymbols.h"

#include "engine/barcode/BarcodeParams.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace nv {

namespace {

// Code 39: value order and the wide elements (bar, space, bar, ... 9 elements).
constexpr std::string_view kCode39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr std::array<const char*, 44> kCode39Patterns = {
    "000110100", "100100001", "001100001", "101100000", "000110001", "100110000", "001110000", "000100101",
    "100100100", "001100100", "100001001", "001001001", "101001000", "000011001", "100011000", "001011000",
    "000001101", "100001100", "001001100", "000011100", "100000011", "001000011", "101000010", "000010011",
    "100010010", "001010010", "000000111", "100000110", "001000110", "000010110", "110000001", "011000001",
    "111000000", "010010001", "110010000", "011010000", "010000101", "110000100", "011000100", "010101000",
    "010100010", "010001010", "000101010", "010010100" /* '*' */};
constexpr size_t kCode39Star = 43;

constexpr std::string_view kNw7Chars = "0123456789-$:/.+ABCD";
constexpr std::array<const char*, 20> kNw7Patterns = {
    "0000011", "0000110", "0001001", "1100000", "0010010", "1000010", "0100001", "0100100", "0110000", "1001000",
    "0001100", "0011000", "1000101", "1010001", "1010100", "0010101", "0011010", "0101001", "0001011", "0001110"};

constexpr std::array<const char*, 10> kItfPatterns = {"00110", "10001", "01001", "11000", "00101",
                                                      "10100", "01100", "00011", "10010", "01010"};

// JAN set A widths (space, bar, space, bar); set C is the same read as bar,
// space, ...; set B is set A reversed.
constexpr std::array<const char*, 10> kJanA = {"3211", "2221", "2122", "1411", "1132",
                                               "1231", "1114", "1312", "1213", "3112"};
// Sets of the six left digits of JAN-13 by the leading digit (1 = set B).
constexpr std::array<const char*, 10> kJanParity = {"000000", "001011", "001101", "001110", "010011",
                                                    "011001", "011100", "010101", "010110", "011010"};

// Customer barcode: 0-9, '-', CC1-CC8 (values 0-18), then start and stop.
constexpr std::array<const char*, 19> kPostalCodes = {"144", "114", "132", "312", "123", "141", "321",
                                                      "213", "231", "411", "414", "324", "342", "234",
                                                      "432", "243", "423", "441", "111"};
constexpr const char* kPostalStart = "13";
constexpr const char* kPostalStop = "31";
constexpr int kPostalDataCodes = 20;
constexpr int kPostalCc4 = 14; // the value of CC4, used as filler

bool AllDigits(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void AddNarrowWide(std::vector<BarElement>& out, const char* pattern, bool firstIsBar = true)
{
    bool bar = firstIsBar;
    for (const char* p = pattern; *p; ++p, bar = !bar)
        out.push_back({bar ? ElementKind::Bar : ElementKind::Space, uint8_t(*p == '1' ? 1 : 0)});
}

int32_t EncodeCode39(std::string_view text, int32_t check, LogicalBarcode& out)
{
    for (char c : text)
        if (c == '*' || kCode39Chars.find(c) == std::string_view::npos) return kBarcodeErrCharacter;
    if (text.size() > 101) return kBarcodeErrLength;
    out.expanded = "*";
    out.expanded.append(text);
    if (check) out.expanded += Code39CheckChar(text);
    out.expanded += '*';
    for (size_t i = 0; i < out.expanded.size(); ++i) {
        const char c = out.expanded[i];
        const size_t v = c == '*' ? kCode39Star : kCode39Chars.find(c);
        if (i > 0) out.elements.push_back({ElementKind::Gap, 0});
        AddNarrowWide(out.elements, kCode39Patterns[v]);
    }
    return out.BarCount();
}

int32_t EncodeNw7(std::string_view text, int32_t check, LogicalBarcode& out)
{
    for (char c : text)
        if (kNw7Chars.find(c) == std::string_view::npos) return kBarcodeErrCharacter;
    // The text carries its own start and stop characters.
    if (text.size() < 2 || text.size() > 30) return kBarcodeErrLength;
    out.expanded.assign(text);
    if (check) out.expanded.insert(out.expanded.size() - 1, 1, Nw7CheckChar(text));
    for (size_t i = 0; i < out.expanded.size(); ++i) {
        if (i > 0) out.elements.push_back({ElementKind::Gap, 0});
        AddNarrowWide(out.elements, kNw7Patterns[kNw7Chars.find(out.expanded[i])]);
    }
    return out.BarCount();
}

int32_t EncodeItf(std::string_view text, LogicalBarcode& out)
{
    if (!AllDigits(text)) return kBarcodeErrCharacter;
    if (text.size() > 30) return kBarcodeErrLength;
    out.expanded.assign(text);
    // Digits go in pairs: an odd count takes the check digit.
    if (out.expanded.size() % 2) out.expanded += char('0' + Mod10CheckDigit(text));
    AddNarrowWide(out.elements, "0000");
    for (size_t i = 0; i + 1 < out.expanded.size(); i += 2) {
        const char* bars = kItfPatterns[out.expanded[i] - '0'];
        const char* spaces = kItfPatterns[out.expanded[i + 1] - '0'];
        for (int k = 0; k < 5; ++k) {
            out.elements.push_back({ElementKind::Bar, uint8_t(bars[k] == '1')});
            out.elements.push_back({ElementKind::Space, uint8_t(spaces[k] == '1')});
        }
    }
    AddNarrowWide(out.elements, "100");
    return out.BarCount();
}

void AddModules(std::vector<BarElement>& out, std::string_view widths, bool firstIsBar)
{
    bool bar = firstIsBar;
    for (char w : widths) {
        out.push_back({bar ? ElementKind::Bar : ElementKind::Space, uint8_t(w - '0')});
        bar = !bar;
    }
}

void AddJanDigit(std::vector<BarElement>& out, char digit, char set)
{
    std::string w = kJanA[digit - '0'];
    if (set == 'B') std::reverse(w.begin(), w.end());
    AddModules(out, w, set == 'C');
}

int32_t EncodeJan(std::string_view text, bool jan13, LogicalBarcode& out)
{
    if (!AllDigits(text)) return kBarcodeErrCharacter;
    const size_t full = jan13 ? 13 : 8;
    if (text.size() != full && text.size() != full - 1) return kBarcodeErrLength;
    out.expanded.assign(text);
    if (text.size() == full - 1) out.expanded += char('0' + Mod10CheckDigit(text));
    const std::string_view e = out.expanded;
    AddModules(out.elements, "111", true);
    if (jan13) {
        const char* parity = kJanParity[e[0] - '0'];
        for (int i = 0; i < 6; ++i) AddJanDigit(out.elements, e[1 + i], parity[i] == '1' ? 'B' : 'A');
        AddModules(out.elements, "11111", false);
        for (int i = 7; i < 13; ++i) AddJanDigit(out.elements, e[i], 'C');
    } else {
        for (int i = 0; i < 4; ++i) AddJanDigit(out.elements, e[i], 'A');
        AddModules(out.elements, "11111", false);
        for (int i = 4; i < 8; ++i) AddJanDigit(out.elements, e[i], 'C');
    }
    AddModules(out.elements, "111", true);
    return out.BarCount();
}

void AddPostal(std::vector<PostalBar>& out, const char* kinds)
{
    for (const char* p = kinds; *p; ++p) out.push_back(static_cast<PostalBar>(*p - '0'));
}

int32_t EncodeCustomer(std::string_view text, LogicalBarcode& out)
{
    std::vector<int> codes;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            codes.push_back(c - '0');
        } else if (c == '-') {
            codes.push_back(10);
        } else if (c >= 'A' && c <= 'Z') {
            // A-J: CC1 + 0-9, K-T: CC2 + 0-9, U-Z: CC3 + 0-5.
            const int n = c - 'A';
            codes.push_back(11 + n / 10);
            codes.push_back(n % 10);
        } else {
            return kBarcodeErrCharacter;
        }
    }
    if (codes.size() > size_t(kPostalDataCodes)) return kBarcodeErrLength;
    codes.resize(kPostalDataCodes, kPostalCc4);
    out.expanded.assign(text);
    AddPostal(out.postal, kPostalStart);
    for (int v : codes) AddPostal(out.postal, kPostalCodes[v]);
    AddPostal(out.postal, kPostalCodes[CustomerCheckValue(codes)]);
    AddPostal(out.postal, kPostalStop);
    return out.BarCount();
}

} // namespace

int32_t LogicalBarcode::BarCount() const
{
    if (!postal.empty()) return int32_t(postal.size());
    return int32_t(std::count_if(elements.begin(), elements.end(),
                                 [](const BarElement& e) { return e.kind == ElementKind::Bar; }));
}

char Code39CheckChar(std::string_view text)
{
    size_t sum = 0;
    for (char c : text) sum += kCode39Chars.find(c);
    return kCode39Chars[sum % 43];
}

int Mod10CheckDigit(std::string_view digits)
{
    int sum = 0;
    int weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

char Nw7CheckChar(std::string_view text)
{
    size_t sum = 0;
    for (char c : text) sum += kNw7Chars.find(c);
    return kNw7Chars[(16 - sum % 16) % 16];
}

int CustomerCheckValue(const std::vector<int>& codeValues)
{
    int sum = 0;
    for (int v : codeValues) sum += v;
    return (19 - sum % 19) % 19;
}

int32_t EncodeSymbols(int32_t symbology, std::string_view text, int32_t checkDigit, LogicalBarcode& out)
{
    out = LogicalBarcode{};
    if (symbology < kBarcodeCode39 || symbology > kBarcodeCustomer) return kBarcodeErrParams;
    if (text.empty()) return kBarcodeErrLength;
    switch (symbology) {
    case kBarcodeCode39: return EncodeCode39(text, checkDigit, out);
    case kBarcodeJan13: return EncodeJan(text, true, out);
    case kBarcodeJan8: return EncodeJan(text, false, out);
    case kBarcodeItf: return EncodeItf(text, out);
    case kBarcodeNw7: return EncodeNw7(text, checkDigit, out);
    default: return EncodeCustomer(text, out);
    }
}

} // namespace nv
