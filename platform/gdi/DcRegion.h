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

    const std::vector<DcRect>& Rects() const { return rects_; }
    bool IsEmpty() const { return rects_.empty(); }
    DcRect Bounds() const;
    bool Contains(int32_t x, int32_t y) const;

    void Intersect(const DcRect& r);
    void Subtract(const DcRect& r);
    void Offset(int32_t dx, int32_t dy);

    friend bool operator==(const DcRegion&, const DcRegion&) = default;

private:
    std::vector<DcRect> rects_;
};

} // namespace nv
