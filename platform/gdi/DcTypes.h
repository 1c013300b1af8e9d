#pragma once
// Plain value types of the device-context layer: integer device pixels,
// colours as 0x00BBGGRR, and the pen, brush and font descriptions a device
// context draws with. No toolkit types appear here, so that the engine and
// the picture code stay free of Qt.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

using ColorRef = uint32_t; // 0x00BBGGRR, as stored in forms and metafiles

constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t ColorRefRed(ColorRef c) { return uint8_t(c & 0xFF); }
constexpr uint8_t ColorRefGreen(ColorRef c) { return uint8_t((c >> 8) & 0xFF); }
constexpr uint8_t ColorRefBlue(ColorRef c) { return uint8_t((c >> 16) & 0xFF); }

struct DcPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const DcPoint&, const DcPoint&) = default;
};

struct DcSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const DcSize&, const DcSize&) = default;
};

// Right and bottom are exclusive, as everywhere in this layer.
struct DcRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const DcRect&, const DcRect&) = default;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    DcRect Normalized() const
    {
        DcRect r = *this;
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        return r;
    }
    DcRect Offset(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    DcRect Intersect(const DcRect& o) const
    {
        DcRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.IsEmpty() ? DcRect{} : r;
    }
};

// Pen styles keep the platform's PS_ values.
enum class PenStyle : int32_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Null = 5,
    InsideFrame = 6,
};

enum class PenCap : int32_t { Round = 0, Square = 1, Flat = 2 };
enum class PenJoin : int32_t { Round = 0, Bevel = 1, Miter = 2 };

// A width of 0 or 1 is one pixel. Wider pens have round caps and joins unless
// a metafile asked for others. Dashed styles draw with the fixed dash lengths
// of DashPattern (GdiRules.h), whatever the width.
struct DcPen {
    PenStyle style = PenStyle::Solid;
    int32_t width = 1;
    ColorRef colour = 0;
    PenCap cap = PenCap::Round;
    PenJoin join = PenJoin::Round;
    friend bool operator==(const DcPen&, const DcPen&) = default;
};

enum class BrushStyle : int32_t {
    Null = 0,
    Solid = 1,
    Pattern = 2, // 8x8 monochrome: 0 bits in the text colour, 1 bits in the background colour
    Hatch = 3,   // 8x8 hatch lines in the brush colour; the gaps follow the background mode
    Image = 4,   // a colour image tiled from the brush origin (metafile DIB pattern brushes)
};

// HS_ values.
enum class HatchStyle : int32_t {
    Horizontal = 0,
    Vertical = 1,
    FDiagonal = 2,
    BDiagonal = 3,
    Cross = 4,
    DiagCross = 5,
};

struct DcImage;

struct DcBrush {
    BrushStyle style = BrushStyle::Solid;
    ColorRef colour = 0;
    HatchStyle hatch = HatchStyle::Horizontal;
    // Pattern rows, top first; the most significant bit is the leftmost pixel.
    std::array<uint8_t, 8> pattern{};
    std::shared_ptr<const DcImage> image; // BrushStyle::Image
    friend bool operator==(const DcBrush& a, const DcBrush& b)
    {
        return a.style == b.style && a.colour == b.colour && a.hatch == b.hatch && a.pattern == b.pattern &&
               a.image == b.image;
    }
    static DcBrush Null() { return DcBrush{BrushStyle::Null, 0, HatchStyle::Horizontal, {}, nullptr}; }
    static DcBrush Solid(ColorRef c) { return DcBrush{BrushStyle::Solid, c, HatchStyle::Horizontal, {}, nullptr}; }
    static DcBrush Hatched(HatchStyle h, ColorRef c) { return DcBrush{BrushStyle::Hatch, c, h, {}, nullptr}; }
    static DcBrush Patterned(const std::array<uint8_t, 8>& rows)
    {
        return DcBrush{BrushStyle::Pattern, 0, HatchStyle::Horizontal, rows, nullptr};
    }
};

// A logical font as the platform's LOGFONT has it, in device pixels.
//  height < 0: the em size; height > 0: the cell height (ascent + descent of
//  the face's reference metrics); 0: a default of 12 pixels.
//  width != 0: the average character width (half an em for the Japanese
//  faces), applied as a horizontal scale; 0 keeps the natural width.
//  escapement: tenths of a degree, counterclockwise.
//  faceName: UTF-8 (convert CP932 model names with Cp932ToUtf8). Windows
//  face names are mapped to installed fonts by the implementation.
struct DcFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 128;
    uint8_t pitchAndFamily = 0;
    std::string faceName = "ＭＳ 明朝";
    friend bool operator==(const DcFont&, const DcFont&) = default;
};

// A plain 32-bit image: rows top first, each pixel 0xAARRGGBB (not
// premultiplied), width * height values. The picture code builds these from
// DIBs without any toolkit.
struct DcImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    DcImage() = default;
    DcImage(int32_t w, int32_t h, uint32_t fill = 0xFFFFFFFF)
        : width(w > 0 ? w : 0), height(h > 0 ? h : 0), pixels(size_t(width) * size_t(height), fill) {}
    bool IsNull() const { return width <= 0 || height <= 0; }
    uint32_t Pixel(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void SetPixel(int32_t x, int32_t y, uint32_t argb) { pixels[size_t(y) * size_t(width) + size_t(x)] = argb; }
    friend bool operator==(const DcImage&, const DcImage&) = default;
};

// ARGB pixel of a colour reference, opaque.
constexpr uint32_t ColorRefToArgb(ColorRef c)
{
    return 0xFF000000u | (uint32_t(ColorRefRed(c)) << 16) | (uint32_t(ColorRefGreen(c)) << 8) | ColorRefBlue(c);
}
constexpr ColorRef ArgbToColorRef(uint32_t argb)
{
    return MakeColorRef(uint8_t((argb >> 16) & 0xFF), uint8_t((argb >> 8) & 0xFF), uint8_t(argb & 0xFF));
}

struct DcTextMetrics {
    int32_t height = 0; // ascent + descent
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t internalLeading = 0;
    int32_t externalLeading = 0;
    int32_t aveCharWidth = 0;
    int32_t maxCharWidth = 0;
};

// Background modes: the platform's values.
enum class BkMode : int32_t { Transparent = 1, Opaque = 2 };
enum class PolyFillMode : int32_t { Alternate = 1, Winding = 2 };

// Text alignment flags: the platform's TA_ values.
constexpr uint32_t kTaNoUpdateCp = 0;
constexpr uint32_t kTaUpdateCp = 1;
constexpr uint32_t kTaLeft = 0;
constexpr uint32_t kTaRight = 2;
constexpr uint32_t kTaCenter = 6;
constexpr uint32_t kTaTop = 0;
constexpr uint32_t kTaBottom = 8;
constexpr uint32_t kTaBaseline = 24;

// ExtTextOut options: the platform's ETO_ values.
constexpr uint32_t kEtoOpaque = 0x0002;
constexpr uint32_t kEtoClipped = 0x0004;

// PolyDraw point types: the platform's PT_ values.
constexpr uint8_t kPtCloseFigure = 0x01;
constexpr uint8_t kPtLineTo = 0x02;
constexpr uint8_t kPtBezierTo = 0x04;
constexpr uint8_t kPtMoveTo = 0x06;

} // namespace nv
