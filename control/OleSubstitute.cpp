#include "control/OleSubstitute.h"

#include "engine/model/TvOle.h"
#include "engine/model/TvOleItem.h"

#include <algorithm>
#include <cmath>

namespace nv {

namespace {

constexpr uint32_t kEmrHeader = 1, kEmrEof = 14, kEmrStretchDiBits = 81;
constexpr uint32_t kSrcCopy = 0x00CC0020;
// The reference device: 96 pixels an inch.
constexpr int32_t kRefWidthPx = 1920, kRefHeightPx = 1080, kRefWidthMm = 508, kRefHeightMm = 286;
constexpr double kDocPerPixel = 15000.0;       // 1,440,000 / 96
constexpr double kDocPerHundredthMm = 566.929; // 1,440,000 / 2540

void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
void Put16(std::string& s, uint16_t v)
{
    s.push_back(char(v & 0xFF));
    s.push_back(char(v >> 8));
}
void PutRect(std::string& s, int32_t l, int32_t t, int32_t r, int32_t b)
{
    Put32(s, uint32_t(l));
    Put32(s, uint32_t(t));
    Put32(s, uint32_t(r));
    Put32(s, uint32_t(b));
}
uint32_t Get32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(s[at + size_t(i)]);
    return v;
}

// The header's size with its colour table, or 0 when the DIB is not sound.
size_t DibHeaderSize(const std::string& dib)
{
    if (dib.size() < 40) return 0;
    const uint32_t headerSize = Get32(dib, 0);
    if (headerSize < 40 || headerSize > dib.size()) return 0;
    const uint16_t bits = uint16_t(uint8_t(dib[14]) | (uint8_t(dib[15]) << 8));
    const uint32_t compression = Get32(dib, 16);
    uint32_t colours = Get32(dib, 32);
    if (colours == 0 && bits <= 8) colours = 1u << bits;
    if (colours > 256) return 0;
    size_t size = headerSize + size_t(colours) * 4;
    if (compression == 3 && headerSize == 40) size += 12;
    return size < dib.size() ? size : 0;
}

std::string Metafile(int32_t widthPx, int32_t heightPx, int32_t frameW, int32_t frameH, const std::string& body,
                     uint32_t records)
{
    static const std::u16string kDescription = u"Tavelo Work EMF";
    std::string out;
    const uint32_t descChars = uint32_t(kDescription.size() + 2); // two terminating zeros
    const uint32_t headerSize = 88 + descChars * 2;
    Put32(out, kEmrHeader);
    Put32(out, headerSize);
    PutRect(out, 0, 0, std::max(0, widthPx - 1), std::max(0, heightPx - 1));
    PutRect(out, 0, 0, frameW, frameH);
    Put32(out, 0x464D4520);
    Put32(out, 0x10000);
    const uint32_t eofSize = 20;
    Put32(out, headerSize + uint32_t(body.size()) + eofSize);
    Put32(out, records + 2);
    Put16(out, 1);
    Put16(out, 0);
    Put32(out, descChars);
    Put32(out, 88);
    Put32(out, 0);
    Put32(out, kRefWidthPx);
    Put32(out, kRefHeightPx);
    Put32(out, kRefWidthMm);
    Put32(out, kRefHeightMm);
    for (char16_t c : kDescription) Put16(out, uint16_t(c));
    Put16(out, 0);
    Put16(out, 0);
    out += body;
    Put32(out, kEmrEof);
    Put32(out, eofSize);
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, eofSize);
    return out;
}

} // namespace

std::string OleSubstituteMetafile(const TvOle& ole)
{
    std::string data;
    int32_t kind = TvOleItem::pictureNone;
    if (const TvOleItem* item = ole.GetItem(); !item || !item->GetPresentation(data, kind)) kind = TvOleItem::pictureNone;
    if (kind == TvOleItem::pictureEmf) return data;

    Rect bounds;
    ole.GetBoundRect(bounds, false);
    const int64_t w = std::llabs(int64_t(bounds.right) - bounds.left);
    const int64_t h = std::llabs(int64_t(bounds.bottom) - bounds.top);
    const int32_t widthPx = int32_t(std::lround(double(w) / kDocPerPixel));
    const int32_t heightPx = int32_t(std::lround(double(h) / kDocPerPixel));
    const int32_t frameW = int32_t(std::lround(double(w) / kDocPerHundredthMm));
    const int32_t frameH = int32_t(std::lround(double(h) / kDocPerHundredthMm));

    std::string body;
    uint32_t records = 0;
    const size_t bmiSize = kind == TvOleItem::pictureDib ? DibHeaderSize(data) : 0;
    if (bmiSize > 0) {
        const int32_t dibW = int32_t(Get32(data, 4));
        const int32_t dibH = int32_t(Get32(data, 8));
        const uint32_t fixed = 80;
        const uint32_t bitsSize = uint32_t(data.size() - bmiSize);
        Put32(body, kEmrStretchDiBits);
        Put32(body, fixed + uint32_t(data.size()));
        PutRect(body, 0, 0, std::max(0, widthPx - 1), std::max(0, heightPx - 1));
        Put32(body, 0); // xDest
        Put32(body, 0); // yDest
        Put32(body, 0); // xSrc
        Put32(body, 0); // ySrc
        Put32(body, uint32_t(dibW));
        Put32(body, uint32_t(std::abs(dibH)));
        Put32(body, fixed);
        Put32(body, uint32_t(bmiSize));
        Put32(body, fixed + uint32_t(bmiSize));
        Put32(body, bitsSize);
        Put32(body, 0); // DIB_RGB_COLORS
        Put32(body, kSrcCopy);
        Put32(body, uint32_t(widthPx));
        Put32(body, uint32_t(heightPx));
        body += data;
        while (body.size() % 4) body.push_back('\0');
        // The record's size covers the padding.
        const uint32_t size = uint32_t(body.size());
        for (int i = 0; i < 4; ++i) body[4 + size_t(i)] = char((size >> (8 * i)) & 0xFF);
        records = 1;
    }
    return Metafile(widthPx, heightPx, frameW, frameH, body, records);
}

} // namespace nv
