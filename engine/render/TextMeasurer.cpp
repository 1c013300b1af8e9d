#include "engine/render/TextMeasurer.h"

#include "platform/core/Cp932.h"

namespace nv {

DcTextMeasurer::DcTextMeasurer(std::unique_ptr<DeviceContext> dc) : m_dc(std::move(dc)) {}

DcSize DcTextMeasurer::Measure(const MeasureFont& font, std::string_view ch)
{
    uint32_t key = 0;
    for (size_t i = 0; i < ch.size() && i < 2; ++i) key = (key << 8) | uint8_t(ch[i]);
    key |= uint32_t(std::min<size_t>(ch.size(), 3)) << 24;
    auto& perFont = m_cache[font];
    if (auto it = perFont.find(key); it != perFont.end()) return it->second;
    if (m_cache.size() > 64) {
        // Forms use a handful of fonts; a runaway set is simply dropped.
        m_cache.clear();
        return Measure(font, ch);
    }
    DcFont f;
    f.height = -std::abs(font.height);
    f.width = std::abs(font.width);
    f.weight = font.bold ? 700 : 400;
    f.italic = font.italic;
    f.charSet = font.charSet;
    f.pitchAndFamily = font.pitchAndFamily;
    f.faceName = Cp932ToUtf8(font.faceName);
    m_dc->SelectFont(f);
    DcSize s = m_dc->GetTextExtentA(ch);
    m_cache[font][key] = s;
    return s;
}

namespace {
std::unique_ptr<TextMeasurer>& Engine()
{
    static std::unique_ptr<TextMeasurer> engine;
    return engine;
}
} // namespace

void InitTextEngine(std::unique_ptr<DeviceContext> measuringDc)
{
    Engine() = std::make_unique<DcTextMeasurer>(std::move(measuringDc));
}

void InitTextEngine(std::unique_ptr<TextMeasurer> measurer) { Engine() = std::move(measurer); }

void TermTextEngine() { Engine().reset(); }

TextMeasurer* DefaultTextMeasurer() { return Engine().get(); }

} // namespace nv
