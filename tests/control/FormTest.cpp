// Form members: drawing attributes, Draw methods, fields cleared, active
// layer, layer order, and the unit conversions they share.
#include "ControlFixture.h"

#include "control/Converters.h"
#include "control/ControlErrors.h"
#include "engine/barcode/BarcodeParams.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvLayer.h"

using namespace nv;
using namespace nvtest;

namespace {

class FormTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        form = OpenSample();
    }
    size_t ObjectEntries(int32_t propId)
    {
        size_t n = 0;
        form->PageData().m_objectEntries.ForEach([&](const TvEntryKey& k, const TvChangeEntry&) {
            if (k.m_nPropId == propId) ++n;
        });
        return n;
    }
    std::shared_ptr<CXForm> form;
};

} // namespace

TEST_F(FormTest, SetFontHalvesTheHalfWidthFont)
{
    ctrl->SetUnit(4); // twips
    form->SetFont(301, 240, 301, "ＭＳ 明朝", true, false, 0, 0);
    const DrawAttributes& a = form->Attributes();
    EXPECT_EQ(a.zen.width, 1505);
    EXPECT_EQ(a.han.width, 752);
    EXPECT_EQ(a.zen.height, 1200);
    EXPECT_EQ(a.han.height, 1200);
    EXPECT_EQ(a.zen.pitch, 301000);
    EXPECT_EQ(a.han.pitch, 150500);
    EXPECT_EQ(a.zen.font, -1);
    EXPECT_EQ(a.han.font, -1);
    EXPECT_EQ(a.bold, 1);
    form->SetZenFont(200, 200, 200, "ＭＳ ゴシック");
    EXPECT_EQ(form->Attributes().zen.font, -2);
    form->SetHanFont(200, 200, 200, "ＭＳ 明朝");
    EXPECT_EQ(form->Attributes().han.font, -1);
    EXPECT_TVL_ERROR(form->SetHanFont(200, 200, 200, "No Such Face"), kErrInvalidProperty, 20018);
}

TEST_F(FormTest, AttributeIndexes)
{
    EXPECT_TVL_ERROR(form->SetTextAttribute(12, 0), kErrInvalidValue, 20027);
    EXPECT_TVL_ERROR(form->SetTextAttribute(-1, 0), kErrInvalidValue, 20027);
    EXPECT_TVL_ERROR(form->SetBarcodeAttribute(14, 0), kErrInvalidValue, 20027);
    EXPECT_TVL_ERROR(form->SetBarcodeAttribute(9, 0), kErrInvalidValue, 20041);
    EXPECT_TVL_ERROR(form->SetTextAttribute(0, kNotInRow), kErrInvalidValue, 20039);
    form->SetTextAttribute(2, 5);
    EXPECT_EQ(form->Attributes().reverse, 1);
    form->SetTextAttribute(9, 500);
    EXPECT_EQ(form->Attributes().linePitch, 283464); // 5 mm
    EXPECT_TVL_ERROR(form->SetLine(1, -1, 0), kErrInvalidProperty, 20040);
}

TEST_F(FormTest, DrawMethodsNeedAnApLayer)
{
    auto lines = Layer(*form, "Lines");
    form->SetActiveLayer(lines);
    EXPECT_TVL_ERROR(form->DrawTvLine(0, 0, 100, 100), kErrInvalidValue, 20029);
    EXPECT_TVL_ERROR(form->DrawTvBox(0, 0, 100, 100, 0), kErrInvalidValue, 20029);
    EXPECT_TRUE(form->DrawnObjects().empty());
    form->SetActiveLayer(Layer(*form, "Base"));
    form->DrawTvLine(0, 0, 100, 100);
    EXPECT_EQ(form->DrawnObjects()[1].size(), 1u);
    EXPECT_EQ(form->DrawnObjects()[1][0]->m_strName, "DrawObject");
}

TEST_F(FormTest, DrawSizesAreCheckedIn64Bits)
{
    // Start plus size beyond 2^31 must be refused, not wrapped.
    EXPECT_TVL_ERROR(form->DrawTvBox(2000000000, 0, 2000000000, 10, 0), kErrInvalidProperty, 20040);
    EXPECT_TVL_ERROR(form->DrawTvBox(0, 0, -10, 10, 0), kErrInvalidProperty, 20040);
    EXPECT_TVL_ERROR(form->DrawTvBox(2900000, 0, 200000, 10, 0), kErrInvalidProperty, 20040);
    EXPECT_TRUE(form->DrawnObjects().empty());
    form->DrawTvBox(1000, 0, 2999000, 10, 0); // 30,000 mm at the far edge
    ASSERT_EQ(form->DrawnObjects()[1].size(), 1u);
}

TEST_F(FormTest, DrawTvBarcodeCompletesTheCheckDigit)
{
    EXPECT_EQ(form->DrawTvBarcode(kBarcodeJan13, 0, 0, 3000, 1000, "490123456789"), "4901234567894");
    EXPECT_TVL_ERROR(form->DrawTvBarcode(kBarcodeJan13, 0, 0, 3000, 1000, "49012345678X"), kErrInvalidValue, 20035);
    EXPECT_TVL_ERROR(form->DrawTvBarcode(kBarcodeJan13, 0, 0, 3000, 1000, "49"), kErrInvalidValue, 20034);
    EXPECT_EQ(form->DrawnObjects()[1].size(), 1u);
}

TEST_F(FormTest, ClearAllFieldsRecordsEveryField)
{
    Object(*form, "Amount")->SetText("12");
    Object(*form, "Cell")->SetText("7");
    Object(*form, "Code")->SetText("490123456789");
    auto table = Object(*form, "Table");
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r) table->SetListText(c, r, "v");
    form->ClearAllFields();
    // 3 x 2 list cells; the picture field; two data fields and the barcode.
    EXPECT_EQ(form->PageData().m_objectEntries.size(), 6u + 1u + 3u);
    EXPECT_EQ(ObjectEntries(125), 6u);
    EXPECT_EQ(ObjectEntries(69), 1u);
    EXPECT_EQ(ObjectEntries(1001), 3u);
    form->PageData().m_objectEntries.ForEach([](const TvEntryKey& k, const TvChangeEntry& e) {
        const std::string v = e.m_pData->GetString();
        EXPECT_TRUE(v.empty() || v.back() == ':') << k.m_nPropId << " " << v;
    });
    EXPECT_EQ(Object(*form, "Amount")->GetText(), "");
    EXPECT_EQ(table->GetListText(2, 1), "");
}

TEST_F(FormTest, ActiveLayerOfAnotherFormIsRefused)
{
    auto other = ctrl->OpenForm("sample.tvf");
    EXPECT_TVL_ERROR(form->SetActiveLayer(Layer(*other, "Base")), kErrInvalidProperty, 20006);
    EXPECT_TVL_ERROR(form->SetActiveLayer(nullptr), kErrInvalidProperty, 20006);
    EXPECT_EQ(form->GetActiveLayer()->Name(), "Base");
}

TEST_F(FormTest, DrawnObjectsSurviveLayerMoves)
{
    form->DrawTvBox(0, 0, 100, 100, 0);
    auto base = Layer(*form, "Base");
    base->MoveTop();
    EXPECT_EQ(form->Root().m_layers.back()->m_strName, "Base");
    EXPECT_EQ(form->DrawnObjects()[1].size(), 1u);
    base->MoveTop(); // already last: nothing recorded again
    const TvChangeEntry* e = form->PageData().m_layerEntries.Lookup(TvEntryKey{1, 1003, 0, 0});
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_pData->GetLong(), 1);
    base->MoveBottom();
    EXPECT_EQ(form->Root().m_layers.front()->m_strName, "Base");
    EXPECT_EQ(form->DrawnObjects()[1].size(), 1u);
    EXPECT_EQ(form->PageData().m_layerEntries.Lookup(TvEntryKey{1, 1004, 0, 0})->m_pData->GetLong(), 2);
}

TEST_F(FormTest, LayerMembers)
{
    auto base = Layer(*form, "Base");
    auto lines = Layer(*form, "Lines");
    EXPECT_EQ(base->LayerMode(), 0);
    EXPECT_EQ(lines->LayerMode(), 1);
    EXPECT_EQ(base->GridSpacingX(), 254);
    ctrl->SetUnit(4);
    EXPECT_EQ(base->GridSpacingX(), 144);
    base->SetVisibleAtPrint(false);
    EXPECT_FALSE(base->GetVisibleAtPrint());
    EXPECT_EQ(form->PageData().m_layerEntries.Lookup(TvEntryKey{1, 74, 0, 0})->m_pData->GetLong(), 0);
    base->SetBackColor(0x80000005u); // the window colour
    EXPECT_EQ(base->GetBackColor(), 0xFFFFFFu);
    base->SetBackColor(0x00123456u);
    EXPECT_EQ(base->GetBackColor(), 0x123456u);
}

TEST_F(FormTest, FormSettingsAndOffsets)
{
    EXPECT_EQ(form->Name(), "Sample");
    EXPECT_EQ(form->PaperWidth(), 21000);
    EXPECT_EQ(form->PaperLength(), 29700);
    EXPECT_DOUBLE_EQ(form->CreateTime(), 45356.0 + (9 * 3600 + 8 * 60 + 7) / 86400.0);
    form->SetOffsetX(-500);
    EXPECT_EQ(form->GetOffsetX(), -500);
    EXPECT_EQ(form->PageData().m_formEntries.size(), 1u);
}

TEST_F(FormTest, UnitBoundsAndPersistence)
{
    EXPECT_EQ(ctrl->GetUnit(), 1);
    EXPECT_TVL_ERROR(ctrl->SetUnit(7), kErrInvalidProperty, 20011);
    EXPECT_TVL_ERROR(ctrl->SetUnit(-1), kErrInvalidProperty, 20011);
    EXPECT_EQ(ctrl->GetUnit(), 1);
    ctrl->SetUnit(0);
    EXPECT_EQ(ctrl->FromUnit(30000, SignRule::NonNegative), 1700787401);
    EXPECT_TVL_ERROR(ctrl->FromUnit(30001, SignRule::NonNegative), kErrInvalidProperty, 20040);
    EXPECT_TVL_ERROR(ctrl->FromUnit(-1, SignRule::NonNegative), kErrInvalidProperty, 20040);
    EXPECT_EQ(ctrl->FromUnit(-30000, SignRule::Any), -1700787401);

    ctrl->SetWorkPath("/w");
    ctrl->SetImagePath("/i");
    CInkplateCtrl::PropertyBag bag;
    ctrl->SaveProperties(bag);
    CInkplateCtrl other;
    other.LoadProperties(bag);
    EXPECT_EQ(other.GetUnit(), 0);
    EXPECT_EQ(other.GetWorkPath(), "/w");
    EXPECT_EQ(other.GetImagePath(), "/i");
    other.LoadProperties({});
    EXPECT_EQ(other.GetUnit(), 1);
    EXPECT_EQ(other.GetEngineUnit(), 3);
    EXPECT_EQ(other.GetWorkPath(), "");
}

TEST_F(FormTest, AfterCloseEveryFormMemberRaises20008)
{
    form->Close();
    EXPECT_TVL_ERROR(form->Close(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(form->Name(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(form->TvLayers(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(form->ClearAllFields(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(form->SetFont(1, 1, 1, "x", false, false, 0, 0), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(form->DrawTvLine(0, 0, 1, 1), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(form->SetOffsetX(0), kErrClosedForm, 20008);
    EXPECT_TRUE(ctrl->Forms().empty());
}
