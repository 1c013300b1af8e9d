#include "platform/automation/Automation.h"
#include "platform/core/Paths.h"
#include "platform/core/PlatformLog.h"
#include "plugins/EchoObject.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace nv;

namespace {

// Points NIVALO_PROGIDS at a file for one test.
class ProgIdFile {
public:
    explicit ProgIdFile(const std::string& text)
    {
        nvtest::WriteFileBytes(dir_.path() / "progids", text);
        setenv("NIVALO_PROGIDS", dir_.file("progids").c_str(), 1);
    }
    ~ProgIdFile() { unsetenv("NIVALO_PROGIDS"); }
    const nvtest::TempDir& dir() const { return dir_; }

private:
    nvtest::TempDir dir_;
};

std::string EchoLines()
{
    return FormatProgIdLines(LoadPlugin(NV_TEST_ECHO_PLUGIN), NV_TEST_ECHO_PLUGIN);
}

// The person reads the component and the cause in Japanese; the log gets the
// system's words when there are any.
void ExpectCannotCreate(std::string_view progId, const std::string& cause, const char* logged = "")
{
    SCOPED_TRACE(std::string(progId));
    static std::string lastLogged;
    SetPlatformLogWriter([](std::string_view source, std::string_view text) {
        lastLogged = std::string(source) + ": " + std::string(text);
    });
    lastLogged.clear();
    try {
        CreateObject(progId);
        ADD_FAILURE() << "created";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), int32_t(0x800A01AD));
        EXPECT_EQ(e.Number(), 429);
        EXPECT_EQ(e.Description(), "部品 " + std::string(progId) + " を作成できません。\n" + cause);
        EXPECT_EQ(e.Description().find("ActiveX"), std::string::npos);
        EXPECT_NE(lastLogged.find(std::string(progId) + ": " + cause), std::string::npos) << lastLogged;
        EXPECT_NE(lastLogged.find(logged), std::string::npos) << lastLogged;
    }
    SetPlatformLogWriter(nullptr);
}

} // namespace

TEST(Plugin, DescribesItsClassesForTheProgIdFile)
{
    EXPECT_EQ(EchoLines(), std::string("NvTest.Echo.1\t") + NV_TEST_ECHO_PLUGIN
                               + "\tEcho\t{00000000-0000-0000-0000-000000000001}\n"
                                 "NvTest.Echo\tCurVer\tNvTest.Echo.1\n");
}

TEST(Plugin, CreatedByEitherProgIdAndCalledLateBound)
{
    ProgIdFile file("# test classes\n" + EchoLines());
    for (const char* progId : {"NvTest.Echo.1", "NvTest.Echo", "nvtest.ECHO"}) {
        SCOPED_TRACE(progId);
        ObjectRef o = CreateObject(progId);
        ASSERT_TRUE(o);
        EXPECT_EQ(o.Get("Value").I4(), 42);
        Variant text("日本");
        std::vector<Variant> args{Variant::ByRef(&text), Variant("語")};
        o.CallArgs("Append", args);
        EXPECT_EQ(text.Str(), "日本語");
        std::vector<Variant> arr{MakeArray({Variant("a"), Variant(int16_t(2)), Variant(3.5)}, 1)};
        EXPECT_EQ(o.CallArgs("Bounds", arr).Str(), "1..3 a 2 3.5");
        try {
            o.Call("Crash");
            ADD_FAILURE();
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Scode(), DISP_E_EXCEPTION);
            EXPECT_STREQ(e.what(), "engine broke");
        }
        try {
            o.Call("Fail");
            ADD_FAILURE();
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Scode(), int32_t(0x800A0005));
            EXPECT_EQ(e.HelpContext(), 20010);
        }
    }
    EXPECT_EQ(LookUpProgId("NVTEST.ECHO")->progId, "NvTest.Echo.1");
}

TEST(Plugin, EveryFailureToCreateIs429)
{
    std::string lines = EchoLines();
    lines += "NvTest.Missing.1\t/nonexistent/Missing.so\tMissing\t\n";
    lines += std::string("NvTest.NoFactory.1\t") + NV_TEST_NO_FACTORY_PLUGIN + "\tNone\t\n";
    lines += std::string("NvTest.Old.1\t") + NV_TEST_OTHER_ABI_PLUGIN + "\tOld\t\n";
    lines += "NvTest.Dangling\tCurVer\tNvTest.Gone.1\n";
    lines += std::string("NvTest.Elsewhere.1\t") + NV_TEST_ECHO_PLUGIN + "\tElsewhere\t\n";
    lines += "a line that is not one\n";
    nvtest::TempDir other;
    const std::string broken = other.file("Broken.so");
    nvtest::WriteFileBytes(broken, "not a library");
    lines += "NvTest.Broken.1\t" + broken + "\tBroken\t\n";
    ProgIdFile file(lines);
    const std::string listed = " に載っていません。";
    const std::string noFactory = NV_TEST_NO_FACTORY_PLUGIN, old = NV_TEST_OTHER_ABI_PLUGIN;
    const struct {
        const char* progId;
        std::string cause;
        const char* logged;
    } rows[] = {
        {"NvTest.Unknown", "部品の一覧 " + file.dir().file("progids") + listed, ""},
        {"NvTest.Dangling", "部品の一覧 " + file.dir().file("progids") + listed, ""},
        {"NvTest.Missing.1", "部品のファイル /nonexistent/Missing.so がありません。", ""},
        // A list naming the wrong file is said as that, in the user's words.
        {"NvTest.Elsewhere.1", "部品の一覧 " + file.dir().file("progids") + " は部品のファイル " + NV_TEST_ECHO_PLUGIN +
                                   " を挙げていますが、そのファイルに NvTest.Elsewhere.1 はありません。", ""},
        {"NvTest.Broken.1", "部品のファイル " + broken + " を読み込めません。", "Broken.so"},
        {"NvTest.NoFactory.1", "ファイル " + noFactory + " は部品ではありません。", "no plug-in factory"},
        {"NvTest.Old.1", "部品のファイル " + old + " は、このプログラムとは別の版のものです。", "another plug-in version"},
        // Refused once, said alike again.
        {"NvTest.Old.1", "部品のファイル " + old + " は、このプログラムとは別の版のものです。", "another plug-in version"},
    };
    for (const auto& row : rows) ExpectCannotCreate(row.progId, row.cause, row.logged);
    EXPECT_TRUE(CreateObject("NvTest.Echo"));
    setenv("NIVALO_PROGIDS", other.file("progids").c_str(), 1);
    ExpectCannotCreate("NvTest.Echo", "部品の一覧 " + other.file("progids") + " がありません。");
    setenv("NIVALO_PROGIDS", file.dir().file("progids").c_str(), 1);
    Dispatch* raw = reinterpret_cast<Dispatch*>(1);
    ErrorRecord error;
    EXPECT_EQ(CreateObject("NvTest.Unknown", &raw, &error), int32_t(0x800A01AD));
    EXPECT_EQ(raw, nullptr);
}

TEST(Plugin, ExportsOnlyItsFactory)
{
    std::string cmd = std::string("nm -D --defined-only '") + NV_TEST_ECHO_PLUGIN + "'";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    ASSERT_EQ(pclose(p), 0);
    std::vector<std::string> symbols;
    size_t pos = 0;
    while (pos < out.size()) {
        size_t nl = out.find('\n', pos);
        std::string line = out.substr(pos, nl - pos);
        pos = nl == std::string::npos ? out.size() : nl + 1;
        std::string name = line.substr(line.rfind(' ') + 1);
        if (!name.empty() && name.find('@') == std::string::npos) symbols.push_back(name);
    }
    EXPECT_EQ(symbols, std::vector<std::string>{"NvPluginFactory"}) << out;
}

TEST(ProgIdFile, ParsesClassesAndCurrentVersions)
{
    std::vector<std::string> problems;
    auto e = ParseProgIdFile("# comment\r\n\nA.B.1\tlib/A.so\tB\t{1},{2}\r\nA.B\tCurVer\tA.B.1\nbroken\n"
                             "X\tCurVer\n\tlib.so\nY\ta\tb\tc\td\nZ\tlib.so\tT\tcat\r\r\n",
                             &problems);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].progId, "A.B.1");
    EXPECT_EQ(e[0].library, "lib/A.so");
    EXPECT_EQ(e[0].typeName, "B");
    EXPECT_EQ(e[0].categories, "{1},{2}");
    EXPECT_EQ(e[1].curVer, "A.B.1");
    EXPECT_EQ(problems, (std::vector<std::string>{"line 5: not a ProgID line", "line 6: not a ProgID line",
                                                  "line 7: not a ProgID line", "line 8: not a ProgID line",
                                                  "line 9: not a ProgID line"}));
}

TEST(ProgIdFile, RelativeLibrariesAreTakenFromTheFilesFolder)
{
    nvtest::TempDir dir;
    std::filesystem::create_directories(dir.path() / "lib");
    std::filesystem::copy_file(NV_TEST_ECHO_PLUGIN, dir.path() / "lib" / "Echo.so");
    std::filesystem::create_directories(dir.path() / "share");
    nvtest::WriteFileBytes(dir.path() / "share" / "progids", "NvTest.Copy.1\t../lib/Echo.so\tEcho\t\n");
    setenv("NIVALO_PROGIDS", (dir.path() / "share" / "progids").c_str(), 1);
    EXPECT_EQ(LookUpProgId("nvtest.copy.1")->library, (dir.path() / "lib" / "Echo.so").string());
    unsetenv("NIVALO_PROGIDS");
}

TEST(ProgIdFile, InProcessClassesComeFirst)
{
    RegisterClass("NvTest.Local", &CreateInstance<nvtest::Echo>);
    unsetenv("NIVALO_PROGIDS");
    ObjectRef o = CreateObject("nvtest.local");
    EXPECT_EQ(o.Get("Name").Str(), "echo");
    UnregisterClass("NvTest.Local");
    EXPECT_THROW(CreateObject("NvTest.Local"), AutomationError);
}
