#pragma once
// Glyphs put straight into an image: the toolkit's own glyph images, laid
// down with its own blend arithmetic, four pixels at a time. A page of short
// texts spends most of its drawing in the toolkit blending glyph images one
// channel of one pixel at a time; this gives the same pixels for less.
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <span>

class QImage;
class QPainter;

namespace nv {

// The image `painter` draws on when glyphs may go into it directly: 32-bit
// premultiplied or opaque pixels, drawn on as they stand (no transform,
// source-over, fully opaque, the image not shared). Null otherwise.
QImage* GlyphBlitTarget(QPainter& painter);

// Draws `glyphs` of `font` at `positions` moved by `offset`, in the opaque
// `colour`, within `clip`, giving the pixels QPainter::drawGlyphRun gives on
// that image. False, having drawn nothing, where the toolkit must draw them:
// a position between whole pixels, a font whose glyphs it draws as paths,
// or one whose glyph images this cannot match (checked once per font).
bool BlitGlyphs(QImage& image, const QRawFont& font, std::span<const quint32> glyphs,
                std::span<const QPointF> positions, QPointF offset, QRgb colour, const QRect& clip);

// Off: every glyph goes through the toolkit, for tests that compare the two.
void EnableGlyphBlit(bool on);

// Blends `n` pixels of `colour` (premultiplied) at `coverage` into `dst`,
// with the toolkit's arithmetic: the one step every blitted pixel takes.
void BlendCoverageRow(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour);

} // namespace nv
