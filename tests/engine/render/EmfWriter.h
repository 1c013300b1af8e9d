#pragma once
// A small enhanced-metafile writer for tests: records are appended as raw
// 32-bit fields; Finish adds the end record and fills in the header.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace nvtest {

class EmfWriter {
public:
    // frame in 0.01 mm; the reference device has `devicePx` pixels over
    // `deviceMm` millimetres.
    EmfWriter(int32_t frameRight, int32_t frameBottom, int32_t devicePx = 1000, int32_t deviceMm = 1000,
              uint16_t handles = 8)
        : frameRight_(frameRight), frameBottom_(frameBottom), devicePx_(devicePx), deviceMm_(deviceMm),
          handles_(handles)
    {
    }

    // A record of 32-bit fields.
    EmfWriter& Rec(uint32_t type, std::initializer_list<int64_t> fields)
    {
        std::string body;
        for (int64_t f : fields) Put32(body, static_cast<uint32_t>(f));
        return Raw(type, body);
    }
    // A record with a prepared body (padded to 4 bytes).
    EmfWriter& Raw(uint32_t type, std::string body)
    {
        while (body.size() % 4) body += '\0';
        std::string r;
        Put32(r, type);
        Put32(r, static_cast<uint32_t>(body.size() + 8));
        records_ += r + body;
        ++count_;
        return *this;
    }
    // A record whose size field lies (for hostile-input tests).
    EmfWriter& Lying(uint32_t type, uint32_t claimedSize, const std::string& body)
    {
        std::string r;
        Put32(r, type);
        Put32(r, claimedSize);
        records_ += r + body;
        ++count_;
        return *this;
    }

    std::string Finish() const
    {
        std::string h;
        Put32(h, 1);
        Put32(h, 88);
        for (int32_t v : {0, 0, frameRight_ * devicePx_ / deviceMm_ / 100, frameBottom_ * devicePx_ / deviceMm_ / 100})
            Put32(h, static_cast<uint32_t>(v));
        for (int32_t v : {0, 0, frameRight_, frameBottom_}) Put32(h, static_cast<uint32_t>(v));
        Put32(h, 0x464D4520);
        Put32(h, 0x10000);
        std::string eof;
        Put32(eof, 14);
        Put32(eof, 20);
        Put32(eof, 0);
        Put32(eof, 16);
        Put32(eof, 20);
        const uint32_t total = static_cast<uint32_t>(88 + records_.size() + eof.size());
        Put32(h, total);
        Put32(h, count_ + 2);
        Put32(h, handles_);  // handles (16 bits) and reserved
        Put32(h, 0);         // description
        Put32(h, 0);
        Put32(h, 0);         // palette entries
        Put32(h, static_cast<uint32_t>(devicePx_));
        Put32(h, static_cast<uint32_t>(devicePx_));
        Put32(h, static_cast<uint32_t>(deviceMm_));
        Put32(h, static_cast<uint32_t>(deviceMm_));
        return h + records_ + eof;
    }

    static void Put32(std::string& s, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    }
    static void Put16(std::string& s, uint16_t v)
    {
        s += static_cast<char>(v);
        s += static_cast<char>(v >> 8);
    }

    // EMR_EXTCREATEFONTINDIRECTW body for handle `ih`.
    static std::string FontBody(uint32_t ih, int32_t height, const std::u16string& face)
    {
        std::string b;
        Put32(b, ih);
        for (int32_t v : {height, 0, 0, 0, 400}) Put32(b, static_cast<uint32_t>(v));
        b += std::string(8, '\0');  // italic .. pitch and family
        for (size_t i = 0; i < 32; ++i) Put16(b, i < face.size() ? face[i] : 0);
        return b;
    }

    // EMR_EXTTEXTOUTW body: text at (x, y) with advances `dx`.
    static std::string TextBody(int32_t x, int32_t y, const std::u16string& text, const std::vector<int32_t>& dx)
    {
        std::string b;
        for (int i = 0; i < 4; ++i) Put32(b, 0);  // bounds
        Put32(b, 1);                              // graphics mode
        Put32(b, 0);
        Put32(b, 0);  // scales
        Put32(b, static_cast<uint32_t>(x));
        Put32(b, static_cast<uint32_t>(y));
        Put32(b, static_cast<uint32_t>(text.size()));
        const uint32_t offString = 8 + 68;
        const uint32_t strBytes = static_cast<uint32_t>((text.size() * 2 + 3) / 4 * 4);
        Put32(b, offString);
        Put32(b, 0);  // options
        for (int i = 0; i < 4; ++i) Put32(b, 0);
        Put32(b, dx.empty() ? 0 : offString + strBytes);
        for (char16_t c : text) Put16(b, c);
        while (b.size() % 4) b += '\0';
        for (int32_t d : dx) Put32(b, static_cast<uint32_t>(d));
        return b;
    }

    // EMR_STRETCHDIBITS body: a 24-bit bottom-up DIB of w x h pixels
    // (0x00RRGGBB, top row first) stretched to (x, y, cx, cy).
    static std::string StretchDibBody(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t w, int32_t h,
                                      const std::vector<uint32_t>& topFirst, uint32_t rop = 0x00CC0020)
    {
        std::string bmi;
        for (uint32_t v : {40u, uint32_t(w), uint32_t(h)}) Put32(bmi, v);
        Put16(bmi, 1);
        Put16(bmi, 24);
        for (int i = 0; i < 6; ++i) Put32(bmi, 0);
        std::string bits;
        const int stride = (w * 3 + 3) / 4 * 4;
        for (int row = h - 1; row >= 0; --row) {
            std::string line;
            for (int col = 0; col < w; ++col) {
                uint32_t c = topFirst[size_t(row) * w + col];
                line += static_cast<char>(c & 0xFF);
                line += static_cast<char>((c >> 8) & 0xFF);
                line += static_cast<char>((c >> 16) & 0xFF);
            }
            line.resize(stride, '\0');
            bits += line;
        }
        std::string b;
        for (int i = 0; i < 4; ++i) Put32(b, 0);
        for (int32_t v : {x, y, 0, 0, w, h}) Put32(b, static_cast<uint32_t>(v));
        const uint32_t offBmi = 8 + 72;
        Put32(b, offBmi);
        Put32(b, static_cast<uint32_t>(bmi.size()));
        Put32(b, offBmi + static_cast<uint32_t>(bmi.size()));
        Put32(b, static_cast<uint32_t>(bits.size()));
        Put32(b, 0);  // DIB_RGB_COLORS
        Put32(b, rop);
        Put32(b, static_cast<uint32_t>(cx));
        Put32(b, static_cast<uint32_t>(cy));
        return b + bmi + bits;
    }

    // EMR_ALPHABLEND / EMR_TRANSPARENTBLT body: a 32-bit bottom-up DIB of
    // w x h pixels (0xAARRGGBB as stored, top row first) drawn to (x, y, cx, cy).
    static std::string BlendBody(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t op, int32_t w, int32_t h,
                                 const std::vector<uint32_t>& topFirst)
    {
        std::string bmi;
        for (uint32_t v : {40u, uint32_t(w), uint32_t(h)}) Put32(bmi, v);
        Put16(bmi, 1);
        Put16(bmi, 32);
        for (int i = 0; i < 6; ++i) Put32(bmi, 0);
        std::string bits;
        for (int row = h - 1; row >= 0; --row)
            for (int col = 0; col < w; ++col) Put32(bits, topFirst[size_t(row) * w + col]);
        std::string b;
        for (int i = 0; i < 4; ++i) Put32(b, 0);
        for (int32_t v : {x, y, cx, cy}) Put32(b, static_cast<uint32_t>(v));
        Put32(b, op);
        Put32(b, 0);
        Put32(b, 0);                                    // source x, y
        for (uint32_t v : {0x3F800000u, 0u, 0u, 0x3F800000u, 0u, 0u}) Put32(b, v);  // identity
        Put32(b, 0);                                    // background colour
        Put32(b, 0);                                    // DIB_RGB_COLORS
        const uint32_t offBmi = 8 + 100;
        Put32(b, offBmi);
        Put32(b, static_cast<uint32_t>(bmi.size()));
        Put32(b, offBmi + static_cast<uint32_t>(bmi.size()));
        Put32(b, static_cast<uint32_t>(bits.size()));
        Put32(b, static_cast<uint32_t>(w));
        Put32(b, static_cast<uint32_t>(h));
        return b + bmi + bits;
    }

private:
    int32_t frameRight_, frameBottom_, devicePx_, deviceMm_;
    uint16_t handles_;
    std::string records_;
    uint32_t count_ = 0;
};

// Record types used by the tests.
enum : uint32_t {
    kEmrPolyline16 = 87, kEmrSetWindowExtEx = 9, kEmrSetViewportExtEx = 11, kEmrSetViewportOrgEx = 12,
    kEmrSetMapMode = 17, kEmrSetBkMode = 18, kEmrSetTextColor = 24, kEmrIntersectClipRect = 30,
    kEmrSaveDc = 33, kEmrRestoreDc = 34, kEmrSelectObject = 37, kEmrCreatePen = 38, kEmrCreateBrush = 39,
    kEmrDeleteObject = 40, kEmrEllipse = 42, kEmrRectangle = 43, kEmrArc = 45, kEmrStretchDibits = 81,
    kEmrCreateFont = 82, kEmrTextW = 84, kEmrBeginPath = 59, kEmrEndPath = 60, kEmrFillPath = 62,
    kEmrGdiComment = 70, kEmrModifyWorldTransform = 36, kEmrAlphaBlend = 114, kEmrTransparentBlt = 116,
};

} // namespace nvtest
