// Object properties through the access table, values recorded in the page
// data, and the checks every member runs.
#include "ControlFixture.h"

#include "control/ControlErrors.h"
#include "control/PropertyAccess.h"
#include "engine/model/TvData.h"
#include "engine/model/TvText.h"

using namespace nv;
using namespace nvtest;

namespace {

class ObjectTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        form = OpenSample();
    }
    // The recorded value of an object property, or "-" when none.
    std::string Recorded(const std::string& object, int32_t propId, int16_t c1 = 0, int16_t c2 = 0)
    {
        const TvObject* obj = Object(*form, object)->EngineObject();
        const TvChangeEntry* e =
            form->PageData().m_objectEntries.Lookup(TvEntryKey{int32_t(obj->m_nObjectId), propId, c1, c2});
        if (!e || !e->m_pData) return "-";
        const CChangeData& d = *e->m_pData;
        return d.m_nType == CChangeData::typeBytes ? d.GetString() : std::to_string(d.GetLong());
    }
    // Reads a member by dispatch id as its table says it is typed.
    void Read(CXObject& o, int32_t dispid)
    {
        const PropertyAccess* a = AccessByDispid(dispid);
        if (dispid == 84) o.GetBarSize(0);
        else if (dispid == 85) o.GetListText(0, 0);
        else if (dispid == 64) o.OleObject();
        else if (a->isString) o.GetString(dispid);
        else o.GetLong(dispid);
    }

    std::shared_ptr<CXForm> form;
};

} // namespace

TEST_F(ObjectTest, ModesOfTheAccessTable)
{
    // Every member on an object of an AP and an LP layer: refused with 20003
    // exactly where the table's modes lack the layer's mode.
    auto ap = Object(*form, "Rule");
    auto lp = Object(*form, "LpRule");
    for (int32_t dispid = 1; dispid <= 85; ++dispid) {
        if (dispid == 82 || dispid == 83) continue; // methods
        const PropertyAccess* a = AccessByDispid(dispid);
        ASSERT_NE(a, nullptr) << dispid;
        for (auto* o : {ap.get(), lp.get()}) {
            const uint8_t mode = o == ap.get() ? kModeAp : kModeLp;
            SCOPED_TRACE(std::string(a->name) + (mode == kModeAp ? " on AP" : " on LP"));
            bool refused = false;
            try {
                Read(*o, dispid);
            } catch (const AutomationError& e) {
                refused = e.HelpContext() == 20003;
            }
            if (!(a->modes & mode)) {
                EXPECT_TRUE(refused);
            }
        }
    }
    EXPECT_EQ(ap->GetLong(12), 1000); // StartX in 1/100 mm
    EXPECT_EQ(lp->GetLong(53), 4);    // Column: x / 144000 rounded
}

TEST_F(ObjectTest, KindRestrictions)
{
    EXPECT_TVL_ERROR(Object(*form, "Frame")->GetLong(52), kErrPropertyNotFound, 20003);  // TextColor of a box
    EXPECT_TVL_ERROR(Object(*form, "Rule")->GetLong(52), kErrPropertyNotFound, 20003);   // of a line
    EXPECT_TVL_ERROR(Object(*form, "Code")->GetLong(8), kErrPropertyNotFound, 20003);    // FillColor of a barcode
    EXPECT_TVL_ERROR(Object(*form, "Frame")->GetLong(73), kErrPropertyNotFound, 20003);  // BarcodeColor of a box
    EXPECT_TVL_ERROR(Object(*form, "Title")->GetListText(0, 0), kErrPropertyNotFound, 20003);
    EXPECT_TVL_ERROR(Object(*form, "Cell")->GetLong(80), kErrPropertyNotFound, 20003);   // EndColumn of a field
    EXPECT_TVL_ERROR(Object(*form, "Title")->OleObject(), kErrPropertyNotFound, 20003);
    EXPECT_EQ(Object(*form, "Chart")->OleObject(), nullptr);
    EXPECT_NO_THROW(Object(*form, "LpRule")->GetLong(80));
    EXPECT_NO_THROW(Object(*form, "Title")->GetLong(52));
}

TEST_F(ObjectTest, ConvertedSettersRefuseAndChangeNothing)
{
    auto box = Object(*form, "Frame");
    const size_t before = form->PageData().m_objectEntries.size();
    const int32_t width = box->GetLong(16);
    EXPECT_TVL_ERROR(box->SetLong(16, -1), kErrInvalidProperty, 20040);          // a size below 0
    EXPECT_TVL_ERROR(box->SetLong(16, 3000001), kErrInvalidProperty, 20040);     // above 30,000 mm
    EXPECT_TVL_ERROR(box->SetLong(12, -3000001), kErrInvalidProperty, 20040);
    EXPECT_EQ(box->GetLong(16), width);
    EXPECT_EQ(form->PageData().m_objectEntries.size(), before);
    box->SetLong(12, -100);                                                     // positions may be negative
    EXPECT_EQ(box->GetLong(12), -100);
    box->SetLong(16, 3000000);
    EXPECT_EQ(box->GetLong(16), 3000000);
    EXPECT_TVL_ERROR(box->SetLong(28, 1), kErrPropertyNotFound, 20003);            // PolyCount is read-only

    auto title = Object(*form, "Title");
    EXPECT_TVL_ERROR(title->SetLong(41, 0), kErrInvalidProperty, 20043);          // ZenFontHeight 0
    ctrl->SetUnit(2);                                                           // 1/10 point
    EXPECT_TVL_ERROR(title->SetLong(41, 2001), kErrInvalidProperty, 20043);       // above 200 points
    title->SetLong(41, 2000);
    EXPECT_EQ(title->GetLong(41), 2000);
    title->SetLong(42, 0);                                                      // a width of 0 is fine
    EXPECT_EQ(title->GetLong(42), 0);
}

TEST_F(ObjectTest, CellPropertiesOverflowIntoTheBoundCheck)
{
    auto cell = Object(*form, "Cell");
    cell->SetLong(53, 10);
    EXPECT_EQ(Recorded("Cell", 4), "1440000");
    // 20000 columns of 0.1 inch are beyond 30,000 mm; 2^31 / 144000 times
    // the grid would wrap in 32 bits.
    EXPECT_TVL_ERROR(cell->SetLong(53, 20000), kErrInvalidProperty, 20040);
    EXPECT_TVL_ERROR(cell->SetLong(53, 40000), kErrInvalidProperty, 20040);
    EXPECT_TVL_ERROR(cell->SetLong(55, -1), kErrInvalidProperty, 20040);
    EXPECT_EQ(cell->GetLong(53), 10);
}

TEST_F(ObjectTest, TextByKindIsRecordedAsThePageValue)
{
    Object(*form, "Amount")->SetText("1234.56");
    Object(*form, "Title")->SetText("見出し");
    Object(*form, "Cell")->SetText("x");
    EXPECT_EQ(Recorded("Amount", 1001), "1234.56");
    EXPECT_EQ(Recorded("Title", 35), "\x8c\xa9\x8f\x6f\x82\xb5");
    EXPECT_EQ(Object(*form, "Amount")->GetText(), "1234.56");
    EXPECT_EQ(Object(*form, "Title")->GetText(), "見出し");

    auto code = Object(*form, "Code");
    EXPECT_TVL_ERROR(code->SetText("49012345678A"), kErrInvalidProperty, 20035);
    EXPECT_TVL_ERROR(code->SetText("4901"), kErrInvalidProperty, 20034);
    EXPECT_EQ(Recorded("Code", 1001), "-");
    code->SetText("490123456789");
    EXPECT_EQ(Recorded("Code", 1001), "490123456789");

    try {
        Object(*form, "Title")->SetText("🍣");
        ADD_FAILURE();
    } catch (const AutomationError& e) {
        EXPECT_NE(e.Description().find("🍣"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("Text"), std::string::npos);
    }
    EXPECT_EQ(Object(*form, "Title")->GetText(), "見出し");
}

TEST_F(ObjectTest, ReplaceCharacterCountsBytes)
{
    auto amount = Object(*form, "Amount");
    EXPECT_TVL_ERROR(amount->SetString(39, "ab"), kErrInvalidProperty, 20042);
    EXPECT_TVL_ERROR(amount->SetString(39, "＊"), kErrInvalidProperty, 20042);
    amount->SetString(39, "*");
    EXPECT_EQ(amount->GetString(39), "*");
    amount->SetString(39, "");
    EXPECT_EQ(amount->GetString(39), "");
}

TEST_F(ObjectTest, BarSizeAndListTextBounds)
{
    auto code = Object(*form, "Code");
    EXPECT_TVL_ERROR(code->GetBarSize(-1), kErrInvalidIndex, 20027);
    EXPECT_TVL_ERROR(code->GetBarSize(9), kErrInvalidIndex, 20027);
    EXPECT_TVL_ERROR(Object(*form, "Title")->GetBarSize(0), kErrPropertyNotFound, 20003);

    auto table = Object(*form, "Table");
    EXPECT_EQ(table->GetLong(78), 3);
    EXPECT_EQ(table->GetLong(79), 2);
    EXPECT_TVL_ERROR(table->GetListText(0, 2), kErrInvalidIndex, 20027);
    EXPECT_TVL_ERROR(table->GetListText(3, 0), kErrInvalidIndex, 20027);
    EXPECT_TVL_ERROR(table->SetListText(-1, 0, "x"), kErrInvalidIndex, 20027);
    table->SetListText(2, 1, "右下");
    EXPECT_EQ(table->GetListText(2, 1), "右下");
    EXPECT_EQ(Recorded("Table", 125, 2, 1), "2:1:\x89\x45\x89\xba");
}

TEST_F(ObjectTest, FontNamesResolveThroughTheFaceList)
{
    auto title = Object(*form, "Title");
    title->SetString(40, "ＭＳ 明朝");
    EXPECT_EQ(title->GetString(40), "ＭＳ 明朝");
    EXPECT_EQ(Recorded("Title", 54), "-1");
    title->SetString(44, "ＭＳ 明朝");
    EXPECT_EQ(Recorded("Title", 55), "-1");
    EXPECT_TVL_ERROR(title->SetString(44, "No Such Face"), kErrInvalidProperty, 20018);
}

TEST_F(ObjectTest, MoveTopRecordsAnOrderChangeOnlyWhenItMoves)
{
    auto lost = Object(*form, "Chart");
    lost->MoveTop(); // already last
    EXPECT_EQ(Recorded("Chart", 1005), "-");
    auto title = Object(*form, "Title");
    title->MoveTop();
    EXPECT_EQ(Recorded("Title", 1005), "1");
    EXPECT_EQ(form->Root().m_layers[0]->m_objects.back()->m_strName, "Title");
    title->MoveBottom();
    EXPECT_EQ(Recorded("Title", 1006), "2");
}

TEST_F(ObjectTest, PictureFileNameChangesLoadedObjectAndWorkingCopy)
{
    WriteFileBytes(dir.path() / "other.bmp", "BM");
    // A plain picture does not take a file name per page; a picture field does.
    EXPECT_TVL_ERROR(Object(*form, "Logo")->SetString(33, "other.bmp"), kErrPropertyNotFound, 20003);
    auto lost = Object(*form, "Photo");
    lost->SetString(33, "other.bmp");
    EXPECT_EQ(lost->GetString(33), dir.file("other.bmp"));
    const uint32_t id = lost->EngineObject()->m_nObjectId;
    void* address = nullptr;
    int32_t kind = 0;
    ASSERT_TRUE(form->WorkingCopy().FindObjectById(id)->GetPropertyAddress(69, address, kind));
    EXPECT_EQ(*static_cast<std::string*>(address), dir.file("other.bmp"));
    EXPECT_TVL_ERROR(lost->SetString(33, "none.bmp"), kErrFileNotFound, 20030);
    WriteFileBytes(dir.path() / "odd.xyz", "zz");
    EXPECT_TVL_ERROR(lost->SetString(33, "odd.xyz"), kErrImageFormat, 20044);
}

TEST_F(ObjectTest, AfterCloseEveryMemberRaises20008)
{
    auto title = Object(*form, "Title");
    auto base = Layer(*form, "Base");
    form->Close();
    form.reset();
    EXPECT_TVL_ERROR(title->GetText(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(title->Name(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(title->SetLong(4, 0), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(title->MoveTop(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(base->Name(), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(base->SetVisibleAtPrint(false), kErrClosedForm, 20008);
    EXPECT_TVL_ERROR(base->MoveTop(), kErrClosedForm, 20008);
    // A wrapper attached to nothing.
    CXObject loose(nullptr, nullptr);
    EXPECT_TVL_ERROR(loose.GetText(), kErrDetached, 20017);
}
