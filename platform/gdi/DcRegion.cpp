#include "platform/gdi/DcRegion.h"

namespace nv {

DcRegion::DcRegion(const DcRect& r)
{
    DcRect n = r.Normalized();
    if (!n.IsEmpty()) m_rects.push_back(n);
}

DcRect DcRegion::Bounds() const
{
    if (m_rects.empty()) return {};
    DcRect b = m_rects.front();
    for (const DcRect& r : m_rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

bool DcRegion::Contains(int32_t x, int32_t y) const
{
    for (const DcRect& r : m_rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

void DcRegion::Intersect(const DcRect& clip)
{
    DcRect c = clip.Normalized();
    std::vector<DcRect> out;
    for (const DcRect& r : m_rects) {
        DcRect i = r.Intersect(c);
        if (!i.IsEmpty()) out.push_back(i);
    }
    m_rects = std::move(out);
}

void DcRegion::Subtract(const DcRect& cut)
{
    DcRect c = cut.Normalized();
    if (c.IsEmpty()) return;
    std::vector<DcRect> out;
    for (const DcRect& r : m_rects) {
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
    m_rects = std::move(out);
}

void DcRegion::Offset(int32_t dx, int32_t dy)
{
    for (DcRect& r : m_rects) r = r.Offset(dx, dy);
}

} // namespace nv
