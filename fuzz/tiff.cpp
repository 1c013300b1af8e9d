// TIFF files through the image toolkit; whatever it returns must be a DIB
// the reader accepts.
#include "ImageTool/DibReader.h"
#include "ImageTool/ImgTool.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> dib;
    int rc = nv::ImgTiffMemoryToDib(data, size, dib);
    if (rc == nv::kImgOk) {
        nv::DibInfo info;
        if (nv::DibReader::Parse(dib.data(), dib.size(), info) != nv::DibStatus::Ok) std::abort();
        std::vector<uint32_t> pixels(size_t(info.width) * size_t(info.height));
        nv::DibReader::Decode(dib.data(), info, pixels.data());
    } else if (rc != nv::kImgNoMemory && rc != nv::kImgReadError) {
        std::abort();
    }
    return 0;
}
