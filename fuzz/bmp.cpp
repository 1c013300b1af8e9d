// BMP/DIB files as the picture drawer reads them.
#include "ImageTool/DibReader.h"

#include <cstdlib>
#include <string>
#include <vector>

// Headers may claim up to the reader's pixel limit; decoding a picture that
// size only fills memory and slows the run, so large ones are parsed only.
static bool Small(const nv::DibInfo& info) { return uint64_t(info.width) * uint64_t(info.height) <= (1u << 22); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string file(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> packed;
    nv::DibInfo info;
    if (nv::DibReader::ParseFile(file, packed, info) == nv::DibStatus::Ok && Small(info)) {
        std::vector<uint32_t> pixels(size_t(info.width) * size_t(info.height));
        nv::DibReader::Decode(packed.data(), info, pixels.data());
    }
    // The same bytes as a packed DIB (the form the toolkit hands over).
    if (nv::DibReader::Parse(data, size, info) == nv::DibStatus::Ok && Small(info)) {
        std::vector<uint32_t> pixels(size_t(info.width) * size_t(info.height));
        nv::DibReader::Decode(data, info, pixels.data());
    }
    return 0;
}
