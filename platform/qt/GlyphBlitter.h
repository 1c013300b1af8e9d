#pragma once
// Glyphs put straight into an image: the toolkit's own glyph images, laid
// down with its own blend arithmetic, four pixels at a time. A page of short
// texts spends most of its drawing in the toolkit blending glyph images one
// channel of one pixel at a time; this gives the same pixels for less.
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QRegion>
#include <QRgb>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

class QImage;
class QPainter;

namespace nv {

// Where a painter's glyphs may go straight in: the image its strokes land
// on (its own, or a window's backing store), 32-bit premultiplied or opaque,
// drawn on as it stands (whole-pixel shift only, source-over, fully opaque,
// not shared).
struct GlyphTarget {
    QImage* image = nullptr;
    QPoint shift;  // a device pixel is the painter's pixel moved by this
    QRegion reach; // device pixels the painter may touch; empty: the whole image
    int kind = 0;  // the device and format, for what is checked once per font
};
std::optional<GlyphTarget> GlyphBlitTarget(QPainter& painter);

// Draws `glyphs` of `font` at `positions` moved by `offset`, in the opaque
// `colour`, within `clip` (the painter's pixels), giving the pixels
// QPainter::drawGlyphRun gives there. The first time a font meets a kind of
// target, `toolkit` draws them and what it drew is compared with what would
// have been put down: a difference leaves that font to the toolkit there.
// False, having drawn nothing, where the toolkit must draw them: a position
// between whole pixels, a font whose glyphs it draws as paths or whose glyph
// images this cannot match.
bool BlitGlyphs(const GlyphTarget& target, const QRawFont& font, std::span<const quint32> glyphs,
                std::span<const QPointF> positions, QPointF offset, QRgb colour, const QRect& clip,
                const std::function<void()>& toolkit);

// Off: every glyph goes through the toolkit, for tests that compare the two.
void EnableGlyphBlit(bool on);

} // namespace nv
