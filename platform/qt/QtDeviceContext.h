#pragma once
// The device context on a QPainter over any paint device: an image, a PDF
// writer, a printer or a widget. The painter's transform stays the identity;
// every coordinate arrives in device pixels and the platform's drawing rules
// are applied here (see DeviceContext.h and GdiRules.h). Set-up, clip and
// pictures are in QtDeviceContext.cpp, fonts and text in
// QtDeviceContextText.cpp, pens and figures in QtDeviceContextPaths.cpp.
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/qt/FontFaceTable.h"

class QImage;

namespace nv {

class QtDeviceContext : public DeviceContext {
public:
    // Resolutions of 0 take the paint device's logical resolution.
    explicit QtDeviceContext(QPainter& painter, bool printing = false, int32_t dpiX = 0, int32_t dpiY = 0,
                             DcPoint physicalOffset = {});
    ~QtDeviceContext() override;

    // Shapes are drawn without antialiasing (pixel-exact, as the platform
    // draws); text is smoothed unless turned off.
    void SetTextAntialiasing(bool on);
    // Draws the texts held back to go out together (see DrawPrepared).
    void Flush() override;

    DcSize GetTextExtent(std::u16string_view text) override;
    DcTextMetrics GetTextMetrics() override;
    int32_t LogPixelsX() const override { return dpiX_; }
    int32_t LogPixelsY() const override { return dpiY_; }
    bool IsPrinting() const override { return printing_; }
    DcPoint PhysicalOffset() const override { return physicalOffset_; }
    DcSize DeviceSize() const override { return size_; }

    // The font a logical font resolves to, for tests and the font list.
    struct ResolvedFont {
        QFont font;
        const FontFace* face = nullptr;
        int32_t em = 0;
        double scaleX = 1.0;    // from the width field
        int32_t cellHeight = 0; // reference ascent + descent, pixels
        int32_t ascent = 0;     // reference ascent, pixels
    };
    static ResolvedFont ResolveFont(const DcFont& font);

protected:
    // Puts the painter back to this context's settings after it began
    // painting afresh (new image, new page): no shape smoothing, the text
    // smoothing chosen, no transform, no clip.
    void ResetPainter();

    NV_DEVICE_CONTEXT_HOOKS
    void OnFontChanged() override;

private:
    struct FontCache;
    void Prepare();
    FontCache& Font();
    std::shared_ptr<FontCache> KeptFont(const DcFont& font);
    bool HasPen() const;
    bool HasBrush(const DcBrush& b) const;
    QBrush MakeBrush(const DcBrush& b) const;
    // Fills with the current brush and strokes with the current pen; an
    // opaque background first paints dash gaps.
    void FillAndStroke(const QPainterPath& path, bool fill, bool stroke);
    // The box a round figure is drawn on (see CurveBox in the source).
    QRectF CurveBox(const DcRect& r) const;
    bool ThinPen() const;
    // Strokes the straight segments of a figure with a thin pen, each on its
    // own; `closed` adds the segment back to the first point.
    void StrokeThinSegments(const DcPoint* pts, size_t n, bool closed);
    // dashOffset: pixels of the dash pattern already used up before the path.
    void Stroke(const QPainterPath& path, int64_t dashOffset = 0);
    // Where a run of `width` pixels starts and its baseline lies, from the
    // alignment point, as the text alignment places it.
    void AlignRun(const ResolvedFont& rf, int64_t width, double* ox, double* baseline) const;
    struct PreparedText;
    const PreparedText& PrepareText(FontCache& f, std::u16string_view text, std::span<const int32_t> dx);
    void DrawPrepared(int32_t x, int32_t y, const PreparedText& p);

    QPainter& painter_;
    bool printing_;
    int32_t dpiX_;
    int32_t dpiY_;
    DcPoint physicalOffset_;
    DcSize size_;
    bool textAntialiasing_ = true;
    std::optional<DcRegion> appliedClip_;
    bool clipApplied_ = false;
    std::shared_ptr<FontCache> font_;
    // Recently used fonts: text of two kinds alternates between them.
    std::vector<std::pair<DcFont, std::shared_ptr<FontCache>>> recentFonts_;
    // Glyphs of unclipped texts of one font and colour, not yet drawn, then
    // texts that reach past their one clip rectangle, each to be drawn in it:
    // all drawn before anything else is. A text held unclipped never touches
    // the pixels of a clipped one held before it, so the pixels come out as
    // if each had been drawn in turn.
    struct ClippedRun {
        QGlyphRun run;
        QPointF at;
        QRect clip;
        QColor colour;
        DcRect ink;
    };
    struct HeldGlyphs {
        QRawFont font;
        QColor colour;
        QList<quint32> glyphs;
        QList<QPointF> positions;
        std::vector<ClippedRun> clipped;
        DcRect clippedBounds; // around every clipped run's ink
    } held_;
    static std::vector<std::vector<size_t>> ClippedBatches(const std::vector<ClippedRun>& runs);
    // True when `ink` touches a clipped run that is held.
    bool TouchesClipped(const DcRect& ink) const;
};

// Converts between our image value and a QImage (ARGB32).
QImage ToQImage(const DcImage& image);
DcImage FromQImage(const QImage& image);
QColor ToQColor(ColorRef c);

} // namespace nv
