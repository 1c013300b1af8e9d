// The ProgID file: every line it keeps must write back and read again to the
// same entries.
#include "platform/automation/ProgIdRegistry.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> problems;
    std::vector<nv::ProgIdEntry> entries = nv::ParseProgIdFile(text, &problems);
    std::string again;
    for (const nv::ProgIdEntry& e : entries) {
        if (e.progId.find_first_of("\t\n") != std::string::npos) std::abort();
        if (e.library.empty() == e.curVer.empty()) std::abort();
        again += e.progId + '\t' + (e.library.empty() ? "CurVer\t" + e.curVer
                                                      : e.library + '\t' + e.typeName + '\t' + e.categories) + '\n';
    }
    std::vector<nv::ProgIdEntry> back = nv::ParseProgIdFile(again);
    if (back.size() != entries.size()) std::abort();
    for (size_t i = 0; i < back.size(); ++i)
        if (back[i].progId != entries[i].progId || back[i].library != entries[i].library
            || back[i].curVer != entries[i].curVer || back[i].categories != entries[i].categories)
            std::abort();
    return 0;
}
