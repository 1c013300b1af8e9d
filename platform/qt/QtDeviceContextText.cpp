#include "platform/qt/QtDeviceContext.h"

#include <QCoreApplication>
#include <QGlyphRun>
#include <QRawFont>
#include <QThread>

#include <algorithm>
#include <climits>
#include <cmath>
#include <span>
#include <unordered_map>

#include "platform/gdi/GdiRules.h"

namespace nv {

namespace {

constexpr size_t kKeptFonts = 8;

QString ToQString(std::u16string_view s) { return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size())); }

} // namespace

// Upright text at its natural width in glyphs of the face itself, as a
// glyph run placed from the alignment point, kept by text, advances and
// alignment: a page drawn again shapes none of its texts.
struct QtDeviceContext::PreparedText {
    bool usable = false; // false: drawn the long way (fallback glyphs)
    QGlyphRun run;
    std::optional<DcRect> ink; // every pixel the glyphs may touch; none: not known
};

namespace {

struct PreparedKey {
    std::u16string text;
    std::vector<int32_t> dx;
    uint32_t align = 0;
};
struct PreparedView {
    std::u16string_view text;
    std::span<const int32_t> dx;
    uint32_t align = 0;
    PreparedView(std::u16string_view t, std::span<const int32_t> d, uint32_t a) : text(t), dx(d), align(a) {}
    PreparedView(const PreparedKey& k) : text(k.text), dx(k.dx), align(k.align) {}
};
struct PreparedHash {
    using is_transparent = void;
    size_t operator()(const PreparedView& v) const
    {
        size_t h = std::hash<std::u16string_view>()(v.text) ^ (size_t(v.align) * 0x9E3779B97F4A7C15ull);
        for (int32_t d : v.dx) h = h * 31 + size_t(uint32_t(d));
        return h;
    }
};
struct PreparedEqual {
    using is_transparent = void;
    bool operator()(const PreparedView& a, const PreparedView& b) const
    {
        return a.align == b.align && a.text == b.text && std::equal(a.dx.begin(), a.dx.end(), b.dx.begin(), b.dx.end());
    }
};

} // namespace

struct QtDeviceContext::FontCache {
    ResolvedFont resolved;
    std::optional<QFontMetricsF> metrics;
    QRawFont raw;
    // Glyph and advance of each character the face itself has (glyph 0:
    // drawn through the toolkit's font fallback instead). The advance is in
    // whole device pixels after the width scale, as the platform advances
    // glyphs: a run is exactly as long as its characters measured one by one.
    std::unordered_map<char16_t, std::pair<quint32, int32_t>> glyphs;

    int32_t Whole(double advance) const { return int32_t(std::lround(advance * resolved.scaleX)); }

    std::pair<quint32, int32_t> Glyph(char16_t c)
    {
        auto it = glyphs.find(c);
        if (it != glyphs.end()) return it->second;
        std::pair<quint32, int32_t> g{0, 0};
        if (raw.isValid() && !QChar::isSurrogate(c)) {
            QChar qc(c);
            quint32 index = 0;
            int n = 1;
            if (raw.glyphIndexesForChars(&qc, 1, &index, &n) && n == 1 && index != 0) {
                QPointF adv;
                if (raw.advancesForGlyphIndexes(&index, &adv, 1, QRawFont::UseDesignMetrics))
                    g = {index, Whole(adv.x())};
            }
        }
        if (g.first == 0) g.second = Whole(metrics->horizontalAdvance(QString(QChar(c))));
        glyphs.emplace(c, g);
        return g;
    }
    int32_t PairAdvance(std::u16string_view pair)
    {
        return Whole(metrics->horizontalAdvance(ToQString(pair)));
    }

    // Texts prepared for drawing (see PrepareText), by text, advances and
    // alignment.
    std::unordered_map<PreparedKey, PreparedText, PreparedHash, PreparedEqual> prepared;
};

void QtDeviceContext::SetTextAntialiasing(bool on)
{
    if (on == textAntialiasing_) return;
    Flush();
    textAntialiasing_ = on;
    painter_.setRenderHint(QPainter::TextAntialiasing, on);
    // Glyph runs take their smoothing from the font, not from the painter.
    font_.reset();
    recentFonts_.clear();
}

QtDeviceContext::ResolvedFont QtDeviceContext::ResolveFont(const DcFont& f)
{
    ResolvedFont r;
    r.face = &FontFaceTable::Lookup(f.faceName);
    double cell = r.face->ascent + r.face->descent;
    double em = f.height < 0 ? -double(f.height) : f.height > 0 ? f.height / cell : 12.0;
    r.em = std::max<int32_t>(1, int32_t(std::lround(em)));
    r.cellHeight = std::max<int32_t>(1, int32_t(std::lround(r.em * cell)));
    r.ascent = int32_t(std::lround(r.em * r.face->ascent));
    r.scaleX = f.width != 0 ? std::abs(f.width) / (r.face->avgWidth * r.em) : 1.0;
    QFont font(QString::fromStdString(r.face->family));
    font.setPixelSize(r.em);
    font.setWeight(QFont::Weight(std::clamp<int32_t>(f.weight == 0 ? 400 : f.weight, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    r.font = font;
    return r;
}

void QtDeviceContext::OnFontChanged() { font_.reset(); }

std::shared_ptr<QtDeviceContext::FontCache> QtDeviceContext::KeptFont(const DcFont& font)
{
    // The fonts this thread's contexts used last, with the texts prepared in
    // them: a context made for each file (a PDF, a page image) finds them
    // instead of resolving its fonts and shaping its texts again. A font is
    // kept for a resolution and a smoothing, what its glyph runs and
    // fallback metrics depend on.
    struct Kept {
        DcFont font;
        bool antialiased;
        int dpi;
        std::shared_ptr<FontCache> cache;
    };
    static thread_local std::vector<Kept> kept;
    // Fonts go with the application object, so those of its thread go first.
    static thread_local bool cleared = true;
    if (cleared && QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        cleared = false;
        qAddPostRoutine([] {
            kept.clear();
            cleared = true;
        });
    }
    const int dpi = painter_.device() ? painter_.device()->logicalDpiY() : 0;
    for (auto it = kept.begin(); it != kept.end(); ++it)
        if (it->font == font && it->antialiased == textAntialiasing_ && it->dpi == dpi) {
            std::rotate(it, it + 1, kept.end());
            return kept.back().cache;
        }
    auto cache = std::make_shared<FontCache>();
    cache->resolved = ResolveFont(font);
    if (!textAntialiasing_) cache->resolved.font.setStyleStrategy(QFont::NoAntialias);
    cache->metrics.emplace(cache->resolved.font, painter_.device());
    cache->raw = QRawFont::fromFont(cache->resolved.font);
    if (kept.size() >= kKeptFonts) kept.erase(kept.begin());
    kept.push_back(Kept{font, textAntialiasing_, dpi, cache});
    return cache;
}

QtDeviceContext::FontCache& QtDeviceContext::Font()
{
    if (!font_) {
        for (auto& [key, cache] : recentFonts_)
            if (key == State().font) {
                font_ = cache;
                return *font_;
            }
        font_ = KeptFont(State().font);
        if (recentFonts_.size() >= 8) recentFonts_.erase(recentFonts_.begin());
        recentFonts_.emplace_back(State().font, font_);
    }
    return *font_;
}

DcSize QtDeviceContext::GetTextExtent(std::u16string_view text)
{
    FontCache& f = Font();
    int64_t w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (QChar::isHighSurrogate(text[i]) && i + 1 < text.size()) {
            w += f.PairAdvance(text.substr(i, 2));
            ++i;
        } else {
            w += f.Glyph(text[i]).second;
        }
    }
    return {int32_t(std::clamp<int64_t>(w, INT32_MIN, INT32_MAX)), f.resolved.cellHeight};
}

DcTextMetrics QtDeviceContext::GetTextMetrics()
{
    FontCache& f = Font();
    DcTextMetrics m;
    m.height = f.resolved.cellHeight;
    m.ascent = f.resolved.ascent;
    m.descent = m.height - m.ascent;
    m.internalLeading = std::max(0, m.height - f.resolved.em);
    m.aveCharWidth = int32_t(std::lround(f.resolved.face->avgWidth * f.resolved.em * f.resolved.scaleX));
    m.maxCharWidth = f.resolved.face->japanese ? 2 * m.aveCharWidth
                                               : int32_t(std::lround(f.metrics->maxWidth() * f.resolved.scaleX));
    return m;
}

// The baseline's offset from the alignment point, and the run's start from
// it, as the text alignment places a run of `width` pixels.
void QtDeviceContext::AlignRun(const ResolvedFont& rf, int64_t width, double* ox, double* baseline) const
{
    uint32_t align = State().textAlign;
    *ox = 0;
    if ((align & kTaCenter) == kTaCenter) {
        *ox = double(-(width / 2));
    } else if (align & kTaRight) {
        *ox = double(-width);
    }
    if ((align & kTaBaseline) == kTaBaseline) {
        *baseline = 0;
    } else if (align & kTaBottom) {
        *baseline = -(rf.cellHeight - rf.ascent);
    } else {
        *baseline = rf.ascent;
    }
}

const QtDeviceContext::PreparedText& QtDeviceContext::PrepareText(FontCache& f, std::u16string_view text,
                                                                           std::span<const int32_t> dx)
{
    const uint32_t align = State().textAlign & (kTaCenter | kTaBaseline);
    auto it = f.prepared.find(PreparedView(text, dx, align));
    if (it != f.prepared.end()) return it->second;
    if (f.prepared.size() >= 4096) f.prepared.clear(); // a runaway set of texts is simply dropped
    PreparedText& p = f.prepared[PreparedKey{std::u16string(text), std::vector<int32_t>(dx.begin(), dx.end()), align}];
    const ResolvedFont& rf = f.resolved;
    const size_t n = text.size();
    QList<quint32> glyphs(qsizetype(n), 0);
    std::vector<int64_t> adv(n, 0);
    for (size_t i = 0; i < n; ++i) {
        if (QChar::isSurrogate(text[i])) return p;
        auto g = f.Glyph(text[i]);
        if (g.first == 0) return p;
        glyphs[qsizetype(i)] = g.first;
        adv[i] = dx.empty() ? g.second : dx[i];
    }
    int64_t width = 0;
    for (int64_t a : adv) width += a;
    double ox = 0, baseline = 0;
    AlignRun(rf, width, &ox, &baseline);
    QList<QPointF> positions;
    positions.reserve(qsizetype(n));
    QRectF ink;
    double pos = ox;
    for (size_t i = 0; i < n; ++i) {
        positions.append(QPointF(pos, baseline));
        const QRectF box = f.raw.boundingRect(glyphs[qsizetype(i)]);
        if (!box.isEmpty()) ink |= box.translated(pos, baseline);
        pos += double(adv[i]);
    }
    p.run.setRawFont(f.raw);
    p.run.setGlyphIndexes(glyphs);
    p.run.setPositions(positions);
    p.run.setUnderline(rf.font.underline());
    p.run.setStrikeOut(rf.font.strikeOut());
    p.usable = true;
    // A glyph's box is that of its image in whole pixels, and glyphs stand on
    // whole pixels; glyphs the toolkit makes bold or slants itself may reach
    // past it by a share of the em.
    if (!rf.font.underline() && !rf.font.strikeOut()) {
        const int32_t margin = (rf.font.bold() ? (rf.em + 11) / 12 : 0) + (rf.font.italic() ? (rf.em + 2) / 3 : 0);
        p.ink = ink.isEmpty() ? DcRect{}
                              : DcRect{int32_t(std::floor(ink.left())) - margin, int32_t(std::floor(ink.top())) - margin,
                                       int32_t(std::ceil(ink.right())) + margin, int32_t(std::ceil(ink.bottom())) + margin};
    }
    return p;
}

namespace {

// True when `r` lies inside one rectangle of the region (nothing of it is
// clipped away); an empty `r` always does.
bool Covers(const DcRegion& region, const DcRect& r)
{
    if (r.IsEmpty()) return true;
    for (const DcRect& c : region.Rects())
        if (c.left <= r.left && r.right <= c.right && c.top <= r.top && r.bottom <= c.bottom) return true;
    return false;
}

} // namespace

void QtDeviceContext::DrawPrepared(int32_t x, int32_t y, const PreparedText& p)
{
    const std::optional<DcRect> ink = p.ink ? std::optional<DcRect>(p.ink->Offset(x, y)) : std::nullopt;
    const auto& clip = State().clip;
    const QColor colour = ToQColor(State().textColour);
    if (ink && clip && clip->Rects().size() == 1 && !Covers(*clip, *ink)) {
        // Text cut by its cell goes out with the held texts, in its own clip,
        // instead of drawing them first and setting the clip and back again.
        const DcRect& c = clip->Rects().front();
        if (held_.clipped.empty()) held_.clippedBounds = *ink;
        held_.clippedBounds = DcRect{std::min(held_.clippedBounds.left, ink->left),
                                     std::min(held_.clippedBounds.top, ink->top),
                                     std::max(held_.clippedBounds.right, ink->right),
                                     std::max(held_.clippedBounds.bottom, ink->bottom)};
        held_.clipped.push_back({p.run, QPointF(x, y), QRect(c.left, c.top, c.Width(), c.Height()), colour, *ink});
        return;
    }
    if (!ink || (clip && !Covers(*clip, *ink))) {
        Prepare();
        painter_.setPen(colour);
        painter_.drawGlyphRun(QPointF(x, y), p.run);
        return;
    }
    // Text that the clip would leave whole is drawn without it, and with the
    // texts around it in one run of glyphs: setting a clip and starting a
    // run cost more than the text itself (and in a PDF write a clip path and
    // a text object each time). Where texts meet, they come out in order.
    if (!clipApplied_ || appliedClip_) {
        Flush();
        painter_.setClipping(false);
        appliedClip_.reset();
        clipApplied_ = true;
    }
    if ((!held_.glyphs.isEmpty() && (held_.colour != colour || held_.font != p.run.rawFont())) ||
        TouchesClipped(*ink))
        Flush();
    if (held_.glyphs.isEmpty()) {
        held_.font = p.run.rawFont();
        held_.colour = colour;
    }
    held_.glyphs.append(p.run.glyphIndexes());
    const QList<QPointF> at = p.run.positions();
    const qsizetype from = held_.positions.size();
    held_.positions.resize(from + at.size());
    QPointF* out = held_.positions.data() + from;
    for (qsizetype i = 0; i < at.size(); ++i) out[i] = at[i] + QPointF(x, y);
}

void QtDeviceContext::DoText(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,
                             std::span<const int32_t> dx)
{
    if (!text.empty() && !rect && State().bkMode != BkMode::Opaque && State().font.escapement % 3600 == 0) {
        FontCache& f = Font();
        if (f.resolved.scaleX == 1.0) {
            const PreparedText& p = PrepareText(f, text, dx);
            if (p.usable) {
                DrawPrepared(x, y, p);
                return;
            }
        }
    }
    Prepare();
    if (rect && (options & kEtoOpaque))
        painter_.fillRect(QRect(rect->left, rect->top, rect->Width(), rect->Height()), ToQColor(State().bkColour));
    if (text.empty()) return;
    FontCache& f = Font();
    const ResolvedFont& rf = f.resolved;
    const double sx = rf.scaleX > 0 ? rf.scaleX : 1.0;

    // Glyphs and advances along the baseline, in whole device pixels.
    const size_t n = text.size();
    std::vector<quint32> glyphs(n, 0);
    std::vector<int64_t> adv(n, 0);
    bool allGlyphs = true;
    for (size_t i = 0; i < n; ++i) {
        if (QChar::isSurrogate(text[i])) {
            allGlyphs = false;
            if (dx.empty() && QChar::isHighSurrogate(text[i]) && i + 1 < n) adv[i] = f.PairAdvance(text.substr(i, 2));
            continue;
        }
        auto g = f.Glyph(text[i]);
        glyphs[i] = g.first;
        if (g.first == 0) allGlyphs = false;
        adv[i] = g.second;
    }
    if (!dx.empty())
        for (size_t i = 0; i < n; ++i) adv[i] = dx[i];
    int64_t width = 0;
    for (int64_t a : adv) width += a;

    double ox = 0, baseline = 0;
    AlignRun(rf, width, &ox, &baseline);

    bool clipped = rect && (options & kEtoClipped);
    if (clipped) {
        painter_.save();
        painter_.setClipRect(QRect(rect->left, rect->top, rect->Width(), rect->Height()), Qt::IntersectClip);
    }
    // Upright text at natural width is placed in device pixels directly;
    // turned or scaled text through a transform about the anchor.
    bool turned = State().font.escapement % 3600 != 0;
    bool plain = !turned && sx == 1.0;
    QTransform t;
    t.translate(x, y);
    if (turned) t.rotate(-State().font.escapement / 10.0);
    if (!plain) painter_.setWorldTransform(t);
    double bx = plain ? x : 0, by = plain ? y : 0;
    if (State().bkMode == BkMode::Opaque && !(rect && (options & kEtoOpaque)))
        painter_.fillRect(QRectF(bx + ox, by + baseline - rf.ascent, double(width), rf.cellHeight),
                           ToQColor(State().bkColour));
    if (!plain) {
        t.scale(sx, 1.0);
        painter_.setWorldTransform(t);
    }
    painter_.setPen(ToQColor(State().textColour));
    if (allGlyphs) {
        QList<quint32> indexes(glyphs.begin(), glyphs.end());
        QList<QPointF> positions;
        positions.reserve(qsizetype(n));
        double pos = ox;
        for (size_t i = 0; i < n; ++i) {
            positions.append(QPointF((bx + pos) / (plain ? 1.0 : sx), by + baseline));
            pos += double(adv[i]);
        }
        QGlyphRun run;
        run.setRawFont(f.raw);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        run.setUnderline(rf.font.underline());
        run.setStrikeOut(rf.font.strikeOut());
        painter_.drawGlyphRun(QPointF(0, 0), run);
    } else {
        painter_.setFont(rf.font);
        QString s = ToQString(text);
        double pos = ox;
        for (qsizetype i = 0; i < s.size(); ++i) {
            bool pair = s[i].isHighSurrogate() && i + 1 < s.size();
            painter_.drawText(QPointF((bx + pos) / (plain ? 1.0 : sx), by + baseline), s.mid(i, pair ? 2 : 1));
            pos += double(adv[size_t(i)]);
            if (pair) pos += double(adv[size_t(++i)]);
        }
    }
    if (!plain) painter_.setWorldTransform(QTransform());
    if (clipped) {
        painter_.restore();
        clipApplied_ = false;
    }
}

} // namespace nv
