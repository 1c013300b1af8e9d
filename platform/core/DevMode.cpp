#include "platform/core/DevMode.h"

#include <algorithm>
#include <cstring>

namespace nv {
namespace {

class Writer {
public:
    explicit Writer(DevModeBytes& b) : b_(b) {}
    void U16(uint16_t v) { b_[pos_++] = uint8_t(v); b_[pos_++] = uint8_t(v >> 8); }
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void U32(uint32_t v) { U16(uint16_t(v)); U16(uint16_t(v >> 16)); }
    void Name(const std::string& s)
    {
        const size_t n = std::min(s.size(), kDevModeNameBytes);
        std::memcpy(b_.data() + pos_, s.data(), n);
        pos_ += kDevModeNameBytes; // the rest is already zero
    }

private:
    DevModeBytes& b_;
    size_t pos_ = 0;
};

class Reader {
public:
    Reader(const uint8_t* d, size_t n)
    {
        if (d && n) std::memcpy(b_.data(), d, std::min<size_t>(n, b_.size()));
    }
    uint16_t U16() { uint16_t v = uint16_t(b_[pos_] | (b_[pos_ + 1] << 8)); pos_ += 2; return v; }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    uint32_t U32() { uint32_t lo = U16(); return lo | (uint32_t(U16()) << 16); }
    std::string Name()
    {
        const char* p = reinterpret_cast<const char*>(b_.data() + pos_);
        pos_ += kDevModeNameBytes;
        return std::string(p, strnlen(p, kDevModeNameBytes));
    }

private:
    DevModeBytes b_{};
    size_t pos_ = 0;
};

} // namespace

DevModeBytes DevModeToBytes(const DevMode& m)
{
    DevModeBytes b{};
    Writer w(b);
    w.Name(m.deviceName);
    w.U16(m.dmSpecVersion);
    w.U16(m.dmDriverVersion);
    w.U16(m.dmSize);
    w.U16(m.dmDriverExtra);
    w.U32(m.dmFields);
    w.I16(m.dmOrientation);
    w.I16(m.dmPaperSize);
    w.I16(m.dmPaperLength);
    w.I16(m.dmPaperWidth);
    w.I16(m.dmScale);
    w.I16(m.dmCopies);
    w.I16(m.dmDefaultSource);
    w.I16(m.dmPrintQuality);
    w.I16(m.dmColor);
    w.I16(m.dmDuplex);
    w.I16(m.dmYResolution);
    w.I16(m.dmTTOption);
    w.I16(m.dmCollate);
    w.Name(m.formName);
    w.U16(m.dmLogPixels);
    w.U32(m.dmBitsPerPel);
    w.U32(m.dmPelsWidth);
    w.U32(m.dmPelsHeight);
    w.U32(m.dmDisplayFlags);
    w.U32(m.dmDisplayFrequency);
    w.U32(m.dmICMMethod);
    w.U32(m.dmICMIntent);
    w.U32(m.dmMediaType);
    w.U32(m.dmDitherType);
    w.U32(m.dmReserved1);
    w.U32(m.dmReserved2);
    w.U32(m.dmPanningWidth);
    w.U32(m.dmPanningHeight);
    return b;
}

DevMode DevModeFromBytes(const uint8_t* data, size_t size)
{
    Reader r(data, data ? size : 0);
    DevMode m;
    m.deviceName = r.Name();
    m.dmSpecVersion = r.U16();
    m.dmDriverVersion = r.U16();
    m.dmSize = r.U16();
    m.dmDriverExtra = r.U16();
    m.dmFields = r.U32();
    m.dmOrientation = r.I16();
    m.dmPaperSize = r.I16();
    m.dmPaperLength = r.I16();
    m.dmPaperWidth = r.I16();
    m.dmScale = r.I16();
    m.dmCopies = r.I16();
    m.dmDefaultSource = r.I16();
    m.dmPrintQuality = r.I16();
    m.dmColor = r.I16();
    m.dmDuplex = r.I16();
    m.dmYResolution = r.I16();
    m.dmTTOption = r.I16();
    m.dmCollate = r.I16();
    m.formName = r.Name();
    m.dmLogPixels = r.U16();
    m.dmBitsPerPel = r.U32();
    m.dmPelsWidth = r.U32();
    m.dmPelsHeight = r.U32();
    m.dmDisplayFlags = r.U32();
    m.dmDisplayFrequency = r.U32();
    m.dmICMMethod = r.U32();
    m.dmICMIntent = r.U32();
    m.dmMediaType = r.U32();
    m.dmDitherType = r.U32();
    m.dmReserved1 = r.U32();
    m.dmReserved2 = r.U32();
    m.dmPanningWidth = r.U32();
    m.dmPanningHeight = r.U32();
    return m;
}

bool SameOutputMode(const DevMode& a, const DevMode& b)
{
    if (a.dmOrientation != b.dmOrientation || a.dmPaperSize != b.dmPaperSize ||
        a.dmPaperLength != b.dmPaperLength || a.dmPaperWidth != b.dmPaperWidth ||
        a.dmCopies != b.dmCopies || a.dmDefaultSource != b.dmDefaultSource ||
        a.dmPrintQuality != b.dmPrintQuality || a.dmColor != b.dmColor || a.dmDuplex != b.dmDuplex ||
        a.dmYResolution != b.dmYResolution || a.dmTTOption != b.dmTTOption)
        return false;
    // Form names compare as the record holds them: 32 bytes, ending at a zero.
    auto held = [](const std::string& s) {
        std::string t = s.substr(0, kDevModeNameBytes);
        return t.substr(0, t.find('\0'));
    };
    return held(a.formName) == held(b.formName);
}

} // namespace nv
