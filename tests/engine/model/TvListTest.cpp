#include "engine/model/TvList.h"

#include "TextBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace nv {
namespace {

using namespace texttest;

constexpr uint32_t K(int c, int r) { return uint32_t(r) * 65536u + uint32_t(c); }

std::string CellBytes(const TvData& d) { return TextBytes(d) + U32(10) + I32(d.m_nFieldNumber); }

// The list as stored with its cells in the given order; the first cell
// carries the TvData class record, the others refer to it (stream id 3:
// the list's class is 1, the list 2).
std::string ListBytes(const TvList& l, const std::vector<uint32_t>& order)
{
    std::string b = ClassRecord("TvList") + TextBytes(l) + U32(10) + U16(uint16_t(l.m_nColumns)) +
                    U16(uint16_t(l.m_nRows)) + I32(l.m_nFieldNumber) + U16(uint16_t(order.size()));
    bool first = true;
    for (uint32_t key : order) {
        b += U32(key);
        b += first ? ClassRecord("TvData") : U16(0x8003);
        b += CellBytes(*l.GetCell(int(key & 0xFFFF), int(key >> 16)));
        first = false;
    }
    return b;
}

// A 3 x 2 list with every attribute of its own and of its cells set.
std::unique_ptr<TvList> MakeList()
{
    TvText templ;
    FillText(templ, 5);
    auto l = std::make_unique<TvList>(Rect{144000, 288000, 1144000, 488000}, int16_t(3), int16_t(2), templ);
    FillText(*l, 9);
    l->m_nX = 144000;
    l->m_nY = 288000;
    l->m_nWidth = 1000000;
    l->m_nHeight = 200000;
    l->m_nFieldNumber = 6;
    l->Layout();
    int n = 0;
    for (auto& [key, cell] : l->m_cells) {
        cell->m_nFieldNumber = 100 + n;
        cell->m_strValue = "v" + std::to_string(n++);
    }
    return l;
}

TEST(TvList, Identity)
{
    TvList l;
    EXPECT_EQ(l.m_nObjectId, 3u);
    EXPECT_EQ(l.GetType(), 10);
    EXPECT_EQ(l.GetFlags(), 28);
    EXPECT_EQ(l.IsTextObject(), 1);
    EXPECT_EQ(l.m_nColumns, 0);
    EXPECT_EQ(l.m_nRows, 0);
    EXPECT_EQ(l.GetFieldIndex(), 0);
    // Registered under TvObject: a list is not a text object to kind-of tests.
    EXPECT_EQ(TvList::Class().base, &TvObject::Class());
    EXPECT_TRUE(l.IsKindOf(TvObject::Class()));
    EXPECT_FALSE(l.IsKindOf(TvText::Class()));
    EXPECT_EQ(DynamicDowncast<TvText>(static_cast<CObject*>(&l)), nullptr);
    EXPECT_EQ(DynamicDowncast<TvList>(static_cast<CObject*>(&l)), &l);
}

TEST(TvList, StoresThreeByTwoByteForByte)
{
    auto l = MakeList();
    ASSERT_EQ(l->m_cells.size(), 6u);
    // Keys of a bucket come newest first: cells were added column by column.
    const std::vector<uint32_t> stored = {K(2, 0), K(1, 0), K(0, 0), K(2, 1), K(1, 1), K(0, 1)};
    const std::string bytes = Store(*l);
    EXPECT_EQ(bytes, ListBytes(*l, stored)) << nvtest::HexDump(bytes, 512);

    auto back = Load<TvList>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_nColumns, 3);
    EXPECT_EQ(back->m_nRows, 2);
    EXPECT_EQ(back->m_nFieldNumber, 6);
    EXPECT_EQ(TextBytes(*back), TextBytes(*l));
    for (uint32_t key : stored) {
        const TvData* a = l->GetCell(int(key & 0xFFFF), int(key >> 16));
        const TvData* b = back->GetCell(int(key & 0xFFFF), int(key >> 16));
        ASSERT_TRUE(b);
        EXPECT_EQ(CellBytes(*b), CellBytes(*a));
        EXPECT_EQ(b->m_strValue, ""); // values are the page's, not the form's
    }
}

TEST(TvList, ReadAndStoredAgainReversesEachBucket)
{
    auto l = MakeList();
    const std::string first = Store(*l);
    auto back = Load<TvList>(first);
    const std::string second = Store(*back);
    const std::vector<uint32_t> reversed = {K(0, 0), K(1, 0), K(2, 0), K(0, 1), K(1, 1), K(2, 1)};
    EXPECT_EQ(second, ListBytes(*l, reversed));
    EXPECT_NE(second, first);
    // And round again to the first order.
    EXPECT_EQ(Store(*Load<TvList>(second)), first);
}

TEST(TvList, CloneKeepsEverything)
{
    auto l = MakeList();
    auto clone = l->Clone();
    ASSERT_TRUE(clone);
    auto* copy = DynamicDowncast<TvList>(static_cast<CObject*>(clone.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetFieldIndex(), 6);
    EXPECT_EQ(TextBytes(*copy), TextBytes(*l));
    // The copy takes the cells in the source's order, each at the head of its
    // bucket, so every bucket comes out reversed.
    const std::vector<uint32_t> reversed = {K(0, 0), K(1, 0), K(2, 0), K(0, 1), K(1, 1), K(2, 1)};
    EXPECT_EQ(Store(*copy), ListBytes(*l, reversed));
    for (const auto& [key, cell] : l->m_cells)
        EXPECT_EQ(copy->GetCell(int(key & 0xFFFF), int(key >> 16))->m_strValue, cell->m_strValue);

    // A change to the copy is recorded against the copy's own values.
    TvChangeList changes;
    copy->SetProperties(TvPropertyMap(1, TvPropValue::Long(0x00FE)), &changes);
    EXPECT_TRUE(changes.empty()); // the text colour came along
    copy->SetProperties(TvPropertyMap(1, TvPropValue::Long(0x0102)), &changes);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].GetLong(), 0x00FE);
}

TEST(TvList, ACopyOfAReadListStoresTheFileOrder)
{
    // A form read from its file and copied (the working copy that report
    // documents store) holds each list's cells in the file's order again.
    auto l = MakeList();
    const std::string file = Store(*l);
    auto read = Load<TvList>(file);
    ASSERT_TRUE(read);
    auto copy = read->Clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(Store(*copy), file);
}

TEST(TvList, NewColumnsAreFilledColumnByColumn)
{
    // Rows 0 and 17 share a bucket, so the order in which new cells are made
    // shows in the stored bytes: growing to three columns stores as a list
    // built with three columns does.
    TvText templ;
    TvList grown(Rect{0, 0, 3000, 1800}, 1, 18, templ);
    ASSERT_EQ(grown.SetColumnCount(3), 1);
    TvList built(Rect{0, 0, 3000, 1800}, 3, 18, templ);
    std::vector<uint32_t> a, b;
    for (const auto& [key, cell] : grown.m_cells) a.push_back(key);
    for (const auto& [key, cell] : built.m_cells) b.push_back(key);
    EXPECT_EQ(a, b);
    EXPECT_EQ(Store(grown), Store(built));
}

TEST(TvList, LayoutSharesEdges)
{
    TvText templ;
    TvList l(Rect{0, 0, 1000, 100}, 3, 1, templ);
    EXPECT_EQ(l.GetCell(0, 0)->m_nWidth, 333);
    EXPECT_EQ(l.GetCell(1, 0)->m_nWidth, 334);
    EXPECT_EQ(l.GetCell(2, 0)->m_nWidth, 333);
    EXPECT_EQ(l.GetCell(1, 0)->m_nX, 333);
    EXPECT_EQ(l.GetCell(2, 0)->m_nX, 667);
    EXPECT_EQ(l.GetCell(2, 0)->m_nHeight, 100);
    l.SetRect(Rect{500, 300, 200, 0});
    EXPECT_EQ(l.m_nX, 200);
    EXPECT_EQ(l.GetCell(0, 0)->m_nX, 200);
    EXPECT_EQ(l.GetCell(2, 0)->m_nX, 400);
    EXPECT_EQ(l.GetCell(2, 0)->m_nWidth, 100);
}

TEST(TvList, CountsAreChecked)
{
    TvText templ;
    TvList l(Rect{0, 0, 2000, 200}, 2, 2, templ);
    const std::string before = Store(l);
    EXPECT_EQ(l.SetColumnCount(251), 0);
    EXPECT_EQ(l.SetRowCount(0), 0);
    EXPECT_EQ(l.SetColumnCount(-1), 0);
    EXPECT_EQ(Store(l), before);

    l.GetCell(0, 0)->m_crText = 0x0000FF;
    EXPECT_EQ(l.SetColumnCount(3), 1);
    EXPECT_EQ(l.m_cells.size(), 6u);
    for (int r = 0; r < 2; ++r) {
        const TvData* c = l.GetCell(2, r);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->m_crText, 0x0000FFu);
        EXPECT_EQ(c->m_nX, 1333);
        EXPECT_EQ(c->m_nWidth, 667);
        EXPECT_EQ(c->m_nY, r * 100);
    }
    EXPECT_EQ(l.SetRowCount(1), 1);
    EXPECT_EQ(l.m_cells.size(), 3u);
    EXPECT_EQ(l.GetCell(0, 1), nullptr);
    EXPECT_EQ(l.SetColumnCount(1), 1);
    EXPECT_EQ(l.m_cells.size(), 1u);
    EXPECT_EQ(l.GetCell(0, 0)->m_nWidth, 2000);
}

TEST(TvList, GrowingWithoutTheFirstCell)
{
    TvText templ;
    TvList l(Rect{0, 0, 300, 200}, 2, 2, templ);
    l.m_crText = 0x00ABCD;
    l.RemoveCell(0, 0);
    EXPECT_EQ(l.FirstCell(), nullptr);
    EXPECT_EQ(l.SetColumnCount(3), 1);
    ASSERT_TRUE(l.GetCell(2, 0));
    EXPECT_EQ(l.GetCell(2, 0)->m_crText, 0x00ABCDu); // from the list's own attributes
    EXPECT_EQ(l.GetCell(0, 0), nullptr);
    EXPECT_EQ(l.SetRowCount(3), 1);
    EXPECT_EQ(l.m_cells.size(), 8u);

    // A default list has no cells at all.
    TvList empty;
    EXPECT_EQ(empty.SetColumnCount(2), 1);
    EXPECT_EQ(empty.m_cells.size(), 0u);
    EXPECT_EQ(empty.SetRowCount(2), 1);
    EXPECT_EQ(empty.m_cells.size(), 4u);
    Rect bound;
    empty.GetBoundRect(bound, true);

    // Setting a cell twice replaces it.
    empty.SetCell(1, 1);
    empty.SetCell(1, 1);
    EXPECT_EQ(empty.m_cells.size(), 4u);
    empty.SetCell(7, 7);
    EXPECT_EQ(empty.m_cells.size(), 5u);
}

TEST(TvList, AttributesPassToEveryCell)
{
    TvText templ;
    TvList l(Rect{0, 0, 300, 200}, 3, 2, templ);
    TvChangeList changes;
    TvPropertyMap map;
    map.SetLong(1, 0x0000FF);
    map.SetShort(8, 3);
    map.SetString(38, "ZZ9");
    map.SetLong(2, 0x00EEEEEE);
    map.SetLong(122, 4);
    l.SetProperties(map, &changes);
    EXPECT_EQ(l.m_crText, 0x0000FFu);
    EXPECT_EQ(l.m_strPicture, "ZZ9");
    EXPECT_EQ(l.m_nFieldNumber, 4);
    EXPECT_EQ(changes.size(), 5u);
    for (const auto& [key, cell] : l.m_cells) {
        EXPECT_EQ(cell->m_crText, 0x0000FFu);
        EXPECT_EQ(cell->m_nFillStyle, 3);
        EXPECT_EQ(cell->m_strPicture, "ZZ9");
        EXPECT_EQ(cell->m_crBackColor, 0x00EEEEEEu);
        EXPECT_EQ(cell->m_nFieldNumber, 0);
    }

    // Character size: heights everywhere, pitches from the first cell's flag.
    l.GetCell(0, 0)->m_bMeasuredPitch = 0;
    l.SetProperties(TvPropertyMap(25, TvPropValue::Long(10)), nullptr);
    EXPECT_EQ(l.GetCell(2, 1)->m_nZenHeight, 10);
    EXPECT_EQ(l.GetCell(2, 1)->m_nLinePitch, 2000);
    EXPECT_EQ(l.GetCell(2, 1)->m_nZenPitch, 0);
    EXPECT_EQ(l.m_nLinePitch, 2000);

    // Direction and the extra values stay with the list's base handling.
    l.SetProperties(TvPropertyMap(31, TvPropValue::Long(2)), nullptr);
    EXPECT_EQ(l.m_nDirection, 1);

    // Width relays out.
    l.SetProperties(TvPropertyMap(13, TvPropValue::Long(600)), nullptr);
    EXPECT_EQ(l.GetCell(2, 0)->m_nX, 400);
}

TEST(TvList, CountChangesThroughProperties)
{
    TvText templ;
    TvList l(Rect{0, 0, 300, 200}, 3, 2, templ);
    TvChangeList changes;
    l.SetProperties(TvPropertyMap(123, TvPropValue::Short(3)), &changes);
    EXPECT_TRUE(changes.empty());
    l.SetProperties(TvPropertyMap(123, TvPropValue::Short(251)), &changes);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(l.m_nColumns, 3);
    l.SetProperties(TvPropertyMap(124, TvPropValue::Short(4)), &changes);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].m_nPropId, 124);
    EXPECT_EQ(changes[0].m_nType, CChangeData::typeShort);
    EXPECT_EQ(changes[0].GetShort(), 2);
    EXPECT_EQ(l.m_nRows, 4);
    EXPECT_EQ(l.m_cells.size(), 12u);
}

TEST(TvList, CellValues)
{
    TvText templ;
    TvList l(Rect{0, 0, 300, 200}, 3, 2, templ);
    TvChangeList changes;
    l.SetProperties(TvPropertyMap(125, TvPropValue::String("2:1:A:B")), &changes);
    EXPECT_EQ(l.GetCell(2, 1)->m_strValue, "A:B");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].m_nPropId, 125);
    EXPECT_EQ(changes[0].m_nType, CChangeData::typeBytes);
    EXPECT_EQ(changes[0].Value(), std::string("\0", 1)); // the previous, empty value
    changes.clear();
    l.SetProperties(TvPropertyMap(125, TvPropValue::String("2:1:A:B")), &changes);
    EXPECT_TRUE(changes.empty());

    TvChangeList news;
    news.m_bRecordOld = false;
    l.SetProperties(TvPropertyMap(125, TvPropValue::String("0:0:X")), &news);
    ASSERT_EQ(news.size(), 1u);
    EXPECT_EQ(news[0].Value(), std::string("0:0:X\0", 6)); // the whole key
    l.SetProperties(TvPropertyMap(125, TvPropValue::String("9:9:nowhere")), &news);
    EXPECT_EQ(news.size(), 1u);

    void* address = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(l.GetCellProperty(0, 0, 125, address, kind), 1);
    EXPECT_EQ(address, &l.GetCell(0, 0)->m_strValue);
    EXPECT_EQ(kind, addrString);
    EXPECT_EQ(l.GetCellProperty(0, 0, 35, address, kind), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(l.GetCellProperty(5, 5, 125, address, kind), 0);

    EXPECT_EQ(l.GetPropertyAddress(123, address, kind), 1);
    EXPECT_EQ(address, &l.m_nColumns);
    EXPECT_EQ(kind, addrShort);
    EXPECT_EQ(l.GetPropertyAddress(35, address, kind), 0);
    EXPECT_EQ(l.GetPropertyAddress(38, address, kind), 1);
    EXPECT_EQ(address, &l.m_strPicture);
    EXPECT_EQ(l.IsPropertySupported(125), 1);
    EXPECT_EQ(l.IsPropertySupported(35), 0);
}

TEST(TvList, ParseCellKey)
{
    struct Case {
        const char* key;
        int16_t column, row;
        const char* text;
    } cases[] = {
        {"3:12:ABC", 3, 12, "ABC"}, {"0:0:", 0, 0, ""},        {"1:2:a:b:c", 1, 2, "a:b:c"},
        {"ABC", 0, 0, "ABC"},       {"x:y:z", 0, 0, "z"},      {" 4:-1:t", 4, -1, "t"},
        {"5:6", 5, 6, ""},          {"99999999999:1:t", -1, 1, "t"},
    };
    for (const Case& c : cases) {
        int16_t column = 77, row = 77;
        std::string text = "old";
        TvList::ParseCellKey(c.key, column, row, text);
        EXPECT_EQ(column, c.column) << c.key;
        EXPECT_EQ(row, c.row) << c.key;
        EXPECT_EQ(text, c.text) << c.key;
    }
}

TEST(TvList, HostileInputEndsInArchiveErrors)
{
    auto l = MakeList();
    const std::string bytes = Store(*l);
    ExpectEveryTruncationFails(bytes);

    // A cell of another class.
    for (const char* name : {"TvText", "TvList"}) {
        std::string wrong = bytes;
        const size_t at = wrong.find("TvData");
        ASSERT_NE(at, std::string::npos);
        wrong.replace(at, 6, name);
        EXPECT_EQ(LoadCause(wrong), CArchiveException::badClass) << name;
    }
    // A class nobody registered.
    std::string unknown = bytes;
    unknown.replace(unknown.find("TvData"), 6, "TvXxxx");
    EXPECT_NE(LoadCause(unknown), -1);

    // A null cell, and a back-reference to the list itself as a cell.
    const size_t head = ClassRecord("TvList").size() + TextBytes(*l).size() + 4 + 2 + 2 + 4 + 2 + 4;
    std::string nullCell = bytes.substr(0, head) + U16(0);
    EXPECT_NE(LoadCause(nullCell), -1);
    std::string selfCell = bytes.substr(0, head) + U16(0x0002) + bytes.substr(head + ClassRecord("TvData").size());
    EXPECT_NE(LoadCause(selfCell), -1);

    // Counts larger than what remains.
    std::string big = bytes;
    big.replace(head - 6, 2, U16(0xFFFE));
    EXPECT_EQ(LoadCause(big), CArchiveException::endOfFile);
    std::string huge = bytes.substr(0, head - 6) + U16(0xFFFF) + U32(0x7FFFFFFF) + bytes.substr(head - 4);
    EXPECT_EQ(LoadCause(huge), CArchiveException::endOfFile);

    // The same cell key twice.
    EXPECT_EQ(LoadCause(ListBytes(*l, {K(0, 0), K(1, 0), K(0, 0)})), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(ListBytes(*l, {K(0, 0), K(1, 0), K(2, 0)})), -1);

    // A list with odd counts and a stray cell loads and lays out safely.
    TvList odd;
    odd.m_nColumns = -3;
    odd.m_nRows = 0;
    odd.SetCell(4, 4);
    auto back = Load<TvList>(Store(odd));
    back->Layout();
    EXPECT_EQ(back->m_cells.size(), 1u);
}

} // namespace
} // namespace nv
