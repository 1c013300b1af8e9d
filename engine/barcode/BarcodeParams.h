#pragma once
// The parameter record shared by the barcode encoders and their callers.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// One bar in printer dots.
struct BarRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const BarRect&) const = default;
};

enum BarcodeSymbology : int32_t {
    kBarcodeCode39 = 1,
    kBarcodeJan13 = 2,
    kBarcodeJan8 = 3,
    kBarcodeItf = 4,
    kBarcodeNw7 = 5,
    kBarcodeCustomer = 6,
};

enum BarcodeWidthMode : int32_t {
    kWidthFit = 1,       // fit to the width
    kWidthTwo = 2,       // widths[0] bar addition, widths[1] least narrow width
    kWidthExplicit = 3,  // a full set of element widths in dots
    kWidthFitDevice = 4, // fit to the width at the device's resolution
};

inline constexpr int32_t kBarcodeErrLength = -1;
inline constexpr int32_t kBarcodeErrCharacter = -2;
inline constexpr int32_t kBarcodeErrParams = -4;
inline constexpr size_t kBarcodeExpandedSize = 105;

struct BarcodeParams {
    int32_t left = 0, top = 0;      // anchor, document units
    int32_t width = 0, height = 0;  // document units; width along the run
    int32_t orientation = 1;        // 1-4
    int32_t resolutionX = 0, resolutionY = 0;
    int32_t symbology = kBarcodeCode39;
    int32_t checkDigit = 1;
    int32_t widthMode = kWidthFit;
    std::vector<int32_t> widths;    // explicit widths (dots); its size is the width count
    std::string text;               // single-byte characters
    std::string* expandedText = nullptr; // optional: the text as encoded
    std::vector<BarRect>* bars = nullptr; // FitBarcode's output
    int32_t resultWidth = 0;        // output: extent the bars take, document units
};

} // namespace nv
