#include "engine/render/EmfPlayer.h"

#include "engine/render/DibImage.h"
#include "platform/gdi/GdiRules.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace nv {
namespace {

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

constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
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

int32_t Clamp(double v)
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
    Player(DeviceContext& dc, const EmfHeader& h, const DcRect& dst) : dc_(dc)
    {
        table_.resize(std::max<size_t>(h.handles, 1));
        // The frame, in reference-device pixels, is mapped onto dst.
        const double pxPerMmX = h.millimeters.cx > 0 ? double(h.device.cx) / h.millimeters.cx : 1;
        const double pxPerMmY = h.millimeters.cy > 0 ? double(h.device.cy) / h.millimeters.cy : 1;
        double fl = h.frame.left * pxPerMmX / 100, ft = h.frame.top * pxPerMmY / 100;
        double fr = h.frame.right * pxPerMmX / 100, fb = h.frame.bottom * pxPerMmY / 100;
        if (!(fr > fl) || !(fb > ft)) {
            fl = h.bounds.left;
            ft = h.bounds.top;
            fr = h.bounds.right + 1.0;
            fb = h.bounds.bottom + 1.0;
        }
        pxPerMmX_ = pxPerMmX;
        pxPerMmY_ = pxPerMmY;
        if (fr > fl && fb > ft) {
            frame_.m11 = double(dst.right - dst.left) / (fr - fl);
            frame_.m22 = double(dst.bottom - dst.top) / (fb - ft);
            frame_.dx = dst.left - fl * frame_.m11;
            frame_.dy = dst.top - ft * frame_.m22;
        } else {
            frame_.m11 = frame_.m22 = 0;
        }
        DcRect clip;
        if (dc_.State().clip && dc_.GetClipBox(&clip)) initialClip_ = clip;
        Update();
    }

    void Run(const uint8_t* data, size_t size, bool& complete)
    {
        size_t off = 0;
        complete = false;
        while (off + 8 <= size) {
            const uint32_t type = Le32(data + off);
            const uint32_t recSize = Le32(data + off + 4);
            if (recSize < 8 || recSize % 4 != 0 || recSize > size - off) return;
            if (type == EMR_EOF) {
                complete = true;
                return;
            }
            try {
                if (off != 0 || type != EMR_HEADER) Dispatch(type, Record(data + off, recSize));
            } catch (const Bad&) {
                return;
            } catch (const std::bad_alloc&) {
                return;
            }
            off += recSize;
        }
    }

private:
    static uint32_t Le32(const uint8_t* p)
    {
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    }

    // ---- mapping ------------------------------------------------------------
    void Update()
    {
        Matrix page;
        double sx = 1, sy = 1;
        switch (st_.mapMode) {
        case 2: sx = 0.1 * pxPerMmX_; sy = -0.1 * pxPerMmY_; break;      // 0.1 mm
        case 3: sx = 0.01 * pxPerMmX_; sy = -0.01 * pxPerMmY_; break;    // 0.01 mm
        case 4: sx = 0.254 * pxPerMmX_; sy = -0.254 * pxPerMmY_; break;  // 0.01 inch
        case 5: sx = 0.0254 * pxPerMmX_; sy = -0.0254 * pxPerMmY_; break;
        case 6: sx = 25.4 / 1440 * pxPerMmX_; sy = -25.4 / 1440 * pxPerMmY_; break;
        case 7:
        case 8:
            sx = st_.vex / st_.wex;
            sy = st_.vey / st_.wey;
            if (st_.mapMode == 7) {  // isotropic: the smaller scale on both axes
                const double m = std::min(std::fabs(sx), std::fabs(sy));
                sx = sx < 0 ? -m : m;
                sy = sy < 0 ? -m : m;
            }
            break;
        default: break;
        }
        page.m11 = sx;
        page.m22 = sy;
        page.dx = st_.vox - st_.wox * sx;
        page.dy = st_.voy - st_.woy * sy;
        full_ = st_.world.Then(page).Then(frame_);
    }

    DcPoint T(double x, double y) const
    {
        double ox, oy;
        full_.Apply(x, y, ox, oy);
        return {Clamp(ox), Clamp(oy)};
    }
    bool AxisAligned() const { return std::fabs(full_.m12) < 1e-9 && std::fabs(full_.m21) < 1e-9; }
    double ScaleX() const { return std::hypot(full_.m11, full_.m12); }
    double ScaleY() const { return std::hypot(full_.m21, full_.m22); }
    DcRect TRect(double l, double t, double r, double b) const
    {
        DcPoint a = T(l, t), c = T(r, b), p2 = T(r, t), p3 = T(l, b);
        DcRect out{std::min({a.x, c.x, p2.x, p3.x}), std::min({a.y, c.y, p2.y, p3.y}),
                   std::max({a.x, c.x, p2.x, p3.x}), std::max({a.y, c.y, p2.y, p3.y})};
        return out;
    }

    // ---- objects ------------------------------------------------------------
    void RealizePen()
    {
        const LogPen& p = st_.pen;
        DcPen pen;
        switch (p.style & 0xF) {
        case 1: pen.style = PenStyle::Dash; break;
        case 2: case 8: pen.style = PenStyle::Dot; break;
        case 3: pen.style = PenStyle::DashDot; break;
        case 4: pen.style = PenStyle::DashDotDot; break;
        case 5: pen.style = PenStyle::Null; break;
        case 6: pen.style = PenStyle::InsideFrame; break;
        default: pen.style = PenStyle::Solid; break;
        }
        const bool geometric = (p.style & 0xF0000) == 0x10000;
        const double scale = std::sqrt(std::fabs(full_.m11 * full_.m22 - full_.m12 * full_.m21));
        pen.width = p.width <= 0 ? 1 : std::max(1, Clamp(p.width * scale));
        pen.colour = p.colour & 0xFFFFFF;
        if (geometric) {
            const uint32_t cap = (p.style >> 8) & 0xF, join = (p.style >> 12) & 0xF;
            pen.cap = cap == 1 ? PenCap::Square : cap == 2 ? PenCap::Flat : PenCap::Round;
            pen.join = join == 1 ? PenJoin::Bevel : join == 2 ? PenJoin::Miter : PenJoin::Round;
        }
        dc_.SelectPen(pen);
    }
    void RealizeBrush() { dc_.SelectBrush(st_.brush); }
    void RealizeFont()
    {
        const LogFont& f = st_.font;
        DcFont font;
        font.height = Clamp(f.height * ScaleY());
        font.width = Clamp(f.width * ScaleX());
        // The angle of the mapped x axis turns the text with the picture.
        const double turn = std::atan2(-full_.m12, full_.m11) * 1800.0 / M_PI;
        long esc = std::lround(f.escapement + turn) % 3600;
        if (esc < 0) esc += 3600;
        font.escapement = static_cast<int32_t>(esc);
        font.orientation = font.escapement;
        font.weight = f.weight;
        font.italic = f.italic != 0;
        font.underline = f.underline != 0;
        font.strikeOut = f.strikeOut != 0;
        font.charSet = f.charSet;
        font.pitchAndFamily = f.pitchAndFamily;
        if (!f.face.empty()) font.faceName = f.face;
        dc_.SelectFont(font);
    }

    Object& Slot(uint32_t index)
    {
        if (index == 0 || index >= table_.size()) throw Bad{};
        return table_[index];
    }

    void SelectStock(uint32_t which)
    {
        switch (which) {
        case 0: st_.brush = DcBrush::Solid(0xFFFFFF); break;
        case 1: st_.brush = DcBrush::Solid(0xC0C0C0); break;
        case 2: st_.brush = DcBrush::Solid(0x808080); break;
        case 3: st_.brush = DcBrush::Solid(0x404040); break;
        case 4: st_.brush = DcBrush::Solid(0); break;
        case 5: st_.brush = DcBrush::Null(); break;
        case 6: st_.pen = LogPen{0, 0, 0xFFFFFF}; break;
        case 7: st_.pen = LogPen{0, 0, 0}; break;
        case 8: st_.pen = LogPen{5, 0, 0}; break;
        case 10: case 11: case 12: case 13: case 14: case 16: case 17: st_.font = LogFont{}; break;
        default: break;  // palettes, DC pen and brush: nothing to draw with
        }
    }

    void Select(uint32_t index)
    {
        if (index & 0x80000000u) {
            SelectStock(index & 0x7FFFFFFFu);
            return;
        }
        const Object& o = Slot(index);
        switch (o.kind) {
        case Object::Pen: st_.pen = o.pen; break;
        case Object::Brush: st_.brush = o.brush; break;
        case Object::Font: st_.font = o.font; break;
        default: break;
        }
    }

    // With `alpha`, a 32-bit uncompressed bitmap keeps its fourth byte as
    // alpha (premultiplied in the file, straight in the image).
    bool Bitmap(const Record& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits, DcImage& out,
                bool alpha = false)
    {
        const uint8_t* bmi = r.Bytes(offBmi, cbBmi);
        const uint8_t* bits = r.Bytes(offBits, cbBits);
        if (cbBmi == 0) return false;
        std::vector<uint8_t> packed(bmi, bmi + cbBmi);
        packed.insert(packed.end(), bits, bits + cbBits);
        if (!DibToImage(packed.data(), packed.size(), out, cbBmi, true, EmfPlayer::kMaxBitmapPixels)) return false;
        DibInfo info;
        if (!alpha || DibReader::Parse(packed.data(), packed.size(), info, cbBmi, true) != DibStatus::Ok ||
            info.bitCount != 32 || info.compression != 0)
            return true;
        const uint64_t stride = uint64_t(info.width) * 4;
        for (int32_t y = 0; y < out.height; ++y) {
            const uint8_t* row = packed.data() + info.bitsOffset + stride * uint64_t(info.topDown ? y : out.height - 1 - y);
            for (int32_t x = 0; x < out.width; ++x) {
                const uint8_t* px = row + 4 * size_t(x);
                const uint32_t a = px[3];
                auto straight = [a](uint32_t c) { return a == 0 ? 0u : std::min<uint32_t>(255, c * 255 / a); };
                out.SetPixel(x, y, (a << 24) | (straight(px[2]) << 16) | (straight(px[1]) << 8) | straight(px[0]));
            }
        }
        return true;
    }

    // The top left 8x8 bits of a 1-bit bitmap, top row first, read straight
    // from the bits: a monochrome brush paints its 0 bits in the text colour
    // and its 1 bits in the background colour whatever colour table (or none,
    // or palette indexes) the record carries. False for other bitmaps.
    static bool MonoRows(const Record& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                         std::array<uint8_t, 8>& rows)
    {
        if (cbBmi < 12) return false;
        const uint32_t hs = r.U32(offBmi);
        int64_t width, height;
        uint32_t bitCount, compression = 0;
        if (hs == 12) {
            width = r.U16(offBmi + 4);
            height = r.U16(offBmi + 6);
            bitCount = r.U16(offBmi + 10);
        } else {
            if (hs < 40 || cbBmi < 40) return false;
            width = r.I32(offBmi + 4);
            height = r.I32(offBmi + 8);
            bitCount = r.U16(offBmi + 14);
            compression = r.U32(offBmi + 16);
        }
        if (bitCount != 1 || compression != 0 || width <= 0 || height == 0 || height == INT32_MIN) return false;
        const bool topDown = height < 0;
        if (topDown) height = -height;
        const uint64_t stride = (uint64_t(width) + 31) / 32 * 4;
        const int64_t usedRows = std::min<int64_t>(height, 8);
        if (stride * uint64_t(usedRows) > cbBits) return false;
        rows.fill(0);
        for (int y = 0; y < 8; ++y) {
            const int64_t row = y % usedRows;
            // Bottom-up bitmaps store their top row last; only rows within
            // the bits' size are read.
            const int64_t stored = topDown ? row : height - 1 - row;
            if (uint64_t(stored + 1) * stride > cbBits) return false;
            const uint8_t* line = r.Bytes(uint64_t(offBits) + uint64_t(stored) * stride, stride);
            for (int x = 0; x < 8; ++x) {
                const int64_t col = x % width;
                if ((line[col / 8] >> (7 - col % 8)) & 1) rows[size_t(y)] |= uint8_t(0x80 >> x);
            }
        }
        return true;
    }

    void CreateBrushFromDib(const Record& r, bool mono)
    {
        Object& o = Slot(r.U32(8));
        DcImage img;
        o = Object{};
        o.kind = Object::Brush;
        std::array<uint8_t, 8> bits{};
        if (mono && MonoRows(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), bits)) {
            o.brush = DcBrush::Patterned(bits);
            return;
        }
        if (!Bitmap(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), img)) {
            o.brush = DcBrush::Solid(0);
            return;
        }
        if (mono) {
            std::array<uint8_t, 8> rows{};
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    uint32_t p = img.Pixel(x % img.width, y % img.height);
                    uint32_t lum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
                    if (lum > 381) rows[y] |= uint8_t(0x80 >> x);
                }
            o.brush = DcBrush::Patterned(rows);
        } else {
            o.brush = DcBrush{BrushStyle::Image, 0, HatchStyle::Horizontal, {}, std::make_shared<DcImage>(std::move(img))};
        }
    }

    // ---- geometry -----------------------------------------------------------
    // Points of a poly record: 32-bit POINTL or 16-bit POINTS.
    std::vector<DcPoint> Points(const Record& r, uint32_t off, uint32_t count, bool small,
                                std::vector<std::pair<double, double>>* logical = nullptr)
    {
        const uint32_t step = small ? 4 : 8;
        r.Need(uint64_t(off) + uint64_t(count) * step);
        std::vector<DcPoint> pts;
        pts.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t o = off + i * step;
            double x = small ? r.I16(o) : r.I32(o);
            double y = small ? r.I16(o + 2) : r.I32(o + 4);
            if (logical) logical->push_back({x, y});
            pts.push_back(T(x, y));
        }
        return pts;
    }

    void StrokeOrAddPolyline(const std::vector<DcPoint>& pts)
    {
        if (pts.empty()) return;
        if (inPath_) {
            path_.MoveTo(pts[0]);
            for (size_t i = 1; i < pts.size(); ++i) path_.LineTo(pts[i]);
            return;
        }
        RealizePen();
        dc_.Polyline(pts.data(), pts.size());
    }

    void FillOrAddPolygons(const std::vector<DcPoint>& pts, const std::vector<int32_t>& counts)
    {
        if (inPath_) {
            size_t at = 0;
            for (int32_t c : counts) {
                if (c <= 0) continue;
                path_.MoveTo(pts[at]);
                for (int32_t i = 1; i < c; ++i) path_.LineTo(pts[at + i]);
                path_.Close();
                at += c;
            }
            return;
        }
        RealizePen();
        RealizeBrush();
        dc_.PolyPolygon(pts.data(), counts.data(), counts.size());
    }

    void Beziers(const std::vector<DcPoint>& pts, bool fromCurrent)
    {
        std::vector<DcPoint> all;
        if (fromCurrent) all.push_back(T(st_.cpx, st_.cpy));
        all.insert(all.end(), pts.begin(), pts.end());
        if (all.size() < 4) return;
        const size_t n = 1 + (all.size() - 1) / 3 * 3;
        if (inPath_) {
            if (!fromCurrent || path_.IsEmpty()) path_.MoveTo(all[0]);
            for (size_t i = 1; i + 2 < n; i += 3) path_.BezierTo(all[i], all[i + 1], all[i + 2]);
            return;
        }
        RealizePen();
        dc_.PolyBezier(all.data(), n);
    }

    // Logical points along an arc of the ellipse in the box, counterclockwise
    // on the page (clockwise with the arc direction set so). A mapping that
    // mirrors the page (y up, say) turns the logical sense round.
    std::vector<std::pair<double, double>> ArcLogical(double l, double t, double r, double b, double sx, double sy,
                                                      double ex, double ey) const
    {
        const bool mirrored = full_.m11 * full_.m22 - full_.m12 * full_.m21 < 0;
        const bool clockwise = (st_.arcDirection == 2) != mirrored;
        const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
        std::vector<std::pair<double, double>> out;
        if (rx <= 0 || ry <= 0) return out;
        double a0 = std::atan2(-(sy - cy) / ry, (sx - cx) / rx);
        double a1 = std::atan2(-(ey - cy) / ry, (ex - cx) / rx);
        double sweep = a1 - a0;
        if (clockwise) {
            while (sweep >= 0) sweep -= 2 * M_PI;
        } else {
            while (sweep <= 0) sweep += 2 * M_PI;
        }
        const int steps = std::max(8, static_cast<int>(std::fabs(sweep) / (2 * M_PI) * 64));
        for (int i = 0; i <= steps; ++i) {
            const double a = a0 + sweep * i / steps;
            out.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
        }
        return out;
    }

    void ArcRecord(uint32_t type, const Record& r)
    {
        const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
        const double sx = r.I32(24), sy = r.I32(28), ex = r.I32(32), ey = r.I32(36);
        if (type == EMR_ARCTO || inPath_ || !AxisAligned()) {
            auto pts = ArcLogical(l, t, rr, b, sx, sy, ex, ey);
            if (pts.empty()) return;
            DcPath p;
            const bool closed = type == EMR_CHORD || type == EMR_PIE;
            if (type == EMR_ARCTO) {
                p.MoveTo(T(st_.cpx, st_.cpy));
                p.LineTo(T(pts[0].first, pts[0].second));
            } else if (type == EMR_PIE) {
                p.MoveTo(T((l + rr) / 2, (t + b) / 2));
                p.LineTo(T(pts[0].first, pts[0].second));
            } else {
                p.MoveTo(T(pts[0].first, pts[0].second));
            }
            for (size_t i = 1; i < pts.size(); ++i) p.LineTo(T(pts[i].first, pts[i].second));
            if (closed) p.Close();
            if (type == EMR_ARCTO) {
                st_.cpx = pts.back().first;
                st_.cpy = pts.back().second;
            }
            if (inPath_) {
                for (const auto& e : p.Elements()) AppendElement(e, type == EMR_ARCTO);
                return;
            }
            RealizePen();
            RealizeBrush();
            dc_.DrawPath(p, closed, true);
            if (type == EMR_ARCTO) dc_.MoveTo(T(st_.cpx, st_.cpy).x, T(st_.cpx, st_.cpy).y);
            return;
        }
        DcRect box = TRect(l, t, rr, b);
        DcPoint s = T(sx, sy), e = T(ex, ey);
        if (st_.arcDirection == 2) std::swap(s, e);
        RealizePen();
        RealizeBrush();
        if (type == EMR_ARC) dc_.Arc(box, s, e);
        else if (type == EMR_CHORD) dc_.Chord(box, s, e);
        else dc_.Pie(box, s, e);
    }

    void AppendElement(const DcPath::Element& e, bool joinCurrent)
    {
        switch (e.op) {
        case DcPath::Op::MoveTo:
            if (joinCurrent && !path_.IsEmpty()) path_.LineTo(e.p[0]);
            else path_.MoveTo(e.p[0]);
            break;
        case DcPath::Op::LineTo: path_.LineTo(e.p[0]); break;
        case DcPath::Op::BezierTo: path_.BezierTo(e.p[0], e.p[1], e.p[2]); break;
        case DcPath::Op::Close: path_.Close(); break;
        }
    }

    void EllipsePath(double l, double t, double r, double b, DcPath& p) const
    {
        const double k = 0.5522847498;
        const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
        p.MoveTo(T(cx + rx, cy));
        p.BezierTo(T(cx + rx, cy - ry * k), T(cx + rx * k, cy - ry), T(cx, cy - ry));
        p.BezierTo(T(cx - rx * k, cy - ry), T(cx - rx, cy - ry * k), T(cx - rx, cy));
        p.BezierTo(T(cx - rx, cy + ry * k), T(cx - rx * k, cy + ry), T(cx, cy + ry));
        p.BezierTo(T(cx + rx * k, cy + ry), T(cx + rx, cy + ry * k), T(cx + rx, cy));
        p.Close();
    }

    void BoxRecord(uint32_t type, const Record& r)
    {
        const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
        if (inPath_ || !AxisAligned()) {
            DcPath p;
            if (type == EMR_ELLIPSE) {
                EllipsePath(l, t, rr, b, p);
            } else {
                p.MoveTo(T(l, t));
                p.LineTo(T(rr, t));
                p.LineTo(T(rr, b));
                p.LineTo(T(l, b));
                p.Close();
            }
            if (inPath_) {
                for (const auto& e : p.Elements()) AppendElement(e, false);
                return;
            }
            RealizePen();
            RealizeBrush();
            dc_.DrawPath(p, true, true);
            return;
        }
        const DcRect box = TRect(l, t, rr, b);
        RealizePen();
        RealizeBrush();
        if (type == EMR_ELLIPSE) {
            dc_.Ellipse(box);
        } else if (type == EMR_ROUNDRECT) {
            dc_.RoundRect(box, Clamp(r.I32(24) * ScaleX()), Clamp(r.I32(28) * ScaleY()));
        } else {
            dc_.Rectangle(box);
        }
    }

    void PolyDraw(const Record& r, bool small)
    {
        const uint32_t count = r.U32(24);
        const uint32_t step = small ? 4 : 8;
        r.Need(28 + uint64_t(count) * step + count);
        std::vector<std::pair<double, double>> logical;
        auto pts = Points(r, 28, count, small, &logical);
        const uint8_t* types = r.Bytes(28 + uint64_t(count) * step, count);
        DcPath p;
        p.MoveTo(T(st_.cpx, st_.cpy));
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t kind = types[i] & ~kPtCloseFigure;
            if (kind == kPtMoveTo) {
                p.MoveTo(pts[i]);
            } else if (kind == kPtLineTo) {
                p.LineTo(pts[i]);
            } else if (kind == kPtBezierTo) {
                if (i + 2 >= count || (types[i + 1] & ~kPtCloseFigure) != kPtBezierTo ||
                    (types[i + 2] & ~kPtCloseFigure) != kPtBezierTo)
                    throw Bad{};
                p.BezierTo(pts[i], pts[i + 1], pts[i + 2]);
                i += 2;
            } else {
                throw Bad{};
            }
            if (types[i] & kPtCloseFigure) p.Close();
        }
        if (count > 0) {
            st_.cpx = logical.back().first;
            st_.cpy = logical.back().second;
        }
        if (inPath_) {
            bool first = true;
            for (const auto& e : p.Elements()) {
                AppendElement(e, first);
                first = false;
            }
            return;
        }
        RealizePen();
        dc_.DrawPath(p, false, true);
        dc_.MoveTo(T(st_.cpx, st_.cpy).x, T(st_.cpx, st_.cpy).y);
    }

    void PolyRecord(uint32_t type, const Record& r)
    {
        const bool small = type >= EMR_POLYBEZIER16 && type <= EMR_POLYLINETO16;
        const uint32_t base = small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type;
        const uint32_t count = r.U32(24);
        std::vector<std::pair<double, double>> logical;
        auto pts = Points(r, 28, count, small, &logical);
        switch (base) {
        case EMR_POLYLINE: StrokeOrAddPolyline(pts); break;
        case EMR_POLYGON:
            if (!pts.empty()) FillOrAddPolygons(pts, {static_cast<int32_t>(pts.size())});
            break;
        case EMR_POLYBEZIER: Beziers(pts, false); break;
        case EMR_POLYBEZIERTO: Beziers(pts, true); break;
        case EMR_POLYLINETO: {
            std::vector<DcPoint> all{T(st_.cpx, st_.cpy)};
            all.insert(all.end(), pts.begin(), pts.end());
            if (inPath_) {
                if (path_.IsEmpty()) path_.MoveTo(all[0]);
                for (size_t i = 1; i < all.size(); ++i) path_.LineTo(all[i]);
            } else {
                StrokeOrAddPolyline(all);
            }
            break;
        }
        default: break;
        }
        if ((base == EMR_POLYLINETO || base == EMR_POLYBEZIERTO) && !logical.empty()) {
            st_.cpx = logical.back().first;
            st_.cpy = logical.back().second;
            if (!inPath_) {
                const DcPoint cp = T(st_.cpx, st_.cpy);
                dc_.MoveTo(cp.x, cp.y);
            }
        }
    }

    void PolyPolyRecord(uint32_t type, const Record& r)
    {
        const bool small = type == EMR_POLYPOLYLINE16 || type == EMR_POLYPOLYGON16;
        const uint32_t polys = r.U32(24);
        const uint32_t count = r.U32(28);
        r.Need(32 + uint64_t(polys) * 4);
        std::vector<int32_t> counts;
        counts.reserve(polys);
        uint64_t sum = 0;
        for (uint32_t i = 0; i < polys; ++i) {
            const uint32_t c = r.U32(32 + i * 4);
            sum += c;
            counts.push_back(static_cast<int32_t>(c));
        }
        if (sum > count) throw Bad{};
        auto pts = Points(r, 32 + polys * 4, count, small);
        if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16) {
            FillOrAddPolygons(pts, counts);
            return;
        }
        size_t at = 0;
        for (int32_t c : counts) {
            StrokeOrAddPolyline(std::vector<DcPoint>(pts.begin() + at, pts.begin() + at + c));
            at += c;
        }
    }

    // ---- regions and clipping ------------------------------------------------
    // Rectangles of an RGNDATA at `off`, at most `limit` bytes long.
    std::vector<DcRect> RegionRects(const Record& r, uint32_t off, uint32_t limit, bool logical)
    {
        const uint32_t count = r.U32(off + 8);
        if (32 + uint64_t(count) * 16 > limit) throw Bad{};
        r.Need(uint64_t(off) + 32 + uint64_t(count) * 16);
        std::vector<DcRect> rects;
        rects.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t o = off + 32 + i * 16;
            const double l = r.I32(o), t = r.I32(o + 4), rr = r.I32(o + 8), b = r.I32(o + 12);
            if (logical) {
                rects.push_back(TRect(l, t, rr, b));
            } else {  // device units of the reference device: only the frame mapping applies
                double x0, y0, x1, y1;
                frame_.Apply(l, t, x0, y0);
                frame_.Apply(rr, b, x1, y1);
                rects.push_back(DcRect{Clamp(std::min(x0, x1)), Clamp(std::min(y0, y1)), Clamp(std::max(x0, x1)),
                                       Clamp(std::max(y0, y1))});
            }
        }
        return rects;
    }

    static DcRect BoundsOf(const std::vector<DcRect>& rects)
    {
        DcRect b = rects.front();
        for (const auto& r : rects) {
            b.left = std::min(b.left, r.left);
            b.top = std::min(b.top, r.top);
            b.right = std::max(b.right, r.right);
            b.bottom = std::max(b.bottom, r.bottom);
        }
        return b;
    }

    // Region operations as far as rectangle clipping reaches: exact for the
    // one-rectangle regions metafiles mostly hold, bounds otherwise.
    void ClipRegion(uint32_t mode, const std::vector<DcRect>& rects)
    {
        if (rects.empty()) {
            if (mode == 5) ResetClip();
            return;
        }
        const DcRect bounds = BoundsOf(rects);
        switch (mode) {
        case 1: dc_.IntersectClipRect(bounds); break;  // and
        case 4:                                         // difference
            for (const auto& r : rects) dc_.ExcludeClipRect(r);
            break;
        case 5:  // copy
            dc_.SelectClipRect(&bounds);
            if (initialClip_) dc_.IntersectClipRect(*initialClip_);
            break;
        default: break;  // or, xor: the clip is left as it is
        }
    }

    void ResetClip()
    {
        if (initialClip_) dc_.SelectClipRect(&*initialClip_);
        else dc_.SelectClipRect(nullptr);
    }

    static DcRect PathBounds(const DcPath& p)
    {
        DcRect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const auto& e : p.Elements()) {
            const int n = e.op == DcPath::Op::BezierTo ? 3 : e.op == DcPath::Op::Close ? 0 : 1;
            for (int i = 0; i < n; ++i) {
                b.left = std::min(b.left, e.p[i].x);
                b.top = std::min(b.top, e.p[i].y);
                b.right = std::max(b.right, e.p[i].x);
                b.bottom = std::max(b.bottom, e.p[i].y);
            }
        }
        return b.left > b.right ? DcRect{} : b;
    }

    // ---- bitmaps --------------------------------------------------------------
    static bool IsPlainRop(uint32_t rop)
    {
        return rop == 0x00CC0020 || rop == 0x00F00021 || rop == 0x00000042 || rop == 0x00FF0062;
    }

    // Without a raster surface, operations other than a copy are played with
    // the source's neutral colour made transparent (white for AND, black for
    // OR and XOR), which keeps the mask-then-image idiom right.
    static void ApplyRop(uint32_t rop, DcImage& img)
    {
        switch (rop) {
        case 0x008800C6:  // SRCAND
            for (auto& p : img.pixels)
                if ((p & 0xFFFFFF) == 0xFFFFFF) p = 0;
            break;
        case 0x00EE0086:  // SRCPAINT
        case 0x00660046:  // SRCINVERT
            for (auto& p : img.pixels)
                if ((p & 0xFFFFFF) == 0) p = 0;
            break;
        case 0x00330008:  // NOTSRCCOPY
            for (auto& p : img.pixels) p = (p & 0xFF000000u) | (~p & 0xFFFFFF);
            break;
        default: break;
        }
    }

    // The ternary raster operation: bit i of the code's index byte is the
    // result for pattern, source and destination bits (P << 2 | S << 1 | D).
    static uint32_t Ternary(uint8_t code, uint32_t p, uint32_t s, uint32_t d)
    {
        uint32_t out = 0;
        for (int i = 0; i < 8; ++i) {
            if (!((code >> i) & 1)) continue;
            out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        }
        return out & 0xFFFFFF;
    }

    // Combines source, brush and what the surface holds, pixel by pixel.
    void RopOnSurface(const DcRect& dst, const DcImage* img, const DcRect& src, uint32_t rop)
    {
        const DcImage canvas = surface_->Snapshot();
        const DcRect area = dst.Intersect(DcRect{0, 0, canvas.width, canvas.height});
        if (area.IsEmpty()) return;
        DcImage patch(area.Width(), area.Height());
        const uint32_t pattern = ColorRefToArgb(st_.brush.colour);
        const uint8_t code = static_cast<uint8_t>(rop >> 16);
        for (int32_t y = area.top; y < area.bottom; ++y) {
            for (int32_t x = area.left; x < area.right; ++x) {
                uint32_t s = 0;
                if (img) {
                    const int64_t sx = src.left + (int64_t(x - dst.left) * src.Width() + src.Width() / 2) / dst.Width();
                    const int64_t sy = src.top + (int64_t(y - dst.top) * src.Height() + src.Height() / 2) / dst.Height();
                    s = img->Pixel(static_cast<int32_t>(std::clamp<int64_t>(sx, src.left, src.right - 1)),
                                   static_cast<int32_t>(std::clamp<int64_t>(sy, src.top, src.bottom - 1)));
                }
                patch.SetPixel(x - area.left, y - area.top,
                               0xFF000000u | Ternary(code, pattern, s, canvas.Pixel(x, y)));
            }
        }
        dc_.DrawImage(area, patch);
    }

    void Blit(const DcRect& dst, DcImage& img, double sx, double sy, double sw, double sh, uint32_t rop)
    {
        if (img.IsNull() || dst.IsEmpty()) return;
        DcRect src{Clamp(sx), Clamp(sy), Clamp(sx + sw), Clamp(sy + sh)};
        src = src.Normalized().Intersect(DcRect{0, 0, img.width, img.height});
        if (src.IsEmpty()) return;
        if (surface_ && !IsPlainRop(rop) && ropsOnSurface_ < kMaxRopsOnSurface) {
            ++ropsOnSurface_;
            RopOnSurface(dst, &img, src, rop);
            return;
        }
        ApplyRop(rop, img);
        dc_.DrawImage(dst, img, &src);
    }

    void PatternBlit(const DcRect& dst, uint32_t rop)
    {
        switch (rop) {
        case 0x00F00021: dc_.FillRect(dst, st_.brush); break;          // PATCOPY
        case 0x00000042: dc_.FillRect(dst, DcBrush::Solid(0)); break;  // BLACKNESS
        case 0x00FF0062: dc_.FillRect(dst, DcBrush::Solid(0xFFFFFF)); break;  // WHITENESS
        default:
            if (surface_ && !dst.IsEmpty() && ropsOnSurface_ < kMaxRopsOnSurface) {
                ++ropsOnSurface_;
                RopOnSurface(dst, nullptr, DcRect{}, rop);
            }
            break;
        }
    }

    void BitBltRecord(uint32_t type, const Record& r)
    {
        const double x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
        const uint32_t rop = r.U32(40);
        const double xSrc = r.I32(44), ySrc = r.I32(48);
        const uint32_t offBmi = r.U32(84), cbBmi = r.U32(88), offBits = r.U32(92), cbBits = r.U32(96);
        double cxSrc = cx, cySrc = cy;
        if (type == EMR_STRETCHBLT) {
            cxSrc = r.I32(100);
            cySrc = r.I32(104);
        }
        const DcRect dst = TRect(x, y, x + cx, y + cy);
        if (cbBmi == 0) {
            PatternBlit(dst, rop);
            return;
        }
        DcImage img;
        if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, img)) return;
        Blit(dst, img, xSrc, ySrc, cxSrc, cySrc, rop);
    }

    // Alpha blending (constant and per-pixel alpha) and colour-keyed copies:
    // both draw straight onto any device, as images with transparency.
    void BlendRecord(uint32_t type, const Record& r)
    {
        const double x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
        const uint32_t op = r.U32(40);
        const double xSrc = r.I32(44), ySrc = r.I32(48);
        const uint32_t offBmi = r.U32(84), cbBmi = r.U32(88), offBits = r.U32(92), cbBits = r.U32(96);
        const double cxSrc = r.I32(100), cySrc = r.I32(104);
        DcImage img;
        const bool perPixel = type == EMR_ALPHABLEND && ((op >> 24) & 0xFF) == 1;  // AC_SRC_ALPHA
        if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, img, perPixel)) return;
        if (type == EMR_ALPHABLEND) {
            const uint32_t constant = (op >> 16) & 0xFF;
            for (auto& p : img.pixels) p = (((p >> 24) * constant / 255) << 24) | (p & 0xFFFFFF);
        } else {
            const uint32_t key = ColorRefToArgb(op & 0xFFFFFF) & 0xFFFFFF;
            for (auto& p : img.pixels)
                if ((p & 0xFFFFFF) == key) p = 0;
        }
        DcRect src{Clamp(xSrc), Clamp(ySrc), Clamp(xSrc + cxSrc), Clamp(ySrc + cySrc)};
        src = src.Normalized().Intersect(DcRect{0, 0, img.width, img.height});
        const DcRect dst = TRect(x, y, x + cx, y + cy);
        if (src.IsEmpty() || dst.IsEmpty()) return;
        dc_.DrawImage(dst, img, &src);
    }

    void StretchDibRecord(const Record& r)
    {
        const double x = r.I32(24), y = r.I32(28), xSrc = r.I32(32), ySrc = r.I32(36);
        const double cxSrc = r.I32(40), cySrc = r.I32(44);
        const uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
        const uint32_t rop = r.U32(68);
        const double cx = r.I32(72), cy = r.I32(76);
        DcImage img;
        if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, img)) return;
        // Source y counts from the bottom row of a bottom-up DIB.
        const double top = img.height - ySrc - cySrc;
        Blit(TRect(x, y, x + cx, y + cy), img, xSrc, top, cxSrc, cySrc, rop);
    }

    void SetDiBitsRecord(const Record& r)
    {
        const double x = r.I32(24), y = r.I32(28), xSrc = r.I32(32), ySrc = r.I32(36);
        const double cx = r.I32(40), cy = r.I32(44);
        const uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
        DcImage img;
        if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, img)) return;
        const double top = img.height - ySrc - cy;
        Blit(TRect(x, y, x + cx, y + cy), img, xSrc, top, cx, cy, 0x00CC0020);
    }

    // ---- text -------------------------------------------------------------------
    void TextRecord(uint32_t type, const Record& r)
    {
        if (inPath_) return;
        const double rx = r.I32(36), ry = r.I32(40);
        const uint32_t chars = r.U32(44), offString = r.U32(48), options = r.U32(52);
        const double l = r.I32(56), t = r.I32(60), rr = r.I32(64), b = r.I32(68);
        const uint32_t offDx = r.U32(72);
        const bool wide = type == EMR_EXTTEXTOUTW;
        const uint8_t* text = r.Bytes(offString, uint64_t(chars) * (wide ? 2 : 1));
        std::vector<int32_t> dx;
        if (offDx != 0 && chars > 0) {
            const uint32_t per = (options & 0x2000) ? 2 : 1;  // ETO_PDY: x and y advances
            r.Need(uint64_t(offDx) + uint64_t(chars) * per * 4);
            // Advances are mapped as cumulative positions, so rounding does not drift.
            double along = 0;
            int32_t placed = 0;
            const double scale = ScaleX();
            for (uint32_t i = 0; i < chars; ++i) {
                along += r.I32(offDx + i * per * 4);
                const int32_t at = Clamp(along * scale);
                dx.push_back(at - placed);
                placed = at;
            }
        }
        const DcPoint p = T(rx, ry);
        DcRect clip;
        const DcRect* rect = nullptr;
        uint32_t opts = options & (kEtoOpaque | kEtoClipped);
        if (opts && rr > l && b > t) {
            clip = TRect(l, t, rr, b);
            rect = &clip;
        } else {
            opts = 0;
        }
        RealizeFont();
        if (wide) {
            std::u16string s(chars, u'\0');
            for (uint32_t i = 0; i < chars; ++i) s[i] = char16_t(text[2 * i] | (text[2 * i + 1] << 8));
            dc_.ExtTextOut(p.x, p.y, opts, rect, s, dx.empty() ? nullptr : dx.data());
        } else {
            dc_.ExtTextOutA(p.x, p.y, opts, rect, std::string_view(reinterpret_cast<const char*>(text), chars),
                            dx.empty() ? nullptr : dx.data());
        }
    }

    // The compact text record: no advances; characters 16-bit, or 8-bit low
    // bytes of UTF-16 with ETO_SMALL_CHARS; a clip rectangle unless ETO_NO_RECT.
    void SmallTextRecord(const Record& r)
    {
        if (inPath_) return;
        const double rx = r.I32(8), ry = r.I32(12);
        const uint32_t chars = r.U32(16), options = r.U32(20);
        uint32_t off = 36;
        DcRect clip;
        const DcRect* rect = nullptr;
        uint32_t opts = options & (kEtoOpaque | kEtoClipped);
        if (!(options & 0x100)) {
            const double l = r.I32(36), t = r.I32(40), rr = r.I32(44), b = r.I32(48);
            off = 52;
            if (opts && rr > l && b > t) {
                clip = TRect(l, t, rr, b);
                rect = &clip;
            }
        }
        if (!rect) opts = 0;
        const bool small = (options & 0x200) != 0;
        const uint8_t* text = r.Bytes(off, uint64_t(chars) * (small ? 1 : 2));
        std::u16string s(chars, u'\0');
        for (uint32_t i = 0; i < chars; ++i) s[i] = small ? char16_t(text[i]) : char16_t(text[2 * i] | (text[2 * i + 1] << 8));
        const DcPoint p = T(rx, ry);
        RealizeFont();
        dc_.ExtTextOut(p.x, p.y, opts, rect, s);
    }

    // ---- dispatch -------------------------------------------------------------
    void Dispatch(uint32_t type, const Record& r)
    {
        switch (type) {
        case EMR_HEADER: throw Bad{};  // only the first record may be one
        case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
        case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
        case EMR_POLYLINETO16:
            PolyRecord(type, r);
            break;
        case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
            PolyPolyRecord(type, r);
            break;
        case EMR_POLYDRAW: PolyDraw(r, false); break;
        case EMR_POLYDRAW16: PolyDraw(r, true); break;
        case EMR_SETWINDOWEXTEX:
        case EMR_SETVIEWPORTEXTEX: {
            const int32_t cx = r.I32(8), cy = r.I32(12);
            if (cx == 0 || cy == 0) break;
            if (type == EMR_SETWINDOWEXTEX) {
                st_.wex = cx;
                st_.wey = cy;
            } else {
                st_.vex = cx;
                st_.vey = cy;
            }
            Update();
            break;
        }
        case EMR_SETWINDOWORGEX: st_.wox = r.I32(8); st_.woy = r.I32(12); Update(); break;
        case EMR_SETVIEWPORTORGEX: st_.vox = r.I32(8); st_.voy = r.I32(12); Update(); break;
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX: {
            const int32_t xn = r.I32(8), xd = r.I32(12), yn = r.I32(16), yd = r.I32(20);
            if (xd == 0 || yd == 0 || xn == 0 || yn == 0) break;
            double& ex = type == EMR_SCALEVIEWPORTEXTEX ? st_.vex : st_.wex;
            double& ey = type == EMR_SCALEVIEWPORTEXTEX ? st_.vey : st_.wey;
            ex = ex * xn / xd;
            ey = ey * yn / yd;
            if (ex == 0 || ey == 0 || !std::isfinite(ex) || !std::isfinite(ey)) throw Bad{};
            Update();
            break;
        }
        case EMR_SETMAPMODE: {
            const uint32_t m = r.U32(8);
            if (m >= 1 && m <= 8) {
                st_.mapMode = static_cast<int32_t>(m);
                Update();
            }
            break;
        }
        case EMR_SETWORLDTRANSFORM:
        case EMR_MODIFYWORLDTRANSFORM: {
            Matrix x{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
            const uint32_t mode = type == EMR_SETWORLDTRANSFORM ? 4 : r.U32(32);
            switch (mode) {
            case 1: st_.world = Matrix{}; break;
            case 2: st_.world = x.Then(st_.world); break;
            case 3: st_.world = st_.world.Then(x); break;
            case 4: st_.world = x; break;
            default: throw Bad{};
            }
            Update();
            break;
        }
        case EMR_SETBKMODE: {
            const uint32_t m = r.U32(8);
            if (m == 1 || m == 2) dc_.SetBkMode(static_cast<BkMode>(m));
            break;
        }
        case EMR_SETPOLYFILLMODE: {
            const uint32_t m = r.U32(8);
            if (m == 1 || m == 2) dc_.SetPolyFillMode(static_cast<PolyFillMode>(m));
            break;
        }
        case EMR_SETTEXTALIGN: dc_.SetTextAlign(r.U32(8) & (kTaUpdateCp | kTaCenter | kTaBaseline)); break;
        case EMR_SETTEXTCOLOR: dc_.SetTextColor(r.U32(8) & 0xFFFFFF); break;
        case EMR_SETBKCOLOR: dc_.SetBkColor(r.U32(8) & 0xFFFFFF); break;
        case EMR_SETBRUSHORGEX: {
            // Device units of the reference device: only the frame mapping
            // applies; the context keeps its brush origin in device pixels.
            double x, y;
            frame_.Apply(r.I32(8), r.I32(12), x, y);
            const DcPoint org = dc_.State().viewportOrg;
            dc_.SetBrushOrg({Clamp(x + org.x), Clamp(y + org.y)});
            break;
        }
        case EMR_SETARCDIRECTION: {
            const uint32_t d = r.U32(8);
            if (d == 1 || d == 2) st_.arcDirection = static_cast<int32_t>(d);
            break;
        }
        case EMR_MOVETOEX: {
            st_.cpx = r.I32(8);
            st_.cpy = r.I32(12);
            const DcPoint p = T(st_.cpx, st_.cpy);
            if (inPath_) path_.MoveTo(p);
            else dc_.MoveTo(p.x, p.y);
            break;
        }
        case EMR_LINETO: {
            const double x = r.I32(8), y = r.I32(12);
            const DcPoint p = T(x, y);
            if (inPath_) {
                if (path_.IsEmpty()) path_.MoveTo(T(st_.cpx, st_.cpy));
                path_.LineTo(p);
            } else {
                RealizePen();
                const DcPoint from = T(st_.cpx, st_.cpy);
                dc_.MoveTo(from.x, from.y);
                dc_.LineTo(p.x, p.y);
            }
            st_.cpx = x;
            st_.cpy = y;
            break;
        }
        case EMR_SETPIXELV: {
            const DcPoint p = T(r.I32(8), r.I32(12));
            dc_.SetPixel(p.x, p.y, r.U32(16) & 0xFFFFFF);
            break;
        }
        case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_ROUNDRECT: BoxRecord(type, r); break;
        case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: ArcRecord(type, r); break;
        case EMR_ANGLEARC: {
            const double cx = r.I32(8), cy = r.I32(12), rad = r.U32(16);
            const double a0 = r.F32(20) * M_PI / 180, sw = r.F32(24) * M_PI / 180;
            if (rad > kCoordLimit || std::fabs(sw) > 4 * M_PI) throw Bad{};
            DcPath p;
            p.MoveTo(T(st_.cpx, st_.cpy));
            const int steps = std::max(8, static_cast<int>(std::fabs(sw) / (2 * M_PI) * 64));
            double ex = cx, ey = cy;
            for (int i = 0; i <= steps; ++i) {
                const double a = a0 + sw * i / steps;
                ex = cx + rad * std::cos(a);
                ey = cy - rad * std::sin(a);
                p.LineTo(T(ex, ey));
            }
            st_.cpx = ex;
            st_.cpy = ey;
            if (inPath_) {
                bool first = true;
                for (const auto& e : p.Elements()) {
                    AppendElement(e, first);
                    first = false;
                }
            } else {
                RealizePen();
                dc_.DrawPath(p, false, true);
                const DcPoint cp = T(ex, ey);
                dc_.MoveTo(cp.x, cp.y);
            }
            break;
        }
        case EMR_SAVEDC:
            if (stack_.size() < kMaxSaveDepth) {
                stack_.push_back(st_);
                dc_.SaveDC();
            }
            break;
        case EMR_RESTOREDC: {
            const int32_t rel = r.I32(8);
            if (rel >= 0 || static_cast<uint64_t>(-int64_t(rel)) > stack_.size()) break;
            const size_t keep = stack_.size() - static_cast<size_t>(-int64_t(rel));
            st_ = stack_[keep];
            stack_.resize(keep);
            dc_.RestoreDC(rel);
            Update();
            break;
        }
        case EMR_SELECTOBJECT: Select(r.U32(8)); break;
        case EMR_DELETEOBJECT: {
            const uint32_t i = r.U32(8);
            if (!(i & 0x80000000u)) Slot(i) = Object{};
            break;
        }
        case EMR_CREATEPEN: {
            Object& o = Slot(r.U32(8));
            o = Object{};
            o.kind = Object::Pen;
            o.pen = LogPen{r.U32(12), r.I32(16), r.U32(24) & 0xFFFFFF};
            break;
        }
        case EMR_EXTCREATEPEN: {
            Object& o = Slot(r.U32(8));
            o = Object{};
            o.kind = Object::Pen;
            const uint32_t style = r.U32(28);
            const int32_t width = r.I32(32);
            o.pen = LogPen{style, (style & 0xF0000) == 0x10000 ? width : 0, r.U32(40) & 0xFFFFFF};
            if (r.U32(36) == 1) o.pen.style = (o.pen.style & ~0xFu) | 5;  // hollow brush: no line
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            Object& o = Slot(r.U32(8));
            o = Object{};
            o.kind = Object::Brush;
            const uint32_t style = r.U32(12), colour = r.U32(16) & 0xFFFFFF, hatch = r.U32(20);
            if (style == 1) o.brush = DcBrush::Null();
            else if (style == 2 && hatch <= 5) o.brush = DcBrush::Hatched(static_cast<HatchStyle>(hatch), colour);
            else o.brush = DcBrush::Solid(colour);
            break;
        }
        case EMR_CREATEMONOBRUSH: CreateBrushFromDib(r, true); break;
        case EMR_CREATEDIBPATTERNBRUSHPT: CreateBrushFromDib(r, false); break;
        case EMR_EXTCREATEFONTINDIRECTW: {
            Object& o = Slot(r.U32(8));
            r.Need(12 + 92);
            o = Object{};
            o.kind = Object::Font;
            LogFont& f = o.font;
            f.height = r.I32(12);
            f.width = r.I32(16);
            f.escapement = r.I32(20);
            f.orientation = r.I32(24);
            f.weight = r.I32(28);
            f.italic = r.U8(32);
            f.underline = r.U8(33);
            f.strikeOut = r.U8(34);
            f.charSet = r.U8(35);
            f.pitchAndFamily = r.U8(39);
            std::u16string face;
            for (uint32_t i = 0; i < 32; ++i) {
                const char16_t c = r.U16(40 + 2 * i);
                if (c == 0) break;
                face += c;
            }
            f.face = Utf16ToUtf8(face);
            break;
        }
        case EMR_CREATEPALETTE: case EMR_CREATECOLORSPACE: case EMR_CREATECOLORSPACEW: {
            Object& o = Slot(r.U32(8));
            o = Object{};
            o.kind = Object::Other;
            break;
        }
        case EMR_DELETECOLORSPACE: Slot(r.U32(8)) = Object{}; break;
        case EMR_BEGINPATH:
            inPath_ = true;
            path_ = DcPath{};
            break;
        case EMR_ENDPATH: inPath_ = false; break;
        case EMR_ABORTPATH:
            inPath_ = false;
            path_ = DcPath{};
            break;
        case EMR_CLOSEFIGURE:
            if (inPath_ && !path_.IsEmpty()) path_.Close();
            break;
        case EMR_FILLPATH:
        case EMR_STROKEANDFILLPATH:
        case EMR_STROKEPATH:
            if (!inPath_ && !path_.IsEmpty()) {
                RealizePen();
                RealizeBrush();
                dc_.DrawPath(path_, type != EMR_STROKEPATH, type != EMR_FILLPATH);
            }
            path_ = DcPath{};
            break;
        case EMR_SELECTCLIPPATH:
            if (!inPath_ && !path_.IsEmpty()) ClipRegion(r.U32(8), {PathBounds(path_)});
            path_ = DcPath{};
            break;
        case EMR_INTERSECTCLIPRECT:
        case EMR_EXCLUDECLIPRECT: {
            const DcRect c = TRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
            if (type == EMR_INTERSECTCLIPRECT) dc_.IntersectClipRect(c);
            else dc_.ExcludeClipRect(c);
            break;
        }
        case EMR_EXTSELECTCLIPRGN: {
            const uint32_t cb = r.U32(8), mode = r.U32(12);
            if (cb == 0) {
                if (mode == 5) ResetClip();
                break;
            }
            r.Need(16 + uint64_t(cb));
            ClipRegion(mode, RegionRects(r, 16, cb, false));
            break;
        }
        case EMR_FILLRGN:
        case EMR_PAINTRGN: {
            const uint32_t cb = r.U32(24);
            DcBrush brush = st_.brush;
            uint32_t off = 28;
            if (type == EMR_FILLRGN) {
                const uint32_t ih = r.U32(28);
                off = 32;
                if (ih & 0x80000000u) {
                    const DcBrush keep = st_.brush;
                    SelectStock(ih & 0x7FFFFFFFu);
                    brush = st_.brush;
                    st_.brush = keep;
                } else {
                    const Object& o = Slot(ih);
                    if (o.kind == Object::Brush) brush = o.brush;
                }
            }
            r.Need(uint64_t(off) + cb);
            for (const auto& rect : RegionRects(r, off, cb, true)) dc_.FillRect(rect, brush);
            break;
        }
        case EMR_BITBLT: case EMR_STRETCHBLT: BitBltRecord(type, r); break;
        case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: BlendRecord(type, r); break;
        case EMR_STRETCHDIBITS: StretchDibRecord(r); break;
        case EMR_SETDIBITSTODEVICE: SetDiBitsRecord(r); break;
        case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: TextRecord(type, r); break;
        case EMR_SMALLTEXTOUT: SmallTextRecord(r); break;
        default: break;  // comments, palettes, colour management, unknown records
        }
    }

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

public:
    RasterSurface* surface_ = nullptr;  // set when playing into an offscreen surface
};

int32_t RectField(const uint8_t* p) { return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24)); }

} // namespace

bool EmfPlayer::ReadHeader(const uint8_t* data, size_t size, EmfHeader& out)
{
    out = EmfHeader{};
    if (!data || size < 88) return false;
    auto u32 = [data](size_t o) { return static_cast<uint32_t>(RectField(data + o)); };
    auto i32 = [data](size_t o) { return RectField(data + o); };
    if (u32(0) != EMR_HEADER) return false;
    const uint32_t recSize = u32(4);
    if (recSize < 88 || recSize % 4 != 0 || recSize > size) return false;
    if (u32(40) != kSignature) return false;
    out.bounds = DcRect{i32(8), i32(12), i32(16), i32(20)};
    out.frame = DcRect{i32(24), i32(28), i32(32), i32(36)};
    out.bytes = u32(48);
    out.records = u32(52);
    out.handles = static_cast<uint16_t>(data[56] | (data[57] << 8));
    out.device = DcSize{i32(72), i32(76)};
    out.millimeters = DcSize{i32(80), i32(84)};
    return true;
}

bool EmfPlayer::NeedsRasterSurface(const uint8_t* data, size_t size)
{
    EmfHeader h;
    if (!ReadHeader(data, size, h)) return false;
    auto u32 = [data](size_t o) { return static_cast<uint32_t>(RectField(data + o)); };
    size_t off = 0;
    while (off + 8 <= size) {
        const uint32_t type = u32(off), recSize = u32(off + 4);
        if (recSize < 8 || recSize % 4 != 0 || recSize > size - off || type == EMR_EOF) break;
        uint32_t ropAt = 0;
        if (type == EMR_BITBLT || type == EMR_STRETCHBLT) ropAt = 40;
        else if (type == EMR_STRETCHDIBITS) ropAt = 68;
        if (ropAt && ropAt + 4 <= recSize) {
            const uint32_t rop = u32(off + ropAt);
            if (!(rop == 0x00CC0020 || rop == 0x00F00021 || rop == 0x00000042 || rop == 0x00FF0062)) return true;
        }
        off += recSize;
    }
    return false;
}

EmfPlayer::Result EmfPlayer::Play(DeviceContext& dc, const uint8_t* data, size_t size, const DcRect& dst,
                                  const RasterSurfaceFactory* offscreen)
{
    EmfHeader h;
    if (!ReadHeader(data, size, h)) return Result::NotMetafile;
    // A header that claims fewer bytes than the file ends the file there.
    if (h.bytes >= 88 && h.bytes < size) size = h.bytes;
    bool complete = false;
    const DcRect area = dst.Normalized();
    if (offscreen && *offscreen && !area.IsEmpty() &&
        uint64_t(area.Width()) * uint64_t(area.Height()) <= kMaxSurfacePixels && NeedsRasterSurface(data, size)) {
        std::unique_ptr<RasterSurface> surface;
        try {
            surface = (*offscreen)(area.Width(), area.Height());
        } catch (const std::bad_alloc&) {
            surface.reset();
        }
        if (surface) {
            DcRect local{0, 0, area.Width(), area.Height()};
            if (dst.left > dst.right) std::swap(local.left, local.right);
            if (dst.top > dst.bottom) std::swap(local.top, local.bottom);
            {
                Player player(surface->Dc(), h, local);
                player.surface_ = surface.get();
                player.Run(data, size, complete);
            }
            dc.DrawImage(area, surface->Snapshot());
            return complete ? Result::Complete : Result::BadRecord;
        }
    }
    const int depth = dc.SaveDC();
    {
        Player player(dc, h, dst);
        player.Run(data, size, complete);
    }
    dc.RestoreDC(depth);
    return complete ? Result::Complete : Result::BadRecord;
}

} // namespace nv
