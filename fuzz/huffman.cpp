// Unpacks whatever stream it is given: a damaged one must end in a result
// other than 0, never in a loop, an overrun or a huge allocation. What
// unpacks must pack again and come back the same.
#include "engine/store/TvHuffman.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::string out;
    if (nv::TvHuffman::DecompressBuffer(in, out, 1u << 22) == 0) {
        std::string packed, back;
        if (nv::TvHuffman::CompressBuffer(out, packed) != 0) std::abort();
        if (nv::TvHuffman::DecompressBuffer(packed, back, 1u << 22) != 0 || back != out) std::abort();
    }
    return 0;
}
