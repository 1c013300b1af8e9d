#include <gtest/gtest.h>

#include "engine/model/TvBox.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvList.h"
#include "engine/model/TvText.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextMeasurer.h"
#include "platform/gdi/RecordingDc.h"

#include <climits>
#include <functional>

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

// Stored numbers at the ends of their range, as a damaged or hostile file
// holds them: what is drawn stays on the side the numbers point to, held at
// the far edge, never wrapped round across the page.
TEST(FormPainter, NumbersAtTheEndsOfTheirRangeAreHeldNotWrapped)
{
    constexpr int32_t kFar = INT32_MAX - 10;
    constexpr int32_t kFarPixels = 143165; // kFar at 96 dpi
    const auto label = [](const Rect& r) {
        auto t = std::make_unique<TvText>(r, "A");
        t->m_nZenHeight = t->m_nHanHeight = 1000;
        return t;
    };
    struct Case {
        const char* what;
        std::function<void(TvFedObject&, TvLayer&)> add;
        bool rightOf; // every x drawn right of `edge` (device pixels), else left of it
        int32_t edge;
    };
    const Case cases[] = {
        {"a box at the far right", [](TvFedObject&, TvLayer& l) { AddBox(l, {kFar, 0, kFar, 100})->m_nWidth = 100; },
         true, kFarPixels},
        {"a label at the far right",
         [&](TvFedObject&, TvLayer& l) {
             auto t = label({kFar, 0, kFar, kInch});
             t->m_nWidth = 100;
             l.m_objects.push_back(std::move(t));
         },
         true, kFarPixels},
        {"a label whose left margin is the least number",
         [&](TvFedObject&, TvLayer& l) {
             auto t = label({-kInch, 0, kInch, kInch});
             t->m_nMarginLeft = INT32_MIN;
             l.m_objects.push_back(std::move(t));
         },
         false, 96},
        {"a list at the far right",
         [&](TvFedObject&, TvLayer& l) {
             auto list = std::make_unique<TvList>(Rect{kFar, 0, kFar, kInch}, 3, 2, *label({}));
             list->m_nWidth = 3000;
             list->m_bFrame = 1;
             l.m_objects.push_back(std::move(list));
         },
         true, kFarPixels},
        {"a framed picture at the far right",
         [](TvFedObject&, TvLayer& l) {
             auto image = std::make_unique<TvImage>(Rect{kFar, 0, kFar, kInch});
             image->m_nWidth = 100;
             image->m_bFrame = 1;
             l.m_objects.push_back(std::move(image));
         },
         true, kFarPixels},
        {"a form offset to the far right",
         [](TvFedObject& f, TvLayer& l) {
             f.EnsureFormInfo().m_nOffsetX = kFar;
             AddBox(l, {0, 0, kInch, kInch});
         },
         true, kFarPixels},
    };
    DcTextMeasurer measurer(std::make_unique<RecordingDc>());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TvFedObject form;
        c.add(form, AddLayer(form, 1));
        RecordingDc dc(96, 96, {794, 1123}, true);
        FormPageOptions o;
        o.offset = {kInch, 0};
        o.measurer = &measurer;
        EXPECT_EQ(DrawFormPage(dc, form, o), 0);
        ASSERT_FALSE(dc.Calls().empty());
        for (const DcCall& call : dc.Calls()) {
            std::vector<int32_t> xs;
            if (call.op == "Rectangle" || call.op == "Polyline" || call.op == "Text")
                for (size_t i = 0; i < call.args.size(); i += 2) xs.push_back(call.args[i]);
            if (call.state.clip && !call.state.clip->IsEmpty()) xs.insert(xs.end(), {call.state.clip->Bounds().left, call.state.clip->Bounds().right});
            for (int32_t x : xs) {
                if (c.rightOf) EXPECT_GE(x, c.edge) << call.op;
                else EXPECT_LE(x, c.edge + 96) << call.op; // the page offset of an inch
            }
        }
    }
}
