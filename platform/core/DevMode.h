#pragma once
// The public part of a printer mode record (the 156 bytes before any
// driver-private data), kept as named fields. Report documents store these
// values and the printer layer applies them; byte order on disk is
// little-endian in the record's own layout.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace nv {

// Field bits of dmFields.
inline constexpr uint32_t DM_ORIENTATION = 0x00000001;
inline constexpr uint32_t DM_PAPERSIZE = 0x00000002;
inline constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
inline constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
inline constexpr uint32_t DM_SCALE = 0x00000010;
inline constexpr uint32_t DM_COPIES = 0x00000100;
inline constexpr uint32_t DM_DEFAULTSOURCE = 0x00000200;
inline constexpr uint32_t DM_PRINTQUALITY = 0x00000400;
inline constexpr uint32_t DM_COLOR = 0x00000800;
inline constexpr uint32_t DM_DUPLEX = 0x00001000;
inline constexpr uint32_t DM_YRESOLUTION = 0x00002000;
inline constexpr uint32_t DM_TTOPTION = 0x00004000;
inline constexpr uint32_t DM_COLLATE = 0x00008000;
inline constexpr uint32_t DM_FORMNAME = 0x00010000;

inline constexpr int16_t DMORIENT_PORTRAIT = 1;
inline constexpr int16_t DMORIENT_LANDSCAPE = 2;

inline constexpr int16_t DMCOLOR_MONOCHROME = 1;
inline constexpr int16_t DMCOLOR_COLOR = 2;

inline constexpr int16_t DMDUP_SIMPLEX = 1;
inline constexpr int16_t DMDUP_VERTICAL = 2;
inline constexpr int16_t DMDUP_HORIZONTAL = 3;

inline constexpr int16_t DMBIN_AUTO = 7;

inline constexpr int16_t DMPAPER_LETTER = 1;
inline constexpr int16_t DMPAPER_LEGAL = 5;
inline constexpr int16_t DMPAPER_A3 = 8;
inline constexpr int16_t DMPAPER_A4 = 9;
inline constexpr int16_t DMPAPER_A5 = 11;
inline constexpr int16_t DMPAPER_B4 = 12; // JIS B4, 257 x 364 mm
inline constexpr int16_t DMPAPER_B5 = 13; // JIS B5, 182 x 257 mm
inline constexpr int16_t DMPAPER_USER = 256;

inline constexpr uint16_t kDevModeSize = 156;
inline constexpr size_t kDevModeNameBytes = 32;

struct DevMode {
    std::string deviceName; // CP932, at most 32 bytes on disk
    uint16_t dmSpecVersion = 0x0401;
    uint16_t dmDriverVersion = 0;
    uint16_t dmSize = kDevModeSize;
    uint16_t dmDriverExtra = 0;
    uint32_t dmFields = 0;
    int16_t dmOrientation = 0;
    int16_t dmPaperSize = 0;
    int16_t dmPaperLength = 0; // tenths of a millimetre
    int16_t dmPaperWidth = 0;  // tenths of a millimetre
    int16_t dmScale = 0;
    int16_t dmCopies = 0;
    int16_t dmDefaultSource = 0;
    int16_t dmPrintQuality = 0;
    int16_t dmColor = 0;
    int16_t dmDuplex = 0;
    int16_t dmYResolution = 0;
    int16_t dmTTOption = 0;
    int16_t dmCollate = 0;
    std::string formName; // CP932, at most 32 bytes on disk
    uint16_t dmLogPixels = 0;
    uint32_t dmBitsPerPel = 0;
    uint32_t dmPelsWidth = 0;
    uint32_t dmPelsHeight = 0;
    uint32_t dmDisplayFlags = 0;
    uint32_t dmDisplayFrequency = 0;
    uint32_t dmICMMethod = 0;
    uint32_t dmICMIntent = 0;
    uint32_t dmMediaType = 0;
    uint32_t dmDitherType = 0;
    uint32_t dmReserved1 = 0;
    uint32_t dmReserved2 = 0;
    uint32_t dmPanningWidth = 0;
    uint32_t dmPanningHeight = 0;

    bool operator==(const DevMode&) const = default;
};

using DevModeBytes = std::array<uint8_t, kDevModeSize>;

// The record's bytes; names longer than 32 bytes are cut, shorter ones are
// zero-padded.
DevModeBytes DevModeToBytes(const DevMode& mode);
// Reads up to 156 bytes; missing bytes count as zero. Names end at their
// first zero byte or after 32 bytes.
DevMode DevModeFromBytes(const uint8_t* data, size_t size);

// True when a printer set to `a` would print exactly as one set to `b`:
// orientation, paper size, length and width, copies, default source, print
// quality, colour, duplex, y resolution, TrueType option and the first 32
// bytes of the form name. Scale, collate, the field mask and the device name
// do not count.
bool SameOutputMode(const DevMode& a, const DevMode& b);

} // namespace nv
