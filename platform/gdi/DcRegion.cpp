#include "platform/gdi/DcRegion.h"

namespace nv {

DcRegion::DcRegion(const DcRect& r)
{
    DcRect n = r.Normalized();
    if (!n.IsEmpty()) rects_.push_back(n);
}

DcRect DcRegion::Bounds() const
{
    if (rects_.empty()) return {};
    DcRect b = rects_.front();
    for (const DcRect& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

bool DcRegion::Contains(int32_t x, int32_t y) const
{
    for (const DcRect& r : rects_)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

void DcRegion::Intersect(const DcRect& clip)
{
    DcRect c = clip.Normalized();
    std::vector<DcRect> out;
    for (const DcRect& r : rects_) {
        DcRect i = r.Intersect(c);
        if (!i.IsEmpty()) out.push_back(i);
    }
    rects_ = std::move(out);
}

void DcRegion::Subtract(const DcRect& cut)
{
    DcRect c = cut.Normalized();
    if (c.IsEmpty()) return;
    std::vector<DcRect> out;
    for (const DcRect& r : rects_) {
        DcRect i = r.Intersect(c);
        if (i.IsEmpty()) {
            out.push_back(r);
            continue;
        }
        // Up to four pieces: above, below, left and right of the cut.
        if (r.top < i.top) out.push_back({r.left, r.top, r.right, i.top});
        if (i.bottom < r.bottom) out.push_back({r.left, i.bottom, r.right, r.bottom});
        if (r.left < i.left) out.push_back({r.left, i.top, i.left, i.bottom});
        if (i.right < r.right) out.push_back({i.right, i.top, r.right, i.bottom});
    }
    rects_ = std::move(out);
}

void DcRegion::Offset(int32_t dx, int32_t dy)
{
    for (DcRect& r : rects_) r = r.Offset(dx, dy);
}

} // namespace nv
