#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>

#include "TestCard.h"
#include "engine/render/FormPainter.h"
#include "support/LedgerPage.h"
#include "engine/render/TextLayout.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nv::testcard;
using namespace nvtest;

namespace {

const char* kReference = NV_SOURCE_DIR "/tests/engine/render/data/testcard-96dpi.png";

// The share of pixels that differ by more than `tolerance` in a channel.
double DifferentPixels(const QImage& a, const QImage& b, int tolerance = 48)
{
    if (a.size() != b.size()) return 1.0;
    QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    int64_t diff = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++diff;
        }
    return double(diff) / double(x.width() * x.height());
}

// The page in an image of w x h pixels at `dpi`, its corner at `offset`
// (document units) from the image's; `times` draws it again over itself.
QImage RenderPage(const TvFedObject& form, int dpi, int w, int h, Point offset = {}, int times = 1)
{
    QtImageDc dc(w, h, dpi);
    DcTextMeasurer measurer(CreateMeasuringDc());
    FormPageOptions o;
    o.measurer = &measurer;
    o.offset = offset;
    for (int i = 0; i < times; ++i) {
        dc.Clear();
        EXPECT_EQ(DrawFormPage(dc, form, o), 0);
    }
    EXPECT_FALSE(dc.Failed());
    return dc.Finish().copy();
}

// The test card with its picture in `dir`, every field filled.
std::unique_ptr<TvFedObject> FilledCard(TempDir& dir)
{
    std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(32, 24));
    auto form = MakeTestCard(bmp);
    FillTestCard(*form);
    return form;
}

QImage RenderCard(const TvFedObject& form, int dpi)
{
    return RenderPage(form, dpi, int(105 / 25.4 * dpi + 0.5), int(148 / 25.4 * dpi + 0.5));
}

} // namespace

TEST(TestCard, RendersAsTheReviewedReferenceAt96Dpi)
{
    EnsureApp();
    TempDir dir;
    auto form = FilledCard(dir);
    QImage img = RenderCard(*form, 96);
    ASSERT_FALSE(img.isNull());
    if (std::getenv("NV_UPDATE_REFERENCE")) {
        std::filesystem::create_directories(std::filesystem::path(kReference).parent_path());
        ASSERT_TRUE(img.save(kReference));
    }
    QImage ref(kReference);
    ASSERT_FALSE(ref.isNull()) << "reference missing: run with NV_UPDATE_REFERENCE=1 and review " << kReference;
    double d = DifferentPixels(img, ref);
    if (d >= 0.005) img.save(QString::fromStdString(dir.file("testcard-actual.png")));
    EXPECT_LT(d, 0.005) << "differs from the reference in " << d * 100 << "% of the pixels";
}

TEST(TestCard, RendersToPdfAt600Dpi)
{
    EnsureApp();
    TempDir dir;
    auto form = FilledCard(dir);
    std::string pdf = dir.file("card.pdf");
    {
        QtPdfDc dc(pdf, 105, 148, 600);
        DcTextMeasurer measurer(CreateMeasuringDc());
        FormPageOptions o;
        o.measurer = &measurer;
        EXPECT_EQ(DrawFormPage(dc, *form, o), 0);
        EXPECT_TRUE(dc.Finish());
    }
    std::string bytes = ReadFileBytes(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("/FontFile"), std::string::npos); // fonts are embedded
}

TEST(TestCard, LayoutWithTheRealFontsBreaksLikeTheFixedMetrics)
{
    EnsureApp();
    DcTextMeasurer measurer(CreateMeasuringDc());
    TextLayout layout(&measurer);
    TextLayoutParams p;
    p.zen.height = p.han.height = 1000;
    p.bound = {0, 0, 5 * 200000, 2000000};
    p.wrap = true;
    p.kinsoku = true;
    p.kinsokuString = Sj("。");
    layout.Prepare(p);
    layout.Build(Sj("あいうえお。"));
    ASSERT_EQ(layout.Lines().size(), 2u);
    EXPECT_EQ(Cp932ToUtf8(layout.Lines()[0].text), "あいうえ");
    EXPECT_EQ(Cp932ToUtf8(layout.Lines()[1].text), "お。");
    // IPA Mincho: a full-width character is one em, a half-width one half.
    EXPECT_EQ(layout.Lines()[0].runs[0].advance, 200000);
    layout.Build("AB");
    EXPECT_EQ(layout.Lines()[0].runs[1].advance, 100000);
}

// Pages stay the same to the pixel however the drawing is done: each is
// compared with a reference reviewed once (written anew with
// NV_UPDATE_REFERENCE=1), drawn once and drawn again over a cleared page.
TEST(TestCard, PagesMatchTheirReferencesPixelForPixel)
{
    EnsureApp();
    TempDir dir;
    auto card = FilledCard(dir);
    auto ledger = LedgerPageForm();
    const int32_t mm = LedgerPageShape::kMm;
    struct Row {
        const char* reference;
        const TvFedObject& form;
        int dpi, width, height;
        Point offset;
    };
    const Row rows[] = {
        {"ledger-page-96dpi.png", *ledger, 96, 794, 1123, {}},
        // The top right corner at print resolution: thick rules, large glyphs.
        {"ledger-corner-600dpi.png", *ledger, 600, 900, 700, {-150 * mm, -17 * mm}},
        // Every kind of object, text leaving its box among them.
        {"testcard-exact-96dpi.png", *card, 96, 397, 559, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.reference);
        const std::string path = std::string(NV_SOURCE_DIR "/tests/engine/render/data/") + r.reference;
        if (std::getenv("NV_UPDATE_REFERENCE")) {
            QImage img = RenderPage(r.form, r.dpi, r.width, r.height, r.offset);
            if (img.allGray()) img = img.convertToFormat(QImage::Format_Grayscale8);
            ASSERT_TRUE(img.save(QString::fromStdString(path), nullptr, 0));
        }
        QImage ref(QString::fromStdString(path));
        ASSERT_FALSE(ref.isNull()) << "reference missing: run with NV_UPDATE_REFERENCE=1 and review " << path;
        for (int times : {1, 3}) {
            QImage img = RenderPage(r.form, r.dpi, r.width, r.height, r.offset, times);
            const double d = DifferentPixels(img, ref, 0);
            if (d > 0) img.save(QString::fromStdString(std::string(NV_BINARY_DIR "/actual-") + r.reference));
            EXPECT_EQ(d, 0.0) << times << " times: differs in " << d * 100 << "% of the pixels";
        }
    }
}

// Texts may be held back to go out together: none is left once the page is
// drawn, so what a caller draws over the page afterwards stays on top.
TEST(TestCard, APageLeavesNoTextHeldBack)
{
    EnsureApp();
    auto ledger = LedgerPageForm();
    QImage image(794, 1123, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        QtDeviceContext dc(painter, false, 96, 96);
        DcTextMeasurer measurer(CreateMeasuringDc());
        FormPageOptions o;
        o.measurer = &measurer;
        EXPECT_EQ(DrawFormPage(dc, *ledger, o), 0);
        painter.fillRect(image.rect(), Qt::white);
    }
    painter.end();
    QImage white(794, 1123, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(DifferentPixels(image, white, 0), 0.0);
}
