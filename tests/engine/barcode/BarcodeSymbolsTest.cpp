#include "engine/barcode/BarcodeSymbols.h"
#include "engine/barcode/BarcodeParams.h"

#include <gtest/gtest.h>

#include <string>

using namespace nv;

namespace {

// Elements as text: n/w for bars, s/S for narrow/wide spaces, g for a gap;
// JAN module counts as digits (bars and spaces alternate).
std::string Sketch(const LogicalBarcode& lb)
{
    std::string s;
    for (const BarElement& e : lb.elements) {
        switch (e.kind) {
        case ElementKind::Bar: s += e.size ? 'w' : 'n'; break;
        case ElementKind::Space: s += e.size ? 'S' : 's'; break;
        case ElementKind::Gap: s += 'g'; break;
        }
    }
    return s;
}

std::string Modules(const LogicalBarcode& lb)
{
    std::string s;
    for (const BarElement& e : lb.elements) s += char('0' + e.size);
    return s;
}

std::string Postal(const LogicalBarcode& lb)
{
    std::string s;
    for (PostalBar b : lb.postal) s += char('0' + int(b));
    return s;
}

struct Case {
    int32_t symbology;
    const char* text;
    int32_t check;
    int32_t result; // bars, or the error code
    const char* expanded;
};

} // namespace

TEST(BarcodeSymbols, CheckCharactersAndExpandedTexts)
{
    const Case cases[] = {
        {kBarcodeJan13, "490123456789", 1, 30, "4901234567894"},
        {kBarcodeJan13, "4901234567894", 0, 30, "4901234567894"},
        {kBarcodeJan13, "4901234567890", 1, 30, "4901234567890"}, // 13 digits are taken as they are
        {kBarcodeJan8, "4901234", 1, 22, "49012347"},
        {kBarcodeJan8, "49012347", 1, 22, "49012347"},
        {kBarcodeItf, "12345", 0, 3 * 5 + 2 + 2, "123457"},
        {kBarcodeItf, "1234", 1, 2 * 5 + 2 + 2, "1234"},
        {kBarcodeCode39, "ABC", 1, 6 * 5, "*ABCX*"},
        {kBarcodeCode39, "ABC", 0, 5 * 5, "*ABC*"},
        {kBarcodeCode39, "A B-$/+%.", 0, 11 * 5, "*A B-$/+%.*"},
        {kBarcodeNw7, "A123B", 1, 6 * 4, "A1239B"},
        {kBarcodeNw7, "A123B", 0, 5 * 4, "A123B"},
        {kBarcodeNw7, "AB", 0, 2 * 4, "AB"},
        {kBarcodeCustomer, "1234567", 0, 67, "1234567"},
        {kBarcodeCustomer, "263-0023-3-2-3A", 0, 67, "263-0023-3-2-3A"},
        // Errors.
        {kBarcodeCode39, "AB*C", 1, -2, ""},
        {kBarcodeCode39, "abc", 1, -2, ""},
        {kBarcodeCode39, "", 1, -1, ""},
        {kBarcodeJan13, "49012345678", 1, -1, ""},
        {kBarcodeJan13, "49012345678A", 1, -2, ""},
        {kBarcodeJan8, "49012", 1, -1, ""},
        {kBarcodeJan8, "", 1, -1, ""},
        {kBarcodeItf, "12a4", 1, -2, ""},
        {kBarcodeItf, "1234567890123456789012345678901", 1, -1, ""},
        {kBarcodeItf, "", 1, -1, ""},
        {kBarcodeNw7, "A", 1, -1, ""},
        {kBarcodeNw7, "", 1, -1, ""},
        {kBarcodeNw7, "A12E", 1, -2, ""},
        {kBarcodeNw7, "A1234567890123456789012345678B", 1, 31 * 4, nullptr},
        {kBarcodeNw7, "A12345678901234567890123456789B", 1, -1, ""},
        {kBarcodeCustomer, "", 0, -1, ""},
        {kBarcodeCustomer, "123a", 0, -2, ""},
        {kBarcodeCustomer, "ABCDEFGHIJ", 0, 67, "ABCDEFGHIJ"},        // 20 codes
        {kBarcodeCustomer, "ABCDEFGHIJ1", 0, -1, ""},                 // 21 codes
        {kBarcodeCustomer, "123456789012345678901", 0, -1, ""},
        {0, "123", 0, -4, ""},
        {7, "123", 0, -4, ""},
    };
    for (const Case& c : cases) {
        LogicalBarcode lb;
        const int32_t r = EncodeSymbols(c.symbology, c.text, c.check, lb);
        EXPECT_EQ(r, c.result) << c.symbology << " " << c.text;
        if (r > 0 && c.expanded) {
            EXPECT_EQ(lb.expanded, c.expanded) << c.text;
        }
    }
}

TEST(BarcodeSymbols, CheckDigitArithmetic)
{
    EXPECT_EQ(Code39CheckChar("ABC"), 'X');
    EXPECT_EQ(Code39CheckChar("%%"), '+'); // 84 mod 43 = 41
    EXPECT_EQ(Mod10CheckDigit("490123456789"), 4);
    EXPECT_EQ(Mod10CheckDigit("4901234"), 7);
    EXPECT_EQ(Mod10CheckDigit("12345"), 7);
    EXPECT_EQ(Mod10CheckDigit("0"), 0);
    // A=16 1 2 3 B=17: 39; (16 - 39 % 16) % 16 = 9.
    EXPECT_EQ(Nw7CheckChar("A123B"), '9');
    EXPECT_EQ(Nw7CheckChar("A0A"), '0'); // 32 is a multiple of 16
    // Codes 1..7 of 1234567 then thirteen CC4 (14): 28 + 182 = 210; 19 - 210 % 19 = 18.
    std::vector<int> codes = {1, 2, 3, 4, 5, 6, 7};
    codes.resize(20, 14);
    EXPECT_EQ(CustomerCheckValue(codes), 18);
}

TEST(BarcodeSymbols, ElementSequences)
{
    LogicalBarcode lb;
    ASSERT_GT(EncodeSymbols(kBarcodeCode39, "A", 0, lb), 0);
    // '*' A '*' with their gaps.
    EXPECT_EQ(Sketch(lb), "nSnswswsn" "g" "wsnsnSnsw" "g" "nSnswswsn");

    ASSERT_GT(EncodeSymbols(kBarcodeNw7, "A1B", 0, lb), 0);
    EXPECT_EQ(Sketch(lb), "nswSnSn" "g" "nsnswSn" "g" "nSnSnsw");

    ASSERT_GT(EncodeSymbols(kBarcodeItf, "12", 0, lb), 0);
    // Start, the pair (bars from 1, spaces from 2), stop.
    EXPECT_EQ(Sketch(lb), "nsns" "wsnSnsnswS" "wsn");

    ASSERT_GT(EncodeSymbols(kBarcodeJan8, "4901234", 1, lb), 0);
    EXPECT_EQ(Modules(lb), "111" "1132" "3112" "3211" "2221" "11111" "2122" "1411" "1132" "1312" "111");
    int modules = 0;
    for (const BarElement& e : lb.elements) modules += e.size;
    EXPECT_EQ(modules, 67);

    ASSERT_GT(EncodeSymbols(kBarcodeJan13, "490123456789", 1, lb), 0);
    // Leading 4: sets A B A A B B for 901234, then set C for 567894.
    EXPECT_EQ(Modules(lb), "111" "3112" "1123" "2221" "2122" "1141" "2311" "11111" "1231" "1114" "1312" "1213"
                           "3112" "1132" "111");
    modules = 0;
    for (const BarElement& e : lb.elements) modules += e.size;
    EXPECT_EQ(modules, 95);

    ASSERT_EQ(EncodeSymbols(kBarcodeCustomer, "1-A", 0, lb), 67);
    std::string expect = "13" "114" "414" "324" "144"; // start, 1, -, CC1 0 (A)
    for (int i = 0; i < 16; ++i) expect += "432";       // CC4 filler
    // Check: 1 + 10 + 11 + 0 + 16 * 14 = 246; (19 - 246 % 19) % 19 = 1.
    expect += "114" "31";
    EXPECT_EQ(Postal(lb), expect);
}
