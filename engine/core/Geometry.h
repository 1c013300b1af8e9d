#pragma once
// Plain geometry of the document model: 32-bit document units, rectangles
// stored as given (not necessarily normalised), like the Windows structures
// stored forms were written from.
#include "platform/gdi/DcTypes.h"

#include <algorithm>
#include <cstdint>

namespace nv {

// A 64-bit result held to the 32-bit range.
constexpr int32_t Bounded(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Coordinate sums and differences, worked out in 64 bits and held to the
// 32-bit range: values read from damaged files may be anything, and a
// box at the far edge must stay there rather than come back round.
constexpr int32_t BoundedAdd(int32_t a, int32_t b) { return Bounded(int64_t{a} + b); }
constexpr int32_t BoundedSub(int32_t a, int32_t b) { return Bounded(int64_t{a} - b); }

// A point and an extent are the device layer's plain pairs, in document
// units here. The rectangle stays the model's own: its sums are held to the
// range, where the device layer's, in pixels of a page, need not be.
using Point = DcPoint;
using Size = DcSize;

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;

    // The box at a corner with an extent; the sums are held to the range,
    // as every coordinate sum is.
    static constexpr Rect At(int32_t x, int32_t y, int32_t width, int32_t height)
    {
        return Rect{x, y, BoundedAdd(x, width), BoundedAdd(y, height)};
    }

    int32_t Width() const { return BoundedSub(right, left); }
    int32_t Height() const { return BoundedSub(bottom, top); }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }

    void Normalize()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }
    Rect Normalized() const
    {
        Rect r = *this;
        r.Normalize();
        return r;
    }
    void Inflate(int32_t dx, int32_t dy)
    {
        left = BoundedSub(left, dx);
        top = BoundedSub(top, dy);
        right = BoundedAdd(right, dx);
        bottom = BoundedAdd(bottom, dy);
    }
    void Offset(int32_t dx, int32_t dy)
    {
        left = BoundedAdd(left, dx);
        right = BoundedAdd(right, dx);
        top = BoundedAdd(top, dy);
        bottom = BoundedAdd(bottom, dy);
    }
    // The intersection; an empty result is all zeros, as the platform gives.
    static Rect Intersect(const Rect& a, const Rect& b)
    {
        Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
        if (r.IsEmpty()) return Rect{};
        return r;
    }
};

} // namespace nv
