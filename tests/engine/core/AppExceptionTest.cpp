#include "engine/core/AppException.h"

#include "platform/core/Cp932.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace nv {
namespace {

std::string Cp(const char* utf8)
{
    return *Utf8ToCp932(utf8);
}

TEST(AppException, TableTextsAreCp932)
{
    EXPECT_EQ(LoadEngineString(30007), "Tavelo Ver7.1 Ardel Systems");
    EXPECT_EQ(LoadEngineString(30006), Cp("レイヤ"));
    EXPECT_EQ(LoadEngineString(22007), Cp("ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙの書きこみに失敗しました。"));
    EXPECT_EQ(LoadEngineString(22007)[0], '\xC4'); // half-width katakana stay single bytes
    EXPECT_EQ(LoadEngineString(30001), LoadEngineString(30002));
    EXPECT_TRUE(LoadEngineString(22011).empty());
    for (uint32_t id = 22000; id <= 22010; ++id) EXPECT_FALSE(LoadEngineString(id).empty()) << id;
    for (uint32_t id = 30000; id <= 30008; ++id) EXPECT_FALSE(LoadEngineString(id).empty()) << id;
}

TEST(AppException, ThrowWithIdFillsArguments)
{
    try {
        ThrowAppException(22003, 7);
    } catch (const CAppException& e) {
        EXPECT_EQ(e.Message(), Cp("ページの情報が見つかりませんでした(7ページ)。"));
        EXPECT_EQ(e.MessageId(), 22003u);
    }
    try {
        ThrowAppException(22000, Cp("仕入.tvd"), std::string("disk full"));
    } catch (const CAppException& e) {
        EXPECT_EQ(e.Message(), Cp("ドキュメントファイルの作成に失敗しました。(仕入.tvd)\n\ndisk full"));
    }
    try {
        ThrowAppExceptionText("%s-%d-%5.1f-%x-%%", "a", 12, 2.25, 255);
    } catch (const CAppException& e) {
        EXPECT_EQ(e.Message(), "a-12-  2.2-ff-%");
        EXPECT_EQ(e.MessageId(), 0u);
    }
}

TEST(AppException, FormatterIsSafeWithBadFormats)
{
    EXPECT_EQ(FormatText("%s %s %d", {"x"}), "x  0");
    EXPECT_EQ(FormatText("%n%s", {1, "y"}), "y");
    EXPECT_EQ(FormatText("%d", {"text"}), "0");
    EXPECT_EQ(FormatText("%s", {42}), "42");
    EXPECT_EQ(FormatText("%999999999d|", {1}).size(), 1001u);
    EXPECT_EQ(FormatText("%.*s", {-1, "abc"}), "abc");
    EXPECT_EQ(FormatText("trailing %", {}), "trailing %");
    // A double-byte character whose second byte is '%' (0x81 0x25 is not
    // valid CP932 but must not start a conversion).
    EXPECT_EQ(FormatText("\x95\x25s", {"z"}), "\x95\x25s");
}

TEST(AppException, CauseMessageIsCutBetweenCharacters)
{
    const std::string kanji = Cp("漢");
    std::string longText = "a";
    for (int i = 0; i < 300; ++i) longText += kanji; // 1 + 600 bytes
    CAppException cause(std::string_view("%s"), {longText});
    CAppException e(cause, 22001, {});
    const std::string head = LoadEngineString(22001);
    // The 22001 text itself has a %s; with no argument it is empty.
    const std::string prefix = FormatText(head, {});
    ASSERT_EQ(e.Message().substr(0, prefix.size() + 2), prefix + "\n\n");
    const std::string tail = e.Message().substr(prefix.size() + 2);
    EXPECT_EQ(tail.size(), 511u); // "a" + 255 whole characters
    EXPECT_EQ(tail, longText.substr(0, 511));

    std::string odd = "ab";
    for (int i = 0; i < 300; ++i) odd += kanji;
    CAppException e2(CAppException(std::string_view("%s"), {odd}), std::string_view("x"), {});
    EXPECT_EQ(e2.Message().size(), 1u + 2u + 510u); // never half a character
}

TEST(AppException, ThrowLastErrorUsesTextNotFormat)
{
    errno = ENOENT;
    try {
        ThrowLastError();
        FAIL();
    } catch (const CAppException& e) {
        EXPECT_FALSE(e.Message().empty());
    }
    errno = 0; // after a success it still throws
    EXPECT_THROW(ThrowLastError(), CAppException);
}

TEST(AppException, ReportErrorGoesToHandler)
{
    std::string seen;
    SetMessageBoxHandler([&](const std::string& text, unsigned style, unsigned) {
        seen = text;
        return static_cast<int>(style) + 1;
    });
    CAppException e(22004, {});
    EXPECT_EQ(e.ReportError(0, 0), 1);
    EXPECT_EQ(seen, LoadEngineString(22004));
    SetMessageBoxHandler(nullptr);
}

TEST(Exceptions, FileCausesFromErrno)
{
    EXPECT_EQ(CFileException::ErrnoToCause(ENOENT), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::ErrnoToCause(ENOTDIR), CFileException::badPath);
    EXPECT_EQ(CFileException::ErrnoToCause(EACCES), CFileException::accessDenied);
    EXPECT_EQ(CFileException::ErrnoToCause(ENOSPC), CFileException::diskFull);
    EXPECT_EQ(CFileException::ErrnoToCause(EMFILE), CFileException::tooManyOpenFiles);
    EXPECT_EQ(CFileException::ErrnoToCause(EXDEV), CFileException::genericException);
    CFileException f = CFileException::FromErrno(ENOENT, "a.tvf");
    EXPECT_NE(f.GetErrorMessage().find("a.tvf"), std::string::npos);
    EXPECT_NE(std::string(f.what()).find("a.tvf"), std::string::npos);
}

} // namespace
} // namespace nv
