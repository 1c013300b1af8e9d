#include "platform/gdi/DeviceContext.h"

#include "platform/core/PlatformLog.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/gdi/GdiRules.h"

namespace nv {

DcPath DcPath::Offset(int32_t dx, int32_t dy) const
{
    DcPath out = *this;
    for (Element& e : out.elements_)
        for (DcPoint& p : e.p) {
            p.x += dx;
            p.y += dy;
        }
    return out;
}

DcPen DeviceContext::SelectPen(const DcPen& pen)
{
    DcPen old = state_.pen;
    state_.pen = pen;
    return old;
}

DcBrush DeviceContext::SelectBrush(const DcBrush& brush)
{
    DcBrush old = state_.brush;
    state_.brush = brush;
    return old;
}

DcFont DeviceContext::SelectFont(const DcFont& font)
{
    DcFont old = state_.font;
    if (!(old == font)) {
        state_.font = font;
        OnFontChanged();
    }
    return old;
}

ColorRef DeviceContext::SetTextColor(ColorRef c) { return std::exchange(state_.textColour, c & 0xFFFFFF); }
ColorRef DeviceContext::SetBkColor(ColorRef c) { return std::exchange(state_.bkColour, c & 0xFFFFFF); }
BkMode DeviceContext::SetBkMode(BkMode m) { return std::exchange(state_.bkMode, m); }
uint32_t DeviceContext::SetTextAlign(uint32_t flags) { return std::exchange(state_.textAlign, flags); }
PolyFillMode DeviceContext::SetPolyFillMode(PolyFillMode m) { return std::exchange(state_.polyFillMode, m); }
DcPoint DeviceContext::SetViewportOrg(DcPoint p) { return std::exchange(state_.viewportOrg, p); }
DcPoint DeviceContext::SetBrushOrg(DcPoint p) { return std::exchange(state_.brushOrg, p); }

DcPoint DeviceContext::OffsetViewportOrg(int32_t dx, int32_t dy)
{
    DcPoint old = state_.viewportOrg;
    state_.viewportOrg.x += dx;
    state_.viewportOrg.y += dy;
    return old;
}

int DeviceContext::SaveDC()
{
    saved_.push_back(state_);
    return int(saved_.size());
}

bool DeviceContext::RestoreDC(int level)
{
    int depth = int(saved_.size());
    int target = level < 0 ? depth + level + 1 : level; // the depth whose state comes back
    if (level == 0 || target < 1 || target > depth) return false;
    bool fontChanged = !(saved_[size_t(target - 1)].font == state_.font);
    state_ = std::move(saved_[size_t(target - 1)]);
    saved_.resize(size_t(target - 1));
    if (fontChanged) OnFontChanged();
    return true;
}

void DeviceContext::IntersectClipRect(const DcRect& r)
{
    DcRect d = ToDevice(r.Normalized());
    if (!state_.clip) {
        state_.clip = DcRegion(d);
    } else {
        state_.clip->Intersect(d);
    }
}

void DeviceContext::ExcludeClipRect(const DcRect& r)
{
    DcRect d = ToDevice(r.Normalized());
    if (!state_.clip) {
        DcSize s = DeviceSize();
        // Generous bounds: drawing may run past the surface with an origin.
        state_.clip = DcRegion(DcRect{std::min(0, d.left) - 1, std::min(0, d.top) - 1,
                                       std::max(s.cx, d.right) + 1, std::max(s.cy, d.bottom) + 1});
    }
    state_.clip->Subtract(d);
}

void DeviceContext::SelectClipRect(const DcRect* r)
{
    if (!r) {
        state_.clip.reset();
    } else {
        state_.clip = DcRegion(ToDevice(r->Normalized()));
    }
}

bool DeviceContext::GetClipBox(DcRect* box) const
{
    DcRect b;
    if (state_.clip) {
        b = state_.clip->Bounds();
    } else {
        DcSize s = DeviceSize();
        b = {0, 0, s.cx, s.cy};
    }
    *box = b.Offset(-state_.viewportOrg.x, -state_.viewportOrg.y);
    return !b.IsEmpty();
}

void DeviceContext::MoveTo(int32_t x, int32_t y) { state_.currentPosition = {x, y}; }

void DeviceContext::LineTo(int32_t x, int32_t y)
{
    std::vector<DcPoint> pts{ToDevice(state_.currentPosition), ToDevice(DcPoint{x, y})};
    state_.currentPosition = {x, y};
    DoPolyline(pts);
}

void DeviceContext::Polyline(const DcPoint* pts, size_t n)
{
    if (!pts || n < 2) return;
    std::vector<DcPoint> d(n);
    for (size_t i = 0; i < n; ++i) d[i] = ToDevice(pts[i]);
    DoPolyline(d);
}

void DeviceContext::Polygon(const DcPoint* pts, size_t n)
{
    if (!pts || n < 2) return;
    int32_t count = int32_t(n);
    PolyPolygon(pts, &count, 1);
}

void DeviceContext::PolyPolygon(const DcPoint* pts, const int32_t* counts, size_t polygons)
{
    if (!pts || !counts) return;
    std::vector<DcPoint> d;
    std::vector<int32_t> c;
    size_t at = 0;
    for (size_t k = 0; k < polygons; ++k) {
        if (counts[k] < 0) return;
        for (int32_t i = 0; i < counts[k]; ++i) d.push_back(ToDevice(pts[at + size_t(i)]));
        at += size_t(counts[k]);
        c.push_back(counts[k]);
    }
    if (!d.empty()) DoPolygons(d, c);
}

void DeviceContext::PolyBezier(const DcPoint* pts, size_t n)
{
    if (!pts || n < 4) return;
    DcPath path;
    path.MoveTo(pts[0]);
    for (size_t i = 1; i + 2 < n; i += 3) path.BezierTo(pts[i], pts[i + 1], pts[i + 2]);
    DrawPath(path, false, true);
}

void DeviceContext::PolyDraw(const DcPoint* pts, const uint8_t* types, size_t n)
{
    if (!pts || !types || n == 0) return;
    DcPath path;
    DcPoint cur = state_.currentPosition;
    bool started = false;
    for (size_t i = 0; i < n; ++i) {
        uint8_t t = types[i] & uint8_t(~kPtCloseFigure);
        if (t == kPtMoveTo) {
            path.MoveTo(pts[i]);
            started = true;
            cur = pts[i];
        } else if (t == kPtLineTo) {
            if (!started) {
                path.MoveTo(cur);
                started = true;
            }
            path.LineTo(pts[i]);
            cur = pts[i];
        } else if (t == kPtBezierTo) {
            // Three points in a row, all typed as Bézier; a broken run stops.
            if (i + 2 >= n || (types[i + 1] & ~kPtCloseFigure) != kPtBezierTo ||
                (types[i + 2] & ~kPtCloseFigure) != kPtBezierTo)
                break;
            if (!started) {
                path.MoveTo(cur);
                started = true;
            }
            path.BezierTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
            cur = pts[i];
        } else {
            break;
        }
        if (types[i] & kPtCloseFigure) path.Close();
    }
    state_.currentPosition = cur;
    if (!path.IsEmpty()) DrawPath(path, false, true);
}

void DeviceContext::Rectangle(const DcRect& r) { DoRectangle(ToDevice(r.Normalized())); }

void DeviceContext::RoundRect(const DcRect& r, int32_t ew, int32_t eh)
{
    DoRoundRect(ToDevice(r.Normalized()), std::abs(ew), std::abs(eh));
}

void DeviceContext::Ellipse(const DcRect& r) { DoEllipse(ToDevice(r.Normalized())); }

void DeviceContext::Arc(const DcRect& box, DcPoint s, DcPoint e)
{
    DoArc(ArcKind::Arc, ToDevice(box.Normalized()), ToDevice(s), ToDevice(e));
}

void DeviceContext::Chord(const DcRect& box, DcPoint s, DcPoint e)
{
    DoArc(ArcKind::Chord, ToDevice(box.Normalized()), ToDevice(s), ToDevice(e));
}

void DeviceContext::Pie(const DcRect& box, DcPoint s, DcPoint e)
{
    DoArc(ArcKind::Pie, ToDevice(box.Normalized()), ToDevice(s), ToDevice(e));
}

void DeviceContext::DrawPath(const DcPath& path, bool fill, bool stroke)
{
    if (path.IsEmpty() || (!fill && !stroke)) return;
    DoPath(path.Offset(state_.viewportOrg.x, state_.viewportOrg.y), fill, stroke);
}

void DeviceContext::FillRect(const DcRect& r, const DcBrush& brush) { DoFillRect(ToDevice(r.Normalized()), brush); }

void DeviceContext::SetPixel(int32_t x, int32_t y, ColorRef c)
{
    DcPoint d = ToDevice(DcPoint{x, y});
    DoSetPixel(d.x, d.y, c & 0xFFFFFF);
}

void DeviceContext::ExtTextOut(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::u16string_view text,
                               const int32_t* dx)
{
    // The caller's advances, not copied: they outlive the call.
    const std::span<const int32_t> adv = dx ? std::span<const int32_t>(dx, text.size()) : std::span<const int32_t>();
    bool updateCp = (state_.textAlign & kTaUpdateCp) != 0;
    if (updateCp) {
        x = state_.currentPosition.x;
        y = state_.currentPosition.y;
    }
    DcPoint d = ToDevice(DcPoint{x, y});
    DcRect rd;
    if (rect) rd = ToDevice(rect->Normalized());
    if (!text.empty() || (rect && (options & kEtoOpaque))) DoText(d.x, d.y, options, rect ? &rd : nullptr, text, adv);
    if (updateCp) {
        int32_t w = 0;
        if (dx) {
            for (int32_t a : adv) w += a;
        } else {
            w = GetTextExtent(text).cx;
        }
        state_.currentPosition.x += w;
    }
}

void DeviceContext::ExtTextOutA(int32_t x, int32_t y, uint32_t options, const DcRect* rect, std::string_view cp932,
                                const int32_t* dx)
{
    std::vector<int32_t> adv;
    std::u16string text = Cp932ToUtf16(cp932, dx, &adv);
    ExtTextOut(x, y, options, rect, text, dx ? adv.data() : nullptr);
}

DcSize DeviceContext::GetTextExtentA(std::string_view cp932) { return GetTextExtent(Cp932ToUtf16(cp932)); }

void DeviceContext::DrawImage(const DcRect& dst, const DcImage& image, const DcRect* src)
{
    if (image.IsNull() || image.pixels.size() != size_t(image.width) * size_t(image.height)) {
        ReportError("image without pixels");
        return;
    }
    DcRect s = src ? *src : DcRect{0, 0, image.width, image.height};
    DoImage(ToDevice(dst), image, s);
}

void DeviceContext::ReportError(std::string message)
{
    PlatformLog("drawing", message);
    if (errors_.size() < 100) errors_.push_back(std::move(message));
}

} // namespace nv
