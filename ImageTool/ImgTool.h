#pragma once
// Image toolkit: turns TIFF files into packed DIBs (a BITMAPINFOHEADER, its
// colour table and bottom-up rows padded to 4 bytes), the one form the
// picture drawer draws.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

constexpr int kImgOk = 0;
constexpr int kImgNoMemory = -7;   // picture too large for the toolkit's limit
constexpr int kImgReadError = -8;  // cannot open or read, or a kind it does not convert

// The toolkit keeps its state per thread; these exist so that program start
// and exit have one place to set up and tear down. Returns 1.
int ImgInitThreadSlots();
void ImgFreeThreadSlots();

// Converts the first image of a TIFF file. On success out holds the packed
// DIB and the result is kImgOk; otherwise out is empty.
int ImgTiffToDib(const std::string& path, std::vector<uint8_t>& out);
// The same over bytes in memory.
int ImgTiffMemoryToDib(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

// Largest packed DIB (and working raster) the toolkit builds, in bytes.
constexpr uint64_t kImgMaxBytes = 256ull << 20;

} // namespace nv
