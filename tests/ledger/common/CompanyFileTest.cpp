#include "ledger/common/CompanyFile.h"
#include "ledger/common/ModuleGlobal.h"
#include "platform/core/Cp932.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace nv;

namespace {

std::string Sjis(const std::string& utf8)
{
    return Utf8ToCp932(utf8).value();
}

// A file as the own-company screen writes it, with labels holding bytes that
// trip naive readers: 0x5C as a trail byte (ソ, 表), half-width kana, an NEC
// special character, a trailing blank, a tab.
std::string Fixture()
{
    std::string f;
    auto pair = [&](const std::string& label, const std::string& value) { f += label + "\r\n" + value + "\r\n"; };
    pair(Sjis("'氏名（ソフト表示）"), Sjis("山田太郎商店                "));
    pair(Sjis("'ﾌﾘｶﾞﾅ ①"), Sjis("ヤマダタロウショウテン         "));
    pair(Sjis("'郵便番号\t"), "100-0001  ");
    pair(Sjis("'住所 "), Sjis("東京都千代田区千代田一丁目一番一号") + std::string(53, ' '));
    pair(Sjis("'電話"), "03-1234-5678   ");
    pair(Sjis("'ＦＡＸ"), "03-1234-5679   ");
    pair("'7", " 0 ");
    pair(Sjis("'期"), " 12 ");
    pair(Sjis("'期首"), " 2005  4  1 ");
    pair(Sjis("'期末"), " 2006  3  31 ");
    pair(Sjis("'事業形態"), "-1");
    pair(Sjis("'消費税処理"), "-1 ");
    pair(Sjis("'税率"), ".05");
    pair(Sjis("'仕入先締日"), Sjis("末日"));
    pair(Sjis("'売上先締日"), Sjis("２０日"));
    pair(Sjis("'集計表"), "-1 ");
    pair(Sjis("'画面"), " 0 ");
    pair(Sjis("'氏名(帳票での)"), Sjis("山田太郎商店本店営業部仕入課第一係長代理"));
    return f;
}

TEST(CompanyFile, FixtureReadsAndWritesBackByteForByte)
{
    std::string bytes = Fixture();
    CompanyFile f = ParseCompanyFile(bytes);
    const CompanySettings& s = f.Settings;
    EXPECT_EQ(s.OwnerName, "山田太郎商店" + std::string(14, ' '));
    EXPECT_EQ(Utf8CharCount(s.OwnerKana), 20u);
    EXPECT_EQ(s.PostCode, "100-0001  ");
    EXPECT_EQ(Utf8CharCount(s.Address), 70u);
    EXPECT_EQ(s.Term, 12.0f);
    EXPECT_EQ(s.StartYear, 2005.0f);
    EXPECT_EQ(s.StartMonth, 4.0f);
    EXPECT_EQ(s.StartDay, 1.0f);
    EXPECT_EQ(s.EndDay, 31.0f);
    EXPECT_TRUE(IsTrue(s.BusinessForm));
    EXPECT_FLOAT_EQ(s.TaxRate, 0.05f);
    EXPECT_EQ(s.PurchaseClosingDay, "末日");
    EXPECT_EQ(s.SalesClosingDay, "２０日");
    EXPECT_TRUE(IsTrue(f.PortraitSummary));
    EXPECT_FALSE(IsTrue(f.ScreenFlag));
    EXPECT_EQ(s.PrintName, "山田太郎商店本店営業部仕入課第一係長代理");
    EXPECT_EQ(s.DatabaseName, FixedText(kDefaultDatabaseName, kDatabaseNameWidth));
    EXPECT_EQ(f.ItemLabels[0], Sjis("'氏名（ソフト表示）"));

    std::string out = FormatCompanyFile(f);
    EXPECT_EQ(out, bytes) << nvtest::HexDump(out);

    nvtest::TempDir dir;
    std::string path = dir.file(kCompanyFileName);
    WriteCompanyFile(path, ParseCompanyFile(bytes));
    EXPECT_EQ(nvtest::ReadFileBytes(path), bytes);
}

TEST(CompanyFile, ChangeOneItemWriteReadKeepsTheRest)
{
    nvtest::TempDir dir;
    std::string path = dir.file(kCompanyFileName);
    nvtest::WriteFileBytes(path, Fixture());
    CompanyFile f = ReadCompanyFile(path);
    f.Settings.TaxRate = 8;
    f.Settings.StartYear = 2006;
    WriteCompanyFile(path, f);
    std::string bytes = nvtest::ReadFileBytes(path);
    EXPECT_NE(bytes.find(Sjis("'税率") + "\r\n 8 \r\n"), std::string::npos) << nvtest::HexDump(bytes, 2000);
    EXPECT_NE(bytes.find(" 2006  4  1 \r\n"), std::string::npos);
    CompanyFile g = ReadCompanyFile(path);
    EXPECT_EQ(g.Settings, f.Settings);
    EXPECT_EQ(g.ItemLabels, f.ItemLabels);
    EXPECT_EQ(g.Settings.TaxRate, 8.0f);
    // Untouched lines keep their bytes.
    EXPECT_NE(bytes.find(Sjis("'事業形態") + "\r\n-1\r\n"), std::string::npos);
}

TEST(CompanyFile, LongTextIsCutToItsWidthInCharacters)
{
    std::string bytes = Fixture();
    std::string name25 = "一二三四五六七八九十一二三四五六七八九十一二三四五";
    size_t at = bytes.find(Sjis("山田太郎商店  "));
    bytes.replace(at, Sjis("山田太郎商店                ").size(), Sjis(name25));
    CompanyFile f = ParseCompanyFile(bytes);
    EXPECT_EQ(f.Settings.OwnerName, "一二三四五六七八九十一二三四五六七八九十");
    f.Settings.OwnerName = FixedText(name25, kOwnerNameWidth);
    f.ValueLines = {};
    CompanyFile g = ParseCompanyFile(FormatCompanyFile(f));
    EXPECT_EQ(g.Settings.OwnerName, "一二三四五六七八九十一二三四五六七八九十");
    EXPECT_EQ(FixedText("ｱｲｳ", 5), "ｱｲｳ  ");
}

TEST(CompanyFile, CommaAndQuoteInATextSurviveASave)
{
    nvtest::TempDir dir;
    std::string path = dir.file(kCompanyFileName);
    CompanyFile f = ParseCompanyFile(Fixture());
    f.Settings.OwnerName = FixedText("山田,鈴木\"商会\"", kOwnerNameWidth);
    f.Settings.PurchaseClosingDay = " 末日,";
    WriteCompanyFile(path, f);
    CompanyFile g = ReadCompanyFile(path);
    EXPECT_EQ(g.Settings.OwnerName, f.Settings.OwnerName);
    EXPECT_EQ(g.Settings.PurchaseClosingDay, " 末日,");
}

TEST(CompanyFile, WaveDashIsSavedAsItsCp932Twin)
{
    CompanyFile f = ParseCompanyFile(Fixture());
    f.Settings.Address = FixedText("一丁目〜二丁目", kAddressWidth);   // U+301C
    std::string bytes = FormatCompanyFile(f);
    EXPECT_NE(bytes.find(Sjis("一丁目") + "\x81\x60" + Sjis("二丁目")), std::string::npos);
}

TEST(CompanyFile, UnencodableCharacterIsRefusedAndTheOldFileStays)
{
    nvtest::TempDir dir;
    std::string path = dir.file(kCompanyFileName);
    nvtest::WriteFileBytes(path, Fixture());
    CompanyFile f = ReadCompanyFile(path);
    f.Settings.PrintName = FixedText("山田😀商店", kPrintNameWidth);
    try {
        WriteCompanyFile(path, f);
        FAIL() << "emoji written";
    } catch (const CompanyFileError& e) {
        EXPECT_EQ(e.Item(), 18);
        EXPECT_NE(std::string(e.what()).find("氏名(帳票での)"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("😀"), std::string::npos) << e.what();
    }
    EXPECT_EQ(nvtest::ReadFileBytes(path), Fixture());
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.path())) (void)entry, ++files;
    EXPECT_EQ(files, 1);
    f.Settings.PrintName = FixedText("改行\r\nあり", kPrintNameWidth);
    EXPECT_THROW(WriteCompanyFile(path, f), CompanyFileError);
}

struct Broken {
    const char* what;
    std::string bytes;
    int line;
    int item;
};

TEST(CompanyFile, MalformedFilesNameTheLineAndItem)
{
    std::string good = Fixture();
    auto firstLines = [&](int n) {
        size_t p = 0;
        for (int i = 0; i < n; ++i) p = good.find("\r\n", p) + 2;
        return good.substr(0, p);
    };
    auto replaceLine = [&](int line, const std::string& text) {
        std::string b = firstLines(line - 1);
        size_t rest = good.find("\r\n", b.size());
        return b + text + good.substr(rest);
    };
    std::vector<Broken> cases = {
        {"empty", "", 1, 1},
        {"short", firstLines(19), 20, 10},
        {"no last value", firstLines(35), 36, 18},
        {"word for number", replaceLine(16, "twelve"), 16, 8},
        {"two points", replaceLine(26, "1.5.2"), 26, 13},
        {"two dates", replaceLine(18, " 2005  4 "), 18, 9},
        {"extra number", replaceLine(14, " 1  2 "), 14, 7},
        {"open quote", replaceLine(2, "\"abc"), 2, 1},
        {"text after quote", replaceLine(2, "\"abc\" x"), 2, 1},
        {"bad CP932", replaceLine(28, "\x81\x20"), 28, 14},
        {"empty number", replaceLine(34, ""), 34, 17},
        {"NUL in a text", replaceLine(8, std::string("abc\0def", 7)), 8, 4},
        {"NUL after a number", replaceLine(26, std::string(".05\0", 4)), 26, 13},
    };
    for (const Broken& c : cases) {
        try {
            ParseCompanyFile(c.bytes);
            ADD_FAILURE() << c.what << " accepted";
        } catch (const CompanyFileError& e) {
            EXPECT_EQ(e.Line(), c.line) << c.what << ": " << e.what();
            EXPECT_EQ(e.Item(), c.item) << c.what << ": " << e.what();
        }
    }
}

// The file as the screen wrote it with one line replaced.
std::string WithLine(int line, const std::string& text)
{
    std::string f = Fixture();
    size_t p = 0;
    for (int i = 1; i < line; ++i) p = f.find("\r\n", p) + 2;
    return f.replace(p, f.find("\r\n", p) - p, text);
}

TEST(CompanyFile, OneBadValueLosesOnlyItsItem)
{
    const CompanySettings good = ParseCompanyFile(Fixture()).Settings;
    const struct {
        std::string bytes;
        int line, item;
        std::function<void(CompanySettings&)> defaulted;
    } cases[] = {
        {WithLine(16, "twelve"), 16, 8, [](CompanySettings& s) { s.Term = 1; }},
        {WithLine(28, "\x81\x20"), 28, 14, [](CompanySettings& s) { s.PurchaseClosingDay = "末日"; }},
        // Read but cannot be: the start follows the end, the end the start.
        {WithLine(18, " 2005  13  45 "), 18, 9, [](CompanySettings&) {}},
        {WithLine(20, " 2006  13  31 "), 20, 10, [](CompanySettings&) {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const CompanyFile f = ParseCompanyFileKeeping(c.bytes, 2030);
        ASSERT_EQ(f.Problems.size(), 1u);
        EXPECT_EQ(f.Problems[0].Line(), c.line);
        EXPECT_EQ(f.Problems[0].Item(), c.item);
        CompanySettings want = good;
        c.defaulted(want);
        EXPECT_EQ(f.Settings, want);
        EXPECT_THROW(ParseCompanyFile(c.bytes), CompanyFileError);
    }
    EXPECT_NE(DescribeProblems(ParseCompanyFileKeeping(cases[2].bytes, 2030).Problems).find("2005/13/45 は日付ではありません"),
              std::string::npos);
    // A closing day the screen would refuse is said as the file is read, and
    // kept: the summaries close it at the month's end.
    for (const auto& [line, text] : {std::pair{28, "32"}, {30, "-1"}, {28, "abc"}}) {
        const CompanyFile f = ParseCompanyFileKeeping(WithLine(line, text), 2030);
        EXPECT_TRUE(f.Problems.empty() && f.Cautions.size() == 1 && f.Cautions[0].Line() == line);
        EXPECT_NE(DescribeCautions(f.Cautions).find(std::string("「") + text + "」は締日ではありません"), std::string::npos);
        EXPECT_EQ(line == 28 ? f.Settings.PurchaseClosingDay : f.Settings.SalesClosingDay, text);
    }
}

TEST(CompanyFile, SequentialInputSyntax)
{
    std::string good = Fixture();
    auto withLines = [&](const std::string& l2, const std::string& l18, const std::string& l26) {
        std::string f = good;
        auto set = [&](int line, const std::string& text) {
            size_t p = 0;
            for (int i = 1; i < line; ++i) p = f.find("\r\n", p) + 2;
            f.replace(p, f.find("\r\n", p) - p, text);
        };
        set(2, l2);
        set(18, l18);
        set(26, l26);
        return ParseCompanyFile(f);
    };
    CompanyFile a = withLines("  abc  ,xyz", "2005,4,1", "1E+01");
    EXPECT_EQ(TrimRight(a.Settings.OwnerName), "abc");
    EXPECT_EQ(a.Settings.StartMonth, 4.0f);
    EXPECT_EQ(a.Settings.TaxRate, 10.0f);
    CompanyFile b = withLines("\"a,b\"\"c\" ", " 2005 , 4 , 1", "-.5");
    EXPECT_EQ(TrimRight(b.Settings.OwnerName), "a,b\"c");
    EXPECT_EQ(b.Settings.StartDay, 1.0f);
    EXPECT_EQ(b.Settings.TaxRate, -0.5f);

    // Bare LF line ends are read as well.
    std::string lf = good;
    for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
    EXPECT_EQ(ParseCompanyFile(lf).Settings, ParseCompanyFile(good).Settings);
}

TEST(CompanyFile, NumbersPrintAsTheRuntimeDoes)
{
    EXPECT_EQ(PrintNumber(2005), " 2005 ");
    EXPECT_EQ(PrintNumber(-1), "-1 ");
    EXPECT_EQ(PrintNumber(0), " 0 ");
    EXPECT_EQ(PrintNumber(-0.0f), " 0 ");
    EXPECT_EQ(PrintNumber(0.05f), " .05 ");
    EXPECT_EQ(PrintNumber(-0.5f), "-.5 ");
    EXPECT_EQ(PrintNumber(1.5f), " 1.5 ");
    EXPECT_EQ(PrintNumber(1e7f), " 1E+07 ");
    EXPECT_EQ(PrintNumber(100000), " 100000 ");
    // Seven digits would change this value; it is written with more.
    EXPECT_EQ(std::strtof(PrintNumber(1.0000001f).c_str(), nullptr), 1.0000001f);
}

TEST(CompanyFile, NewFileWithDefaultLabelsRoundTrips)
{
    CompanyFile f;
    f.Settings.StartYear = 2024;
    f.Settings.StartMonth = 1;
    f.Settings.StartDay = 1;
    DeriveFiscalEnd(f.Settings);
    f.Settings.PurchaseClosingDay = "末日";
    CompanyFile g = ParseCompanyFile(FormatCompanyFile(f));
    EXPECT_EQ(g.Settings, f.Settings);
    EXPECT_EQ(g.ItemLabels, DefaultItemLabels());
}

TEST(CompanyFile, EmptyFixedTextsAreWrittenAsBlanksUnquoted)
{
    CompanyFile f = ParseCompanyFile(Fixture());
    f.Settings.Fax = FixedText("", kFaxWidth);
    f.Settings.OwnerKana = FixedText("  ｶﾅ", kOwnerKanaWidth);   // leading blanks need the quotes
    std::string bytes = FormatCompanyFile(f);
    EXPECT_NE(bytes.find(Sjis("'ＦＡＸ") + "\r\n" + std::string(15, ' ') + "\r\n"), std::string::npos)
        << nvtest::HexDump(bytes, 2000);
    CompanyFile g = ParseCompanyFile(bytes);
    EXPECT_EQ(g.Settings.Fax, std::string(15, ' '));
    EXPECT_EQ(g.Settings.OwnerKana, f.Settings.OwnerKana);
}

TEST(CompanyFile, MissingFileIsAnError)
{
    nvtest::TempDir dir;
    EXPECT_THROW(ReadCompanyFile(dir.file("company.w1")), CompanyFileError);
}

TEST(SettingsArray, PacksAndUnpacksWithElement21Last)
{
    CompanySettings s = ParseCompanyFile(Fixture()).Settings;
    s.DatabaseName = FixedText("/data/x.MDB", kDatabaseNameWidth);
    SettingsArray a = MakeSettingsArray(s);
    EXPECT_EQ(std::get<float>(a[8]), 2005.0f);
    EXPECT_EQ(std::get<std::string>(a[20]), s.DatabaseName);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(a[22]));
    a[21] = std::string("別名");
    CompanySettings t;
    UnpackSettingsArray(a, t);
    EXPECT_EQ(t.OwnerName, FixedText("別名", kOwnerNameWidth));
    t.OwnerName = s.OwnerName;
    EXPECT_EQ(t, s);
}

} // namespace

TEST(CompanyFile, WrittenLikeADocument)
{
    nvtest::TempDir dir;
    namespace fs = std::filesystem;
    const CompanyFile f = ParseCompanyFile(Fixture());
    // A new file is the owner's alone, whatever the umask.
    const mode_t old = ::umask(022);
    const std::string path = dir.file(kCompanyFileName);
    WriteCompanyFile(path, f);
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // An existing file keeps its mode.
    ::chmod(path.c_str(), 0640);
    WriteCompanyFile(path, f);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A link is written through: the file it names gets the settings.
    const std::string real = dir.file("real.w1");
    nvtest::WriteFileBytes(real, "old");
    const std::string link = dir.file("link.w1");
    fs::create_symlink(real, link);
    WriteCompanyFile(link, f);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(nvtest::ReadFileBytes(real), Fixture());

    // A read-only file is refused and stays as it was.
    const std::string locked = dir.file("locked.w1");
    nvtest::WriteFileBytes(locked, "keep");
    ::chmod(locked.c_str(), 0400);
    try {
        WriteCompanyFile(locked, f);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const CompanyFileError& e) {
        EXPECT_NE(std::string(e.what()).find("locked.w1"), std::string::npos) << e.what();
    }
    EXPECT_EQ(nvtest::ReadFileBytes(locked), "keep");
}

TEST(CompanyFile, ANamedPipeIsRefusedWithoutBlocking)
{
    nvtest::TempDir dir;
    const std::string fifo = dir.file(kCompanyFileName);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(ReadCompanyFile(fifo), CompanyFileError);
    EXPECT_THROW(WriteCompanyFile(fifo, ParseCompanyFile(Fixture())), CompanyFileError);
    EXPECT_THROW(ReadCompanyFile(dir.path().string()), CompanyFileError);
}

TEST(CompanyFile, AFailedSaveSaysInJapaneseWhichFileAndWhy)
{
    nvtest::TempDir dir;
    const std::string path = dir.file("missing") + "/" + kCompanyFileName;
    try {
        WriteCompanyFile(path, ParseCompanyFile(Fixture()));
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const CompanyFileError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_NE(text.find("フォルダがありません"), std::string::npos) << text;
        EXPECT_EQ(text.find("No such"), std::string::npos) << text;
    }
}
