#pragma once
// Arithmetic shared by the shape classes. Values read from a file can be any
// 32-bit number, so sums are formed in 64 bits and wrap back as the stored
// 32-bit fields always did, never overflowing.
#include "engine/core/Geometry.h"

#include <cstdint>

namespace nv::shape {

inline int32_t Wrap(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}
inline int32_t Add(int32_t a, int64_t b) { return Wrap(int64_t{a} + b); }
inline int32_t Sub(int32_t a, int64_t b) { return Wrap(int64_t{a} - b); }
inline int32_t Half(int64_t v) { return Wrap(v / 2); }

// How far the pen reaches beyond the geometry: (line width + 3) / 2.
inline int64_t PenReach(int32_t lineWidth) { return (int64_t{lineWidth} + 3) / 2; }

inline Rect Inflated(Rect r, int64_t d)
{
    return Rect{Sub(r.left, d), Sub(r.top, d), Add(r.right, d), Add(r.bottom, d)};
}

} // namespace nv::shape
