#include "Viewer/PagePaper.h"

#include "platform/print/StandardPapers.h"
#include "engine/store/TvPrinterSettings.h"
#include "platform/core/Cp932.h"

#include <utility>

namespace nv::viewer {

int32_t TenthsMmToUnits(int32_t tenths) { return static_cast<int32_t>(tenths * kUnitsPerTenthMm); }

QString PagePaper::OrientationText() const { return orientation == 1 ? QStringLiteral("縦") : QStringLiteral("横"); }

PagePaper PagePaper::FromRecord(const TvPrinterSettings* record)
{
    PagePaper p;
    const StandardPaper* standard = FindStandardPaper(9);
    if (!record) {
        p.name = QString::fromUtf8(standard->name);
        return p;
    }
    p.id = record->m_nPaperSize;
    // 0 is a record that never set it: portrait, as a printer starts.
    p.orientation = record->m_nOrientation <= 1 ? 1 : 2;
    p.scale = record->m_nScale > 0 ? record->m_nScale : 100;
    if (const StandardPaper* s = FindStandardPaper(static_cast<int16_t>(p.id))) standard = s;
    int32_t w = record->m_nPaperWidth;
    int32_t l = record->m_nPaperLength;
    if (w <= 0 || l <= 0) {
        w = standard->size.width;
        l = standard->size.length;
    }
    p.width = TenthsMmToUnits(w);
    p.height = TenthsMmToUnits(l);
    if (p.orientation != 1) std::swap(p.width, p.height);
    p.name = !record->m_strFormName.empty() ? QString::fromUtf8(Cp932ToUtf8(record->m_strFormName))
             : FindStandardPaper(static_cast<int16_t>(p.id)) ? QString::fromUtf8(standard->name)
                                                              : QString();
    return p;
}

} // namespace nv::viewer
