// The report forms as the build writes them: opened through the control,
// every name the journals fill present once, all on the A4 page, and the
// widest figures within their cells with the real fonts.
#include "support/TestApp.h"
#include "control/CInkplateCtrl.h"
#include "control/CXForm.h"
#include "control/CXLayer.h"
#include "control/CXObject.h"
#include "engine/core/AppException.h"
#include "engine/model/TvData.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextLayout.h"
#include "ledger/journal/forms/FormBuilder.h"
#include "ledger/journal/forms/PrintForms.h"
#include "platform/core/Cp932.h"
#include "platform/automation/Status.h"
#include "platform/core/Paths.h"
#include "platform/qt/QtSurfaces.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace nv;

namespace {

void EnsureApp() { nvtest::EnsureGuiApp(); }

std::string Sj(const std::string& utf8) { return *Utf8ToCp932(utf8); }

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

void AddSeries(std::vector<std::string>& out, const std::string& stem, int from, int to)
{
    for (int i = from; i <= to; ++i) out.push_back(stem + std::to_string(i));
}

std::vector<std::string> LedgerNames()
{
    std::vector<std::string> n{"印刷名", "売上金額", "受入金額", "〆切", "ＮＯ", "支払", "氏名",
                               "住所",   "請求",     "電話",     "郵便番号", "nen", "ページ"};
    for (const char* stem : {"tsuki", "hi", "hinmei", "suuryou", "tanka", "uriage", "ukeire", "kashi", "zandaka"})
        AddSeries(n, stem, 1, 31);
    for (const char* foot : {"hinmei32", "uriage32", "ukeire32", "zandaka32"}) n.push_back(foot);
    return n;
}

std::vector<std::string> SummaryNames(int slotCount, int columns, int months)
{
    std::vector<std::string> n{"印刷名", "集計表", "年", "ページ"};
    AddSeries(n, "head", 0, slotCount - 1);
    AddSeries(n, "hito", 1, columns);
    for (int c = 0; c < columns; ++c) AddSeries(n, std::string(1, char('a' + c)), 0, slotCount - 1);
    AddSeries(n, "tsuki", 1, months);
    return n;
}

struct FormCase {
    const char* file;
    std::vector<std::string> layers;
    std::vector<std::string> names;
    size_t count;
    int orientation = 1;   // 2: A4 on its side
};

std::vector<FormCase> Cases()
{
    return {
        {"PRINT/仕入れ.tvf", {"フレイム", "フレイム２", "明細", "見出し"}, LedgerNames(), 296},
        {"PRINT/仕入れ集計.tvf", {"フレイム", "フレイム売上げ", "明細", "見出し"}, SummaryNames(37, 5, 12), 243},
        {"PRINT/仕入れ集計横書き.tvf",
         {"フレイム", "フレイム売上げ", "明細", "見出し"},
         SummaryNames(13, 24, 4),
         357,
         2},
    };
}

class PrintFormsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Only the build tree holds the forms.
        setenv("NIVALO_HOME", home.path().c_str(), 1);
        ctrl = std::make_unique<CInkplateCtrl>();
    }
    void TearDown() override { unsetenv("NIVALO_HOME"); }

    std::shared_ptr<CXForm> Open(const std::string& file)
    {
        // The build's own output, which the look-up finds when nothing is installed.
        EXPECT_TRUE(FindResourcePath(file)) << file;
        return ctrl->OpenForm(ShareFolderPath() + file);
    }

    static std::map<std::string, std::shared_ptr<CXObject>> ByName(CXForm& form)
    {
        std::map<std::string, std::shared_ptr<CXObject>> m;
        for (auto& o : form.TvObjects()) m[o->Name()] = o;
        return m;
    }

    nvtest::TempDir home;
    std::unique_ptr<CInkplateCtrl> ctrl;
};

TEST_F(PrintFormsTest, EachFormHoldsItsLayersAndEveryFilledNameOnce)
{
    for (const FormCase& c : Cases()) {
        SCOPED_TRACE(c.file);
        auto form = Open(c.file);
        ASSERT_TRUE(form);
        std::vector<std::string> layers;
        for (auto& l : form->TvLayers()) layers.push_back(l->Name());
        EXPECT_EQ(layers, c.layers);

        ASSERT_EQ(c.names.size(), c.count) << c.names.front() << " " << c.names.back();
        std::map<std::string, int> seen;
        size_t fields = 0;
        for (auto& o : form->TvObjects()) {
            ++seen[o->Name()];
            TvObject* e = o->EngineObject();
            const std::string layer = Cp932ToUtf8(form->Root().FindLayerOf(e)->m_strName);
            if (e->GetType() == objData) {
                ++fields;
                EXPECT_TRUE(layer == "明細" || layer == "見出し") << o->Name() << " in " << layer;
            } else {
                // Rules, boxes and fixed captions only, and only on the frame layers.
                EXPECT_TRUE(e->GetType() == objLine || e->GetType() == objBox || e->GetType() == objText);
                EXPECT_EQ(layer.rfind("フレイム", 0), 0u) << o->Name() << " in " << layer;
            }
        }
        for (const std::string& name : c.names) EXPECT_EQ(seen[name], 1) << name;
        for (const auto& [name, n] : seen) EXPECT_EQ(n, 1) << name;
        EXPECT_EQ(fields, c.count);
        form->Close();
    }
}

TEST_F(PrintFormsTest, EveryObjectLiesOnTheA4Page)
{
    const int32_t a4Width = 11905511, a4Length = 16837795;
    for (const FormCase& c : Cases()) {
        SCOPED_TRACE(c.file);
        auto form = Open(c.file);
        ASSERT_TRUE(form);
        EXPECT_EQ(form->PaperSizeNumber(), 2); // A4
        EXPECT_EQ(form->Root().EnsureFormInfo().m_nPaperWidth, a4Width);
        EXPECT_EQ(form->Root().EnsureFormInfo().m_nPaperLength, a4Length);
        EXPECT_EQ(form->Orientation(), c.orientation);
        const Rect page = c.orientation == 1 ? Rect{0, 0, a4Width, a4Length} : Rect{0, 0, a4Length, a4Width};
        size_t n = 0;
        for (auto& o : form->TvObjects()) {
            Rect r;
            o->EngineObject()->GetBoundRect(r, true);
            EXPECT_TRUE(r.left >= page.left && r.top >= page.top && r.right <= page.right && r.bottom <= page.bottom)
                << o->Name() << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
            ++n;
        }
        EXPECT_GT(n, c.count);
        form->Close();
    }
}

// What a field shows for a value, laid out with the real fonts in its box.
struct Placed {
    std::string shown;
    size_t lines = 0;
    int32_t widest = 0, length = 0; // along the line
    int32_t depth = 0, room = 0;     // across the lines
};

Placed Place(const TvFedObject& form, TvData& field, const std::string& value, TextMeasurer& measurer)
{
    field.m_strValue = Sj(value);
    Placed p;
    int rc = field.FormatFieldText(p.shown);
    if (rc < 0 && p.shown.empty()) p.shown = field.m_strValue;
    TextLayout layout(&measurer);
    layout.Prepare(MakeTextLayoutParams(field, &form, nullptr, form.FindLayerOf(&field)));
    layout.Build(p.shown);
    p.lines = layout.Lines().size();
    for (const TextLine& l : layout.Lines()) p.widest = std::max(p.widest, l.width);
    if (!layout.Lines().empty()) p.depth = layout.Lines().back().y + layout.Lines().back().maxHeight;
    p.length = layout.LineLength();
    p.room = field.m_nHeight - field.m_nMarginTop - field.m_nMarginBottom;
    field.m_strValue.clear();
    return p;
}

TEST_F(PrintFormsTest, TheWidestValuesFitTheirCells)
{
    EnsureApp();
    DcTextMeasurer measurer(CreateMeasuringDc());
    struct Row {
        const char* file;
        const char* name;
        std::string value;
        const char* shown;
        size_t lines;
    };
    const Row rows[] = {
        {"PRINT/仕入れ.tvf", "uriage5", "4500000000", "4,500,000,000", 1},
        {"PRINT/仕入れ.tvf", "ukeire31", "-4500000000", "-4,500,000,000", 1},
        {"PRINT/仕入れ.tvf", "uriage32", " 4500000000", "4,500,000,000", 1},
        {"PRINT/仕入れ.tvf", "zandaka7", " 4500000000", "4,500,000,000", 1},
        {"PRINT/仕入れ.tvf", "zandaka32", "-4500000000", "-4,500,000,000", 1},
        {"PRINT/仕入れ.tvf", "zandaka2", " 100000", "100,000", 1},
        {"PRINT/仕入れ.tvf", "zandaka3", "-12000", "-12,000", 1},
        {"PRINT/仕入れ.tvf", "zandaka4", " 0", "0", 1},
        {"PRINT/仕入れ.tvf", "uriage2", "12000", "12,000", 1},
        {"PRINT/仕入れ.tvf", "tanka2", "0.5", "0.5", 1},
        {"PRINT/仕入れ.tvf", "tanka4", "1250.25", "1,250.25", 1},
        {"PRINT/仕入れ.tvf", "suuryou2", "0.25", "0.25", 1},
        {"PRINT/仕入れ.tvf", "suuryou4", "12", "12", 1},
        {"PRINT/仕入れ.tvf", "zandaka1", "", "", 0},
        {"PRINT/仕入れ.tvf", "suuryou3", "99999.99", "99,999.99", 1},
        {"PRINT/仕入れ.tvf", "tanka3", "999999.5", "999,999.5", 1},
        {"PRINT/仕入れ.tvf", "uriage9", "", "", 0},
        {"PRINT/仕入れ.tvf", "tsuki12", "12", "12", 1},
        {"PRINT/仕入れ.tvf", "hinmei1", "前葉ヨリ繰越し", "前葉ヨリ繰越し", 1},
        {"PRINT/仕入れ.tvf", "hinmei32", "次葉へ繰り越し", "次葉へ繰り越し", 1},
        {"PRINT/仕入れ.tvf", "hinmei4", "１２３４５６７８９０１２３４５６７８", "１２３４５６７８９０１２３４５", 1},
        {"PRINT/仕入れ.tvf", "売上金額", "仕 入 金 額", "仕 入 金 額", 1},
        {"PRINT/仕入れ.tvf", "受入金額", "受 入 金 額", "受 入 金 額", 1},
        {"PRINT/仕入れ.tvf", "住所", Repeat("住", 35), nullptr, 1},
        {"PRINT/仕入れ.tvf", "氏名", "株式会社ネーヴァロ商事東日本支店営業第二部購買課", nullptr, 1},
        {"PRINT/仕入れ.tvf", "印刷名", "ネーヴァロ商事株式会社", nullptr, 1},
        {"PRINT/仕入れ集計.tvf", "a0", " 4500000000", "4,500,000,000", 1},
        {"PRINT/仕入れ集計.tvf", "e36", "-4500000000", "-4,500,000,000", 1},
        {"PRINT/仕入れ集計.tvf", "b1", " 100000", "100,000", 1},
        {"PRINT/仕入れ集計.tvf", "b2", " 0", "0", 1},
        {"PRINT/仕入れ集計.tvf", "head36", "次月繰越", "次月繰越", 1},
        {"PRINT/仕入れ集計.tvf", "hito3", "年合計", "年合計", 1},
        {"PRINT/仕入れ集計.tvf", "hito5", "株式会社ネーヴァロ商事東日本支店営業第二部", "株式会社ネーヴァロ商事東日本支店営業第二", 2},
        {"PRINT/仕入れ集計.tvf", "tsuki12", "12", "12月", 1},
        {"PRINT/仕入れ集計.tvf", "集計表", "買 掛 金 集 計 表", "買 掛 金 集 計 表", 1},
        {"PRINT/仕入れ集計横書き.tvf", "a0", " 4500000000", "4,500,000,000", 1},
        {"PRINT/仕入れ集計横書き.tvf", "x12", "-4500000000", "-4,500,000,000", 1},
        {"PRINT/仕入れ集計横書き.tvf", "c5", " 100000", "100,000", 1},
        {"PRINT/仕入れ集計横書き.tvf", "tsuki4", "3", "3月", 1},
        {"PRINT/仕入れ集計横書き.tvf", "head1", "当月仕入", "当月仕入", 1},
        {"PRINT/仕入れ集計横書き.tvf", "hito24", "株式会社ネーヴァロ商事東日本支店営業第二部", "株式会社ネーヴァロ商事東日本支店営業第二", 2},
    };
    std::map<std::string, std::shared_ptr<CXForm>> forms;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.file) + " " + r.name + " \"" + r.value + "\"");
        auto& form = forms[r.file];
        if (!form) form = Open(r.file);
        ASSERT_TRUE(form);
        auto objects = ByName(*form);
        ASSERT_TRUE(objects.count(r.name));
        auto* field = dynamic_cast<TvData*>(objects[r.name]->EngineObject());
        ASSERT_TRUE(field);
        Placed p = Place(form->Root(), *field, r.value, measurer);
        if (r.shown) {
            EXPECT_EQ(Cp932ToUtf8(p.shown), r.shown);
        }
        EXPECT_EQ(p.lines, r.lines);
        EXPECT_LE(p.widest, p.length) << "too wide";
        EXPECT_LE(p.depth, p.room) << "too deep";
    }
}

TEST_F(PrintFormsTest, AmountsTakeNumbersAndFiguresTakeReadyText)
{
    auto ledger = Open("PRINT/仕入れ.tvf");
    auto summary = Open("PRINT/仕入れ集計.tvf");
    ASSERT_TRUE(ledger && summary);
    auto rows = ByName(*ledger);
    auto cells = ByName(*summary);
    rows["uriage32"]->SetText("4500000000");
    EXPECT_EQ(rows["uriage32"]->GetText(), "4500000000");
    rows["zandaka32"]->SetText(" 4500000000");
    rows["zandaka5"]->SetText("-500");
    rows["hinmei32"]->SetText("次葉へ繰り越し");
    cells["e36"]->SetText(" 4500000000");
    cells["a0"]->SetText("-5000");
    EXPECT_EQ(cells["e36"]->GetText(), " 4500000000");
    // Numbers in Str form are read as numbers; what is none stays refused.
    rows["uriage32"]->SetText(" 4500000000");
    EXPECT_EQ(rows["uriage32"]->GetText(), " 4500000000");
    for (const char* refused : {"4 500", "abc", " 1,000"}) {
        SCOPED_TRACE(refused);
        EXPECT_THROW(rows["zandaka5"]->SetText(refused), AutomationError);
    }
}

// A value each field takes: numbers for numeric pictures, ready figures and
// texts for the others.
std::string FillValue(const std::string& name, const TvData& field)
{
    if (!field.m_strPicture.empty() && field.m_strPicture[0] == 'Z') return field.m_strPicture.size() > 4 ? "-4500000000" : "12";
    if (name.find_first_of("0123456789") != std::string::npos && name.rfind("hito", 0) != 0 &&
        name.rfind("head", 0) != 0 && name.rfind("hinmei", 0) != 0)
        return "-4500000000";
    return name;
}

TEST_F(PrintFormsTest, AFilledPageDrawsEveryObject)
{
    EnsureApp();
    for (const FormCase& c : Cases()) {
        SCOPED_TRACE(c.file);
        auto form = Open(c.file);
        ASSERT_TRUE(form);
        auto objects = ByName(*form);
        for (const std::string& name : c.names) {
            auto& o = objects[name];
            ASSERT_TRUE(o) << name;
            EXPECT_NO_THROW(o->SetText(FillValue(name, static_cast<TvData&>(*o->EngineObject())))) << name;
        }
        QtImageDc dc(827, 1169, 100);
        DcTextMeasurer measurer(CreateMeasuringDc());
        FormPageOptions o;
        o.measurer = &measurer;
        EXPECT_EQ(DrawFormPage(dc, form->Root(), o), 0);
        EXPECT_FALSE(dc.Failed());
        form->Close();
    }
}

TEST(PrintForms, TheBuildWritesTheSameBytesAsTheGenerator)
{
    for (const PrintForm& f : PrintForms()) {
        SCOPED_TRACE(f.path);
        const std::string first = StorePrintForm(*f.make());
        EXPECT_EQ(first, StorePrintForm(*f.make()));
        EXPECT_EQ(first, nvtest::ReadFileBytes(ShareFolderPath() + f.path));
    }
}

TEST(PrintForms, LengthsAndTextsConvertExactly)
{
    EXPECT_EQ(TenthMm(10), 56693); // 1 mm
    EXPECT_EQ(TenthMm(-10), -56693);
    EXPECT_EQ(TenthMm(254), 1440000); // 1 inch
    EXPECT_EQ(FormText("〆切"), "\x81\x59\x90\xD8");
    EXPECT_THROW(FormText("取引先\xF0\x9F\x98\x80"), CAppException);
}

int RunGenerator(const std::string& folder)
{
    const std::string command = std::string(NV_MAKE_PRINT_FORMS) + " '" + folder + "' 2>/dev/null";
    return std::system(command.c_str());
}

TEST(PrintForms, TheGeneratorWritesEveryFormOrReportsWhatItCouldNot)
{
    nvtest::TempDir dir;
    ASSERT_EQ(RunGenerator(dir.path().string()), 0);
    for (const PrintForm& f : PrintForms())
        EXPECT_EQ(nvtest::ReadFileBytes(dir.path() / f.path),
                  nvtest::ReadFileBytes(ShareFolderPath() + f.path))
            << f.path;

    // A PRINT that is no folder: a failure, and nothing left behind.
    nvtest::TempDir blocked;
    nvtest::WriteFileBytes(blocked.path() / "PRINT", "not a folder");
    EXPECT_NE(RunGenerator(blocked.path().string()), 0);
    size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(blocked.path())) entries += e.path().filename() != "PRINT";
    EXPECT_EQ(entries, 0u);
    EXPECT_EQ(nvtest::ReadFileBytes(blocked.path() / "PRINT"), "not a folder");

    // A form that cannot replace what stands in its place: the forms before
    // it are whole, and no partial file stays.
    nvtest::TempDir taken;
    std::filesystem::create_directories(taken.path() / "PRINT/仕入れ集計.tvf/x");
    EXPECT_NE(RunGenerator(taken.path().string()), 0);
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(taken.path() / "PRINT"))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"仕入れ.tvf", "仕入れ集計.tvf"}));
    EXPECT_EQ(nvtest::ReadFileBytes(taken.path() / "PRINT/仕入れ.tvf"),
              nvtest::ReadFileBytes(ShareFolderPath() + "PRINT/仕入れ.tvf"));
}

} // namespace

// The narrowest run of white columns between the end of a right-aligned
// figure and the rule right of its cell, over the rows between top and
// bottom (tenths of a millimetre), the form drawn at a zoom on a 96 dpi screen.
int GapBeforeRule(const TvFedObject& form, int zoom, int32_t rule, int32_t top, int32_t bottom)
{
    const auto px = [&](int32_t tenthMm) { return int(int64_t(TenthMm(tenthMm)) * 96 * zoom / (100 * 1440000LL)); };
    QtImageDc dc(px(2100), px(2970), 96);
    DcTextMeasurer measurer(CreateMeasuringDc());
    FormPageOptions o;
    o.measurer = &measurer;
    o.zoom = zoom;
    EXPECT_EQ(DrawFormPage(dc, form, o), 0);
    const QImage image = dc.Finish().convertToFormat(QImage::Format_RGB32);
    const auto ink = [&](int x, int y) { return qGray(image.pixel(x, y)) < 160; };
    int gap = 1 << 20;
    for (int y = px(top); y <= px(bottom); ++y) {
        int x = px(rule) + 4;
        while (x > 0 && !ink(x, y)) --x; // to the rule
        while (x > 0 && ink(x, y)) --x;  // across it
        int white = 0;
        for (; x > 0 && !ink(x, y); --x) ++white;
        gap = std::min(gap, white);
    }
    return gap;
}

// A figure beside the table's thick outline keeps as much white before it
// as one beside a thin inner rule, at every zoom of the viewer.
TEST_F(PrintFormsTest, FiguresKeepTheirMarginBeforeTheOutline)
{
    EnsureApp();
    struct Case {
        const char* file;
        const char* inner; // the cell left of the outline's neighbour
        const char* outer; // the cell beside the outline
        int32_t innerRule, top, bottom;
    };
    const Case cases[] = {
        {"PRINT/仕入れ.tvf", "uriage7", "zandaka7", 1390, 1070, 1094},
        {"PRINT/仕入れ集計.tvf", "d5", "e5", 1684, 720, 744},
        {"PRINT/仕入れ集計横書き.tvf", "a11", "a12", 1877, 470, 505},
    };
    for (const Case& c : cases) {
        auto form = Open(c.file);
        ASSERT_TRUE(form);
        auto objects = ByName(*form);
        objects[c.inner]->SetText(" 4500000000");
        objects[c.outer]->SetText(" 4500000000");
        for (int zoom : {50, 60, 75, 90, 100, 125, 150, 200}) {
            SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(zoom) + "%");
            const int inner = GapBeforeRule(form->Root(), zoom, c.innerRule, c.top, c.bottom);
            const int outer = GapBeforeRule(form->Root(), zoom, 2000, c.top, c.bottom);
            EXPECT_GE(inner, 1);
            EXPECT_GE(outer, std::max(1, inner - 1)) << "beside a thin rule: " << inner;
        }
        form->Close();
    }
}
