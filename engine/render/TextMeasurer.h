#pragma once
// Measuring characters for the text layout: a small interface, so that the
// layout runs with a fake in tests and with the real fonts in drawing.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/gdi/DeviceContext.h"

namespace nv {

struct MeasureFont {
    std::string faceName; // CP932
    uint8_t charSet = 128;
    uint8_t pitchAndFamily = 0;
    int32_t height = 0; // em, pixels of the measuring device
    int32_t width = 0;  // average character width, 0 = natural
    bool bold = false;
    bool italic = false;
    friend auto operator<=>(const MeasureFont&, const MeasureFont&) = default;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // The extent (x along the text, y the cell height) of one CP932 character.
    virtual DcSize Measure(const MeasureFont& font, std::string_view cp932Char) = 0;
    // Changes whenever the same character may measure differently from
    // before (the device measured on changed), so that layouts kept from
    // earlier measures are made anew.
    virtual uint64_t Generation() const { return 0; }
};

// Measures through a device context (the process's measuring context), with
// a cache per font and character.
class DcTextMeasurer : public TextMeasurer {
public:
    explicit DcTextMeasurer(std::unique_ptr<DeviceContext> dc);
    // Measures on a context the caller keeps alive.
    explicit DcTextMeasurer(DeviceContext& dc);
    DcSize Measure(const MeasureFont& font, std::string_view cp932Char) override;
    DeviceContext& Dc() { return *m_dc; }

private:
    std::unique_ptr<DeviceContext> m_owned;
    DeviceContext* m_dc;
    std::map<MeasureFont, std::unordered_map<uint32_t, DcSize>> m_cache;
};

// The measurer the layout uses when it is given none, one per process:
// through the process's measuring context (platform/gdi/MeasuringDc.h), or,
// in a process without a drawing platform, by character cells (half-width
// half the em, full-width the em) so that characters never pile up.
TextMeasurer* DefaultTextMeasurer();

} // namespace nv
