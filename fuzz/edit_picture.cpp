// Edit pictures and field values as stored forms and callers hand them over.
// Input: one flags byte, then picture, value, replacement, prefix and suffix
// separated by newlines.
#include "engine/format/TvPicture.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string_view fields[5];
    for (auto& f : fields) {
        size_t nl = rest.find('\n');
        f = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    }
    nv::TvPicture p;
    p.SetPicture(fields[0]);
    p.SetValue(fields[1]);
    p.SetReplacement(fields[2]);
    p.SetPrefix(fields[3]);
    p.SetSuffix(fields[4]);
    p.SetThousands(flags & 1);
    p.SetReversed(flags & 2);
    p.SetAlignment(flags & 4 ? 2 : 1);
    p.SetWidthMode((flags >> 3) & 3);
    std::string out;
    int rc = p.Format(out);
    if ((rc == -1 || rc == -2) && !out.empty()) std::abort();
    if (rc != 0 && rc != -1 && rc != -2 && rc != -3) std::abort();
    return 0;
}
