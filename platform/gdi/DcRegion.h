#pragma once
// A clipping region as a set of disjoint rectangles in device pixels; enough
// for the intersect and exclude operations of the device-context layer.
#include <vector>

#include "platform/gdi/DcTypes.h"

namespace nv {

class DcRegion {
public:
    DcRegion() = default;
    explicit DcRegion(const DcRect& r);

    const std::vector<DcRect>& Rects() const { return m_rects; }
    bool IsEmpty() const { return m_rects.empty(); }
    DcRect Bounds() const;
    bool Contains(int32_t x, int32_t y) const;

    void Intersect(const DcRect& r);
    void Subtract(const DcRect& r);
    void Offset(int32_t dx, int32_t dy);

    friend bool operator==(const DcRegion&, const DcRegion&) = default;

private:
    std::vector<DcRect> m_rects;
};

} // namespace nv
