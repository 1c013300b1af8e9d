#pragma once
// The metafile player's inside, shared by the files that play each group of
// records: record types, the checked record reader, the playback state and
// the player itself.
#include "engine/render/EmfPlayer.h"

#include "engine/render/DibImage.h"
#include "platform/gdi/GdiRules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace nv::emf {

// Record types.
enum : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_SETBRUSHORGEX = 13,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
    EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_CREATEPALETTE = 49, EMR_LINETO = 54, EMR_ARCTO = 55,
    EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64, EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68, EMR_FILLRGN = 71, EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77, EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
    EMR_CREATECOLORSPACE = 99, EMR_DELETECOLORSPACE = 101, EMR_ALPHABLEND = 114, EMR_TRANSPARENTBLT = 116,
    EMR_SMALLTEXTOUT = 108, EMR_CREATECOLORSPACEW = 122,
};

inline constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr int32_t kCoordLimit = 1 << 24;
constexpr int kMaxSaveDepth = 1024;

struct Bad {};  // a record that fails its checks

struct Matrix {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    void Apply(double x, double y, double& ox, double& oy) const
    {
        ox = x * m11 + y * m21 + dx;
        oy = x * m12 + y * m22 + dy;
    }
    // This transform, then `b`.
    Matrix Then(const Matrix& b) const
    {
        Matrix r;
        r.m11 = m11 * b.m11 + m12 * b.m21;
        r.m12 = m11 * b.m12 + m12 * b.m22;
        r.m21 = m21 * b.m11 + m22 * b.m21;
        r.m22 = m21 * b.m12 + m22 * b.m22;
        r.dx = dx * b.m11 + dy * b.m21 + b.dx;
        r.dy = dx * b.m12 + dy * b.m22 + b.dy;
        return r;
    }
};

inline int32_t Clamp(double v)
{
    if (!(v == v)) return 0;
    if (v > kCoordLimit) return kCoordLimit;
    if (v < -kCoordLimit) return -kCoordLimit;
    return static_cast<int32_t>(std::lround(v));
}

struct LogPen {
    uint32_t style = 0;
    int32_t width = 0;
    ColorRef colour = 0;
};

struct LogFont {
    int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 400;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 1, pitchAndFamily = 0;
    std::string face;  // UTF-8
};

struct Object {
    enum Kind { None, Pen, Brush, Font, Other } kind = None;
    LogPen pen;
    DcBrush brush;
    LogFont font;
};

struct PlayState {
    int32_t mapMode = 1;
    double wox = 0, woy = 0, wex = 1, wey = 1, vox = 0, voy = 0, vex = 1, vey = 1;
    Matrix world;
    LogPen pen;                         // BLACK_PEN
    DcBrush brush = DcBrush::Solid(0xFFFFFF);  // WHITE_BRUSH
    LogFont font;                       // SYSTEM_FONT
    int32_t arcDirection = 1;           // counterclockwise
    double cpx = 0, cpy = 0;
};

class Record {
public:
    Record(const uint8_t* p, uint32_t size) : p_(p), size_(size) {}
    uint32_t Size() const { return size_; }
    void Need(uint64_t end) const
    {
        if (end > size_) throw Bad{};
    }
    uint32_t U32(uint32_t off) const
    {
        Need(uint64_t(off) + 4);
        return uint32_t(p_[off]) | (uint32_t(p_[off + 1]) << 8) | (uint32_t(p_[off + 2]) << 16) |
               (uint32_t(p_[off + 3]) << 24);
    }
    int32_t I32(uint32_t off) const { return static_cast<int32_t>(U32(off)); }
    uint16_t U16(uint32_t off) const
    {
        Need(uint64_t(off) + 2);
        return uint16_t(p_[off] | (p_[off + 1] << 8));
    }
    int16_t I16(uint32_t off) const { return static_cast<int16_t>(U16(off)); }
    uint8_t U8(uint32_t off) const
    {
        Need(uint64_t(off) + 1);
        return p_[off];
    }
    double F32(uint32_t off) const
    {
        uint32_t bits = U32(off);
        float f;
        std::memcpy(&f, &bits, 4);
        if (!std::isfinite(f)) throw Bad{};
        return f;
    }
    const uint8_t* Bytes(uint64_t off, uint64_t n) const
    {
        Need(off + n);
        return p_ + off;
    }

private:
    const uint8_t* p_;
    uint32_t size_;
};

class Player {
public:
    Player(DeviceContext& dc, const EmfHeader& h, const DcRect& dst);

    void Run(const uint8_t* data, size_t size, bool& complete);

private:
    static uint32_t Le32(const uint8_t* p);

    // ---- mapping ------------------------------------------------------------
    void Update();

    // A point or box in logical units to device pixels, through the whole
    // mapping (world, page and frame).
    DcPoint ToDevice(double x, double y) const;
    bool AxisAligned() const { return std::fabs(full_.m12) < 1e-9 && std::fabs(full_.m21) < 1e-9; }
    double ScaleX() const { return std::hypot(full_.m11, full_.m12); }
    double ScaleY() const { return std::hypot(full_.m21, full_.m22); }
    DcRect ToDeviceRect(double l, double t, double r, double b) const;

    // ---- objects ------------------------------------------------------------
    void RealizePen();
    void RealizeBrush() { dc_.SelectBrush(st_.brush); }
    void RealizeFont();

    Object& Slot(uint32_t index);

    void SelectStock(uint32_t which);

    void Select(uint32_t index);

    // With `alpha`, a 32-bit uncompressed bitmap keeps its fourth byte as
    // alpha (premultiplied in the file, straight in the image).
    bool Bitmap(const Record& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits, DcImage& out,
                bool alpha = false);

    // The top left 8x8 bits of a 1-bit bitmap, top row first, read straight
    // from the bits: a monochrome brush paints its 0 bits in the text colour
    // and its 1 bits in the background colour whatever colour table (or none,
    // or palette indexes) the record carries. False for other bitmaps.
    static bool MonoRows(const Record& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                         std::array<uint8_t, 8>& rows);

    void CreateBrushFromDib(const Record& r, bool mono);

    // ---- geometry -----------------------------------------------------------
    // Points of a poly record: 32-bit POINTL or 16-bit POINTS.
    std::vector<DcPoint> Points(const Record& r, uint32_t off, uint32_t count, bool small,
                                std::vector<std::pair<double, double>>* logical = nullptr);

    void StrokeOrAddPolyline(const std::vector<DcPoint>& pts);

    void FillOrAddPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts);

    void Beziers(const std::vector<DcPoint>& pts, bool fromCurrent);

    // Logical points along an arc of the ellipse in the box, counterclockwise
    // on the page (clockwise with the arc direction set so). A mapping that
    // mirrors the page (y up, say) turns the logical sense round.
    std::vector<std::pair<double, double>> ArcLogical(double l, double t, double r, double b, double sx, double sy,
                                                      double ex, double ey) const;

    void ArcRecord(uint32_t type, const Record& r);

    void AppendElement(const DcPath::Element& e, bool joinCurrent);

    void EllipsePath(double l, double t, double r, double b, DcPath& p) const;

    void BoxRecord(uint32_t type, const Record& r);

    void PolyDraw(const Record& r, bool small);

    void PolyRecord(uint32_t type, const Record& r);

    void PolyPolyRecord(uint32_t type, const Record& r);

    // ---- regions and clipping ------------------------------------------------
    // Rectangles of an RGNDATA at `off`, at most `limit` bytes long.
    std::vector<DcRect> RegionRects(const Record& r, uint32_t off, uint32_t limit, bool logical);

    static DcRect BoundsOf(const std::vector<DcRect>& rects);

    // Region operations as far as rectangle clipping reaches: exact for the
    // one-rectangle regions metafiles mostly hold, bounds otherwise.
    void ClipRegion(uint32_t mode, const std::vector<DcRect>& rects);

    void ResetClip();

    static DcRect PathBounds(const DcPath& p);

    // ---- bitmaps --------------------------------------------------------------
    static bool IsPlainRop(uint32_t rop);

    // Without a raster surface, operations other than a copy are played with
    // the source's neutral colour made transparent (white for AND, black for
    // OR and XOR), which keeps the mask-then-image idiom right.
    static void ApplyRop(uint32_t rop, DcImage& img);

    // The ternary raster operation: bit i of the code's index byte is the
    // result for pattern, source and destination bits (P << 2 | S << 1 | D).
    static uint32_t Ternary(uint8_t code, uint32_t p, uint32_t s, uint32_t d);

    // Combines source, brush and what the surface holds, pixel by pixel.
    void RopOnSurface(const DcRect& dst, const DcImage* img, const DcRect& src, uint32_t rop);

    void Blit(const DcRect& dst, DcImage& img, double sx, double sy, double sw, double sh, uint32_t rop);

    void PatternBlit(const DcRect& dst, uint32_t rop);

    void BitBltRecord(uint32_t type, const Record& r);

    // Alpha blending (constant and per-pixel alpha) and colour-keyed copies:
    // both draw straight onto any device, as images with transparency.
    void BlendRecord(uint32_t type, const Record& r);

    void StretchDibRecord(uint32_t type, const Record& r);

    void SetDiBitsRecord(uint32_t type, const Record& r);

    // ---- text -------------------------------------------------------------------
    void TextRecord(uint32_t type, const Record& r);

    // The compact text record: no advances; characters 16-bit, or 8-bit low
    // bytes of UTF-16 with ETO_SMALL_CHARS; a clip rectangle unless ETO_NO_RECT.
    void SmallTextRecord(uint32_t type, const Record& r);

    // ---- records ------------------------------------------------------------
    // One handler per group of records; the table maps each type to one.
    using Handler = void (Player::*)(uint32_t type, const Record& r);
    static constexpr size_t kRecordTypes = 123;
    static const std::array<Handler, kRecordTypes>& Handlers();
    void Dispatch(uint32_t type, const Record& r);

    void OnHeader(uint32_t, const Record&) { throw Bad{}; }  // only the first record may be one
    void OnPolyDraw(uint32_t type, const Record& r) { PolyDraw(r, type == EMR_POLYDRAW16); }
    void OnMapping(uint32_t type, const Record& r);
    void OnDcState(uint32_t type, const Record& r);
    void OnPenMoves(uint32_t type, const Record& r);
    void OnObject(uint32_t type, const Record& r);
    void OnPath(uint32_t type, const Record& r);
    void OnClip(uint32_t type, const Record& r);

    DeviceContext& dc_;
    double pxPerMmX_ = 1, pxPerMmY_ = 1;
    Matrix frame_;
    Matrix full_;
    PlayState st_;
    std::vector<PlayState> stack_;
    std::vector<Object> table_;
    bool inPath_ = false;
    DcPath path_;
    std::optional<DcRect> initialClip_;

    // Each combined operation reads the whole surface back; past this many the
    // rest are drawn as without a surface, so a hostile file cannot stall a page.
    static constexpr int kMaxRopsOnSurface = 256;
    int ropsOnSurface_ = 0;

    // Takes `pixels` from the play's budget; false (the record is skipped)
    // when they do not fit.
    bool SpendPixels(uint64_t pixels);

public:
    RasterSurface* surface_ = nullptr;  // set when playing into an offscreen surface
    EmfPlayer::Stats stats_;
};

} // namespace nv::emf
