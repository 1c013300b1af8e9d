// The ledger of one party: a header with the owner and the party, 31 line
// rows and a carry-forward row at the foot.
#include "ledger/journal/forms/FormBuilder.h"
#include "ledger/journal/forms/PrintForms.h"

#include <array>
#include <string>

namespace nv {

namespace {

constexpr int kLineRows = 31;
constexpr int kFootRow = kLineRows + 1;

// Column edges of the table, left to right: month, day, item, quantity,
// unit price, amount, settlement, debit/credit mark, balance.
constexpr std::array<int32_t, 10> kEdges{100, 180, 260, 780, 940, 1140, 1390, 1640, 1720, 2000};
enum Column { colMonth, colDay, colItem, colQuantity, colPrice, colAmount, colSettlement, colMark, colBalance };
constexpr std::array<const char*, 9> kPrefixes{"tsuki", "hi", "hinmei", "suuryou", "tanka",
                                               "uriage", "ukeire", "kashi", "zandaka"};

constexpr int32_t kCaptionTop = 560;
constexpr int32_t kTableTop = 640;
constexpr int32_t kRowHeight = 68;

constexpr int32_t RowTop(int row) { return kTableTop + (row - 1) * kRowHeight; }
constexpr int32_t kTableBottom = RowTop(kFootRow) + kRowHeight;

MmBox Cell(int column, int32_t top, int32_t bottom) { return {kEdges[column], top, kEdges[column + 1], bottom}; }

// Every figure right-aligned with "," every three digits. Quantities and
// prices keep the 0 before their point ("0.5"); the balance, which arrives in
// Str form, shows a zero as "0" and keeps clear of the table's thick
// outline on its right.
TextStyle ColumnStyle(int column)
{
    TextStyle s;
    switch (column) {
    case colMonth:
    case colDay: s.align = 2; s.picture = "ZZ"; break;
    // Cut to 15 full-width characters, so that a long name keeps to its cell.
    case colItem: s.picture = std::string(30, 'X'); break;
    case colQuantity: s.align = 2; s.picture = "ZZZZ9.ZZ"; s.thousands = true; break;
    case colPrice: s.align = 2; s.picture = "ZZZZZ9.ZZ"; s.thousands = true; break;
    case colAmount:
    case colSettlement: s.align = 2; s.picture = "ZZZZZZZZZZZ"; s.thousands = true; break;
    case colMark: s.align = 3; break;
    default:
        s.align = 2;
        s.picture = "ZZZZZZZZZZ9";
        s.thousands = true;
        s.margin += kThickRuleInside;
        break;
    }
    return s;
}

void Header(FormBuilder& b, TvLayer& frame, TvLayer& heading)
{
    TextStyle title;
    title.size = 1800;
    title.align = 3;
    title.bold = true;
    title.font = 1;
    b.Label(frame, "元　　　帳", {750, 100, 1350, 200}, title);
    b.Line(frame, 750, 205, 1350, 205, kMediumLine);
    b.Line(frame, 750, 220, 1350, 220, kMediumLine);

    TextStyle big;
    big.size = 1100;
    TextStyle bigRight = big;
    bigRight.align = 2;
    bigRight.picture = "ZZZZ";
    b.Field(heading, "nen", {100, 120, 260, 190}, bigRight);
    b.Label(frame, "年", {260, 120, 330, 190}, big);
    b.Field(heading, "ページ", {1780, 120, 1900, 190}, bigRight);
    b.Label(frame, "頁", {1900, 120, 1970, 190}, big);
    TextStyle owner = big;
    owner.align = 2;
    b.Field(heading, "印刷名", {1250, 240, 2000, 300}, owner);

    // The party: number, name, post code; address, telephone; the days.
    TextStyle caption;
    caption.align = 3;
    TextStyle text;
    TextStyle name;
    name.size = 1000;
    constexpr int32_t r1 = 320, r2 = 390, r3 = 460, r4 = 530;
    b.Box(frame, {100, r1, 2000, r4}, kMediumLine);
    b.Line(frame, 100, r2, 2000, r2);
    b.Line(frame, 100, r3, 2000, r3);
    for (int32_t x : {200, 340, 440, 1420, 1500})
        b.Line(frame, x, r1, x, r2);
    for (int32_t x : {200, 1500, 1600})
        b.Line(frame, x, r2, x, r3);
    for (int32_t x : {200, 650, 750, 1200, 1300})
        b.Line(frame, x, r3, x, r4);
    b.Label(frame, "No.", {100, r1, 200, r2}, caption);
    TextStyle number = text;
    number.align = 2;
    number.picture = "ZZZZZZZZ";
    b.Field(heading, "ＮＯ", {200, r1, 340, r2}, number);
    b.Label(frame, "氏名", {340, r1, 440, r2}, caption);
    b.Field(heading, "氏名", {440, r1, 1420, r2}, name);
    b.Label(frame, "〒", {1420, r1, 1500, r2}, caption);
    b.Field(heading, "郵便番号", {1500, r1, 2000, r2}, text);
    b.Label(frame, "住所", {100, r2, 200, r3}, caption);
    b.Field(heading, "住所", {200, r2, 1500, r3}, text);
    b.Label(frame, "電話", {1500, r2, 1600, r3}, caption);
    b.Field(heading, "電話", {1600, r2, 2000, r3}, text);
    b.Label(frame, "〆切", {100, r3, 200, r4}, caption);
    b.Field(heading, "〆切", {200, r3, 650, r4}, text);
    b.Label(frame, "請求", {650, r3, 750, r4}, caption);
    b.Field(heading, "請求", {750, r3, 1200, r4}, text);
    b.Label(frame, "支払", {1200, r3, 1300, r4}, caption);
    b.Field(heading, "支払", {1300, r3, 2000, r4}, text);

    // Column captions; the two amount captions are filled in by each side.
    b.Box(frame, {kEdges.front(), kCaptionTop, kEdges.back(), kTableTop}, kThinLine, 0xE8E8E8);
    const std::array<std::pair<int, const char*>, 7> captions{{{colMonth, "月"},
                                                               {colDay, "日"},
                                                               {colItem, "品　　　名"},
                                                               {colQuantity, "数　量"},
                                                               {colPrice, "単　価"},
                                                               {colMark, "借貸"},
                                                               {colBalance, "残　　高"}}};
    for (const auto& [column, label] : captions) b.Label(frame, label, Cell(column, kCaptionTop, kTableTop), caption);
    b.Field(heading, "売上金額", Cell(colAmount, kCaptionTop, kTableTop), caption);
    b.Field(heading, "受入金額", Cell(colSettlement, kCaptionTop, kTableTop), caption);
}

void Ruling(FormBuilder& b, TvLayer& frame)
{
    b.Box(frame, {kEdges.front(), kCaptionTop, kEdges.back(), kTableBottom}, kThickLine);
    for (size_t i = 1; i + 1 < kEdges.size(); ++i) b.Line(frame, kEdges[i], kCaptionTop, kEdges[i], kTableBottom);
    b.Line(frame, kEdges.front(), kTableTop, kEdges.back(), kTableTop, kMediumLine);
    for (int row = 2; row <= kFootRow; ++row)
        b.Line(frame, kEdges.front(), RowTop(row), kEdges.back(), RowTop(row));
    // The foot row is set off by a double rule.
    b.Line(frame, kEdges.front(), RowTop(kFootRow) - 6, kEdges.back(), RowTop(kFootRow) - 6);
}

} // namespace

std::unique_ptr<TvFedObject> MakeLedgerForm()
{
    FormBuilder b("元帳");
    TvLayer& frame = b.AddLayer("フレイム");
    TvLayer& frame2 = b.AddLayer("フレイム２");
    TvLayer& rows = b.AddLayer("明細");
    TvLayer& heading = b.AddLayer("見出し");
    Ruling(b, frame);
    Header(b, frame2, heading);
    for (int row = 1; row <= kLineRows; ++row)
        for (int column = colMonth; column <= colBalance; ++column)
            b.Field(rows, kPrefixes[column] + std::to_string(row), Cell(column, RowTop(row), RowTop(row) + kRowHeight),
                    ColumnStyle(column));
    for (int column : {colItem, colAmount, colSettlement, colBalance})
        b.Field(rows, kPrefixes[column] + std::to_string(kFootRow),
                Cell(column, RowTop(kFootRow), RowTop(kFootRow) + kRowHeight), ColumnStyle(column));
    return b.Finish();
}

} // namespace nv
