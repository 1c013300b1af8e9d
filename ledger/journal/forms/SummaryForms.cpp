// The summary tables of every party: the portrait one with the 37 figures
// of five parties down the page, and the landscape one, which on A4 turned on
// its side runs the 13 figures of a third of the year across the page for 24
// parties down it, in figures as large as the portrait one's.
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

// Title, fiscal year, owner and page number above a table from left to
// right, raised by up (tenths of a millimetre).
void TitleBlock(FormBuilder& b, const SummaryLayers& l, int32_t left, int32_t right, int32_t up)
{
    TextStyle title;
    title.size = 1600;
    title.align = 3;
    title.bold = true;
    title.font = 1;
    const int32_t centre = (left + right) / 2;
    b.Field(*l.heading, "集計表", {centre - 450, 100 - up, centre + 450, 200 - up}, title);
    b.Line(*l.shade, centre - 350, 205 - up, centre + 350, 205 - up, kMediumLine);
    b.Line(*l.shade, centre - 350, 220 - up, centre + 350, 220 - up, kMediumLine);
    TextStyle big;
    big.size = 1100;
    TextStyle number = big;
    number.align = 2;
    number.picture = "ZZZZ";
    b.Field(*l.heading, "年", {left, 130 - up, left + 150, 200 - up}, number);
    b.Label(*l.shade, "年度", {left + 150, 130 - up, left + 280, 200 - up}, big);
    b.Field(*l.heading, "ページ", {right - 250, 130 - up, right - 100, 200 - up}, number);
    b.Label(*l.shade, "頁", {right - 100, 130 - up, right - 20, 200 - up}, big);
    TextStyle owner;
    owner.size = 1000;
    owner.align = 2;
    b.Field(*l.heading, "印刷名", {right - 750, 220 - up, right, 280 - up}, owner);
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
    TitleBlock(b, l, left, right, 0);

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
    // A4 on its side, 297 x 210 mm: the name column, then the 13 figures of
    // a section, each wide enough for ten digits, their separators and a
    // sign at 8 points (the last clear of the thick outline as well); 24
    // rows of two name lines each.
    constexpr int32_t left = 75, figuresLeft = 375, columnWidth = 193, lastWidth = 201;
    constexpr int32_t right = figuresLeft + (kSectionSlots - 1) * columnWidth + lastWidth;
    constexpr int32_t raised = 40;
    constexpr int32_t top = 300 - raised, headTop = top + 65, rowsTop = headTop + 65, rowHeight = 67;
    constexpr int32_t bottom = rowsTop + kLandscapeRows * rowHeight;
    static_assert(right <= 2970 - 75 && bottom <= 2100 - 100);
    auto rowTop = [&](int row) { return rowsTop + row * rowHeight; };
    auto columnLeft = [&](int k) { return k > kSectionSlots - 1 ? right : figuresLeft + k * columnWidth; };

    FormBuilder b("集計表横書き", FormOrientation::Landscape);
    SummaryLayers l = AddSummaryLayers(b);
    TitleBlock(b, l, left, right, raised);

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

    // Half-width digits of 3.55 points at 8.5 points high: printers round
    // the height to their dots, so 8 points would print a little under.
    TextStyle figure = FigureStyle(false);
    figure.size = 850;
    figure.hanWidth = 710;
    figure.margin = 5;
    TextStyle lastFigure = figure;
    lastFigure.margin += kThickRuleInside;
    TextStyle head;
    head.size = 800;
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
