#pragma once
// The pattern that stands for a barcode on the screen: barcodes are encoded
// only when printed.
#include <cstdint>

#include "platform/gdi/DeviceContext.h"

namespace nv {

// Draws with the selected pen and brush. `orientation` 1-4 (1 and 3 run
// the bars along x), `symbology` 1-6 (6 the customer barcode), `zoom` in
// percent; `bound` in device pixels.
void DrawBarcodePlaceholder(DeviceContext& dc, const DcRect& bound, int32_t orientation, int32_t symbology,
                            int32_t zoom);

} // namespace nv
