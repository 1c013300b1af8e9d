#pragma once
// The paper sizes every printer set-up knows by number, with the names the
// form list shows. B4 and B5 are the Japanese (JIS) sizes.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// A paper size in tenths of a millimetre (width, length) unless said otherwise.
struct PaperExtent {
    int32_t width = 0;
    int32_t length = 0;
    bool operator==(const PaperExtent&) const = default;
};

struct StandardPaper {
    int16_t id;
    const char* name;
    PaperExtent size; // tenths of a millimetre, portrait
};

const std::vector<StandardPaper>& StandardPapers();
// nullptr when the number is not a standard paper.
const StandardPaper* FindStandardPaper(int16_t id);

} // namespace nv
