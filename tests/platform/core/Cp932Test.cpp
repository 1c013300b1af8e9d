#include "platform/core/Cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932, RoundTripsJapanese)
{
    const std::string utf8 = "仕入れ帳 ｶﾅ ABC";
    auto cp = nv::Utf8ToCp932(utf8);
    ASSERT_TRUE(cp.has_value());
    EXPECT_EQ(nv::Cp932ToUtf8(*cp), utf8);
    // 仕 is 0x8E64 in CP932
    EXPECT_EQ(static_cast<unsigned char>((*cp)[0]), 0x8E);
    EXPECT_EQ(static_cast<unsigned char>((*cp)[1]), 0x64);
}

TEST(Cp932, AsciiStaysAsItIsAloneAndBesideJapanese)
{
    for (int c = 0; c < 128; ++c) {
        const std::string ascii(1, char(c));
        EXPECT_EQ(nv::Utf8ToCp932(ascii), ascii) << c;
        EXPECT_EQ(nv::Cp932ToUtf8(ascii), ascii) << c;
        EXPECT_EQ(nv::Utf8ToCp932("仕" + ascii), "\x8E\x64" + ascii) << c;
        EXPECT_EQ(nv::Cp932ToUtf8("\x8E\x64" + ascii), "仕" + ascii) << c;
    }
}

TEST(Cp932, MapsLinuxTwinsToCp932Symbols)
{
    struct Case { const char* utf8; const char* cp932; } cases[] = {
        {"\u301C", "\x81\x60"}, {"\u2212", "\x81\x7C"}, {"\u2016", "\x81\x61"},
        {"\u00A2", "\x81\x91"}, {"\u00A3", "\x81\x92"}, {"\u00AC", "\x81\xCA"},
        {"\u2014", "\x81\x5C"},
    };
    for (const auto& c : cases) {
        auto cp = nv::Utf8ToCp932(c.utf8);
        ASSERT_TRUE(cp.has_value()) << c.utf8;
        EXPECT_EQ(*cp, c.cp932) << c.utf8;
    }
}

TEST(Cp932, RefusesWhatCp932Lacks)
{
    EXPECT_FALSE(nv::Utf8ToCp932("ok \U0001F600").has_value());
    EXPECT_EQ(nv::Utf8ToCp932Lossy("a\U0001F600b"), "a?b");
}

TEST(Cp932, LeadBytesAndCounts)
{
    EXPECT_TRUE(nv::IsCp932LeadByte(0x81));
    EXPECT_TRUE(nv::IsCp932LeadByte(0x9F));
    EXPECT_FALSE(nv::IsCp932LeadByte(0xA0));
    EXPECT_TRUE(nv::IsCp932LeadByte(0xE0));
    EXPECT_TRUE(nv::IsCp932LeadByte(0xFC));
    EXPECT_FALSE(nv::IsCp932LeadByte(0xFD));
    // 表 = 0x95 0x5C: the trail byte is a backslash and must not count alone.
    const std::string s = "\x95\x5C" "a\x81";
    EXPECT_EQ(nv::Cp932CharLength(s, 0), 2u);
    EXPECT_EQ(nv::Cp932CharCount(s), 3u);
}

TEST(Cp932, BrokenBytesDecodeToReplacement)
{
    EXPECT_EQ(nv::Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(nv::Cp932ToUtf8(std::string("\x85\x40", 2) + "b"), "\xEF\xBF\xBD" "b");
    // A stray lead byte before a character that cannot be a second byte
    // takes only itself with it.
    EXPECT_EQ(nv::Cp932ToUtf8("\x81 1"), "\xEF\xBF\xBD 1");
    EXPECT_EQ(nv::Cp932ToUtf8("x\x9F\x0A" "y"), "x\xEF\xBF\xBD\ny");
}

} // namespace
