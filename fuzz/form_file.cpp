// Reads a form file as OpenForm does: compound file or plain archive, the
// contents stream, container storages of OLE items. Every malformed input
// must end in an exception of the model, never a crash or a hang.
#include "engine/model/FormFile.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        std::unique_ptr<nv::TvFedObject> form = nv::LoadFormFile(bytes);
        // A form that loaded must store again.
        nv::StoreFormFile(*form);
    } catch (const nv::CException&) {
        // A refused form is the wanted answer; only a crash is a finding.
    } catch (const std::runtime_error&) {
        // Likewise a form the file layer refuses.
    }
    return 0;
}
