// Bitmap records, raster operations and text.
#include "engine/render/EmfPlayback.h"

namespace nv::emf {

bool Player::Bitmap(const Record& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits, DcImage& out,
                    bool alpha)
{
    const uint8_t* bmi = r.Bytes(offBmi, cbBmi);
    const uint8_t* bits = r.Bytes(offBits, cbBits);
    if (cbBmi == 0) return false;
    std::vector<uint8_t> packed(bmi, bmi + cbBmi);
    packed.insert(packed.end(), bits, bits + cbBits);
    DibInfo info;
    if (DibReader::Parse(packed.data(), packed.size(), info, cbBmi, true) != DibStatus::Ok) return false;
    const uint64_t pixels = uint64_t(info.width) * uint64_t(info.height);
    if (pixels > EmfPlayer::kMaxBitmapPixels || !SpendPixels(pixels)) return false;
    if (!DibToImage(packed.data(), packed.size(), out, cbBmi, true, EmfPlayer::kMaxBitmapPixels)) return false;
    if (!alpha || info.bitCount != 32 || info.compression != 0) return true;
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

bool Player::SpendPixels(uint64_t pixels)
{
    if (pixels > EmfPlayer::kMaxPlayPixels - std::min(stats_.decodedPixels, EmfPlayer::kMaxPlayPixels)) {
        ++stats_.skippedBitmaps;
        return false;
    }
    stats_.decodedPixels += pixels;
    return true;
}

bool Player::MonoRows(const Record& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
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

void Player::CreateBrushFromDib(const Record& r, bool mono)
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

bool Player::IsPlainRop(uint32_t rop)
{
    return rop == 0x00CC0020 || rop == 0x00F00021 || rop == 0x00000042 || rop == 0x00FF0062;
}

void Player::ApplyRop(uint32_t rop, DcImage& img)
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

uint32_t Player::Ternary(uint8_t code, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t out = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((code >> i) & 1)) continue;
        out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return out & 0xFFFFFF;
}

void Player::RopOnSurface(const DcRect& dst, const DcImage* img, const DcRect& src, uint32_t rop)
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

void Player::Blit(const DcRect& dst, DcImage& img, double sx, double sy, double sw, double sh, uint32_t rop)
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

void Player::PatternBlit(const DcRect& dst, uint32_t rop)
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

void Player::BitBltRecord(uint32_t type, const Record& r)
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
    const DcRect dst = ToDeviceRect(x, y, x + cx, y + cy);
    if (cbBmi == 0) {
        PatternBlit(dst, rop);
        return;
    }
    DcImage img;
    if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, img)) return;
    Blit(dst, img, xSrc, ySrc, cxSrc, cySrc, rop);
}

void Player::BlendRecord(uint32_t type, const Record& r)
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
    const DcRect dst = ToDeviceRect(x, y, x + cx, y + cy);
    if (src.IsEmpty() || dst.IsEmpty()) return;
    dc_.DrawImage(dst, img, &src);
}

void Player::StretchDibRecord(uint32_t, const Record& r)
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
    Blit(ToDeviceRect(x, y, x + cx, y + cy), img, xSrc, top, cxSrc, cySrc, rop);
}

void Player::SetDiBitsRecord(uint32_t, const Record& r)
{
    const double x = r.I32(24), y = r.I32(28), xSrc = r.I32(32), ySrc = r.I32(36);
    const double cx = r.I32(40), cy = r.I32(44);
    const uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
    DcImage img;
    if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, img)) return;
    const double top = img.height - ySrc - cy;
    Blit(ToDeviceRect(x, y, x + cx, y + cy), img, xSrc, top, cx, cy, 0x00CC0020);
}

void Player::TextRecord(uint32_t type, const Record& r)
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
    const DcPoint p = ToDevice(rx, ry);
    DcRect clip;
    const DcRect* rect = nullptr;
    uint32_t opts = options & (kEtoOpaque | kEtoClipped);
    if (opts && rr > l && b > t) {
        clip = ToDeviceRect(l, t, rr, b);
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

void Player::SmallTextRecord(uint32_t, const Record& r)
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
            clip = ToDeviceRect(l, t, rr, b);
            rect = &clip;
        }
    }
    if (!rect) opts = 0;
    const bool small = (options & 0x200) != 0;
    const uint8_t* text = r.Bytes(off, uint64_t(chars) * (small ? 1 : 2));
    std::u16string s(chars, u'\0');
    for (uint32_t i = 0; i < chars; ++i) s[i] = small ? char16_t(text[i]) : char16_t(text[2 * i] | (text[2 * i + 1] << 8));
    const DcPoint p = ToDevice(rx, ry);
    RealizeFont();
    dc_.ExtTextOut(p.x, p.y, opts, rect, s);
}

} // namespace nv::emf
