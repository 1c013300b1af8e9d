#include <gtest/gtest.h>

#include "engine/model/TvBox.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvText.h"
#include "engine/render/FormPainter.h"
#include "platform/gdi/RecordingDc.h"

using namespace nv;

namespace {

constexpr int32_t kInch = 1440000;

TvBox* AddBox(TvLayer& layer, const Rect& r)
{
    auto b = std::make_unique<TvBox>(r, 0, 1, nullptr);
    b->m_nLineWidth = 0;
    TvBox* raw = b.get();
    layer.m_objects.push_back(std::move(b));
    return raw;
}

TvLayer& AddLayer(TvFedObject& form, int32_t id)
{
    form.m_layers.push_back(std::make_unique<TvLayer>(id));
    return *form.m_layers.back();
}

size_t Rectangles(const RecordingDc& dc) { return dc.CallsOf("Rectangle").size(); }

} // namespace

TEST(FormPainter, AnOpaqueLayerHidesTheLayersUnderIt)
{
    TvFedObject form;
    AddBox(AddLayer(form, 1), {0, 0, kInch, kInch});
    AddBox(AddLayer(form, 2), {0, 0, kInch, kInch});
    TvLayer& top = AddLayer(form, 3);
    AddBox(top, {0, 0, kInch, kInch});
    RecordingDc dc;
    DrawFormPage(dc, form, {});
    EXPECT_EQ(Rectangles(dc), 3u);
    top.m_bTransparentAtPrint = 0;
    dc.Clear();
    DrawFormPage(dc, form, {});
    EXPECT_EQ(Rectangles(dc), 1u);
    // An invisible opaque last layer still hides the others.
    top.m_bVisibleAtPrint = 0;
    dc.Clear();
    DrawFormPage(dc, form, {});
    EXPECT_EQ(Rectangles(dc), 0u);
    EXPECT_FALSE(IsLayerPrinted(form, 0));
    EXPECT_FALSE(IsLayerPrinted(form, 7));
}

TEST(FormPainter, ScreenDrawingSkipsObjectsOutsideTheClip)
{
    TvFedObject form;
    TvLayer& layer = AddLayer(form, 1);
    // The clip box is 0..96 pixels (one inch), inflated by 2 pixels: the
    // clip rectangle in document units ends at 98 px = 1470000.
    const int32_t edge = 98 * 15000;
    // Bounds with the pen reach one unit further out than the box.
    TvBox* near = AddBox(layer, {edge + 4 + 1, 0, edge + 100, 100});
    TvBox* far = AddBox(layer, {edge + 5 + 1, 200, edge + 100, 300});
    (void)near;
    (void)far;
    RecordingDc dc(96, 96, {96, 96});
    DrawFormPage(dc, form, {});
    EXPECT_EQ(Rectangles(dc), 1u);
    // A printer draws everything, whatever the clip.
    RecordingDc printer(96, 96, {96, 96}, true);
    DrawFormPage(printer, form, {});
    EXPECT_EQ(Rectangles(printer), 2u);
}

TEST(FormPainter, InvisibleObjectsAreSkippedButExtrasAreDrawn)
{
    TvFedObject form;
    TvLayer& layer = AddLayer(form, 4);
    AddBox(layer, {0, 0, kInch, kInch})->m_bVisible = 0;
    TvBox extra(Rect{0, 0, kInch, kInch}, 0, 1, nullptr);
    extra.m_bVisible = 0;
    PageExtraObjects extras{{4, {&extra}}};
    FormPageOptions o;
    o.extras = &extras;
    RecordingDc dc(96, 96, {794, 1123}, true);
    DrawFormPage(dc, form, o);
    EXPECT_EQ(Rectangles(dc), 1u);
}

TEST(FormPainter, OffsetsMoveThePageAndTheStateIsRestored)
{
    TvFedObject form;
    form.EnsureFormInfo().m_nOffsetX = kInch / 2;
    AddBox(AddLayer(form, 1), {0, 0, kInch, kInch});
    FormPageOptions o;
    o.offset = {kInch / 2, kInch};
    o.zoom = 50;
    RecordingDc dc;
    DrawFormPage(dc, form, o);
    auto r = dc.CallsOf("Rectangle");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].args, (std::vector<int32_t>{48, 48, 96, 96}));
    EXPECT_EQ(dc.State().viewportOrg, (DcPoint{0, 0}));
    EXPECT_EQ(dc.SaveDepth(), 0);
}
