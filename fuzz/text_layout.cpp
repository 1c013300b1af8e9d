// Text layout over any bytes: every character is laid out once, in order,
// and the layout ends.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/render/TextLayout.h"
#include "platform/core/Cp932.h"
#include "platform/gdi/RecordingDc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nv;
    if (size < 8) return 0;
    static DcTextMeasurer measurer(std::make_unique<RecordingDc>());
    TextLayoutParams p;
    uint8_t f = data[0];
    p.wrap = f & 1;
    p.kinsoku = f & 2;
    p.wordBreak = f & 4;
    p.reverse = f & 8;
    p.measuredPitch = !(f & 16);
    p.alignment = (f >> 5) & 7;
    p.direction = data[1] & 7;
    p.angle = int32_t(int8_t(data[2])) * 1000;
    p.zen.height = data[3] * 20;
    p.han.height = data[4] * 20;
    p.zen.pitch = data[5] * 1000;
    p.han.pitch = data[5] * 500;
    p.linePitch = data[6] * 1000;
    p.bound = {0, 0, int32_t(data[7]) * 20000, 1000000};
    p.underline = data[1] >> 5;
    p.strike = data[2] & 7;
    size_t k = size > 8 ? data[8] % 8 : 0;
    size_t at = 9;
    if (at + k > size) k = 0;
    p.kinsokuString.assign(reinterpret_cast<const char*>(data + at), k);
    at += k;
    if (at > size) at = size;
    std::string text(reinterpret_cast<const char*>(data + at), size - at);

    TextLayout layout(&measurer);
    layout.Prepare(p);
    layout.Build(text);
    // Characters as the layout reads them: a lead byte takes the next byte.
    std::string expected;
    for (size_t i = 0; i < text.size();) {
        size_t n = Cp932CharLength(text, i);
        if (n == 2 || (text[i] != '\r' && text[i] != '\n')) expected.append(text, i, n);
        i += n;
    }
    std::string got;
    for (const TextLine& line : layout.Lines()) {
        if (p.reverse) {
            for (auto it = line.runs.rbegin(); it != line.runs.rend(); ++it) got += it->ch;
        } else {
            for (const TextRun& r : line.runs) got += r.ch;
        }
    }
    if (got != expected) std::abort();
    return 0;
}
