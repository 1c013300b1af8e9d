// Lines, shapes, arcs, paths and clipping.
#include "engine/render/EmfPlayback.h"

namespace nv::emf {

std::vector<DcPoint> Player::Points(const Record& r, uint32_t off, uint32_t count, bool small,
                            std::vector<std::pair<double, double>>* logical)
{
    const uint32_t step = small ? 4 : 8;
    r.Need(uint64_t(off) + uint64_t(count) * step);
    std::vector<DcPoint> pts;
    pts.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t o = off + i * step;
        double x = small ? r.I16(o) : r.I32(o);
        double y = small ? r.I16(o + 2) : r.I32(o + 4);
        if (logical) logical->push_back({x, y});
        pts.push_back(ToDevice(x, y));
    }
    return pts;
}

void Player::StrokeOrAddPolyline(const std::vector<DcPoint>& pts)
{
    if (pts.empty()) return;
    if (inPath_) {
        path_.MoveTo(pts[0]);
        for (size_t i = 1; i < pts.size(); ++i) path_.LineTo(pts[i]);
        return;
    }
    RealizePen();
    dc_.Polyline(pts.data(), pts.size());
}

void Player::FillOrAddPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts)
{
    if (inPath_) {
        size_t at = 0;
        for (int32_t c : counts) {
            if (c <= 0) continue;
            path_.MoveTo(pts[at]);
            for (int32_t i = 1; i < c; ++i) path_.LineTo(pts[at + i]);
            path_.Close();
            at += c;
        }
        return;
    }
    RealizePen();
    RealizeBrush();
    dc_.PolyPolygon(pts.data(), counts.data(), counts.size());
}

void Player::Beziers(const std::vector<DcPoint>& pts, bool fromCurrent)
{
    std::vector<DcPoint> all;
    if (fromCurrent) all.push_back(ToDevice(st_.cpx, st_.cpy));
    all.insert(all.end(), pts.begin(), pts.end());
    if (all.size() < 4) return;
    const size_t n = 1 + (all.size() - 1) / 3 * 3;
    if (inPath_) {
        if (!fromCurrent || path_.IsEmpty()) path_.MoveTo(all[0]);
        for (size_t i = 1; i + 2 < n; i += 3) path_.BezierTo(all[i], all[i + 1], all[i + 2]);
        return;
    }
    RealizePen();
    dc_.PolyBezier(all.data(), n);
}

std::vector<std::pair<double, double>> Player::ArcLogical(double l, double t, double r, double b, double sx, double sy,
                                                  double ex, double ey) const
{
    const bool mirrored = full_.m11 * full_.m22 - full_.m12 * full_.m21 < 0;
    const bool clockwise = (st_.arcDirection == 2) != mirrored;
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    std::vector<std::pair<double, double>> out;
    if (rx <= 0 || ry <= 0) return out;
    double a0 = std::atan2(-(sy - cy) / ry, (sx - cx) / rx);
    double a1 = std::atan2(-(ey - cy) / ry, (ex - cx) / rx);
    double sweep = a1 - a0;
    if (clockwise) {
        while (sweep >= 0) sweep -= 2 * M_PI;
    } else {
        while (sweep <= 0) sweep += 2 * M_PI;
    }
    const int steps = std::max(8, static_cast<int>(std::fabs(sweep) / (2 * M_PI) * 64));
    for (int i = 0; i <= steps; ++i) {
        const double a = a0 + sweep * i / steps;
        out.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return out;
}

void Player::ArcRecord(uint32_t type, const Record& r)
{
    const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
    const double sx = r.I32(24), sy = r.I32(28), ex = r.I32(32), ey = r.I32(36);
    if (type == EMR_ARCTO || inPath_ || !AxisAligned()) {
        auto pts = ArcLogical(l, t, rr, b, sx, sy, ex, ey);
        if (pts.empty()) return;
        DcPath p;
        const bool closed = type == EMR_CHORD || type == EMR_PIE;
        if (type == EMR_ARCTO) {
            p.MoveTo(ToDevice(st_.cpx, st_.cpy));
            p.LineTo(ToDevice(pts[0].first, pts[0].second));
        } else if (type == EMR_PIE) {
            p.MoveTo(ToDevice((l + rr) / 2, (t + b) / 2));
            p.LineTo(ToDevice(pts[0].first, pts[0].second));
        } else {
            p.MoveTo(ToDevice(pts[0].first, pts[0].second));
        }
        for (size_t i = 1; i < pts.size(); ++i) p.LineTo(ToDevice(pts[i].first, pts[i].second));
        if (closed) p.Close();
        if (type == EMR_ARCTO) {
            st_.cpx = pts.back().first;
            st_.cpy = pts.back().second;
        }
        if (inPath_) {
            for (const auto& e : p.Elements()) AppendElement(e, type == EMR_ARCTO);
            return;
        }
        RealizePen();
        RealizeBrush();
        dc_.DrawPath(p, closed, true);
        if (type == EMR_ARCTO) dc_.MoveTo(ToDevice(st_.cpx, st_.cpy).x, ToDevice(st_.cpx, st_.cpy).y);
        return;
    }
    DcRect box = ToDeviceRect(l, t, rr, b);
    DcPoint s = ToDevice(sx, sy), e = ToDevice(ex, ey);
    if (st_.arcDirection == 2) std::swap(s, e);
    RealizePen();
    RealizeBrush();
    if (type == EMR_ARC) dc_.Arc(box, s, e);
    else if (type == EMR_CHORD) dc_.Chord(box, s, e);
    else dc_.Pie(box, s, e);
}

void Player::AppendElement(const DcPath::Element& e, bool joinCurrent)
{
    switch (e.op) {
    case DcPath::Op::MoveTo:
        if (joinCurrent && !path_.IsEmpty()) path_.LineTo(e.p[0]);
        else path_.MoveTo(e.p[0]);
        break;
    case DcPath::Op::LineTo: path_.LineTo(e.p[0]); break;
    case DcPath::Op::BezierTo: path_.BezierTo(e.p[0], e.p[1], e.p[2]); break;
    case DcPath::Op::Close: path_.Close(); break;
    }
}

void Player::EllipsePath(double l, double t, double r, double b, DcPath& p) const
{
    const double k = 0.5522847498;
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    p.MoveTo(ToDevice(cx + rx, cy));
    p.BezierTo(ToDevice(cx + rx, cy - ry * k), ToDevice(cx + rx * k, cy - ry), ToDevice(cx, cy - ry));
    p.BezierTo(ToDevice(cx - rx * k, cy - ry), ToDevice(cx - rx, cy - ry * k), ToDevice(cx - rx, cy));
    p.BezierTo(ToDevice(cx - rx, cy + ry * k), ToDevice(cx - rx * k, cy + ry), ToDevice(cx, cy + ry));
    p.BezierTo(ToDevice(cx + rx * k, cy + ry), ToDevice(cx + rx, cy + ry * k), ToDevice(cx + rx, cy));
    p.Close();
}

void Player::BoxRecord(uint32_t type, const Record& r)
{
    const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
    if (inPath_ || !AxisAligned()) {
        DcPath p;
        if (type == EMR_ELLIPSE) {
            EllipsePath(l, t, rr, b, p);
        } else {
            p.MoveTo(ToDevice(l, t));
            p.LineTo(ToDevice(rr, t));
            p.LineTo(ToDevice(rr, b));
            p.LineTo(ToDevice(l, b));
            p.Close();
        }
        if (inPath_) {
            for (const auto& e : p.Elements()) AppendElement(e, false);
            return;
        }
        RealizePen();
        RealizeBrush();
        dc_.DrawPath(p, true, true);
        return;
    }
    const DcRect box = ToDeviceRect(l, t, rr, b);
    RealizePen();
    RealizeBrush();
    if (type == EMR_ELLIPSE) {
        dc_.Ellipse(box);
    } else if (type == EMR_ROUNDRECT) {
        dc_.RoundRect(box, Clamp(r.I32(24) * ScaleX()), Clamp(r.I32(28) * ScaleY()));
    } else {
        dc_.Rectangle(box);
    }
}

void Player::PolyDraw(const Record& r, bool small)
{
    const uint32_t count = r.U32(24);
    const uint32_t step = small ? 4 : 8;
    r.Need(28 + uint64_t(count) * step + count);
    std::vector<std::pair<double, double>> logical;
    auto pts = Points(r, 28, count, small, &logical);
    const uint8_t* types = r.Bytes(28 + uint64_t(count) * step, count);
    DcPath p;
    p.MoveTo(ToDevice(st_.cpx, st_.cpy));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t kind = types[i] & ~kPtCloseFigure;
        if (kind == kPtMoveTo) {
            p.MoveTo(pts[i]);
        } else if (kind == kPtLineTo) {
            p.LineTo(pts[i]);
        } else if (kind == kPtBezierTo) {
            if (i + 2 >= count || (types[i + 1] & ~kPtCloseFigure) != kPtBezierTo ||
                (types[i + 2] & ~kPtCloseFigure) != kPtBezierTo)
                throw Bad{};
            p.BezierTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        } else {
            throw Bad{};
        }
        if (types[i] & kPtCloseFigure) p.Close();
    }
    if (count > 0) {
        st_.cpx = logical.back().first;
        st_.cpy = logical.back().second;
    }
    if (inPath_) {
        bool first = true;
        for (const auto& e : p.Elements()) {
            AppendElement(e, first);
            first = false;
        }
        return;
    }
    RealizePen();
    dc_.DrawPath(p, false, true);
    dc_.MoveTo(ToDevice(st_.cpx, st_.cpy).x, ToDevice(st_.cpx, st_.cpy).y);
}

void Player::PolyRecord(uint32_t type, const Record& r)
{
    const bool small = type >= EMR_POLYBEZIER16 && type <= EMR_POLYLINETO16;
    const uint32_t base = small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type;
    const uint32_t count = r.U32(24);
    std::vector<std::pair<double, double>> logical;
    auto pts = Points(r, 28, count, small, &logical);
    switch (base) {
    case EMR_POLYLINE: StrokeOrAddPolyline(pts); break;
    case EMR_POLYGON:
        if (!pts.empty()) FillOrAddPolygons(pts, {static_cast<int32_t>(pts.size())});
        break;
    case EMR_POLYBEZIER: Beziers(pts, false); break;
    case EMR_POLYBEZIERTO: Beziers(pts, true); break;
    case EMR_POLYLINETO: {
        std::vector<DcPoint> all{ToDevice(st_.cpx, st_.cpy)};
        all.insert(all.end(), pts.begin(), pts.end());
        if (inPath_) {
            if (path_.IsEmpty()) path_.MoveTo(all[0]);
            for (size_t i = 1; i < all.size(); ++i) path_.LineTo(all[i]);
        } else {
            StrokeOrAddPolyline(all);
        }
        break;
    }
    default: break;
    }
    if ((base == EMR_POLYLINETO || base == EMR_POLYBEZIERTO) && !logical.empty()) {
        st_.cpx = logical.back().first;
        st_.cpy = logical.back().second;
        if (!inPath_) {
            const DcPoint cp = ToDevice(st_.cpx, st_.cpy);
            dc_.MoveTo(cp.x, cp.y);
        }
    }
}

void Player::PolyPolyRecord(uint32_t type, const Record& r)
{
    const bool small = type == EMR_POLYPOLYLINE16 || type == EMR_POLYPOLYGON16;
    const uint32_t polys = r.U32(24);
    const uint32_t count = r.U32(28);
    r.Need(32 + uint64_t(polys) * 4);
    std::vector<int32_t> counts;
    counts.reserve(polys);
    uint64_t sum = 0;
    for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t c = r.U32(32 + i * 4);
        sum += c;
        counts.push_back(static_cast<int32_t>(c));
    }
    if (sum > count) throw Bad{};
    auto pts = Points(r, 32 + polys * 4, count, small);
    if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16) {
        FillOrAddPolygons(pts, counts);
        return;
    }
    size_t at = 0;
    for (int32_t c : counts) {
        StrokeOrAddPolyline(std::vector<DcPoint>(pts.begin() + at, pts.begin() + at + c));
        at += c;
    }
}

std::vector<DcRect> Player::RegionRects(const Record& r, uint32_t off, uint32_t limit, bool logical)
{
    const uint32_t count = r.U32(off + 8);
    if (32 + uint64_t(count) * 16 > limit) throw Bad{};
    r.Need(uint64_t(off) + 32 + uint64_t(count) * 16);
    std::vector<DcRect> rects;
    rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t o = off + 32 + i * 16;
        const double l = r.I32(o), t = r.I32(o + 4), rr = r.I32(o + 8), b = r.I32(o + 12);
        if (logical) {
            rects.push_back(ToDeviceRect(l, t, rr, b));
        } else {  // device units of the reference device: only the frame mapping applies
            double x0, y0, x1, y1;
            frame_.Apply(l, t, x0, y0);
            frame_.Apply(rr, b, x1, y1);
            rects.push_back(DcRect{Clamp(std::min(x0, x1)), Clamp(std::min(y0, y1)), Clamp(std::max(x0, x1)),
                                   Clamp(std::max(y0, y1))});
        }
    }
    return rects;
}

DcRect Player::BoundsOf(const std::vector<DcRect>& rects)
{
    DcRect b = rects.front();
    for (const auto& r : rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

void Player::ClipRegion(uint32_t mode, const std::vector<DcRect>& rects)
{
    if (rects.empty()) {
        if (mode == 5) ResetClip();
        return;
    }
    const DcRect bounds = BoundsOf(rects);
    switch (mode) {
    case 1: dc_.IntersectClipRect(bounds); break;  // and
    case 4:                                         // difference
        for (const auto& r : rects) dc_.ExcludeClipRect(r);
        break;
    case 5:  // copy
        dc_.SelectClipRect(&bounds);
        if (initialClip_) dc_.IntersectClipRect(*initialClip_);
        break;
    default: break;  // or, xor: the clip is left as it is
    }
}

void Player::ResetClip()
{
    if (initialClip_) dc_.SelectClipRect(&*initialClip_);
    else dc_.SelectClipRect(nullptr);
}

DcRect Player::PathBounds(const DcPath& p)
{
    DcRect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const auto& e : p.Elements()) {
        const int n = e.op == DcPath::Op::BezierTo ? 3 : e.op == DcPath::Op::Close ? 0 : 1;
        for (int i = 0; i < n; ++i) {
            b.left = std::min(b.left, e.p[i].x);
            b.top = std::min(b.top, e.p[i].y);
            b.right = std::max(b.right, e.p[i].x);
            b.bottom = std::max(b.bottom, e.p[i].y);
        }
    }
    return b.left > b.right ? DcRect{} : b;
}

// The current position: moves, lines, pixels and angle arcs.
void Player::OnPenMoves(uint32_t type, const Record& r)
{
    switch (type) {
    case EMR_MOVETOEX: {
        st_.cpx = r.I32(8);
        st_.cpy = r.I32(12);
        const DcPoint p = ToDevice(st_.cpx, st_.cpy);
        if (inPath_) path_.MoveTo(p);
        else dc_.MoveTo(p.x, p.y);
        break;
    }
    case EMR_LINETO: {
        const double x = r.I32(8), y = r.I32(12);
        const DcPoint p = ToDevice(x, y);
        if (inPath_) {
            if (path_.IsEmpty()) path_.MoveTo(ToDevice(st_.cpx, st_.cpy));
            path_.LineTo(p);
        } else {
            RealizePen();
            const DcPoint from = ToDevice(st_.cpx, st_.cpy);
            dc_.MoveTo(from.x, from.y);
            dc_.LineTo(p.x, p.y);
        }
        st_.cpx = x;
        st_.cpy = y;
        break;
    }
    case EMR_SETPIXELV: {
        const DcPoint p = ToDevice(r.I32(8), r.I32(12));
        dc_.SetPixel(p.x, p.y, r.U32(16) & 0xFFFFFF);
        break;
    }
    case EMR_ANGLEARC: {
        const double cx = r.I32(8), cy = r.I32(12), rad = r.U32(16);
        const double a0 = r.F32(20) * M_PI / 180, sw = r.F32(24) * M_PI / 180;
        if (rad > kCoordLimit || std::fabs(sw) > 4 * M_PI) throw Bad{};
        DcPath p;
        p.MoveTo(ToDevice(st_.cpx, st_.cpy));
        const int steps = std::max(8, static_cast<int>(std::fabs(sw) / (2 * M_PI) * 64));
        double ex = cx, ey = cy;
        for (int i = 0; i <= steps; ++i) {
            const double a = a0 + sw * i / steps;
            ex = cx + rad * std::cos(a);
            ey = cy - rad * std::sin(a);
            p.LineTo(ToDevice(ex, ey));
        }
        st_.cpx = ex;
        st_.cpy = ey;
        if (inPath_) {
            bool first = true;
            for (const auto& e : p.Elements()) {
                AppendElement(e, first);
                first = false;
            }
        } else {
            RealizePen();
            dc_.DrawPath(p, false, true);
            const DcPoint cp = ToDevice(ex, ey);
            dc_.MoveTo(cp.x, cp.y);
        }
        break;
    }
    default: break;
    }
}

// Recording a path and drawing or clipping with it.
void Player::OnPath(uint32_t type, const Record& r)
{
    switch (type) {
    case EMR_BEGINPATH:
        inPath_ = true;
        path_ = DcPath{};
        break;
    case EMR_ENDPATH: inPath_ = false; break;
    case EMR_ABORTPATH:
        inPath_ = false;
        path_ = DcPath{};
        break;
    case EMR_CLOSEFIGURE:
        if (inPath_ && !path_.IsEmpty()) path_.Close();
        break;
    case EMR_FILLPATH:
    case EMR_STROKEANDFILLPATH:
    case EMR_STROKEPATH:
        if (!inPath_ && !path_.IsEmpty()) {
            RealizePen();
            RealizeBrush();
            dc_.DrawPath(path_, type != EMR_STROKEPATH, type != EMR_FILLPATH);
        }
        path_ = DcPath{};
        break;
    case EMR_SELECTCLIPPATH:
        if (!inPath_ && !path_.IsEmpty()) ClipRegion(r.U32(8), {PathBounds(path_)});
        path_ = DcPath{};
        break;
    default: break;
    }
}

// Clip rectangles and regions, and filled regions.
void Player::OnClip(uint32_t type, const Record& r)
{
    switch (type) {
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
        const DcRect c = ToDeviceRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        if (type == EMR_INTERSECTCLIPRECT) dc_.IntersectClipRect(c);
        else dc_.ExcludeClipRect(c);
        break;
    }
    case EMR_EXTSELECTCLIPRGN: {
        const uint32_t cb = r.U32(8), mode = r.U32(12);
        if (cb == 0) {
            if (mode == 5) ResetClip();
            break;
        }
        r.Need(16 + uint64_t(cb));
        ClipRegion(mode, RegionRects(r, 16, cb, false));
        break;
    }
    case EMR_FILLRGN:
    case EMR_PAINTRGN: {
        const uint32_t cb = r.U32(24);
        DcBrush brush = st_.brush;
        uint32_t off = 28;
        if (type == EMR_FILLRGN) {
            const uint32_t ih = r.U32(28);
            off = 32;
            if (ih & 0x80000000u) {
                const DcBrush keep = st_.brush;
                SelectStock(ih & 0x7FFFFFFFu);
                brush = st_.brush;
                st_.brush = keep;
            } else {
                const Object& o = Slot(ih);
                if (o.kind == Object::Brush) brush = o.brush;
            }
        }
        r.Need(uint64_t(off) + cb);
        for (const auto& rect : RegionRects(r, off, cb, true)) dc_.FillRect(rect, brush);
        break;
    }
    default: break;
    }
}

} // namespace nv::emf
