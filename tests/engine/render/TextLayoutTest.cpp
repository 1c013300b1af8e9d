#include <gtest/gtest.h>

#include <random>

#include "engine/render/TextLayout.h"
#include "platform/core/Cp932.h"
#include "platform/gdi/RecordingDc.h"

using namespace nv;

namespace {

std::string Sj(const char* utf8) { return *Utf8ToCp932(utf8); }

// Fixed metrics: a full-width character is one em, a half-width one half.
struct Fixture {
    DcTextMeasurer measurer{std::make_unique<RecordingDc>()};
    TextLayout layout{&measurer};

    // Characters of 10 points (1000 in 1/100 point): 200000 document units a
    // full-width character.
    static TextLayoutParams Params(int32_t fullChars)
    {
        TextLayoutParams p;
        p.zen.height = 1000;
        p.han.height = 1000;
        p.bound = {0, 0, fullChars * 200000, 2000000};
        return p;
    }
    std::vector<std::string> Lines(const TextLayoutParams& p, std::string_view text)
    {
        layout.Prepare(p);
        layout.Build(text);
        std::vector<std::string> out;
        for (const TextLine& l : layout.Lines()) out.push_back(Cp932ToUtf8(l.text));
        return out;
    }
};

using Lines = std::vector<std::string>;

} // namespace

TEST(TextLayout, LineBreakingRuleKeepsTheFullStopOffTheLineStart)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(5);
    p.wrap = true;
    p.kinsoku = true;
    p.kinsokuString = Sj("。、」");
    EXPECT_EQ(f.Lines(p, Sj("あいうえお。")), (Lines{"あいうえ", "お。"}));
    // Without the rule the full stop starts the second line.
    p.kinsoku = false;
    EXPECT_EQ(f.Lines(p, Sj("あいうえお。")), (Lines{"あいうえお", "。"}));
}

TEST(TextLayout, CarriageReturnEndsALineAndLineFeedIsSkipped)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(20);
    EXPECT_EQ(f.Lines(p, "AB\r\nXY"), (Lines{"AB", "XY"}));
    EXPECT_EQ(f.Lines(p, "AB\nXY"), (Lines{"ABXY"}));
    EXPECT_TRUE(f.Lines(p, "").empty());
    EXPECT_EQ(f.Lines(p, "AB\r"), (Lines{"AB"}));
    EXPECT_EQ(f.Lines(p, "AB\r\rCD"), (Lines{"AB", "", "CD"}));
    // Lines follow one line pitch apart; runs stand on the bottom of the line.
    f.Lines(p, "AB\r\nXY");
    ASSERT_EQ(f.layout.Lines().size(), 2u);
    EXPECT_EQ(f.layout.LinePitch(), 200000);
    EXPECT_EQ(f.layout.Lines()[1].y, 200000);
    EXPECT_EQ(f.layout.Lines()[0].runs[0].pos, (Point{0, 200000}));
    EXPECT_EQ(f.layout.Lines()[0].runs[1].pos, (Point{100000, 200000}));
}

TEST(TextLayout, QuadrantsFollowTheAngle)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(5);
    p.angle = -100;
    f.layout.Prepare(p);
    EXPECT_EQ(f.layout.Quadrant(), 4);
    p.angle = 36000;
    f.layout.Prepare(p);
    EXPECT_EQ(f.layout.Quadrant(), 1);
    p.angle = 9000;
    f.layout.Prepare(p);
    EXPECT_EQ(f.layout.Quadrant(), 2);
}

TEST(TextLayout, Alignment)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(5);
    p.alignment = 4;
    f.Lines(p, Sj("あ"));
    EXPECT_EQ(f.layout.Lines()[0].runs[0].pos.x, 0); // justify with one character: at the start
    f.Lines(p, Sj("あいう"));
    EXPECT_EQ(f.layout.Lines()[0].runs[2].pos.x, 800000); // spread over the whole line
    EXPECT_EQ(f.layout.Lines()[0].runs[1].pos.x, 400000);
    p.alignment = 2;
    f.Lines(p, Sj("あ"));
    EXPECT_EQ(f.layout.Lines()[0].runs[0].pos.x, 800000);
    p.alignment = 3;
    p.bound.right = 200000 + 5; // odd slack of 5
    f.Lines(p, Sj("あ"));
    EXPECT_EQ(f.layout.Lines()[0].runs[0].pos.x, 2);
}

TEST(TextLayout, WithoutWrapTextRunsPastTheBox)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(2);
    EXPECT_EQ(f.Lines(p, Sj("あいうえおかきく")), (Lines{"あいうえおかきく"}));
}

TEST(TextLayout, WordWrapBreaksAfterSpaces)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(4); // 8 half-width characters
    p.wrap = true;
    p.wordBreak = true;
    EXPECT_EQ(f.Lines(p, "hello world"), (Lines{"hello ", "world"}));
    // A word longer than the line breaks where it must.
    EXPECT_EQ(f.Lines(p, "abcdefghij"), (Lines{"abcdefgh", "ij"}));
}

TEST(TextLayout, BothRulesBreakAtTheEarlierPoint)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(4);
    p.wrap = true;
    p.wordBreak = true;
    p.kinsoku = true;
    p.kinsokuString = Sj("。");
    // "ab" + space + "あい" fills 4 ems; "。" may not start a line: the
    // allowed break (before い) lies before the word break (after い).
    EXPECT_EQ(f.Lines(p, Sj("ab あい。")), (Lines{"ab あ", "い。"}));
}

TEST(TextLayout, ProhibitedCharactersAreMatchedPerCharacter)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(3);
    p.wrap = true;
    p.kinsoku = true;
    p.kinsokuString = "\\"; // a backslash: the trail byte of 表 is not one
    EXPECT_EQ(f.Lines(p, Sj("あいう表")), (Lines{"あいう", "表"}));
    p.kinsokuString = Sj("表");
    EXPECT_EQ(f.Lines(p, Sj("あいう\\")), (Lines{"あいう", "\\"}));
}

TEST(TextLayout, RightToLeftMovesWholeRuns)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(10);
    p.reverse = true;
    EXPECT_EQ(f.Lines(p, Sj("Aあ")), (Lines{"あA"}));
    const auto& runs = f.layout.Lines()[0].runs;
    EXPECT_EQ(runs[0].kind, 0);
    EXPECT_EQ(runs[0].advance, 200000);
    EXPECT_EQ(runs[1].kind, 1);
    EXPECT_EQ(runs[1].pos.x, 200000);
}

TEST(TextLayout, ZeroSizesAndLoneLeadBytesAreHarmless)
{
    Fixture f;
    TextLayoutParams p;
    p.bound = {0, 0, 1000, 1000};
    p.wrap = true;
    EXPECT_EQ(f.Lines(p, Sj("あいう")).size(), 1u);
    p = Fixture::Params(5);
    std::string text = "AB\x82";
    f.Lines(p, text);
    ASSERT_EQ(f.layout.Lines().size(), 1u);
    EXPECT_EQ(f.layout.Lines()[0].runs.size(), 3u);
    EXPECT_EQ(f.layout.Lines()[0].runs[2].ch, "\x82");
}

TEST(TextLayout, DirectionsPlaceTheOriginAndTurnTheLine)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(5);
    p.bound = {0, 0, 1000000, 2000000};
    p.direction = 2; // top to bottom, lines right to left
    f.Lines(p, Sj("あい"));
    const auto& runs = f.layout.Lines()[0].runs;
    EXPECT_EQ(runs[0].pos, (Point{1000000 - 200000, 0}));
    EXPECT_EQ(runs[1].pos, (Point{1000000 - 200000, 200000}));
    EXPECT_EQ(f.layout.LineLength(), 2000000);
    p.direction = 4; // bottom to top
    f.Lines(p, Sj("あい"));
    EXPECT_EQ(f.layout.Lines()[0].runs[1].pos, (Point{200000, 2000000 - 200000}));
    p.marginLeft = 10;
    p.marginTop = 20;
    p.direction = 1;
    f.Lines(p, Sj("あ"));
    EXPECT_EQ(f.layout.Lines()[0].runs[0].pos, (Point{10, 20 + 200000}));
}

TEST(TextLayout, FixedPitchAndRuledLines)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(10);
    p.measuredPitch = false;
    p.zen.pitch = 250000;
    p.han.pitch = 120000;
    p.linePitch = 300000;
    p.underline = 7;
    p.underlineColour = 0xFF;
    p.strike = 1;
    f.Lines(p, Sj("あA"));
    const TextLine& l = f.layout.Lines()[0];
    EXPECT_EQ(l.runs[1].pos.x, 250000);
    EXPECT_EQ(l.width, 370000);
    ASSERT_EQ(l.ruledLines.size(), 3u);
    EXPECT_EQ(l.ruledLines[0]->m_nY, 300000);
    EXPECT_EQ(l.ruledLines[0]->m_nEndX, 370000);
    EXPECT_EQ(l.ruledLines[1]->m_nY, 300000 + 30000);
    EXPECT_EQ(l.ruledLines[0]->m_crLineColor, 0xFFu);
    EXPECT_EQ(l.ruledLines[2]->m_nY, 300000 - 100000);
    EXPECT_EQ(l.ruledLines[2]->m_nLineWidth, 10000);
}

TEST(TextLayout, EveryCharacterAppearsOnceInOrder)
{
    Fixture f;
    std::mt19937 rng(7);
    const std::vector<std::string> pool{"A", "b", " ", "-", "\r", "\n", Sj("あ"), Sj("。"), Sj("表"),
                                        Sj("ソ"), Sj("、"), "\xB1", "\\"};
    for (int iter = 0; iter < 2000; ++iter) {
        TextLayoutParams p = Fixture::Params(int32_t(rng() % 6));
        p.bound.right += int32_t(rng() % 200000);
        p.wrap = rng() % 4 != 0;
        p.kinsoku = rng() % 2;
        p.wordBreak = rng() % 2;
        p.reverse = rng() % 5 == 0;
        p.alignment = int32_t(rng() % 5);
        p.kinsokuString = Sj("。、") + "\\-";
        std::string text, expected;
        int n = int(rng() % 40);
        for (int i = 0; i < n; ++i) {
            const std::string& c = pool[rng() % pool.size()];
            text += c;
            if (c != "\r" && c != "\n") expected += c;
        }
        if (rng() % 10 == 0) text += "\x82"; // a lone lead byte at the end
        if (text.size() && text.back() == '\x82') expected += "\x82";
        f.layout.Prepare(p);
        f.layout.Build(text);
        std::string got;
        for (const TextLine& l : f.layout.Lines()) {
            std::string line;
            for (const TextRun& r : l.runs) line += r.ch;
            if (p.reverse) {
                // Undo the reversal run by run.
                std::string back;
                for (auto it = l.runs.rbegin(); it != l.runs.rend(); ++it) back += it->ch;
                line = back;
            }
            got += line;
        }
        ASSERT_EQ(got, expected) << "iteration " << iter;
    }
}

TEST(TextLayout, CellLayersCentreCharactersInTheirPitch)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(10);
    p.measuredPitch = false;
    p.zen.pitch = 300000;
    p.han.pitch = 150000;
    p.linePitch = 250000;
    p.cellLayer = true;
    f.Lines(p, Sj("あA"));
    const auto& runs = f.layout.Lines()[0].runs;
    EXPECT_EQ(runs[0].pos.x, 50000);          // (300000 - 200000) / 2
    EXPECT_EQ(runs[1].pos.x, 300000 + 25000); // (150000 - 100000) / 2
    EXPECT_EQ(runs[0].pos.y, 250000);
    p.cellLayer = false;
    f.Lines(p, Sj("あA"));
    EXPECT_EQ(f.layout.Lines()[0].runs[0].pos.x, 0);
}

TEST(TextLayout, TallCharactersPushTheLineDown)
{
    Fixture f;
    TextLayoutParams p = Fixture::Params(10);
    p.han.height = 2000; // half-width characters twice as tall
    f.Lines(p, Sj("あ") + "A\r\n" + Sj("い"));
    ASSERT_EQ(f.layout.Lines().size(), 2u);
    // The line pitch is the larger height, so nothing is pushed; the second
    // line follows one pitch below.
    EXPECT_EQ(f.layout.LinePitch(), 400000);
    EXPECT_EQ(f.layout.Lines()[1].y, 400000);
}

namespace {

// Latin faces have a character cell taller than their em: here 1.2 em.
struct TallCellMeasurer : TextMeasurer {
    DcSize Measure(const MeasureFont& font, std::string_view ch) override
    {
        int32_t em = std::abs(font.height);
        return {ch.size() == 2 ? em : em / 2, em * 6 / 5};
    }
};

} // namespace

TEST(TextLayout, LinesOfTallCellsFollowEachOtherWithoutGaps)
{
    TallCellMeasurer measurer;
    TextLayout layout(&measurer);
    TextLayoutParams p = Fixture::Params(20);
    layout.Prepare(p);
    layout.Build("ab\rcd\ref");
    const auto& lines = layout.Lines();
    ASSERT_EQ(lines.size(), 3u);
    // The line pitch is one em (200000); each cell is 240000 tall, so every
    // line is pushed down by 40000 and the lines stand one cell apart.
    EXPECT_EQ(layout.LinePitch(), 200000);
    EXPECT_EQ(lines[0].runs[0].pos.y, 240000);
    EXPECT_EQ(lines[1].runs[0].pos.y, 480000);
    EXPECT_EQ(lines[2].runs[0].pos.y, 720000);
}
