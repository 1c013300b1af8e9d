#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>

#include "TestCard.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextLayout.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nv::testcard;
using namespace nvtest;

namespace {

const char* kReference = NV_SOURCE_DIR "/tests/engine/render/data/testcard-96dpi.png";

// The share of pixels that differ visibly (more than 48 in a channel).
double DifferentPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return 1.0;
    QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    int64_t diff = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            if (std::abs(qRed(p) - qRed(q)) > 48 || std::abs(qGreen(p) - qGreen(q)) > 48 ||
                std::abs(qBlue(p) - qBlue(q)) > 48)
                ++diff;
        }
    return double(diff) / double(x.width() * x.height());
}

QImage RenderCard(const TvFedObject& form, int dpi)
{
    int w = int(105 / 25.4 * dpi + 0.5), h = int(148 / 25.4 * dpi + 0.5);
    QtImageDc dc(w, h, dpi);
    DcTextMeasurer measurer(CreateMeasuringDc());
    FormPageOptions o;
    o.measurer = &measurer;
    EXPECT_EQ(DrawFormPage(dc, form, o), 0);
    EXPECT_FALSE(dc.Failed());
    return dc.Finish().copy();
}

} // namespace

TEST(TestCard, RendersAsTheReviewedReferenceAt96Dpi)
{
    EnsureApp();
    TempDir dir;
    std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(32, 24));
    auto form = MakeTestCard(bmp);
    FillTestCard(*form);
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
    std::string bmp = dir.file("ramp.bmp");
    WriteFileBytes(bmp, RampBmp(32, 24));
    auto form = MakeTestCard(bmp);
    FillTestCard(*form);
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
