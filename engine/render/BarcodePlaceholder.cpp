#include "engine/render/BarcodePlaceholder.h"

#include <algorithm>

namespace nv {

namespace {

// One strip from `along` to `along + thick` across [a0, a1).
void Strip(DeviceContext& dc, bool horizontalRun, int32_t along, int32_t thick, int32_t a0, int32_t a1)
{
    if (horizontalRun) {
        dc.Rectangle({along, a0, along + thick, a1});
    } else {
        dc.Rectangle({a0, along, a1, along + thick});
    }
}

} // namespace

void DrawBarcodePlaceholder(DeviceContext& dc, const DcRect& box, int32_t orientation, int32_t symbology,
                            int32_t zoom)
{
    DcRect r = box.Normalized();
    bool horizontalRun = orientation == 1 || orientation == 3 || orientation < 1 || orientation > 4;
    int32_t start = horizontalRun ? r.left : r.top;
    int32_t end = horizontalRun ? r.right : r.bottom;
    int32_t a0 = horizontalRun ? r.top : r.left;
    int32_t a1 = horizontalRun ? r.bottom : r.right;
    if (end <= start || a1 <= a0) return;
    int32_t z = std::max(0, zoom);

    if (symbology == 6) {
        int32_t h = a1 - a0;
        int32_t width = std::max(1, h / 6);
        int32_t pitch = std::max(1, h / 3);
        static const int kHead[3] = {1, 3, 2};
        static const int kBody[18] = {3, 2, 4, 2, 1, 3, 3, 4, 2, 1, 2, 3, 3, 4, 2, 2, 3, 1};
        bool swap = orientation == 2 || orientation == 3;
        int32_t third = h / 3;
        int i = 0;
        for (int32_t p = start; p < end; p += pitch, ++i) {
            int kind = i < 3 ? kHead[i] : kBody[(i - 3) % 18];
            if (swap && (kind == 2 || kind == 3)) kind = 5 - kind;
            int32_t lo = a0, hi = a1;
            switch (kind) {
            case 2: hi = a1 - third; break;        // the upper two thirds
            case 3: lo = a0 + third; break;        // the lower two thirds
            case 4: lo = a0 + third; hi = a1 - third; break;
            default: break;
            }
            Strip(dc, horizontalRun, p, width, lo, hi);
        }
        return;
    }

    int32_t thin = std::max(1, z / 100);
    int32_t step = std::max(1, z / 25);
    for (int32_t p = start; p < end; p += step) Strip(dc, horizontalRun, p, thin, a0, a1);
    int32_t thick = z / 50 == 0 ? 2 : z / 50;
    int32_t every = std::max(1, z * 12 / 100);
    for (int32_t p = start + z / 100; p <= end; p += every) Strip(dc, horizontalRun, p, thick, a0, a1);
}

} // namespace nv
