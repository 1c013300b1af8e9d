#include "engine/format/TvPicture.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

const std::string kK = "\x82\x6A";       // full-width K
const std::string kA = "\x82\xA0";       // hiragana a (double-byte)
const std::string kSo = "\x83\x5C";      // katakana so: trail byte is a backslash
const std::string kKana = "\xB1";        // half-width katakana a (single byte)

TEST(TvPicture, Parse)
{
    struct Case {
        std::string picture;
        int result;
    } cases[] = {
        {"", -1},        {"ZZ,ZZ9", -1}, {"99.", -1},    {"99.99", 1},  {"XXA", -1},     {"9999", 1},
        {"ZZZ9", 1},     {"BBB9", 1},    {"ZZZ999", 1},  {"BB9", 1},    {"Z9Z", -1},     {"9Z", -1},
        {"BZ9", -1},     {"ZB9", -1},    {"***", 1},     {"**.**", 1},  {"*9", -1},      {".99", 1},
        {".ZZ", 1},      {".9Z", -1},    {".", -1},      {"9.9.9", -1}, {"99.9Z", -1},   {"99.AA", -1},
        {"ZZ.BB", 1},    {"XXXX", 2},    {"aaa", 2},     {"nN", 2},     {"zz9.99", 1},   {"Q", -1},
        {"9" + kK, -1},  {"*.*.*", -1},  {"B", 1},       {"Z.**", 1},   {"-99", -1},     {"9 9", -1},
    };
    for (const Case& c : cases) {
        TvPicture p;
        EXPECT_EQ(p.Parse(c.picture), c.result) << '"' << c.picture << '"';
    }
    TvPicture p;
    EXPECT_EQ(p.Parse(kK + kK + kK), 2);
    EXPECT_EQ(p.CharCount(), 3);
    EXPECT_EQ(p.CharKind(), TvPicture::KindK);
    EXPECT_EQ(p.Parse(kK + "K"), -1);
    EXPECT_EQ(p.Parse(kK + kA), -1);
    EXPECT_EQ(p.Parse("xxxxx"), 2);
    EXPECT_EQ(p.Picture(), "XXXXX");
    EXPECT_EQ(p.CharCount(), 5);
    EXPECT_EQ(p.CharKind(), TvPicture::KindX);
    EXPECT_EQ(p.Parse(std::string(1024, '9')), 1);
    EXPECT_EQ(p.Parse(std::string(1025, '9')), -1);
    // Upper-casing leaves double-byte characters alone (the trail byte of
    // katakana "mu" is a lower-case 'a').
    EXPECT_EQ(p.Parse("\x83\x61"), -1);
    EXPECT_EQ(p.Picture(), "\x83\x61");
    // Upper-casing covers full-width letters: lower-case full-width k pictures
    // are K pictures.
    const std::string kSmallK = "\x82\x8B";
    EXPECT_EQ(p.Parse(kSmallK + kSmallK), 2);
    EXPECT_EQ(p.Picture(), kK + kK);
    EXPECT_EQ(p.CharKind(), TvPicture::KindK);
    EXPECT_EQ(p.CharCount(), 2);
    EXPECT_EQ(p.Parse(kSmallK + kK), 2);
    EXPECT_EQ(p.Parse("\x82\x81"), -1);  // full-width a upper-cases to A, not K
    EXPECT_EQ(p.Picture(), "\x82\x60");
    // A lone lead byte is not a full-width K.
    EXPECT_EQ(p.Parse("\x82"), -1);
}

struct NumCase {
    std::string picture;
    std::string value;
    std::string result;
    int rc = 0;
    bool thousands = false;
};

std::string FormatCase(const NumCase& c, int& rc)
{
    TvPicture p;
    p.SetPicture(c.picture);
    p.SetValue(c.value);
    p.SetThousands(c.thousands);
    std::string out = "untouched";
    rc = p.Format(out);
    EXPECT_EQ(out, p.Result());
    return out;
}

TEST(TvPicture, NumericExamples)
{
    const NumCase cases[] = {
        {"9999", "12", "0012"},
        {"ZZZ9", "12", "12"},
        {"BBB9", "12", "  12"},
        {"999.99", "1.005", "001.01"},
        {"999.99", "1.004", "001.00"},
        {"9", "7.5", "8"},
        {"9", "7.4", "7"},
        {"999", "-5", "-05"},
        {"ZZ9", "-5", "-5"},
        {"999", "-123", "-123", -3},
        {"999", "1,000", "", -2},
        {"999", "+5", "005"},
        {"999", "", "000"},
        {"ZZ9", "", "0"},
        {"ZZZ", "", ""},
        {"ZZZ", "0", ""},
        {"BBB", "0", "   "},
        {"***", "0", "***"},
        {"***", "5", "**5"},
        {"***", "-5", "*-5"},
        {"BBB9", "-5", "  -5"},
        {"BB99", "-5", "  -5"},
        {"BB99", "5", "  05"},
        {"ZZ99", "5", "05"},
        {"9999", "-12", "-012"},
        {"999", "0012", "012"},
        {"999", "abc", "", -2},
        {"999", ".", "", -2},
        {"999", "-", "", -2},
        {"999", "1.2.3", "", -2},
        {"999", "1-", "", -2},
        {"999", " 1", "", -2},
        {"999", "\x82\x4F", "", -2},  // full-width zero is not a digit
        {"99.99", "1.5", "01.50"},
        {"99.99", "-1.5", "-1.50"},
        {"ZZ.99", "0.25", ".25"},
        {"ZZ.99", "-0.25", "-.25"},
        {"ZZ9.99", "-0.25", "-0.25"},
        {"999.99", "-0.25", "-00.25"},
        {"BBB9.99", "-0.25", "  -0.25"},
        {"BBB.99", "-0.25", "  -.25"},
        {"BBB.99", "0.25", "   .25"},
        {"***.**", "0.25", "**0.25"},
        {"***.**", "-0.25", "*-0.25"},
        {"***.**", "0", "******"},
        {"***.**", "5", "**5.00"},
        {"99.BB", "1.5", "01.5 "},
        {"99.BB", "1", "01   "},
        {"99.ZZ", "1.5", "01.5"},
        {"99.ZZ", "1", "01"},
        {"9.99", "0", "0.00"},
        {"99", "-0.4", "00"},          // rounds to zero: no sign
        {"9.99", "-0.001", "0.00"},
        {"*.*", "-0", "***"},
    };
    for (const NumCase& c : cases) {
        int rc = 0;
        std::string out = FormatCase(c, rc);
        EXPECT_EQ(out, c.result) << c.picture << " / " << c.value;
        EXPECT_EQ(rc, c.rc) << c.picture << " / " << c.value;
    }
}

TEST(TvPicture, FractionRoundingRules)
{
    const NumCase cases[] = {
        // Rounding past the fraction picture carries into the integer part.
        {"9.99", "0.999", "1.00"},
        {"9.99", "0.995", "1.00"},
        {"9.99", "0.994", "0.99"},
        {"99.9", "9.96", "10.0"},
        {"9.9", "9.96", "10.0", -3},
        {"ZZZ", "999.5", "", -3},
        {"ZZZ9", "999.5", "1000"},
        {"9", "-7.5", "-8", -3},
        {"Z9", "-7.5", "-8"},
        // A fraction shorter than its picture is padded on the right.
        {".99", "0.5", ".50"},
        {".99", ".5", ".50"},
        {"9.999", "1.5", "1.500"},
        {"9.999", "1.05", "1.050"},
        {".99", "0.004", ".00"},
        {".99", "0.005", ".01"},
        {".99", "1", "", -3},
        {".ZZ", "0", ""},
        {".**", "0", "***"},
    };
    for (const NumCase& c : cases) {
        int rc = 0;
        std::string out = FormatCase(c, rc);
        if (c.rc == 0 || !c.result.empty()) {
            EXPECT_EQ(out, c.result) << c.picture << " / " << c.value;
        }
        EXPECT_EQ(rc, c.rc) << c.picture << " / " << c.value;
    }
}

TEST(TvPicture, ValuesWiderThan64Bits)
{
    const std::string big = "123456789012345678901234567890";  // 30 digits
    const NumCase cases[] = {
        {std::string(30, '9'), big, big},
        {std::string(35, 'Z') + "9", big, big},
        {std::string(31, '9'), "-" + big, "-" + big},
        {std::string(29, '9') + ".99", "99999999999999999999999999999.995", "", -3},
        {std::string(30, '9') + ".99", "99999999999999999999999999999.995", "100000000000000000000000000000.00"},
        {std::string(30, '9'), "18446744073709551616", std::string(10, '0') + "18446744073709551616"},
        {"9.9", "1." + std::string(40, '9'), "2.0"},
        {"ZZ9", "9223372036854775808", "9223372036854775808", -3},
        {std::string(40, 'Z') + "9", big, "123,456,789,012,345,678,901,234,567,890", 0, true},
    };
    for (const NumCase& c : cases) {
        int rc = 0;
        std::string out = FormatCase(c, rc);
        if (c.rc == 0 || !c.result.empty()) {
            EXPECT_EQ(out, c.result) << c.picture << " / " << c.value;
        }
        EXPECT_EQ(rc, c.rc) << c.picture << " / " << c.value;
    }
}

TEST(TvPicture, Thousands)
{
    const NumCase cases[] = {
        {"ZZZZZZ9", "1234", "1,234", 0, true},
        {"ZZZZZZ9", "-1234", "-1,234", 0, true},
        {"ZZZZZZ9", "1234567", "1,234,567", 0, true},
        {"ZZZZZZ9", "0", "0", 0, true},
        {"ZZ999", "5", "005", 0, true},
        {"9999999", "1234", "0,001,234", 0, true},
        {"BBBBBB9", "1234", "    1,234", 0, true},
        {"******", "1234", "**1,234", 0, true},
        {"******", "0", "*******", 0, true},
        {"ZZZZZZ9.99", "1234.5", "1,234.50", 0, true},
        {"ZZZ", "1234", "1,234", -3, true},
    };
    for (const NumCase& c : cases) {
        int rc = 0;
        std::string out = FormatCase(c, rc);
        EXPECT_EQ(out, c.result) << c.picture << " / " << c.value;
        EXPECT_EQ(rc, c.rc) << c.picture << " / " << c.value;
    }
}

// A separator never sits between the sign and the digits: where the grouping
// would put one there, blank and "*" pictures fill in front of the sign
// instead (the field keeps its width) and zero-filled pictures drop it.
TEST(TvPicture, ThousandsNeverSplitTheSignFromTheDigits)
{
    const NumCase cases[] = {
        {"BBBBBB9", "-123456", " -123,456", 0, true},
        {"BBBBBB9", "123456", "  123,456", 0, true},
        {"BBBBBBBBB9", "-123456", "     -123,456", 0, true},
        {"BBBBB9", "-123", "   -123", 0, true},
        {"BB9999", "-123", "   -123", 0, true},
        {"BB9999", "123", "  0,123", 0, true},
        {"*******", "-123456", "*-123,456", 0, true},
        {"*********", "-123456", "***-123,456", 0, true},
        {"*********", "123456", "****123,456", 0, true},
        {"9999", "-123", "-123", 0, true},
        {"9999", "-12", "-012", 0, true},
        {"9999999", "-1234", "-001,234", 0, true},
        {"9999999999", "-123456", "-000,123,456", 0, true},
        {"ZZZZZZZZZ9", "-123456", "-123,456", 0, true},
        {"ZZZZZZ9.99", "-123456.5", "-123,456.50", 0, true},
        {"BBBBBB9.99", "-123456.5", " -123,456.50", 0, true},
        // Unchanged where no separator falls after the sign.
        {"BBB999", "-1234", " -1,234", 0, true},
        {"BBBBBB9", "-1234", "   -1,234", 0, true},
        {"******", "-1234", "*-1,234", 0, true},
        {"999999", "-123", "-00,123", 0, true},
    };
    for (const NumCase& c : cases) {
        int rc = 0;
        std::string out = FormatCase(c, rc);
        EXPECT_EQ(out, c.result) << c.picture << " / " << c.value;
        EXPECT_EQ(rc, c.rc) << c.picture << " / " << c.value;
    }
    // The prefix of a blank-filled picture still follows the fill.
    TvPicture p;
    p.SetPicture("BBBBBB9");
    p.SetValue("-123456");
    p.SetThousands(true);
    p.SetPrefix("\\");
    std::string out;
    EXPECT_EQ(p.Format(out), 0);
    EXPECT_EQ(out, " \\-123,456");
}

TEST(TvPicture, ReplacementPrefixAndSuffix)
{
    const std::string yen = "\x81\x8F";  // full-width yen sign
    TvPicture p;
    p.SetPicture("ZZ9");
    p.SetValue("1234");
    p.SetReplacement("*");
    std::string out;
    EXPECT_EQ(p.Format(out), -3);
    EXPECT_EQ(out, "***");
    p.SetPrefix(yen);
    p.SetSuffix("-");
    EXPECT_EQ(p.Format(out), -3);
    EXPECT_EQ(out, yen + "***-");
    p.SetPicture("ZZ9.9");
    p.SetReplacement(kA);
    EXPECT_EQ(p.Format(out), -3);
    EXPECT_EQ(out, yen + kA + kA + kA + kA + kA + "-");

    p.SetReplacement("");
    p.SetValue("1234");
    EXPECT_EQ(p.Format(out), -3);
    EXPECT_EQ(out, yen + "1234.0-");

    p.SetPicture("ZZZ9");
    p.SetValue("12");
    EXPECT_EQ(p.Format(out), 0);
    EXPECT_EQ(out, yen + "12-");
    p.SetPicture("BBB9");
    EXPECT_EQ(p.Format(out), 0);
    EXPECT_EQ(out, "  " + yen + "12-");
    p.SetPicture("9.BB");
    p.SetValue("1.5");
    EXPECT_EQ(p.Format(out), 0);
    EXPECT_EQ(out, yen + "1.5-" + " ");
    p.SetValue("1");
    EXPECT_EQ(p.Format(out), 0);
    EXPECT_EQ(out, yen + "1 -  ");
    p.SetPicture("9.ZZ");
    EXPECT_EQ(p.Format(out), 0);
    EXPECT_EQ(out, yen + "1-");

    p.SetPicture("Z9Z");
    EXPECT_EQ(p.Format(out), -1);
    EXPECT_EQ(out, "");

    // A long replacement text from a damaged form stays bounded, in whole
    // repetitions.
    TvPicture q;
    q.SetPicture(std::string(1024, '9'));
    q.SetValue(std::string(1100, '1'));
    q.SetReplacement(std::string(100000, '#'));
    EXPECT_EQ(q.Format(out), -3);
    EXPECT_EQ(out.size(), 1100000u);
}

struct CharCase {
    std::string picture;
    std::string value;
    std::string result;
    int rc = 0;
    int alignment = 1;
    int widthMode = 0;
    bool reversed = false;
};

template <size_t N>
void ExpectCharCases(const CharCase (&cases)[N])
{
    for (const CharCase& c : cases) {
        TvPicture p;
        p.SetPicture(c.picture);
        p.SetValue(c.value);
        p.SetAlignment(c.alignment);
        p.SetWidthMode(c.widthMode);
        p.SetReversed(c.reversed);
        std::string out;
        int rc = p.Format(out);
        EXPECT_EQ(out, c.result) << c.picture << " / " << c.value << " align " << c.alignment;
        EXPECT_EQ(rc, c.rc) << c.picture << " / " << c.value << " align " << c.alignment;
    }
}

TEST(TvPicture, CharacterPictures)
{
    const std::string a3 = kA + kA + kA;
    const CharCase cases[] = {
        {"XXXX", "ABCDEF", "ABCD", -3},
        {"XXXX", "ABCDEF", "CDEF", -3, 2},
        {"XXXX", "ABCD", "ABCD"},
        {"XXXX", "", ""},
        {"NN", a3, kA + kA, -3},
        {"NN", "A" + kA + "B", "A" + kA, -3},
        {"XXX", kA + kA, kA, -3},                     // a double-byte is two columns
        {"XXX", "A" + kA + "B", "A" + kA, -3},
        {"XX", "A" + kA, "A", -3},                    // never half a character
        {"XX", kA + "A", "A", -3, 2},
        {"XXX", kA + kKana + kSo, kA + kKana, -3},    // half-width kana is one column
        {kK + kK, a3, kA + kA, -3},
        {kK + kK, "ABCDE", "ABCD", -3},
        {kK + kK, a3, kA + kA, -3, 1, 1},             // 6 half-columns: 3 each
        {kK + kK + kK, a3 + kA, a3, -3, 1, 1},        // 9 half-columns
        {kK + kK, a3 + a3, a3 + a3, 0, 1, 2},         // no limit
        {"AA", a3, kA, -3},
        {"AA", a3, a3, 0, 1, 2},
        {"AA", kA + kA, kA, -3, 1, 1},                // 4 half-columns, 3 each
        {"XXXX", "ABCDEF", "CDEF", -3, 1, 0, true},   // reversed storage keeps the end
        {"XXXX", "ABCDEF", "CDEF", -3, 2, 0, true},
        {"XX", kSo + kSo + kA, kA, -3, 2, 1, false},
        {"XXXX", "ABC", "ABC", 0, 1, 0, true},
    };
    ExpectCharCases(cases);
}

// A value cut inside a double-byte character (a byte-limited column) ends in
// a lone lead byte. Turning the text round must keep every byte where it was,
// not pair the stray byte with its neighbour.
TEST(TvPicture, StrayLeadByteKeepsItsPlace)
{
    const CharCase cases[] = {
        {"XXXX", "A\x82", "A\x82", 0, 2},
        {"XXXX", "AB\x82", "AB\x82", 0, 1, 0, true},
        {"XXXX", "AB\x82", "AB\x82", 0, 2, 0, true},
        {"XX", "AB\x82", "B\x82", -3, 2},
        {"XX", "AB\x82", "AB", -3, 1},
        {"XX", "\x82\xA0" "A\x82", "A\x82", -3, 1, 0, true},
    };
    ExpectCharCases(cases);
}

} // namespace
} // namespace nv
