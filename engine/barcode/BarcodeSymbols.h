#pragma once
// The logical side of the barcode encoders: text to check characters and to a
// sequence of elements (narrow/wide, or module counts, or postal bar kinds).
// Sizing into dots is BarcodeFit's business.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

enum class ElementKind : uint8_t { Bar, Space, Gap };

// `size`: 0 narrow / 1 wide for Code 39, NW7 and ITF; the module count 1-4
// for JAN. A Gap is the space between two characters (Code 39, NW7).
struct BarElement {
    ElementKind kind;
    uint8_t size;
    bool operator==(const BarElement&) const = default;
};

enum class PostalBar : uint8_t { Long = 1, Ascender = 2, Descender = 3, Timing = 4 };

struct LogicalBarcode {
    std::string expanded;
    std::vector<BarElement> elements; // every symbology but the customer barcode
    std::vector<PostalBar> postal;    // the customer barcode
    int32_t BarCount() const;
};

// Returns the number of bars, -1 for a wrong length, -2 for a character the
// symbology does not have, -4 for a symbology outside 1-6.
int32_t EncodeSymbols(int32_t symbology, std::string_view text, int32_t checkDigit, LogicalBarcode& out);

// Check characters, exposed for tests and callers that show them.
char Code39CheckChar(std::string_view text); // text without start/stop, all valid
int Mod10CheckDigit(std::string_view digits); // weights 3 and 1 from the right
char Nw7CheckChar(std::string_view text);    // whole text with start and stop
int CustomerCheckValue(const std::vector<int>& codeValues);

} // namespace nv
