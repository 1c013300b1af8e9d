// An OLE object's cached presentation made into the metafile a document
// page stores: a kind byte, the bounds (four 32-bit numbers), then the
// presentation's bytes as a form file may hold them.
#include "control/OleSubstitute.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 17) return 0;
    const int32_t kinds[] = {0, 1, 5};
    const int32_t kind = kinds[data[0] % 3];
    int32_t b[4];
    std::memcpy(b, data + 1, sizeof b);
    const std::string bytes(reinterpret_cast<const char*>(data + 17), size - 17);
    const std::string emf = nv::PresentationMetafile(bytes, kind, nv::Rect{b[0], b[1], b[2], b[3]});
    if (kind == 5) return 0;
    // The header's byte count is the metafile's size.
    if (emf.size() < 88) std::abort();
    uint32_t total = 0;
    std::memcpy(&total, emf.data() + 48, 4);
    if (total != emf.size()) std::abort();
    return 0;
}
