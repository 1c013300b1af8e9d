#pragma once
// Plain geometry of the document model: 32-bit document units, rectangles
// stored as given (not necessarily normalised), like the Windows structures
// stored forms were written from.
#include <algorithm>
#include <cstdint>

namespace nv {

// 32-bit coordinate arithmetic that wraps like the platform's instead of
// being undefined: values read from damaged files may be anything.
constexpr int32_t WrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;

    // The box at a corner with an extent; the sums wrap, as every
    // coordinate sum does.
    static constexpr Rect At(int32_t x, int32_t y, int32_t width, int32_t height)
    {
        return Rect{x, y, WrapAdd(x, width), WrapAdd(y, height)};
    }

    int32_t Width() const { return WrapSub(right, left); }
    int32_t Height() const { return WrapSub(bottom, top); }
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
        left = WrapSub(left, dx);
        top = WrapSub(top, dy);
        right = WrapAdd(right, dx);
        bottom = WrapAdd(bottom, dy);
    }
    void Offset(int32_t dx, int32_t dy)
    {
        left = WrapAdd(left, dx);
        right = WrapAdd(right, dx);
        top = WrapAdd(top, dy);
        bottom = WrapAdd(bottom, dy);
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
