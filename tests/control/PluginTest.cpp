// The control as hosts meet it: created by ProgID from the build tree's
// ProgID file, embedded as a widget, driven late-bound; its property page
// driven as a person would.
#include "support/TestApp.h"
#include "support/TestUserFolder.h"
#include "ControlFixture.h"

#include "control/InkplateHost.h"
#include "control/InkplatePropPage.h"
#include "engine/core/EngineLog.h"
#include "engine/core/UserFolder.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/ScriptedPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

using namespace nv;
using namespace nvtest;

namespace {

void EnsureApplication() { nvtest::EnsureWidgetApp(); }

class PluginTest : public ControlTest {
protected:
    void SetUp() override
    {
        EnsureApplication();
        setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
        ControlTest::SetUp();
        FormFileOptions options;
        options.itemsInContainer = true;
        WriteSample("sample.tvf", options);
        ink = ObjectRef(CreateObject("Tavelo.Inkplate"));
        ink.Put("FormPath", Variant(dir.path().string()));
        ink.Put("ImagePath", Variant(dir.path().string()));
    }
    void TearDown() override { unsetenv("NIVALO_PROGIDS"); }

    ObjectRef Item(const ObjectRef& form, const char* name)
    {
        return ObjectRef(ObjectRef(form.Get("TvObjects")).Get("Item", {Variant(name)}));
    }

    ObjectRef ink;
};

#define EXPECT_LATE_ERROR(statement, scode_, textId_)                                                               \
    do {                                                                                                            \
        try {                                                                                                       \
            statement;                                                                                              \
            ADD_FAILURE() << #statement " raised nothing";                                                          \
        } catch (const AutomationError& e_) {                                                                       \
            EXPECT_EQ(uint32_t(e_.Scode()), uint32_t(scode_)) << e_.Description();                                 \
            if (textId_) {                                                          \
                EXPECT_EQ(e_.HelpContext(), textId_) << e_.Description();                                           \
            }                                \
        }                                                                                                           \
    } while (0)

} // namespace

TEST_F(PluginTest, CreatedByProgIdAsAWidget)
{
    ObjectRef versioned(CreateObject("Tavelo.Inkplate.1"));
    ASSERT_TRUE(versioned);
    auto* widget = static_cast<QWidget*>(ink.Get()->QueryInterface(kIID_QWidget));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->size(), QSize(31, 31));
    EXPECT_EQ(widget->toolTip(), QStringLiteral("Tavelo Ver7 Inkplate Control"));
    EXPECT_TRUE(widget->isHidden());
    auto* ambient = static_cast<InkplateAmbient*>(ink.Get()->QueryInterface(kIID_InkplateAmbient));
    ASSERT_NE(ambient, nullptr);
    ambient->SetUserMode(false);
    EXPECT_FALSE(widget->isHidden());
    widget->resize(200, 100);
    EXPECT_EQ(widget->size(), QSize(31, 31));
}

TEST_F(PluginTest, RefusalsReachTheHostsLogFileInJapanese)
{
    // The control logs into the file of the program that hosts it.
    const std::string user = dir.file("user");
    std::filesystem::create_directory(user);
    std::filesystem::permissions(user, std::filesystem::perms::owner_all);
    StopLogFile();
    SetUserFolder(user);
    ObjectRef own(CreateObject("Tavelo.Inkplate"));
    own.Put("FormPath", Variant(dir.path().string()));
    const std::string log = LogFilePath();
    EXPECT_EQ(log, user + "/" + program_invocation_short_name + ".log");

    std::filesystem::create_directory(dir.path() / "x.tvf");
    WriteFileBytes(dir.path() / "broken.tvf", "just some text");
    EXPECT_LATE_ERROR(own.Call("OpenForm", {Variant("x.tvf")}), 0x800A004B, 20000);
    EXPECT_LATE_ERROR(own.Call("OpenForm", {Variant("broken.tvf")}), 0x800A004B, 20000);
    EXPECT_LATE_ERROR(own.Call("OpenForm", {Variant("none.tvf")}), 0x800A0035, 20016);
    const std::string text = ReadFileBytes(log);
    StopLogFile();
    SetUserFolder(nvtest::TestUserFolder());
    const std::string folder = dir.file("x.tvf");
    for (const std::string& expected :
         {"フォームファイル " + folder + " を開けません: " + folder + " はフォルダです。",
          "フォームファイル " + dir.file("broken.tvf") + " を開けません: アーカイブの形式が正しくありません。",
          std::string("フォームファイル none.tvf がフォームのフォルダ")})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find("アクセスが拒否"), std::string::npos) << text;
}

TEST_F(PluginTest, UnitRefusedLateBound)
{
    EXPECT_EQ(ink.Get("Unit").ToLong(), 1);
    EXPECT_LATE_ERROR(ink.Put("Unit", Variant(int32_t(7))), 0x800A017C, 20011);
    EXPECT_LATE_ERROR(ink.Put("Unit", Variant(int32_t(-1))), 0x800A017C, 20011);
    EXPECT_EQ(ink.Get("Unit").ToLong(), 1);
    EXPECT_LATE_ERROR(ink.Call("OpenForm", {Variant("none.tvf")}), 0x800A0035, 20016);
}

TEST_F(PluginTest, TextTakesWhatCallersPass)
{
    ObjectRef form(ink.Call("OpenForm", {Variant("sample.tvf")}));
    ObjectRef amount = Item(form, "Amount");
    const struct {
        Variant value;
        const char* text;
    } cases[] = {
        {Variant("99"), "99"},
        {Variant(int32_t(123456)), "123456"},
        {Variant(int16_t(-12)), "-12"},
        {Variant(1234.56f), "1234.56"},
    };
    for (const auto& c : cases) {
        amount.Put("Text", c.value);
        EXPECT_EQ(amount.Get("Text").ToString(), c.text);
    }
    EXPECT_LATE_ERROR(amount.Put("Text", Variant::Null()), 0x80020005, 0);
    try {
        amount.Put("Text", Variant("🍣"));
        ADD_FAILURE();
    } catch (const AutomationError& e) {
        EXPECT_NE(e.Description().find("🍣"), std::string::npos) << e.Description();
    }
    EXPECT_EQ(amount.Get("Text").ToString(), "1234.56");
    EXPECT_LATE_ERROR(Item(form, "Code").Put("Text", Variant("49012345678A")), 0x800A017C, 20035);
}

TEST_F(PluginTest, CollectionsAndClosedForms)
{
    ObjectRef form(ink.Call("OpenForm", {Variant("sample.tvf")}));
    EXPECT_EQ(ObjectRef(ink.Get("TvForms")).Get("Count").ToLong(), 1);
    ObjectRef layers(form.Get("TvLayers"));
    EXPECT_EQ(layers.Get("Count").ToLong(), 2);
    ObjectRef lines(layers.Get("Item", {Variant("Lines")}));
    EXPECT_EQ(lines.Get("LayerMode").ToLong(), 1);
    form.Call("DrawTvLine", {Variant(0), Variant(0), Variant(1), Variant(1)});
    form.Put("ActiveLayer", lines.AsVariant());
    EXPECT_LATE_ERROR(form.Call("DrawTvLine", {Variant(0), Variant(0), Variant(1), Variant(1)}), 0x800A0005, 20029);
    ObjectRef title = Item(form, "Title");
    ObjectRef again = Item(form, "Title");
    EXPECT_EQ(title.Get(), again.Get());
    form.Call("Close");
    EXPECT_EQ(ObjectRef(ink.Get("TvForms")).Get("Count").ToLong(), 0);
    EXPECT_LATE_ERROR(form.Call("PrintOut"), 0x800A03E8, 20008);
    EXPECT_LATE_ERROR(form.Get("Name"), 0x800A03E8, 20008);
    EXPECT_LATE_ERROR(title.Get("Text"), 0x800A03E8, 20008);
    EXPECT_LATE_ERROR(lines.Get("Name"), 0x800A03E8, 20008);
}

TEST_F(PluginTest, PropertyPageOkSetsTheFiveCancelNothing)
{
    CInkplateCtrl host;
    {
        CInkplatePropPage page(host);
        ASSERT_EQ(page.UnitList()->count(), 7);
        EXPECT_EQ(page.UnitList()->itemText(0), QStringLiteral("0 - tvlUnitMm (1mm単位)"));
        EXPECT_EQ(page.UnitList()->itemText(6), QStringLiteral("6 - tvlUnitLpi10 (1/10LPI単位)"));
        EXPECT_EQ(page.UnitList()->currentIndex(), 1);
        page.show();
        QTest::keyClicks(page.Folder(0), "/forms");
        QTest::keyClicks(page.Folder(1), "/images");
        QTest::keyClicks(page.Folder(2), "/docs");
        QTest::keyClicks(page.Folder(3), "/work");
        page.UnitList()->setCurrentIndex(4);
        auto* box = page.findChild<QDialogButtonBox*>();
        QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    }
    EXPECT_EQ(host.GetFormPath(), "");
    EXPECT_EQ(host.GetUnit(), 1);
    {
        ui::ScopedPrompt scoped(std::make_unique<ui::ScriptedPrompt>());
        auto& script = static_cast<ui::ScriptedPrompt&>(ui::CurrentPrompt());
        script.Then(std::optional<QString>(QStringLiteral("/chosen/forms")));
        CInkplatePropPage page(host);
        page.show();
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("FormPathBrowse")), Qt::LeftButton);
        ASSERT_EQ(script.AllAsked().size(), 1u);
        EXPECT_EQ(script.AllAsked()[0].text, QStringLiteral("ﾌｫｰﾑﾌｧｲﾙ格納ﾃﾞｨﾚｸﾘの指定"));
        QTest::keyClicks(page.Folder(1), "/images");
        QTest::keyClicks(page.Folder(2), "/docs");
        QTest::keyClicks(page.Folder(3), "/work");
        page.UnitList()->setCurrentIndex(4);
        auto* box = page.findChild<QDialogButtonBox*>();
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }
    EXPECT_EQ(host.GetFormPath(), "/chosen/forms");
    EXPECT_EQ(host.GetImagePath(), "/images");
    EXPECT_EQ(host.GetDocumentPath(), "/docs");
    EXPECT_EQ(host.GetWorkPath(), "/work");
    EXPECT_EQ(host.GetUnit(), 4);
}

TEST_F(PluginTest, ConverterRefusalsBySite)
{
    ObjectRef form(ink.Call("OpenForm", {Variant("sample.tvf")}));
    ObjectRef frame = Item(form, "Frame");
    // The same text id: 0x800A017C from a property, 0x800A0005 from a form method.
    EXPECT_LATE_ERROR(frame.Put("FillPattern", Variant(int32_t(99))), 0x800A017C, 20015);
    EXPECT_LATE_ERROR(form.Call("SetFillPattern", {Variant(int32_t(99)), Variant(int32_t(0))}), 0x800A0005, 20015);
    EXPECT_LATE_ERROR(frame.Put("LineStyle", Variant(int32_t(99))), 0x800A017C, 20014);
    EXPECT_LATE_ERROR(form.Call("SetLine", {Variant(int32_t(99)), Variant(int32_t(1)), Variant(int32_t(0))}),
                      0x800A0005, 20014);
    EXPECT_LATE_ERROR(form.Call("SetTextAttribute", {Variant(int32_t(12)), Variant(int32_t(0))}), 0x800A0005, 20027);
    frame.Put("FillPattern", Variant(int32_t(2)));
    EXPECT_EQ(frame.Get("FillPattern").ToLong(), 2);
}

TEST_F(PluginTest, CollectionsFollowOrderChanges)
{
    ObjectRef form(ink.Call("OpenForm", {Variant("sample.tvf")}));
    ObjectRef base(ObjectRef(form.Get("TvLayers")).Get("Item", {Variant("Base")}));
    ObjectRef objects(base.Get("TvObjects"));
    ObjectRef first(objects.Get("Item", {Variant(int32_t(0))}));
    EXPECT_EQ(first.Get("Name").ToString(), "Title");
    first.Call("MoveTop");
    const int32_t last = objects.Get("Count").ToLong() - 1;
    EXPECT_EQ(ObjectRef(objects.Get("Item", {Variant(last)})).Get(), first.Get());
    EXPECT_EQ(ObjectRef(objects.Get("Item", {Variant(int32_t(0))})).Get("Name").ToString(), "Amount");
    base.Call("MoveTop");
    EXPECT_EQ(ObjectRef(ObjectRef(form.Get("TvLayers")).Get("Item", {Variant(int32_t(1))})).Get(), base.Get());
}

TEST_F(PluginTest, AboutBoxGoesThroughThePrompt)
{
    ui::ScopedPrompt scoped(std::make_unique<ui::ScriptedPrompt>());
    auto& script = static_cast<ui::ScriptedPrompt&>(ui::CurrentPrompt());
    ink.Call("AboutBox");
    ASSERT_EQ(script.Messages().size(), 1);
    EXPECT_TRUE(script.Messages()[0].contains(QStringLiteral("Tavelo Ver7 Inkplate Control")));
}


// Faults the hosts met when driving every member late-bound.
TEST_F(PluginTest, LoadFaultsGiveTheFormText)
{
    const std::string good = StoreFormFile(*SampleForm());
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"truncated.tvf", good.substr(0, 700)},
        {"halved.tvf", good.substr(0, good.size() / 2)},
        {"text.tvf", "just some text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir.path() / c.name, c.bytes);
        try {
            ink.Call("OpenForm", {Variant(c.name)});
            ADD_FAILURE() << "opened";
        } catch (const AutomationError& e) {
            EXPECT_EQ(uint32_t(e.Scode()), 0x800A004Bu);
            EXPECT_EQ(e.HelpContext(), 20000);
            EXPECT_EQ(e.Description(), "ﾌｫｰﾑﾌｧｲﾙにｱｸｾｽできません。");
        }
    }
}

TEST_F(PluginTest, BarWidthTakesOnlyPositiveValues)
{
    ObjectRef code = Item(ObjectRef(ink.Call("OpenForm", {Variant("sample.tvf")})), "Code");
    code.Put("BarWidth", Variant(int32_t(3)));
    for (const int32_t refused : {0, -1, -30000}) {
        SCOPED_TRACE(refused);
        EXPECT_LATE_ERROR(code.Put("BarWidth", Variant(refused)), 0x800A017C, 20041);
    }
    EXPECT_EQ(code.Get("BarWidth").ToLong(), 3);
}

TEST_F(PluginTest, LayersOfAClosedFormRefuseEveryMember)
{
    ObjectRef form(ink.Call("OpenForm", {Variant("sample.tvf")}));
    ObjectRef lines(ObjectRef(form.Get("TvLayers")).Get("Item", {Variant("Lines")}));
    EXPECT_NO_THROW(lines.Get("GridSpacingX"));
    form.Call("Close");
    for (const char* member : {"GridSpacingX", "GridSpacingY", "LayerMode", "PrintDpiX", "TvObjects"}) {
        SCOPED_TRACE(member);
        EXPECT_LATE_ERROR(lines.Get(member), 0x800A03E8, 20008);
    }
    EXPECT_LATE_ERROR(lines.Call("MoveTop"), 0x800A03E8, 20008);
    EXPECT_LATE_ERROR(lines.Call("MoveBottom"), 0x800A03E8, 20008);
}

TEST_F(PluginTest, MovedPicturesAreFoundByFileNameAlongImagePath)
{
    ObjectRef photo = Item(ObjectRef(ink.Call("OpenForm", {Variant("sample.tvf")})), "Photo");
    // Named as this machine names files, in a folder that is gone.
    photo.Put("FileName", Variant("/gone/pictures/logo.bmp"));
    EXPECT_EQ(photo.Get("FileName").ToString(), (dir.path() / "logo.bmp").string());
    EXPECT_LATE_ERROR(photo.Put("FileName", Variant("/gone/pictures/none.bmp")), 0x800A0035, 20030);
}
