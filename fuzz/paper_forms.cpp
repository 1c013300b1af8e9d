// The file of registered paper forms is read back from the user's folder,
// where anything may have been written to it: every content must load, and a
// form must still be added to and removed from it afterwards.
#include "platform/print/FormRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/nv-fuzz-paper-forms-" + std::to_string(::getpid());
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    nv::FormRegistry registry(path);
    if (auto forms = registry.Load()) {
        for (const nv::RegisteredForm& r : *forms)
            if (r.paperId <= 256 || r.form.width <= 0 || r.form.height <= 0 || r.form.name.empty()) __builtin_trap();
    }
    const nv::FormInfo1 form{0, "Tavelo Form 1", 100000, 150000, 0, 0, 100000, 150000};
    if (registry.Add(form) == nv::SpoolStatus::Ok) {
        auto again = registry.Load();
        if (!again || again->empty()) __builtin_trap();
        registry.Remove("Tavelo Form 1");
    }
    std::remove(path.c_str());
    return 0;
}
