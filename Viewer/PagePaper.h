#pragma once
#include <QString>

#include <cstdint>

namespace nv {
class TvPrinterSettings;
}

namespace nv::viewer {

// Lengths of the viewer are document units (1/1,440,000 inch).
constexpr double kUnitsPerTenthMm = 5669.2913385826770;
constexpr int32_t kA4Width = 11905511;
constexpr int32_t kA4Height = 16837795;
constexpr int32_t kTenMm = 566929;
constexpr int32_t kFiveMm = 283464; // 283464.567 cut off, as every length here

// The sheet one page is shown on: its own paper, turned for landscape.
struct PagePaper {
    QString name;
    int id = 9;
    int orientation = 1;       // 1 portrait
    int scale = 100;           // percent
    int32_t width = kA4Width;  // as drawn (turned)
    int32_t height = kA4Height;

    QString OrientationText() const;

    // From a page's paper record (null: A4 portrait). A size of 0 takes the
    // paper id's standard size, else A4, so the sheet is never empty.
    static PagePaper FromRecord(const TvPrinterSettings* record);
};

int32_t TenthsMmToUnits(int32_t tenths);

} // namespace nv::viewer
