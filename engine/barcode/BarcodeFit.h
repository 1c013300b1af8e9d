#pragma once
// Barcode sizing: the logical elements of a text laid out as bar rectangles in
// printer dots, along one of four orientations.
#include "engine/barcode/BarcodeParams.h"

#include <cstdint>
#include <vector>

namespace nv {

// Number of bars (> 0), or -1 (length), -2 (character), -4 (parameter record).
// Fills the expanded text and the result width; stores no bars.
int32_t EncodeBarcode(BarcodeParams& params);

// 0 or the negative code; stores the bars into *params.bars (replacing its
// contents). Width modes 1 and 4 widen the working width until the bars fill
// the requested width to within 15000 document units, in at most 200 runs.
int32_t FitBarcode(BarcodeParams& params);

// Maps bars computed at one resolution onto a device of another (each
// coordinate times device dpi / bar dpi, in 64 bits, clamped to 32), so that
// a barcode keeps its physical size on every device. Non-positive
// resolutions leave the bars as they are.
void MapBars(std::vector<BarRect>& bars, int32_t barDpiX, int32_t barDpiY, int32_t deviceDpiX, int32_t deviceDpiY);

// Number of explicit widths a width-mode-3 set has for the symbology; 0 when
// the symbology is unknown.
int32_t ExplicitWidthCount(int32_t symbology);

// Unit helpers; conversions to integers truncate toward zero.
int32_t DocToHmm(int64_t docUnits);
int64_t HmmToDots(double hmm, int32_t resolution);
int32_t HmmToDoc(int64_t hmm);
int64_t DotsToDoc(int64_t dots, int32_t resolution);
int64_t DocToDots(int64_t docUnits, int32_t resolution);

} // namespace nv
