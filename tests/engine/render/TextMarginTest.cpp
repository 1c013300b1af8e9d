// Text keeps its inner margins on the page at every zoom the viewer offers:
// the ink of a right-aligned figure stays left of the right margin, that of
// a left-aligned one right of the left margin.
#include <gtest/gtest.h>

#include <QImage>

#include "TestCard.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextLayout.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nv::testcard;

namespace {

constexpr int kDpi = 96;
// The ledger's figure cells: 9 points in a 28 mm cell with 0.8 mm margins.
constexpr int32_t kLeft = 10 * kMm, kRight = 38 * kMm, kTop = 10 * kMm, kBottom = 17 * kMm;
constexpr int32_t kMargin = 45354;

int ToPixels(int64_t units, int zoom) { return int(units * kDpi * zoom / (100 * 1440000LL)); }

// The first and last columns with ink between the cell's top and bottom.
std::pair<int, int> InkColumns(const QImage& image, int zoom)
{
    int first = image.width(), last = -1;
    for (int y = ToPixels(kTop, zoom); y < ToPixels(kBottom, zoom); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

QImage Draw(const char* text, int32_t align, int zoom, TextMeasurer& measurer)
{
    TvFedObject form;
    form.m_fonts.push_back(std::make_unique<TvFontDesc>(1, Sj("ＭＳ ゴシック"), 128, 0x31, 0, 0));
    auto layer = std::make_unique<TvLayer>(1);
    auto label = std::make_unique<TvText>(Rect{kLeft, kTop, kRight, kBottom}, text);
    TextSize(*label, 900);
    label->m_nAlign = align;
    label->m_nMarginLeft = label->m_nMarginRight = kMargin;
    label->m_nMarginTop = 2 * kMm;
    Add(*layer, std::move(label));
    form.m_layers.push_back(std::move(layer));
    const int side = ToPixels(50 * kMm, zoom);
    QtImageDc dc(side, side, kDpi);
    FormPageOptions o;
    o.zoom = zoom;
    o.measurer = &measurer;
    EXPECT_EQ(DrawFormPage(dc, form, o), 0);
    return dc.Finish().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(TextMargin, FiguresStayInsideTheirMarginsAtEveryZoom)
{
    EnsureApp();
    DcTextMeasurer measurer(CreateMeasuringDc());
    for (int zoom : {50, 60, 75, 90, 100, 125, 150, 200}) {
        for (const char* text : {"100,000", "-4,500,000,000", "12,000", "0.5"}) {
            SCOPED_TRACE(std::to_string(zoom) + "% \"" + text + "\"");
            const int innerLeft = ToPixels(kLeft + kMargin, zoom);
            const int innerRight = ToPixels(kRight - kMargin, zoom);
            const auto [rightFirst, rightLast] = InkColumns(Draw(text, 2, zoom, measurer), zoom);
            ASSERT_GE(rightLast, 0) << "nothing drawn";
            EXPECT_LE(rightLast, innerRight);
            const auto [leftFirst, leftLast] = InkColumns(Draw(text, 1, zoom, measurer), zoom);
            EXPECT_GE(leftFirst, innerLeft);
            // Right alignment moves the text, it does not stretch it.
            EXPECT_NEAR(rightLast - rightFirst, leftLast - leftFirst, 1);
        }
    }
}
