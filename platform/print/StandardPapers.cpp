#include "platform/print/StandardPapers.h"

namespace nv {

const std::vector<StandardPaper>& StandardPapers()
{
    static const std::vector<StandardPaper> table = {
        {1, "Letter", {2159, 2794}},
        {2, "Letter Small", {2159, 2794}},
        {3, "Tabloid", {2794, 4318}},
        {4, "Ledger", {4318, 2794}},
        {5, "Legal", {2159, 3556}},
        {6, "Statement", {1397, 2159}},
        {7, "Executive", {1842, 2667}},
        {8, "A3", {2970, 4200}},
        {9, "A4", {2100, 2970}},
        {10, "A4 Small", {2100, 2970}},
        {11, "A5", {1480, 2100}},
        {12, "B4 (JIS)", {2570, 3640}},
        {13, "B5 (JIS)", {1820, 2570}},
        {14, "Folio", {2159, 3302}},
        {15, "Quarto", {2150, 2750}},
        {16, "10x14", {2540, 3556}},
        {17, "11x17", {2794, 4318}},
        {18, "Note", {2159, 2794}},
        {19, "Envelope #9", {984, 2254}},
        {20, "Envelope #10", {1048, 2413}},
        {27, "Envelope DL", {1100, 2200}},
        {28, "Envelope C5", {1620, 2290}},
        {29, "Envelope C3", {3240, 4580}},
        {30, "Envelope C4", {2290, 3240}},
        {31, "Envelope C6", {1140, 1620}},
        {34, "Envelope B5", {1760, 2500}},
        {42, "B4 (ISO)", {2500, 3530}},
        {43, "Japanese Postcard", {1000, 1480}},
        {66, "A2", {4200, 5940}},
        {69, "Japanese Double Postcard", {2000, 1480}},
        {70, "A6", {1050, 1480}},
        {71, "Japanese Envelope Kaku #2", {2400, 3320}},
        {72, "Japanese Envelope Kaku #3", {2160, 2770}},
        {73, "Japanese Envelope Chou #3", {1200, 2350}},
        {74, "Japanese Envelope Chou #4", {900, 2050}},
        {88, "B6 (JIS)", {1280, 1820}},
    };
    return table;
}

const StandardPaper* FindStandardPaper(int16_t id)
{
    for (const StandardPaper& p : StandardPapers())
        if (p.id == id) return &p;
    return nullptr;
}

} // namespace nv
