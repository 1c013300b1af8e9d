// The summary tables of every party: the portrait one with the 37 figures
// of five parties down the page, and the "landscape" one, which on the same
// A4 portrait paper runs the 13 figures of a third of the year across the
// page for 24 parties down it.
#include "ledger/journal/forms/FormBuilder.h"
#include "ledger/journal/forms/PrintForms.h"

#include <string>

namespace nv {

namespace {

constexpr int kSlots = 37;
constexpr int kPortraitColumns = 5;
constexpr int kSectionSlots = 13;
constexpr int kLandscapeRows = 24;
constexpr uint32_t kShade = 0xE8E8E8;

// Figures arrive in Str form (a leading blank or "-"); they print as the
// ledger's balance does. The last column keeps clear of the thick outline.
TextStyle FigureStyle(bool lastColumn)
{
    TextStyle s;
    s.align = 2;
    s.picture = "ZZZZZZZZZZ9";
    s.thousands = true;
    if (lastColumn) s.margin += kThickRuleInside;
    return s;
}

// Party names: cut to 20 full-width characters, on two lines.
TextStyle NameStyle()
{
    TextStyle s;
    s.size = 800;
    s.align = 3;
    s.wrap = true;
    s.picture = std::string(40, 'X');
    return s;
}

struct SummaryLayers {
    TvLayer* frame;
    TvLayer* shade;
    TvLayer* figures;
    TvLayer* heading;
};

SummaryLayers AddSummaryLayers(FormBuilder& b)
{
    SummaryLayers l;
    l.frame = &b.AddLayer("フレイム");
    l.shade = &b.AddLayer("フレイム売上げ");
    l.figures = &b.AddLayer("明細");
    l.heading = &b.AddLayer("見出し");
    return l;
}

// Title, fiscal year, owner and page number above the table.
void TitleBlock(FormBuilder& b, const SummaryLayers& l)
{
    TextStyle title;
    title.size = 1600;
    title.align = 3;
    title.bold = true;
    title.font = 1;
    b.Field(*l.heading, "集計表", {600, 100, 1500, 200}, title);
    b.Line(*l.shade, 700, 205, 1400, 205, kMediumLine);
    b.Line(*l.shade, 700, 220, 1400, 220, kMediumLine);
    TextStyle big;
    big.size = 1100;
    TextStyle number = big;
    number.align = 2;
    number.picture = "ZZZZ";
    b.Field(*l.heading, "年", {100, 130, 250, 200}, number);
    b.Label(*l.shade, "年度", {250, 130, 380, 200}, big);
    b.Field(*l.heading, "ページ", {1750, 130, 1900, 200}, number);
    b.Label(*l.shade, "頁", {1900, 130, 1980, 200}, big);
    TextStyle owner;
    owner.size = 1000;
    owner.align = 2;
    b.Field(*l.heading, "印刷名", {1250, 220, 2000, 280}, owner);
}

// The shaded caption band above the rows and the table's outline.
void TableFrame(FormBuilder& b, const SummaryLayers& l, MmBox table, int32_t rowsTop)
{
    b.Box(*l.shade, {table.left, table.top, table.right, rowsTop}, kThinLine, kShade);
    b.Box(*l.frame, table, kThickLine);
}

TextStyle CaptionStyle()
{
    TextStyle s;
    s.align = 3;
    return s;
}

// Month numbers as "4月".
TextStyle MonthStyle()
{
    TextStyle s = CaptionStyle();
    s.picture = "ZZ";
    s.after = "月";
    return s;
}

std::string Letter(int position) { return std::string(1, char('a' + position)); }

} // namespace

std::unique_ptr<TvFedObject> MakeSummaryPortraitForm()
{
    // Month column, caption column, five party columns.
    constexpr int32_t left = 100, captionLeft = 190, figuresLeft = 420, right = 2000;
    constexpr int32_t columnWidth = (right - figuresLeft) / kPortraitColumns;
    constexpr int32_t top = 300, rowsTop = 380, rowHeight = 64;
    constexpr int32_t bottom = rowsTop + kSlots * rowHeight;
    auto rowTop = [&](int slot) { return rowsTop + slot * rowHeight; };
    auto columnLeft = [&](int position) { return figuresLeft + position * columnWidth; };

    FormBuilder b("集計表");
    SummaryLayers l = AddSummaryLayers(b);
    TitleBlock(b, l);

    TableFrame(b, l, {left, top, right, bottom}, rowsTop);
    b.Label(*l.shade, "月", {left, top, captionLeft, rowsTop}, CaptionStyle());
    b.Label(*l.shade, "項　目", {captionLeft, top, figuresLeft, rowsTop}, CaptionStyle());
    b.Line(*l.frame, captionLeft, top, captionLeft, bottom);
    for (int p = 0; p < kPortraitColumns; ++p)
        b.Line(*l.frame, columnLeft(p), top, columnLeft(p), bottom, p == 0 ? kMediumLine : kThinLine);
    b.Line(*l.frame, left, rowsTop, right, rowsTop, kMediumLine);
    // A month's three rows share its month cell.
    for (int slot = 1; slot < kSlots; ++slot) {
        const bool monthStart = slot % 3 == 1;
        b.Line(*l.frame, monthStart ? left : captionLeft, rowTop(slot), right, rowTop(slot),
               monthStart ? kMediumLine : kThinLine);
    }

    const TextStyle month = MonthStyle();
    TextStyle head;
    for (int slot = 0; slot < kSlots; ++slot)
        b.Field(*l.heading, "head" + std::to_string(slot), {captionLeft, rowTop(slot), figuresLeft, rowTop(slot + 1)},
                head);
    for (int m = 1; m <= 12; ++m)
        b.Field(*l.heading, "tsuki" + std::to_string(m), {left, rowTop(3 * m - 2), captionLeft, rowTop(3 * m + 1)},
                month);
    for (int p = 0; p < kPortraitColumns; ++p) {
        b.Field(*l.heading, "hito" + std::to_string(p + 1), {columnLeft(p), top, columnLeft(p + 1), rowsTop},
                NameStyle());
        for (int slot = 0; slot < kSlots; ++slot)
            b.Field(*l.figures, Letter(p) + std::to_string(slot),
                    {columnLeft(p), rowTop(slot), columnLeft(p + 1), rowTop(slot + 1)},
                    FigureStyle(p == kPortraitColumns - 1));
    }
    return b.Finish();
}

std::unique_ptr<TvFedObject> MakeSummaryLandscapeForm()
{
    // Name column, then the 13 figures of a section.
    constexpr int32_t left = 100, figuresLeft = 401, right = 2000;
    constexpr int32_t columnWidth = (right - figuresLeft) / kSectionSlots;
    constexpr int32_t top = 300, headTop = 370, rowsTop = 440, rowHeight = 96;
    constexpr int32_t bottom = rowsTop + kLandscapeRows * rowHeight;
    auto rowTop = [&](int row) { return rowsTop + row * rowHeight; };
    auto columnLeft = [&](int k) { return figuresLeft + k * columnWidth; };

    FormBuilder b("集計表横書き");
    SummaryLayers l = AddSummaryLayers(b);
    TitleBlock(b, l);

    TableFrame(b, l, {left, top, right, bottom}, rowsTop);
    b.Label(*l.shade, "取　引　先", {left, top, figuresLeft, rowsTop}, CaptionStyle());
    for (int k = 0; k < kSectionSlots; ++k) {
        const bool monthStart = k % 3 == 1;
        b.Line(*l.frame, columnLeft(k), k == 0 || monthStart ? top : headTop, columnLeft(k), bottom,
               k == 0 ? kMediumLine : kThinLine);
    }
    b.Line(*l.frame, columnLeft(1), headTop, right, headTop);
    b.Line(*l.frame, left, rowsTop, right, rowsTop, kMediumLine);
    for (int row = 1; row < kLandscapeRows; ++row) b.Line(*l.frame, left, rowTop(row), right, rowTop(row));

    // Narrow figures, so that ten digits, their separators and a sign fit a
    // column.
    TextStyle figure = FigureStyle(false);
    figure.size = 750;
    figure.hanWidth = 400;
    figure.margin = 5;
    TextStyle lastFigure = figure;
    lastFigure.margin += kThickRuleInside;
    TextStyle head;
    head.size = 750;
    head.align = 3;
    head.margin = 3;
    const TextStyle month = MonthStyle();
    for (int k = 0; k < kSectionSlots; ++k)
        b.Field(*l.heading, "head" + std::to_string(k), {columnLeft(k), headTop, columnLeft(k + 1), rowsTop}, head);
    for (int m = 1; m <= 4; ++m)
        b.Field(*l.heading, "tsuki" + std::to_string(m), {columnLeft(3 * m - 2), top, columnLeft(3 * m + 1), headTop},
                month);
    for (int row = 0; row < kLandscapeRows; ++row) {
        b.Field(*l.heading, "hito" + std::to_string(row + 1), {left, rowTop(row), figuresLeft, rowTop(row + 1)},
                NameStyle());
        for (int k = 0; k < kSectionSlots; ++k)
            b.Field(*l.figures, Letter(row) + std::to_string(k),
                    {columnLeft(k), rowTop(row), columnLeft(k + 1), rowTop(row + 1)},
                    k == kSectionSlots - 1 ? lastFigure : figure);
    }
    return b.Finish();
}

} // namespace nv
