#include "platform/ui/DesignUnits.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace nv::ui {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignFullWidth = 12.0;

} // namespace

int DesignPixels(const QWidget* w, int twips)
{
    const QFontMetricsF fm(w->font());
    const double scale = std::max(1.0, fm.horizontalAdvance(QChar(0xFF10)) / kDesignFullWidth);
    return int(std::lround(twips / kTwipsPerPixel * scale));
}

int HeaderFitWidth(const QHeaderView* h, const QString& caption, int pixels)
{
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    return std::max(pixels, h->fontMetrics().horizontalAdvance(caption) + 2 * margin + 2);
}

} // namespace nv::ui
