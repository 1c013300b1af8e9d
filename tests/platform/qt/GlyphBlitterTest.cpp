#include "support/TestApp.h"
#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include "platform/qt/FontFaceTable.h"
#include "platform/qt/GlyphBlitter.h"

using namespace nv;

namespace {

QRawFont FontOf(const char* face, int pixels, bool smooth = true)
{
    QFont f(QString::fromStdString(FontFaceTable::Lookup(face).family));
    f.setPixelSize(pixels);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    if (!smooth) f.setStyleStrategy(QFont::NoAntialias);
    return QRawFont::fromFont(f);
}

// A background of every shade, see-through in part where the format allows.
QImage Background(QImage::Format format, bool plain)
{
    QImage image(60, 40, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = plain || format == QImage::Format_RGB32 ? 255 : 64 + (x * 31 + y * 7) % 192;
            image.setPixel(x, y, plain ? qRgb(255, 255, 255)
                                       : qPremultiply(qRgba(x * 4, 255 - y * 6, (x * y) & 255, alpha)));
        }
    return image;
}

} // namespace

// Glyphs put straight into an image come out as the toolkit draws them, to
// the pixel, whatever lies beneath, in any clip; where the toolkit would
// draw them its own way (between pixels, as paths, unsmoothed), nothing is
// put down and the caller is told.
TEST(GlyphBlitter, GlyphsComeOutAsTheToolkitDrawsThem)
{
    nvtest::EnsureGuiApp();
    const struct {
        const char* what;
        const char* face;
        int pixels;
        bool smooth;
        QRgb colour;
        QImage::Format format;
        bool plain;
        QRect clip;
        QPointF at;
        bool blitted;
    } rows[] = {
        {"black on white", "ＭＳ 明朝", 13, true, qRgb(0, 0, 0), QImage::Format_ARGB32_Premultiplied, true, {0, 0, 60, 40}, {2, 20}, true},
        {"red over shades", "ＭＳ ゴシック", 20, true, qRgb(255, 0, 0), QImage::Format_ARGB32_Premultiplied, false, {0, 0, 60, 40}, {2, 25}, true},
        {"grey on an opaque image", "Arial", 11, true, qRgb(90, 120, 150), QImage::Format_RGB32, false, {0, 0, 60, 40}, {3, 15}, true},
        {"cut by a clip", "ＭＳ ゴシック", 20, true, qRgb(0, 0, 255), QImage::Format_ARGB32_Premultiplied, false, {10, 12, 17, 9}, {2, 25}, true},
        {"over the image's edges", "ＭＳ 明朝", 20, true, qRgb(0, 0, 0), QImage::Format_ARGB32_Premultiplied, false, {-5, -5, 80, 80}, {-6, 8}, true},
        {"between pixels", "ＭＳ 明朝", 13, true, qRgb(0, 0, 0), QImage::Format_ARGB32_Premultiplied, true, {0, 0, 60, 40}, {2.5, 20}, false},
        {"drawn as paths", "ＭＳ 明朝", 64, true, qRgb(0, 0, 0), QImage::Format_ARGB32_Premultiplied, true, {0, 0, 60, 40}, {0, 50}, false},
        {"unsmoothed", "ＭＳ 明朝", 13, false, qRgb(0, 0, 0), QImage::Format_ARGB32_Premultiplied, true, {0, 0, 60, 40}, {2, 20}, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const QRawFont font = FontOf(r.face, r.pixels, r.smooth);
        ASSERT_TRUE(font.isValid());
        QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUtf8("仕入1,234Ag"));
        QList<QPointF> positions;
        for (qsizetype i = 0; i < glyphs.size(); ++i) positions.append(QPointF(double(i * (r.pixels * 3 / 5)), 0));
        const QImage before = Background(r.format, r.plain);
        QImage ours = before, theirs = before, first = before;
        ours.detach();
        first.detach();
        const auto drawByToolkit = [&](QImage& image, const QRect& clip) {
            QPainter p(&image);
            p.setClipRect(clip);
            p.setPen(QColor(r.colour));
            QGlyphRun run;
            run.setRawFont(font);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            p.drawGlyphRun(r.at, run);
        };
        drawByToolkit(theirs, r.clip);
        // The first glyphs of a font on a kind of target are the toolkit's,
        // compared; the next are put down.
        for (QImage* image : {&first, &ours}) {
            QPainter p(image);
            const std::optional<GlyphTarget> target = GlyphBlitTarget(p);
            ASSERT_TRUE(target);
            bool byToolkit = false;
            const bool drawn = BlitGlyphs(*target, font, glyphs, positions, r.at, r.colour, r.clip, [&] {
                p.end();
                drawByToolkit(*image, r.clip);
                byToolkit = true;
            });
            EXPECT_EQ(drawn, r.blitted);
            if (image == &ours) {
                EXPECT_FALSE(byToolkit);
            }
        }
        if (r.blitted) {
            EXPECT_EQ(ours, theirs);
            EXPECT_NE(ours, before);
        } else {
            EXPECT_EQ(ours, before);
        }
    }
}
