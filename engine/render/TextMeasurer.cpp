#include "engine/render/TextMeasurer.h"

#include "platform/core/Cp932.h"
#include "platform/gdi/MeasuringDc.h"

#include <cstdlib>
#include <atomic>
#include <mutex>

namespace nv {

DcTextMeasurer::DcTextMeasurer(std::unique_ptr<DeviceContext> dc) : m_owned(std::move(dc)), m_dc(m_owned.get()) {}

DcTextMeasurer::DcTextMeasurer(DeviceContext& dc) : m_dc(&dc) {}

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
class ProcessTextMeasurer : public TextMeasurer {
public:
    DcSize Measure(const MeasureFont& font, std::string_view ch) override
    {
        std::lock_guard lock(m_mutex);
        DcSize size;
        const bool measured = WithMeasuringDc([&](DeviceContext& dc) {
            if (m_dc != &dc) {
                // A new context (the old went with its application): fresh sizes.
                m_dc = &dc;
                m_measurer = std::make_unique<DcTextMeasurer>(dc);
                ++m_generation;
            }
            size = m_measurer->Measure(font, ch);
        });
        if (measured != m_measured) {
            m_measured = measured;
            ++m_generation;
        }
        return measured ? size : CellSize(font, ch);
    }
    uint64_t Generation() const override { return m_generation; }

private:
    static DcSize CellSize(const MeasureFont& font, std::string_view ch)
    {
        const int32_t em = std::abs(font.height);
        const int32_t half = font.width != 0 ? std::abs(font.width) : (em + 1) / 2;
        return {ch.size() > 1 ? 2 * half : half, em};
    }

    std::mutex m_mutex;
    const DeviceContext* m_dc = nullptr;
    bool m_measured = true;
    std::atomic<uint64_t> m_generation{0};
    std::unique_ptr<DcTextMeasurer> m_measurer;
};
} // namespace

TextMeasurer* DefaultTextMeasurer()
{
    static ProcessTextMeasurer measurer;
    return &measurer;
}

} // namespace nv
