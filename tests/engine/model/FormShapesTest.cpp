// A whole form with information, two fonts, two layers and one of each
// shape, stored byte for byte as the field tables give it.
#include "engine/core/Archive.h"
#include "engine/core/StoredNames.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvArc.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvCircle.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvPolygon.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace nv {
namespace {

std::string B8(uint8_t v) { return std::string(1, static_cast<char>(v)); }
std::string B16(uint16_t v) { return B8(static_cast<uint8_t>(v & 0xFF)) + B8(static_cast<uint8_t>(v >> 8)); }
std::string B32(uint32_t v) { return B16(static_cast<uint16_t>(v)) + B16(static_cast<uint16_t>(v >> 16)); }
std::string L(int32_t v) { return B32(static_cast<uint32_t>(v)); }
std::string S(const std::string& s) { return B8(static_cast<uint8_t>(s.size())) + s; }
std::string Cls(uint16_t schema, const char* name)
{
    return B16(0xFFFF) + B16(schema) + B16(static_cast<uint16_t>(std::strlen(name))) + name;
}

constexpr LocalTime kNow{2026, 12, 9, 1, 2, 3};

// The shared base and pen/fill values every shape here gets.
void Fill(TvGraphic& g, const std::string& name, uint32_t id, int32_t x, int32_t order)
{
    g.m_strName = name;
    g.m_nObjectId = id;
    g.m_nReserved = 0;
    g.m_nX = x;
    g.m_nY = x + 10;
    g.m_bTransparent = 1;
    g.m_crBackColor = 0xFFFFFF;
    g.m_nDrawOrder = order;
    g.m_nFillStyle = 2;
    g.m_crFillColor = 0x808080;
    g.m_nLineStyle = 1;
    g.m_nLineWidth = 15000;
    g.m_crLineColor = 0x0000FF;
}

std::string Head(const std::string& name, uint32_t id, int32_t x, int32_t order)
{
    return B32(10) + S(name) + B32(id) + L(0) + L(x) + L(x + 10) + L(1) + B32(0xFFFFFF) + L(order) + B32(10) +
           B16(2) + B32(0x808080) + B16(1) + L(15000) + B32(0x0000FF);
}

std::string LayerHead(int32_t id, const std::string& name)
{
    return L(id) + S(name) + L(1) + L(1) + L(1) + L(1) + L(144000) + L(240000) + L(600) + L(600) + L(1) + L(1) +
           B32(0xFFFFFF);
}
std::string LayerTail()
{
    return B32(0xFFC8C8) + L(1) + L(0) + L(7);
}

std::unique_ptr<TvFedObject> BuildShapesForm()
{
    auto f = std::make_unique<TvFedObject>();
    auto& info = f->EnsureFormInfo();
    info.m_strName = "Shapes";
    info.m_strCreateTime = "2026/01/01 00:00:00";
    f->m_fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAMincho", 128, 17, 1000, 0));
    f->m_fonts.push_back(std::make_unique<TvFontDesc>(-2, "IPAGothic", 128, 49, 1000, 0));

    auto l1 = std::make_unique<TvLayer>(1);
    l1->m_strName = "L1";
    auto line = std::make_unique<TvLine>();
    Fill(*line, "Line1", 0, 100, 1);
    line->m_nEndX = 500;
    line->m_nEndY = -500;
    auto box = std::make_unique<TvBox>();
    Fill(*box, "Box1", 1, 200, 2);
    box->m_nWidth = 300;
    box->m_nHeight = 400;
    box->m_nRoundSize = 20;
    box->m_bFrame = 0;
    auto circle = std::make_unique<TvCircle>();
    Fill(*circle, "Circle1", 2, 300, 3);
    circle->m_nRight = 500;
    circle->m_nBottom = 510;
    circle->m_nCenterX = 400;
    circle->m_nCenterY = 410;
    circle->m_nRadiusX = 100;
    circle->m_nRadiusY = 100;
    auto arc = std::make_unique<TvArc>();
    Fill(*arc, "Arc1", 3, 400, 4);
    arc->m_nRight = 600;
    arc->m_nBottom = 610;
    arc->m_nCenterX = 500;
    arc->m_nCenterY = 510;
    arc->m_nRadiusX = 100;
    arc->m_nRadiusY = 100;
    arc->m_bFrame = 1;
    arc->m_nArcType = 3;
    arc->m_nStartAngle = 0;
    arc->m_nEndAngle = 9000;
    auto poly = std::make_unique<TvPolygon>();
    Fill(*poly, "Polygon1", 4, 500, 5);
    poly->AddPoint(Point{0, 0});
    poly->AddPoint(Point{100, 0});
    poly->AddPoint(Point{50, 80});
    poly->m_nPolyType = 2;
    l1->m_objects.push_back(std::move(line));
    l1->m_objects.push_back(std::move(box));
    l1->m_objects.push_back(std::move(circle));
    l1->m_objects.push_back(std::move(arc));
    l1->m_objects.push_back(std::move(poly));

    auto l2 = std::make_unique<TvLayer>(2);
    l2->m_strName = "L2";
    auto line2 = std::make_unique<TvLine>();
    Fill(*line2, "Line2", 5, 600, 1);
    line2->m_nEndX = 1;
    line2->m_nEndY = 2;
    l2->m_objects.push_back(std::move(line2));
    f->m_layers.push_back(std::move(l1));
    f->m_layers.push_back(std::move(l2));
    f->m_nFlags = 1;
    f->RebuildIdMap(false);
    return f;
}

std::string ExpectedShapesForm()
{
    std::string b = Cls(4, kClassTvFedObject) + S(kFormVersionString);
    b += Cls(4, kClassTvFormInfo) + S("Shapes") + L(0) + L(0) + L(0) + L(0) + L(0) + L(0) + L(0) + S("") + S("") +
         S("2026/01/01 00:00:00") + S("2026/12/09 01:02:03") + L(0) + S("") + S("") + L(1) + L(1) + L(2) + L(2);
    b += B16(2) + Cls(0, kClassTvFontDesc) + L(-1) + L(0) + S("IPAMincho") + B8(128) + B8(17) + L(1000);
    b += B16(0x8005) + L(-2) + L(0) + S("IPAGothic") + B8(128) + B8(49) + L(1000);
    b += B16(2) + Cls(2, kClassTvLayer) + LayerHead(1, "L1") + B16(5);
    b += Cls(10, kClassTvLine) + Head("Line1", 0, 100, 1) + B32(10) + L(500) + L(-500);
    b += Cls(10, kClassTvBox) + Head("Box1", 1, 200, 2) + B32(10) + L(300) + L(400) + L(20) + L(0);
    b += Cls(10, kClassTvCircle) + Head("Circle1", 2, 300, 3) + B32(10) + L(500) + L(510) + L(400) + L(410) +
         L(100) + L(100) + L(1);
    b += Cls(10, kClassTvArc) + Head("Arc1", 3, 400, 4) + B32(10) + L(600) + L(610) + L(500) + L(510) + L(100) +
         L(100) + L(1) + B32(10) + L(3) + L(0) + L(9000);
    b += Cls(10, kClassTvPolygon) + Head("Polygon1", 4, 500, 5) + B32(10) + L(2) + L(3) + L(1) + L(0) + L(0) +
         L(100) + L(0) + L(50) + L(80);
    b += LayerTail();
    // ids: 8 TvLayer class, 10 TvLine class.
    b += B16(0x8008) + LayerHead(2, "L2") + B16(1) + B16(0x800A) + Head("Line2", 5, 600, 1) + B32(10) + L(1) + L(2);
    b += LayerTail();
    b += L(1);
    return b;
}

class FormShapesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterModelClasses();
        SetFormClock([] { return kNow; });
    }
    void TearDown() override { SetFormClock(nullptr); }
};

TEST_F(FormShapesTest, ByteExactRoundTripWithEveryShape)
{
    auto form = BuildShapesForm();
    const std::string expected = ExpectedShapesForm();
    const std::string bytes = StoreFormArchive(*form);
    ASSERT_EQ(bytes, expected) << nvtest::HexDump(bytes, 4000);
    auto back = LoadFormArchive(bytes);
    ASSERT_EQ(back->m_layers.size(), 2u);
    ASSERT_EQ(back->m_layers[0]->m_objects.size(), 5u);
    EXPECT_EQ(back->m_layers[0]->m_objects[4]->GetType(), 6);
    EXPECT_EQ(back->FindObjectById(5)->m_strName, "Line2");
    EXPECT_EQ(StoreFormArchive(*back), expected);
    EXPECT_EQ(StoreFormArchive(*back->Clone()), expected);
}

TEST_F(FormShapesTest, EveryTruncationFails)
{
    const std::string bytes = ExpectedShapesForm();
    for (size_t n = 0; n < bytes.size(); ++n) {
        try {
            LoadFormArchive(std::string_view(bytes).substr(0, n));
            ADD_FAILURE() << n;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::endOfFile) << n;
        }
    }
}

TEST_F(FormShapesTest, EveryByteFlipEndsCleanly)
{
    // Corrupting any one byte either still loads or ends in an archive error.
    const std::string bytes = ExpectedShapesForm();
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (uint8_t x : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
            std::string bad = bytes;
            bad[i] = static_cast<char>(bad[i] ^ x);
            try {
                auto f = LoadFormArchive(bad);
                (void)StoreFormArchive(*f);
            } catch (const CArchiveException&) {
            }
        }
    }
}

} // namespace
} // namespace nv

#include "engine/model/TvData.h"
#include "engine/model/TvList.h"
#include "engine/model/TvText.h"

namespace nv {
namespace {

TEST_F(FormShapesTest, AddObjectRenamesAndLaysOutLists)
{
    TvFedObject f;
    f.m_layers.push_back(std::make_unique<TvLayer>(1));
    auto a = std::make_unique<TvText>();
    a->m_strName = "Label1";
    f.AddObject(std::move(a), nullptr, true);
    auto b = std::make_unique<TvText>();
    b->m_strName = "Label1";
    TvObject* bp = f.AddObject(std::move(b), nullptr, true);
    EXPECT_EQ(bp->m_strName, "Label2"); // renamed by the default rule

    // Two data fields with one field index: the second gets the next one.
    auto d1 = std::make_unique<TvData>();
    d1->m_strName = "Data1";
    d1->SetFieldIndex(4);
    f.AddObject(std::move(d1), nullptr, true);
    auto d2 = std::make_unique<TvData>();
    d2->m_strName = "Data2";
    d2->SetFieldIndex(4);
    TvObject* d2p = f.AddObject(std::move(d2), nullptr, true);
    EXPECT_NE(d2p->GetFieldIndex(), 4);

    TvText templ;
    auto list = std::make_unique<TvList>(Rect{0, 0, 300, 100}, int16_t{3}, int16_t{1}, templ);
    list->m_strName = "List1";
    // Move the box after construction: adding the list lays its cells out again.
    list->m_nX = 1000;
    auto* lp = static_cast<TvList*>(f.AddObject(std::move(list), nullptr, true));
    ASSERT_NE(lp->GetCell(2, 0), nullptr);
    EXPECT_EQ(lp->GetCell(2, 0)->m_nX, 1200);
    EXPECT_EQ(f.IdMap().size(), 5u);

    std::vector<const TvObject*> objs;
    f.ForEachObject([&](const TvObject& o) { objs.push_back(&o); });
    f.CompactFieldIndexes();
    std::vector<int32_t> idx;
    for (auto* o : objs)
        if (o->IsTextObject()) idx.push_back(o->GetFieldIndex());
    std::sort(idx.begin(), idx.end());
    EXPECT_EQ(idx, (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(FormShapesTest, CollectFontsOfTextObjects)
{
    TvFedObject f;
    f.m_fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAMincho", 128, 17, 1000, 0));
    f.m_fonts.push_back(std::make_unique<TvFontDesc>(-2, "IPAGothic", 128, 49, 1000, 0));
    TvText t;
    t.m_nZenFont = -2;
    t.m_nHanFont = -1;
    TvText u;
    u.m_nZenFont = -2;
    u.m_nHanFont = 5; // not in the list
    TvLine notText;
    std::vector<const TvFontDesc*> out;
    f.CollectFonts(out, {&t, &u, &notText});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0]->m_nFontId, -2);
    EXPECT_EQ(out[1]->m_nFontId, -1);
}

} // namespace
} // namespace nv
