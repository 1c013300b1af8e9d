#include "platform/qt/GlyphBlitter.h"

#include <QCoreApplication>
#include <QGlyphRun>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace nv {

namespace {

std::atomic<bool> gBlitOn{true};

// The toolkit's glyph images are kept for glyphs smaller than this many
// pixels; larger ones it fills as paths.
constexpr int kLargestImagedGlyph = 64;

// x * a / 255 per 8-bit channel of a 32-bit pixel, rounded as the toolkit
// rounds it.
inline uint32_t ByteMul(uint32_t x, uint32_t a)
{
    uint64_t t = ((uint64_t(x) | (uint64_t(x) << 24)) & 0x00ff00ff00ff00ffull) * a;
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffull) + 0x0080008000800080ull) >> 8;
    t &= 0x00ff00ff00ff00ffull;
    return uint32_t(t) | uint32_t(t >> 24);
}

#ifdef __SSE2__
// The same per 16-bit lane: the products fit, so the lanes never carry.
inline __m128i ByteMul(__m128i x, __m128i a)
{
    __m128i t = _mm_mullo_epi16(x, a);
    t = _mm_add_epi16(t, _mm_srli_epi16(t, 8));
    t = _mm_add_epi16(t, _mm_set1_epi16(0x80));
    return _mm_srli_epi16(t, 8);
}
#endif

// Blends `n` pixels of `colour` (premultiplied) at `coverage` into `dst`,
// with the toolkit's arithmetic.
void BlendCoverageRow(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    int i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i c = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero); // two pixels of it, 16 bits a channel
    const __m128i full = _mm_set1_epi16(0xff);
    for (; i + 4 <= n; i += 4) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0) continue;
        __m128i a = _mm_cvtsi32_si128(int(four));
        a = _mm_unpacklo_epi8(a, a);
        a = _mm_unpacklo_epi16(a, a); // each coverage over its pixel's four channels
        const __m128i sLo = ByteMul(c, _mm_unpacklo_epi8(a, zero));
        const __m128i sHi = ByteMul(c, _mm_unpackhi_epi8(a, zero));
        // What shows through: 255 less the alpha of what is laid on.
        const __m128i restLo = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF));
        const __m128i restHi = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i dLo = ByteMul(_mm_unpacklo_epi8(d, zero), restLo);
        const __m128i dHi = ByteMul(_mm_unpackhi_epi8(d, zero), restHi);
        // Added as whole pixels, as the toolkit adds them.
        const __m128i out = _mm_add_epi32(_mm_packus_epi16(sLo, sHi), _mm_packus_epi16(dLo, dHi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
    }
#endif
    for (; i < n; ++i) {
        if (coverage[i] == 0) continue;
        const uint32_t s = ByteMul(colour, coverage[i]);
        dst[i] = s + ByteMul(dst[i], 255 - (s >> 24));
    }
}

// A glyph's image, its rows `width` bytes apart in the font's pool, and
// where its top left lies from the glyph's origin on the baseline.
struct Mask {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0; // 0: the glyph inks nothing
    int32_t height = 0;
    size_t at = 0;
};

struct FontMasks {
    QRawFont font;
    enum class Match { Unknown, Yes, No };
    Match match = Match::Unknown;                 // the blend, over every shade
    std::vector<std::pair<int, Match>> onTargets; // by kind of target, checked where drawn
    std::vector<int32_t> slot; // by glyph: 1 + its index in `masks`, 0 not yet made
    std::deque<Mask> masks; // where a mask stays while more are made
    std::vector<uint8_t> pool;

    // False when the toolkit's image and box of the glyph disagree.
    bool Make(quint32 glyph, Mask* out)
    {
        Mask m;
        QImage image = font.alphaMapForGlyph(glyph, QRawFont::PixelAntialiasing);
        if (!image.isNull() && image.width() > 0 && image.height() > 0) {
            if (image.format() != QImage::Format_Alpha8) return false;
            const QRectF box = font.boundingRect(glyph);
            if (box.width() != image.width() || box.height() != image.height()) return false;
            m.left = int32_t(box.left());
            m.top = int32_t(box.top());
            m.width = image.width();
            m.height = image.height();
            m.at = pool.size();
            pool.resize(pool.size() + size_t(m.width) * size_t(m.height));
            for (int y = 0; y < m.height; ++y)
                std::memcpy(pool.data() + m.at + size_t(y) * size_t(m.width), image.constScanLine(y), size_t(m.width));
        }
        *out = m;
        return true;
    }

    const Mask* Get(quint32 glyph)
    {
        if (glyph >= slot.size()) slot.resize(size_t(glyph) + 1, 0);
        if (slot[glyph] == 0) {
            Mask m;
            if (!Make(glyph, &m)) return nullptr;
            masks.push_back(m);
            slot[glyph] = int32_t(masks.size());
        }
        return &masks[size_t(slot[glyph] - 1)];
    }
};

// The fonts drawn lately on this thread, the latest last. A font's images
// come from its engine, which the toolkit keeps per thread; the main
// thread's let go of their engines while the application is still there.
std::vector<std::unique_ptr<FontMasks>>& Fonts()
{
    thread_local std::vector<std::unique_ptr<FontMasks>> fonts;
    static std::once_flag once;
    std::call_once(once, [] { qAddPostRoutine([] { Fonts().clear(); }); });
    return fonts;
}

FontMasks& MasksOf(const QRawFont& font)
{
    auto& fonts = Fonts();
    for (size_t i = fonts.size(); i-- > 0;)
        if (fonts[i]->font == font) {
            if (i + 1 != fonts.size()) std::rotate(fonts.begin() + ptrdiff_t(i), fonts.begin() + ptrdiff_t(i) + 1, fonts.end());
            return *fonts.back();
        }
    if (fonts.size() >= 16) fonts.erase(fonts.begin());
    fonts.push_back(std::make_unique<FontMasks>());
    fonts.back()->font = font;
    return *fonts.back();
}

bool Whole(double v) { return v == std::floor(v) && std::abs(v) < 1e9; }

struct Placed {
    const Mask* mask;
    int x, y; // the image's top left in device pixels
};

// Where each glyph's image lies in device pixels; false if one has no image
// that can be matched.
bool Place(FontMasks& f, std::span<const quint32> glyphs, std::span<const QPointF> positions, QPointF offset,
           QPoint shift, std::vector<Placed>* out)
{
    out->clear();
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Mask* m = f.Get(glyphs[i]);
        if (!m) return false;
        if (m->width == 0) continue;
        out->push_back({m, int(positions[i].x() + offset.x()) + shift.x() + m->left,
                        int(positions[i].y() + offset.y()) + shift.y() + m->top});
    }
    return true;
}

void Put(QImage& image, const FontMasks& f, const std::vector<Placed>& placed, uint32_t colour, const QRect& within)
{
    const QRect bounds = within & image.rect();
    if (bounds.isEmpty()) return;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const Placed& p : placed) {
        const Mask& m = *p.mask;
        const int x0 = std::max(p.x, bounds.left()), x1 = std::min(p.x + m.width, bounds.right() + 1);
        const int y0 = std::max(p.y, bounds.top()), y1 = std::min(p.y + m.height, bounds.bottom() + 1);
        if (x0 >= x1 || y0 >= y1) continue;
        const uint8_t* row = f.pool.data() + m.at + size_t(y0 - p.y) * size_t(m.width) + size_t(x0 - p.x);
        for (int yy = y0; yy < y1; ++yy, row += m.width)
            BlendCoverageRow(reinterpret_cast<uint32_t*>(bits + qsizetype(yy) * stride) + x0, row, x1 - x0, colour);
    }
}

// Puts the glyphs down in the part of `image` within both `clip` and
// `reach` (device pixels; an empty reach: all of it), each pixel once.
void PutWithin(QImage& image, const FontMasks& f, const std::vector<Placed>& placed, uint32_t colour,
               const QRect& clip, const QRegion& reach)
{
    if (reach.isEmpty()) {
        Put(image, f, placed, colour, clip);
        return;
    }
    for (const QRect& r : reach) Put(image, f, placed, colour, r & clip);
}

// Whether glyphs put down come out as the toolkit draws them, tried on a few
// of them over a background of every shade.
bool BlendsAsToolkit(FontMasks& f, std::span<const quint32> glyphs, QRgb colour)
{
    std::vector<quint32> sample;
    for (quint32 g : glyphs)
        if (sample.size() < 8 && std::find(sample.begin(), sample.end(), g) == sample.end()) sample.push_back(g);
    QList<QPointF> at;
    int x = 2, height = 0, top = 0;
    for (quint32 g : sample) {
        const Mask* m = f.Get(g);
        if (!m) return false;
        at.append(QPointF(x - m->left, 0));
        x += m->width + 3;
        top = std::min(top, m->top);
        height = std::max(height, m->top + m->height);
    }
    for (QPointF& p : at) p.ry() = 2 - top;
    const int w = x + 2, h = height - top + 4;
    QImage theirs(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx)
            theirs.setPixel(xx, yy, qPremultiply(qRgba((xx * 37) & 255, (yy * 53) & 255, ((xx + yy) * 11) & 255,
                                                       96 + (xx * 29 + yy * 13) % 160)));
    QImage ours = theirs.copy();
    {
        QPainter p(&theirs);
        p.setPen(QColor::fromRgba(colour));
        QGlyphRun run;
        run.setRawFont(f.font);
        run.setGlyphIndexes(QList<quint32>(sample.begin(), sample.end()));
        run.setPositions(at);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    std::vector<Placed> placed;
    if (!Place(f, sample, at, QPointF(0, 0), QPoint(0, 0), &placed)) return false;
    Put(ours, f, placed, colour, ours.rect());
    return ours == theirs;
}

// Lets the toolkit draw the glyphs on the target itself and tells whether
// putting them down would have given the same pixels there.
bool DrawnAlikeOn(const GlyphTarget& target, const FontMasks& f, const std::vector<Placed>& placed, uint32_t colour,
                  const QRect& clip, const std::function<void()>& toolkit)
{
    QRect box;
    for (const Placed& p : placed) box |= QRect(p.x, p.y, p.mask->width, p.mask->height);
    box &= target.image->rect();
    QImage ours = target.image->copy(box);
    toolkit();
    std::vector<Placed> moved = placed;
    for (Placed& p : moved) {
        p.x -= box.left();
        p.y -= box.top();
    }
    PutWithin(ours, f, moved, colour, clip.translated(-box.topLeft()), target.reach.translated(-box.topLeft()));
    return ours == target.image->copy(box);
}

} // namespace

void EnableGlyphBlit(bool on) { gBlitOn.store(on, std::memory_order_relaxed); }


std::optional<GlyphTarget> GlyphBlitTarget(QPainter& painter)
{
    if (!gBlitOn.load(std::memory_order_relaxed) || !painter.isActive()) return std::nullopt;
    QPaintDevice* device = painter.device();
    QPaintEngine* engine = painter.paintEngine();
    if (!device || !engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return std::nullopt;
    auto* image = static_cast<QImage*>(engine->paintDevice());
    if (image->format() != QImage::Format_ARGB32_Premultiplied && image->format() != QImage::Format_RGB32)
        return std::nullopt;
    // Writing into a shared image would part it from the one painted on.
    if (!image->isDetached()) return std::nullopt;
    const QTransform t = painter.deviceTransform();
    if (t.type() > QTransform::TxTranslate || !Whole(t.dx()) || !Whole(t.dy()) ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.opacity() != 1.0)
        return std::nullopt;
    GlyphTarget target;
    target.image = image;
    target.shift = QPoint(int(t.dx()), int(t.dy()));
    target.reach = engine->systemClip();
    target.kind = device->devType() * 256 + int(image->format());
    return target;
}

bool BlitGlyphs(const GlyphTarget& target, const QRawFont& font, std::span<const quint32> glyphs,
                std::span<const QPointF> positions, QPointF offset, QRgb colour, const QRect& clip,
                const std::function<void()>& toolkit)
{
    if (!gBlitOn.load(std::memory_order_relaxed) || !target.image || glyphs.size() != positions.size() ||
        qAlpha(colour) != 255 || !font.isValid() || !(font.pixelSize() < kLargestImagedGlyph))
        return false;
    for (const QPointF& p : positions)
        if (!Whole(p.x() + offset.x()) || !Whole(p.y() + offset.y())) return false;
    FontMasks& f = MasksOf(font);
    using Match = FontMasks::Match;
    if (f.match == Match::Unknown) f.match = BlendsAsToolkit(f, glyphs, colour) ? Match::Yes : Match::No;
    if (f.match != Match::Yes) return false;
    auto on = std::find_if(f.onTargets.begin(), f.onTargets.end(), [&](const auto& k) { return k.first == target.kind; });
    if (on != f.onTargets.end() && on->second != Match::Yes) return false;
    thread_local std::vector<Placed> placed;
    if (!Place(f, glyphs, positions, offset, target.shift, &placed)) return false;
    if (placed.empty()) return true; // nothing inks
    const QRect deviceClip = clip.translated(target.shift);
    if (on == f.onTargets.end()) {
        const bool alike = DrawnAlikeOn(target, f, placed, colour, deviceClip, toolkit);
        f.onTargets.emplace_back(target.kind, alike ? Match::Yes : Match::No);
        return true;
    }
    PutWithin(*target.image, f, placed, colour, deviceClip, target.reach);
    return true;
}

} // namespace nv
