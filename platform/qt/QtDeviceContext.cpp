#include "platform/qt/QtDeviceContext.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainterPath>
#include <QRegion>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QRawFont>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <climits>
#include <mutex>
#include <cmath>
#include <span>
#include <unordered_map>

#include "platform/gdi/GdiRules.h"

namespace nv {

namespace {

QColor ToQColor(ColorRef c) { return QColor(ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c)); }

// Outlines and fills of a box cover [left, right - 1] x [top, bottom - 1].
QRect InnerRect(const DcRect& r) { return QRect(r.left, r.top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1)); }

QString ToQString(std::u16string_view s) { return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size())); }

// The toolkit's PDF writer takes two buffers of 10 MB to compress every
// page. With the C library's defaults they are handed back to the system
// when freed and faulted in afresh for the next page, which costs more than
// drawing the page: such buffers stay in the heap, and the heap keeps up to
// 64 MB it no longer uses, once a PDF is written in the process.
void KeepPdfPageBuffers()
{
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    });
#endif
}

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

QtDeviceContext::QtDeviceContext(QPainter& painter, bool printing, int32_t dpiX, int32_t dpiY, DcPoint physicalOffset)
    : painter_(painter), printing_(printing), physicalOffset_(physicalOffset)
{
    QPaintDevice* device = painter.device();
    dpiX_ = dpiX > 0 ? dpiX : (device ? device->logicalDpiX() : 96);
    dpiY_ = dpiY > 0 ? dpiY : (device ? device->logicalDpiY() : 96);
    size_ = device ? DcSize{device->width(), device->height()} : DcSize{};
    if (!painter_.isActive()) {
        ReportError("the paint device cannot be drawn on");
        return;
    }
    if (painter_.paintEngine() && painter_.paintEngine()->type() == QPaintEngine::Pdf) KeepPdfPageBuffers();
    ResetPainter();
}

void QtDeviceContext::ResetPainter()
{
    // Glyphs still held were meant for the surface the painter has left.
    held_.glyphs.clear();
    held_.positions.clear();
    if (!painter_.isActive()) return;
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, textAntialiasing_);
    painter_.setWorldTransform(QTransform());
    painter_.setClipping(false);
    painter_.setBackgroundMode(Qt::TransparentMode);
    appliedClip_.reset();
    clipApplied_ = true;
}

QtDeviceContext::~QtDeviceContext() { Flush(); }

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

QtDeviceContext::FontCache& QtDeviceContext::Font()
{
    if (!font_) {
        for (auto& [key, cache] : recentFonts_)
            if (key == State().font) {
                font_ = cache;
                return *font_;
            }
        font_ = std::make_shared<FontCache>();
        font_->resolved = ResolveFont(State().font);
        if (!textAntialiasing_) font_->resolved.font.setStyleStrategy(QFont::NoAntialias);
        font_->metrics.emplace(font_->resolved.font, painter_.device());
        font_->raw = QRawFont::fromFont(font_->resolved.font);
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

void QtDeviceContext::Flush()
{
    if (held_.glyphs.isEmpty()) return;
    if (painter_.isActive()) {
        QGlyphRun run;
        run.setRawFont(held_.font);
        run.setGlyphIndexes(held_.glyphs);
        run.setPositions(held_.positions);
        painter_.setPen(held_.colour);
        painter_.drawGlyphRun(QPointF(0, 0), run);
    }
    held_.glyphs.clear();
    held_.positions.clear();
}

void QtDeviceContext::Prepare()
{
    Flush();
    const auto& clip = State().clip;
    if (!clipApplied_ || clip != appliedClip_) {
        if (!clip) {
            painter_.setClipping(false);
        } else {
            QRegion region;
            for (const DcRect& r : clip->Rects()) region += QRect(r.left, r.top, r.Width(), r.Height());
            // An empty region must clip everything away, not turn clipping off.
            if (region.isEmpty()) region = QRegion(QRect(-10, -10, 1, 1));
            painter_.setClipRegion(region);
        }
        appliedClip_ = clip;
        clipApplied_ = true;
    }
}

bool QtDeviceContext::HasPen() const { return State().pen.style != PenStyle::Null; }

bool QtDeviceContext::HasBrush(const DcBrush& b) const
{
    return b.style != BrushStyle::Null && !(b.style == BrushStyle::Image && (!b.image || b.image->IsNull()));
}

QBrush QtDeviceContext::MakeBrush(const DcBrush& b) const
{
    switch (b.style) {
    case BrushStyle::Solid: return QBrush(ToQColor(b.colour));
    case BrushStyle::Pattern:
    case BrushStyle::Hatch: {
        QImage tile(8, 8, QImage::Format_ARGB32);
        bool hatch = b.style == BrushStyle::Hatch;
        const auto& rows = hatch ? HatchBits(b.hatch) : b.pattern;
        QRgb on = hatch ? ToQColor(b.colour).rgb() : ToQColor(State().bkColour).rgb();
        QRgb off = hatch ? (State().bkMode == BkMode::Opaque ? ToQColor(State().bkColour).rgb() : qRgba(0, 0, 0, 0))
                         : ToQColor(State().textColour).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) tile.setPixel(x, y, (rows[size_t(y)] >> (7 - x)) & 1 ? on : off);
        return QBrush(tile);
    }
    case BrushStyle::Image:
        if (b.image && !b.image->IsNull()) return QBrush(ToQImage(*b.image));
        return QBrush(Qt::NoBrush);
    default: return QBrush(Qt::NoBrush);
    }
}

void QtDeviceContext::Stroke(const QPainterPath& path, int64_t dashOffset)
{
    const DcPen& p = State().pen;
    if (p.style == PenStyle::Null) return;
    QPen pen(ToQColor(p.colour));
    const auto& dashes = DashPattern(p.style);
    bool thin = p.width <= 1 || !dashes.empty();
    if (thin) {
        pen.setWidth(1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setWidth(p.width);
        pen.setCapStyle(p.cap == PenCap::Round ? Qt::RoundCap : p.cap == PenCap::Square ? Qt::SquareCap : Qt::FlatCap);
        pen.setJoinStyle(p.join == PenJoin::Round   ? Qt::RoundJoin
                         : p.join == PenJoin::Bevel ? Qt::BevelJoin
                                                    : Qt::MiterJoin);
    }
    painter_.setBrush(Qt::NoBrush);
    if (!dashes.empty()) {
        if (State().bkMode == BkMode::Opaque) {
            QPen gap = pen;
            gap.setColor(ToQColor(State().bkColour));
            painter_.setPen(gap);
            painter_.drawPath(path);
        }
        QList<qreal> pattern;
        int64_t period = 0;
        for (int32_t d : dashes) {
            pattern.append(d);
            period += d;
        }
        pen.setDashPattern(pattern);
        if (dashOffset > 0 && period > 0) pen.setDashOffset(double(dashOffset % period));
    }
    painter_.setPen(pen);
    painter_.drawPath(path);
}

void QtDeviceContext::FillAndStroke(const QPainterPath& path, bool fill, bool stroke)
{
    Prepare();
    if (fill && HasBrush(State().brush)) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrushOrigin(State().brushOrg.x, State().brushOrg.y);
        painter_.setBrush(MakeBrush(State().brush));
        painter_.drawPath(path);
    }
    if (stroke) Stroke(path);
}

bool QtDeviceContext::ThinPen() const
{
    const DcPen& p = State().pen;
    return p.width <= 1 || !DashPattern(p.style).empty();
}

void QtDeviceContext::StrokeThinSegments(const DcPoint* pts, size_t n, bool closed)
{
    // One-pixel lines draw the first point of every segment and leave out
    // its last, in whichever direction it runs, and the dash pattern runs on
    // from segment to segment. The toolkit's thin lines leave out the right
    // or bottom end of a segment instead (and lose a corner where such ends
    // meet), so each segment is drawn on its own, moved one step back along
    // itself when it runs left or up. The moved line is nudged a thirty-second
    // of a pixel across, so that the toolkit's fixed-point stepping lands on
    // the first point and not beside it.
    constexpr double kNudge = 1.0 / 32;
    // A solid segment along a row or a column is the row of pixels from its
    // first point up to its last: filled as a rectangle, the same pixels at a
    // tenth of the cost of the stroker (rules of a ledger are such lines).
    constexpr int32_t kFillLimit = 1 << 24;
    const bool solid = DashPattern(State().pen.style).empty();
    const QColor colour = ToQColor(State().pen.colour);
    const auto fits = [](DcPoint p) { return std::abs(p.x) < kFillLimit && std::abs(p.y) < kFillLimit; };
    int64_t used = 0; // pixels of the dash pattern used so far
    const size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
        const DcPoint a = pts[i], b = pts[(i + 1) % n];
        if (solid && (a.x == b.x || a.y == b.y) && !(a == b) && fits(a) && fits(b)) {
            const int32_t left = a.x < b.x ? a.x : a.x > b.x ? b.x + 1 : a.x;
            const int32_t top = a.y < b.y ? a.y : a.y > b.y ? b.y + 1 : a.y;
            painter_.fillRect(QRect(left, top, std::max(1, std::abs(b.x - a.x)), std::max(1, std::abs(b.y - a.y))),
                               colour);
            continue;
        }
        const double x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
        const double dx = x1 - x0, dy = y1 - y0;
        if (dx == 0 && dy == 0) continue; // a segment of no length draws nothing
        const bool alongY = std::abs(dx) < std::abs(dy);
        const double major = alongY ? std::abs(dy) : std::abs(dx);
        const bool reversed = alongY ? dy < 0 : dx < 0;
        const double sx = reversed ? -dx / major + (alongY ? kNudge : 0) : 0;
        const double sy = reversed ? -dy / major + (alongY ? 0 : kNudge) : 0;
        QPainterPath segment;
        segment.moveTo(x0 + sx, y0 + sy);
        segment.lineTo(x1 + sx, y1 + sy);
        Stroke(segment, used);
        used += int64_t(major);
    }
}

void QtDeviceContext::DoPolyline(const std::vector<DcPoint>& pts)
{
    if (pts.size() < 2 || !HasPen()) return;
    Prepare();
    if (ThinPen()) {
        StrokeThinSegments(pts.data(), pts.size(), false);
        return;
    }
    QPainterPath path;
    path.moveTo(pts[0].x, pts[0].y);
    for (size_t i = 1; i < pts.size(); ++i) path.lineTo(pts[i].x, pts[i].y);
    Stroke(path);
}

void QtDeviceContext::DoPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts)
{
    QPainterPath path;
    path.setFillRule(State().polyFillMode == PolyFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    size_t at = 0;
    for (int32_t n : counts) {
        if (n >= 2 && at + size_t(n) <= pts.size()) {
            path.moveTo(pts[at].x, pts[at].y);
            for (int32_t i = 1; i < n; ++i) path.lineTo(pts[at + size_t(i)].x, pts[at + size_t(i)].y);
            path.closeSubpath();
        }
        at += size_t(n);
    }
    if (!HasPen() || !ThinPen()) {
        FillAndStroke(path, true, true);
        return;
    }
    FillAndStroke(path, true, false);
    at = 0;
    for (int32_t n : counts) {
        if (n >= 2 && at + size_t(n) <= pts.size()) StrokeThinSegments(pts.data() + at, size_t(n), true);
        at += size_t(n);
    }
}

void QtDeviceContext::DoRectangle(const DcRect& box)
{
    const DcRect r = InsideFrameBox(box, State().pen);
    if (r.IsEmpty()) return;
    QPainterPath path;
    path.addRect(InnerRect(r));
    FillAndStroke(path, true, true);
}

// Round figures lie on the box's columns and rows from the first to the
// last. A thin outline reaches the first column at the box's left edge, but
// the toolkit rounds the points of a curve down and would lose the last
// column at the right edge: for thin pens the box reaches half a pixel
// further right and down (the fill goes with it, so none shows outside).
QRectF QtDeviceContext::CurveBox(const DcRect& r) const
{
    QRectF box(InnerRect(r));
    if (HasPen() && ThinPen()) box.adjust(0, 0, 0.5, 0.5);
    return box;
}

void QtDeviceContext::DoRoundRect(const DcRect& box, int32_t ew, int32_t eh)
{
    const DcRect r = InsideFrameBox(box, State().pen);
    if (r.IsEmpty()) return;
    QPainterPath path;
    path.addRoundedRect(CurveBox(r), std::min(ew, r.Width()) / 2.0, std::min(eh, r.Height()) / 2.0);
    FillAndStroke(path, true, true);
}

void QtDeviceContext::DoEllipse(const DcRect& box)
{
    const DcRect r = InsideFrameBox(box, State().pen);
    if (r.IsEmpty()) return;
    QPainterPath path;
    path.addEllipse(CurveBox(r));
    FillAndStroke(path, true, true);
}

void QtDeviceContext::DoArc(ArcKind kind, const DcRect& frame, DcPoint start, DcPoint end)
{
    const DcRect box = InsideFrameBox(frame, State().pen);
    if (box.IsEmpty()) return;
    const QRect q = InnerRect(box);
    const DcRect inner{q.left(), q.top(), q.left() + q.width(), q.top() + q.height()};
    const QRectF rf = CurveBox(box);
    double s = 0, sweep = 0;
    ArcParametricAngles(inner, start, end, &s, &sweep);
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(rf.center());
        path.arcTo(rf, s, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(rf, s);
        path.arcTo(rf, s, sweep);
        if (kind == ArcKind::Chord) path.closeSubpath();
    }
    if (!HasPen() || !ThinPen()) {
        FillAndStroke(path, kind != ArcKind::Arc, true);
        return;
    }
    // Where a thin outline turns from the curve into a straight line the
    // toolkit may add a pixel to join them, one outside a flat box: the
    // figure is kept to its box.
    Prepare();
    painter_.save();
    painter_.setClipRect(QRect(box.left, box.top, box.Width(), box.Height()), Qt::IntersectClip);
    FillAndStroke(path, kind != ArcKind::Arc, true);
    painter_.restore();
}

void QtDeviceContext::DoPath(const DcPath& p, bool fill, bool stroke)
{
    QPainterPath path;
    path.setFillRule(State().polyFillMode == PolyFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const DcPath::Element& e : p.Elements()) {
        switch (e.op) {
        case DcPath::Op::MoveTo: path.moveTo(e.p[0].x, e.p[0].y); break;
        case DcPath::Op::LineTo: path.lineTo(e.p[0].x, e.p[0].y); break;
        case DcPath::Op::BezierTo:
            path.cubicTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
            break;
        case DcPath::Op::Close: path.closeSubpath(); break;
        }
    }
    FillAndStroke(path, fill, stroke);
}

void QtDeviceContext::DoFillRect(const DcRect& r, const DcBrush& brush)
{
    if (r.IsEmpty() || !HasBrush(brush)) return;
    Prepare();
    painter_.setBrushOrigin(State().brushOrg.x, State().brushOrg.y);
    painter_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), MakeBrush(brush));
}

void QtDeviceContext::DoSetPixel(int32_t x, int32_t y, ColorRef c)
{
    Prepare();
    painter_.fillRect(QRect(x, y, 1, 1), ToQColor(c));
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
                                                                           const std::vector<int32_t>& dx)
{
    const uint32_t align = State().textAlign & (kTaCenter | kTaBaseline);
    auto it = f.prepared.find(PreparedView(text, dx, align));
    if (it != f.prepared.end()) return it->second;
    if (f.prepared.size() >= 4096) f.prepared.clear(); // a runaway set of texts is simply dropped
    PreparedText& p = f.prepared[PreparedKey{std::u16string(text), dx, align}];
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
    if (!ink || (clip && !Covers(*clip, *ink))) {
        Prepare();
        painter_.setPen(colour);
        painter_.drawGlyphRun(QPointF(x, y), p.run);
        return;
    }
    // Text that the clip would leave whole is drawn without it, and with the
    // texts around it in one run of glyphs: setting a clip and starting a
    // run cost more than the text itself (and in a PDF write a clip path and
    // a text object each time). The glyphs come out in the same order.
    if (!clipApplied_ || appliedClip_) {
        Flush();
        painter_.setClipping(false);
        appliedClip_.reset();
        clipApplied_ = true;
    }
    if (!held_.glyphs.isEmpty() && (held_.colour != colour || held_.font != p.run.rawFont())) Flush();
    if (held_.glyphs.isEmpty()) {
        held_.font = p.run.rawFont();
        held_.colour = colour;
    }
    held_.glyphs.append(p.run.glyphIndexes());
    for (const QPointF& at : p.run.positions()) held_.positions.append(at + QPointF(x, y));
}

void QtDeviceContext::DoText(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,
                             const std::vector<int32_t>& dx)
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

void QtDeviceContext::DoImage(const DcRect& dst, const DcImage& image, const DcRect& src)
{
    if (dst.Width() == 0 || dst.Height() == 0) return;
    Prepare();
    QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
             qsizetype(image.width) * 4, QImage::Format_ARGB32);
    QRect target(dst.left, dst.top, dst.Width(), dst.Height());
    QRect source(src.left, src.top, src.Width(), src.Height());
    // Mirrored rectangles flip the picture, as stretching does.
    QImage part = q.copy(source.normalized());
    bool flipX = (target.width() < 0) != (source.width() < 0);
    bool flipY = (target.height() < 0) != (source.height() < 0);
    if (flipX || flipY) part = part.mirrored(flipX, flipY);
    painter_.drawImage(target.normalized(), part);
}

QImage ToQImage(const DcImage& image)
{
    if (image.IsNull()) return QImage();
    QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
             qsizetype(image.width) * 4, QImage::Format_ARGB32);
    return q.copy();
}

DcImage FromQImage(const QImage& image)
{
    if (image.isNull()) return DcImage();
    QImage q = image.convertToFormat(QImage::Format_ARGB32);
    DcImage out(q.width(), q.height());
    for (int y = 0; y < q.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(q.constScanLine(y));
        std::copy(row, row + q.width(), out.pixels.begin() + ptrdiff_t(y) * q.width());
    }
    return out;
}

} // namespace nv
