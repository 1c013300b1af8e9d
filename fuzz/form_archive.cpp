// Reads whatever objects an archive holds, as a form file or a stored form
// would be read: every malformed input must end in an archive error.
#include "engine/core/Archive.h"
#include "engine/model/ModelClasses.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::RegisterModelClasses();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    nv::Archive ar(bytes);
    try {
        while (ar.Remaining() > 0) {
            std::unique_ptr<nv::CObject> obj = ar.ReadObject<nv::CObject>(false);
            if (!obj) break;
            // Storing what was read must not fail either.
            nv::Archive out;
            out.WriteObject(obj.get());
        }
    } catch (const nv::CException&) {
        // A refused archive is the wanted answer; only a crash is a finding.
    }
    return 0;
}
