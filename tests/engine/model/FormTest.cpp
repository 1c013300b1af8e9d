#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/StoredNames.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvFedObject.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace nv {
namespace {

// ---- byte builders, written from the stored layout -------------------------

std::string U8(uint8_t v)
{
    return std::string(1, static_cast<char>(v));
}
std::string U16(uint16_t v)
{
    return U8(static_cast<uint8_t>(v & 0xFF)) + U8(static_cast<uint8_t>(v >> 8));
}
std::string U32(uint32_t v)
{
    return U16(static_cast<uint16_t>(v & 0xFFFF)) + U16(static_cast<uint16_t>(v >> 16));
}
std::string I32(int32_t v)
{
    return U32(static_cast<uint32_t>(v));
}
std::string Str(const std::string& s)
{
    return U8(static_cast<uint8_t>(s.size())) + s; // short strings only
}
std::string NewClass(uint16_t schema, const char* name)
{
    return U16(0xFFFF) + U16(schema) + U16(static_cast<uint16_t>(std::strlen(name))) + name;
}

constexpr LocalTime kCreated{2024, 3, 5, 9, 8, 7};
constexpr LocalTime kStored{2025, 12, 31, 23, 59, 58};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterModelClasses();
        SetFormClock([] { return kStored; });
    }
    void TearDown() override
    {
        SetFormClock(nullptr);
    }
};

std::unique_ptr<TvObject> MakeObject(const std::string& name, uint32_t id, int32_t x)
{
    auto o = std::make_unique<TvObject>();
    o->m_strName = name;
    o->m_nObjectId = id;
    o->m_nX = x;
    o->m_nY = x + 1;
    o->m_nDrawOrder = 1;
    return o;
}

// A form filled field by field, and the bytes it must give.
std::unique_ptr<TvFedObject> BuildForm()
{
    auto f = std::make_unique<TvFedObject>();
    auto info = std::make_unique<TvFormInfo>();
    info->m_strName = "Ledger";
    info->m_nPaperSize = 9;
    info->m_nPaperWidth = 11905511;
    info->m_nPaperLength = 16837795;
    info->m_nMarginLeft = 1;
    info->m_nMarginTop = 2;
    info->m_nMarginRight = 3;
    info->m_nMarginBottom = 4;
    info->m_nOrientation = 1;
    info->m_strAuthor = "A";
    info->m_strContents = "C";
    info->m_strCreateTime = FormatFormTime(kCreated);
    info->m_nUpdateRevision = 6;
    info->m_strEditorVersion = "7.1";
    info->m_strKinsoku = ",.";
    info->m_nOption1 = 11;
    info->m_nOption2 = 12;
    info->m_nOption3 = 13;
    f->m_pFormInfo = std::move(info);
    f->m_fonts.push_back(std::make_unique<TvFontDesc>(1, "MS Mincho", 128, 49, 1200, 5));
    f->m_fonts.push_back(std::make_unique<TvFontDesc>(2, "MS Gothic", 128, 17, 600, 0));
    auto l1 = std::make_unique<TvLayer>(1);
    l1->m_strName = "Base";
    l1->m_objects.push_back(MakeObject("Obj1", 0, 100));
    auto l2 = std::make_unique<TvLayer>(2);
    l2->m_strName = "Fields";
    l2->m_bVisibleAtPrint = 0;
    l2->m_nLayerMode = 2;
    l2->m_crSecondColor = 0x010203;
    l2->m_nLayerValue4 = 9;
    l2->m_objects.push_back(MakeObject("Obj2", 1, 200));
    l2->m_objects.push_back(MakeObject("Obj3", 2, 300));
    f->m_layers.push_back(std::move(l1));
    f->m_layers.push_back(std::move(l2));
    f->m_nFlags = 1;
    f->RebuildIdMap(false);
    return f;
}

std::string ObjectBody(const std::string& name, uint32_t id, int32_t x)
{
    return U32(10) + Str(name) + U32(id) + I32(0) + I32(x) + I32(x + 1) + I32(1) + U32(0xFFFFFF) + I32(1);
}

std::string LayerBody(int32_t id, const std::string& name, int32_t visPrint, int32_t mode, uint32_t second,
                      int32_t v4)
{
    return I32(id) + Str(name) + I32(1) + I32(visPrint) + I32(1) + I32(1) + I32(144000) + I32(240000) + I32(600) +
           I32(600) + I32(mode) + I32(1) + U32(0xFFFFFF);
}

std::string ExpectedBytes()
{
    // ids: 1 TvFedObject class, 2 root, 3 TvFormInfo class, 4 info, 5 TvFontDesc
    // class, 6 and 7 fonts, 8 TvLayer class, 9 layer 1, 10 TvObject class,
    // 11 Obj1, 12 layer 2, 13 Obj2, 14 Obj3.
    std::string b = NewClass(4, "TvFedObject") + Str(kFormVersionString);
    b += NewClass(4, "TvFormInfo") + Str("Ledger") + I32(11905511) + I32(16837795) + I32(1) + I32(2) + I32(3) +
         I32(4) + I32(1) + Str("A") + Str("C") + Str("2024/03/05 09:08:07") + Str("2025/12/31 23:59:58") + I32(6) +
         Str("7.1") + Str(",.") + I32(9) + I32(11) + I32(12) + I32(13);
    b += U16(2) + NewClass(0, "TvFontDesc") + I32(1) + I32(5) + Str("MS Mincho") + U8(128) + U8(49) + I32(1200);
    b += U16(0x8005) + I32(2) + I32(0) + Str("MS Gothic") + U8(128) + U8(17) + I32(600);
    b += U16(2) + NewClass(2, "TvLayer") + LayerBody(1, "Base", 1, 1, 0, 0) + U16(1) + NewClass(10, "TvObject") +
         ObjectBody("Obj1", 0, 100) + U32(0xFFC8C8) + I32(1) + I32(0) + I32(7);
    b += U16(0x8008) + LayerBody(2, "Fields", 0, 2, 0, 0) + U16(2) + U16(0x800A) + ObjectBody("Obj2", 1, 200) +
         U16(0x800A) + ObjectBody("Obj3", 2, 300) + U32(0x010203) + I32(1) + I32(0) + I32(9);
    b += I32(1);
    return b;
}

TEST_F(FormTest, ByteExactRoundTrip)
{
    auto form = BuildForm();
    const std::string bytes = StoreFormArchive(*form);
    const std::string expected = ExpectedBytes();
    ASSERT_EQ(bytes, expected) << nvtest::HexDump(bytes, 2000);
    EXPECT_EQ(form->m_pFormInfo->m_strUpdateTime, "2025/12/31 23:59:58");

    auto back = LoadFormArchive(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_pFormInfo->m_strCreateTime, "2024/03/05 09:08:07");
    EXPECT_EQ(back->m_fonts.size(), 2u);
    ASSERT_EQ(back->m_layers.size(), 2u);
    EXPECT_EQ(back->m_layers[1]->m_objects.size(), 2u);
    EXPECT_EQ(back->FindObjectById(2)->m_strName, "Obj3");
    EXPECT_EQ(back->IdMap().size(), 3u);
    // Stored again under the same clock: the same bytes.
    EXPECT_EQ(StoreFormArchive(*back), expected);
    // A clone stores the same way too.
    EXPECT_EQ(StoreFormArchive(*back->Clone()), expected);
}

TEST_F(FormTest, StoringAgainChangesOnlyTheUpdateTime)
{
    auto form = BuildForm();
    const std::string first = StoreFormArchive(*form);
    SetFormClock([] { return LocalTime{2026, 1, 2, 3, 4, 5}; });
    const std::string second = StoreFormArchive(*form);
    EXPECT_NE(first, second);
    EXPECT_EQ(form->m_pFormInfo->m_strCreateTime, "2024/03/05 09:08:07");
    EXPECT_EQ(form->m_pFormInfo->m_strUpdateTime, "2026/01/02 03:04:05");
    EXPECT_EQ(first.size(), second.size());
}

TEST_F(FormTest, WrongVersionStringIsBadIndex)
{
    std::string bytes = ExpectedBytes();
    const size_t at = bytes.find("Ver7.1");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] = '8';
    try {
        LoadFormArchive(bytes);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.cause(), CArchiveException::badIndex);
    }
}

TEST_F(FormTest, EveryTruncationFails)
{
    const std::string bytes = ExpectedBytes();
    for (size_t n = 0; n < bytes.size(); ++n) {
        try {
            LoadFormArchive(std::string_view(bytes).substr(0, n));
            ADD_FAILURE() << "no error at " << n;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::endOfFile) << n;
        }
    }
}

TEST_F(FormTest, SchemaZeroOrNullInfoGivesDefaultInfo)
{
    auto f = LoadFormArchive(NewClass(0, "TvFedObject"));
    ASSERT_TRUE(f && f->m_pFormInfo);
    EXPECT_EQ(f->m_nFlags, 1);
    EXPECT_TRUE(f->m_layers.empty());

    const std::string nullInfo = NewClass(1, "TvFedObject") + Str(kFormVersionString) + U16(0) + U16(0) + U16(0);
    auto g = LoadFormArchive(nullInfo);
    ASSERT_TRUE(g && g->m_pFormInfo);
    EXPECT_EQ(g->m_nFlags, 1); // not stored before schema 2
    EXPECT_EQ(g->m_pFormInfo->m_nPaperSize, 1);
}

TEST_F(FormTest, OldFormInfoSchemasTakeDefaults)
{
    // Form information of schema 0: no paper size, no option values.
    std::string info = NewClass(0, "TvFormInfo") + Str("n") + I32(1) + I32(2) + I32(0) + I32(0) + I32(0) + I32(0) +
                       I32(1) + Str("") + Str("") + Str("t1") + Str("t2") + I32(3) + Str("") + Str("");
    auto f = LoadFormArchive(NewClass(2, "TvFedObject") + Str(kFormVersionString) + info + U16(0) + U16(0) + I32(0));
    EXPECT_EQ(f->m_pFormInfo->m_nPaperSize, 1);
    EXPECT_EQ(f->m_pFormInfo->m_nOption1, 1);
    EXPECT_EQ(f->m_pFormInfo->m_nOption2, 2);
    EXPECT_EQ(f->m_pFormInfo->m_nOption3, 2);
    EXPECT_EQ(f->m_pFormInfo->m_nUpdateRevision, 3);
    EXPECT_EQ(f->m_nFlags, 0);
    // Schema 2: paper size and option 1 only.
    std::string info2 = NewClass(2, "TvFormInfo") + Str("n") + I32(1) + I32(2) + I32(0) + I32(0) + I32(0) +
                        I32(0) + I32(1) + Str("") + Str("") + Str("t1") + Str("t2") + I32(3) + Str("") + Str("") +
                        I32(8) + I32(5);
    auto g = LoadFormArchive(NewClass(4, "TvFedObject") + Str(kFormVersionString) + info2 + U16(0) + U16(0) + I32(0));
    EXPECT_EQ(g->m_pFormInfo->m_nPaperSize, 8);
    EXPECT_EQ(g->m_pFormInfo->m_nOption1, 5);
    EXPECT_EQ(g->m_pFormInfo->m_nOption2, 2);
}

TEST_F(FormTest, OldFormsAreRenumberedPerLayerThenDeduplicated)
{
    // Schema 3: two layers, each with two objects whose stored ids are 0.
    auto f = BuildForm();
    f->m_layers[0]->m_objects.push_back(MakeObject("Obj4", 0, 400));
    for (auto& l : f->m_layers)
        for (auto& o : l->m_objects) o->m_nObjectId = 0;
    Archive ar;
    ar.WriteObject(f.get());
    std::string bytes = ar.TakeBytes();
    bytes[2] = 3; // the root's class record schema
    auto g = LoadFormArchive(bytes);
    // Per layer 0, 1; then the second layer's duplicates get free ids.
    EXPECT_EQ(g->m_layers[0]->m_objects[0]->m_nObjectId, 0u);
    EXPECT_EQ(g->m_layers[0]->m_objects[1]->m_nObjectId, 1u);
    EXPECT_EQ(g->m_layers[1]->m_objects[0]->m_nObjectId, 2u);
    EXPECT_EQ(g->m_layers[1]->m_objects[1]->m_nObjectId, 3u);
    EXPECT_EQ(g->IdMap().size(), 4u);

    auto h = LoadFormArchive(bytes, TvFedObject::kLoadKeepDuplicateIds);
    EXPECT_EQ(h->m_layers[1]->m_objects[0]->m_nObjectId, 0u);
    EXPECT_EQ(h->IdMap().size(), 2u);
}

TEST_F(FormTest, AssignObjectIdTakesCountOrSmallestFree)
{
    TvFedObject f;
    f.m_layers.push_back(std::make_unique<TvLayer>(1));
    TvObject* a = f.AddObject(MakeObject("a", 0, 0), nullptr, true);
    EXPECT_EQ(a->m_nObjectId, 0u); // empty map
    TvObject* b = f.AddObject(MakeObject("b", 0, 0), nullptr, true);
    EXPECT_EQ(b->m_nObjectId, 1u);
    TvObject* c = f.AddObject(MakeObject("c", 3, 0), nullptr, false);
    EXPECT_EQ(c->m_nObjectId, 3u); // free: kept
    TvObject d;
    f.AssignObjectId(d, true);
    EXPECT_EQ(d.m_nObjectId, 2u); // count 3 is taken
    f.RebuildIdMap(false); // forgets the object outside the form
}

TEST_F(FormTest, AddObjectNamesAndOrders)
{
    TvFedObject f;
    f.m_layers.push_back(std::make_unique<TvLayer>(1));
    // Objects of the base class keep their name (naming is the subclass's);
    // the duplicate check still runs.
    TvObject* a = f.AddObject(MakeObject("x", 0, 0), nullptr, true);
    TvObject* b = f.AddObject(MakeObject("y", 0, 0), nullptr, true);
    EXPECT_EQ(a->m_nDrawOrder, 1);
    EXPECT_EQ(b->m_nDrawOrder, 2);
    auto c = MakeObject("z", 7, 0);
    c->m_nDrawOrder = 2;
    TvObject* cp = f.AddObject(std::move(c), nullptr, false);
    auto& list = f.m_layers[0]->m_objects;
    EXPECT_EQ(list[1].get(), cp);
    EXPECT_EQ(list[2].get(), b);
    EXPECT_EQ(b->m_nDrawOrder, 3);
    EXPECT_EQ(f.IsNameFree("z"), 0);
    EXPECT_EQ(f.IsNameFree("w"), 1);
    f.RemoveObject(cp, nullptr, true);
    EXPECT_EQ(b->m_nDrawOrder, 2);
    EXPECT_EQ(f.FindObjectById(7), nullptr);
    TvFedObject empty;
    EXPECT_EQ(empty.AddObject(MakeObject("q", 0, 0), nullptr, true), nullptr);
}

TEST_F(FormTest, CopyFromNeverLosesObjectsToDuplicateIds)
{
    auto a = BuildForm();
    auto b = BuildForm();
    a->CopyFrom(*b);
    EXPECT_EQ(a->m_layers.size(), 4u);
    EXPECT_EQ(a->m_fonts.size(), 4u);
    size_t objects = 0;
    a->ForEachObject([&](const TvObject&) { ++objects; });
    EXPECT_EQ(objects, 6u);
    EXPECT_EQ(a->IdMap().size(), 6u);
    for (const auto& [id, obj] : a->IdMap()) EXPECT_EQ(obj->m_nObjectId, id);
    // The copies are independent objects.
    EXPECT_NE(a->m_layers[2]->m_objects[0].get(), b->m_layers[0]->m_objects[0].get());
}

TEST_F(FormTest, LayerNamesAndFonts)
{
    auto f = BuildForm();
    std::string stem = LoadEngineString(IDS_LAYER_STEM);
    f->m_layers[0]->m_strName = stem + "4";
    f->m_layers[1]->m_strName = stem + "x";
    std::string name = stem;
    f->MakeUniqueLayerName(name);
    EXPECT_EQ(name, stem + "5");
    std::string face;
    f->GetFontFace(face, 2);
    EXPECT_EQ(face, "MS Gothic");
    f->GetFontFace(face, 9);
    EXPECT_EQ(face, "");
    EXPECT_EQ(f->FindFont(9), nullptr);
}

TEST_F(FormTest, HostileListsAndClasses)
{
    const std::string head = NewClass(4, "TvFedObject") + Str(kFormVersionString) + U16(0);
    auto cause = [](const std::string& bytes) {
        try {
            LoadFormArchive(bytes);
        } catch (const CArchiveException& e) {
            return e.cause();
        }
        return CArchiveException::none;
    };
    // A font list holding a layer.
    EXPECT_EQ(cause(head + U16(1) + NewClass(2, "TvLayer")), CArchiveException::badClass);
    // A null layer.
    EXPECT_EQ(cause(head + U16(0) + U16(1) + U16(0) + I32(0)), CArchiveException::badIndex);
    // The root referring back to itself as a layer.
    EXPECT_EQ(cause(head + U16(0) + U16(1) + U16(2) + I32(0)), CArchiveException::badIndex);
    // A huge layer count.
    EXPECT_EQ(cause(head + U16(0) + U16(0xFFFF) + U32(0x40000000)), CArchiveException::endOfFile);
    // The form information where the root expects a form.
    EXPECT_EQ(cause(NewClass(4, "TvFormInfo")), CArchiveException::badClass);
}

} // namespace
} // namespace nv
