#include "platform/qt/QtDeviceContext.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiRules.h"

namespace nv {

namespace {

// Outlines and fills of a box cover [left, right - 1] x [top, bottom - 1].
QRect InnerRect(const DcRect& r) { return QRect(r.left, r.top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1)); }

} // namespace

bool QtDeviceContext::HasPen() const { return State().pen.style != PenStyle::Null; }

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

} // namespace nv
