#include "ledger/journal/print/SummaryPages.h"

#include <array>

namespace nv {

namespace {

constexpr const char* kLetters = "abcdefghijklmnopqrstuvwx";

struct Layout {
    int columns;      // per page
    int firstSlot;    // of the section
    int slots;        // figures per column
    int captionMonths;// months captioned beside column a
};

std::array<int, 13> MonthNumbers(const SummaryHeading& h)
{
    std::array<int, 13> m{};
    for (int i = 1; i <= 12; ++i) m[static_cast<size_t>(i)] = CalendarMonthOf(h.StartMonth, i);
    return m;
}

void WriteHeading(std::vector<FieldWrite>& out, const SideWords& words, const SummaryHeading& h, int captions)
{
    out.push_back({"印刷名", Variant(h.PrintName)});
    out.push_back({"集計表", Variant(SummaryTitle(words))});
    out.push_back({"head0", Variant("前月残高")});
    for (int k = 1; 3 * k <= captions; ++k) {
        out.push_back({"head" + std::to_string(3 * k - 2), Variant(words.MonthAmountHeading)});
        out.push_back({"head" + std::to_string(3 * k - 1), Variant(words.MonthSettlementHeading)});
        out.push_back({"head" + std::to_string(3 * k), Variant("次月繰越")});
    }
    out.push_back({"年", Variant(h.StartYear)});
}

// One section: the party columns and the year-total column, page after page.
void BuildSection(std::vector<ReportPage>& pages, const SideWords& words, const SummaryHeading& heading,
                  const SummaryData& data, const Layout& layout, int monthOffset)
{
    const std::array<int, 13> months = MonthNumbers(heading);
    const size_t count = data.Rows.size();
    ReportPage* page = nullptr;
    for (size_t index = 1; index <= count + 1; ++index) {
        const int position = static_cast<int>((index - 1) % static_cast<size_t>(layout.columns));
        if (position == 0) page = &pages.emplace_back();
        std::vector<FieldWrite>& w = page->Writes;
        // Every column names the report, so a page of only the totals can be read.
        WriteHeading(w, words, heading, layout.slots - 1);
        const bool total = index == count + 1;
        const MonthTotals& figures = total ? data.YearTotals : data.Rows[index - 1].Figures.Totals;
        w.push_back({"hito" + std::to_string(position + 1),
                     Variant(total ? std::string(kYearTotalCaption) : data.Rows[index - 1].Name)});
        const char letter = kLetters[position];
        for (int k = 0; k < layout.slots; ++k) {
            const std::string name = letter + std::to_string(k);
            w.push_back({name, Variant("")});
            w.push_back({name, Variant(StrForm(figures[static_cast<size_t>(layout.firstSlot + k)]))});
        }
        if (position == 0) {
            for (int i = 1; i <= layout.captionMonths; ++i)
                w.push_back({"tsuki" + std::to_string(i), Variant(static_cast<int16_t>(months[monthOffset + i]))});
        }
        const bool last = total || position == layout.columns - 1;
        if (last) w.push_back({"ページ", PageNumberValue(static_cast<int>(pages.size()))});
    }
}

} // namespace

SummaryHeading SummaryHeadingOf(const CompanySettings& s)
{
    SummaryHeading h;
    h.PrintName = s.PrintName;
    h.StartYear = s.StartYear;
    h.StartMonth = s.StartMonth >= 1 && s.StartMonth <= 12 ? static_cast<int>(s.StartMonth) : 1;
    return h;
}

const char* SummaryTitle(const SideWords& words)
{
    return words.Side == JournalSide::Purchases ? "買 掛 金 集 計 表" : "売 掛 金 集 計 表";
}

std::vector<ReportPage> BuildPortraitSummary(const SideWords& words, const SummaryHeading& heading,
                                             const SummaryData& data)
{
    std::vector<ReportPage> pages;
    BuildSection(pages, words, heading, data, {kPortraitColumns, 0, 37, 12}, 0);
    return pages;
}

std::vector<ReportPage> BuildLandscapeSummary(const SideWords& words, const SummaryHeading& heading,
                                              const SummaryData& data)
{
    std::vector<ReportPage> pages;
    for (int section = 0; section < 3; ++section)
        BuildSection(pages, words, heading, data, {kLandscapeColumns, 12 * section, 13, 4}, 4 * section);
    return pages;
}

} // namespace nv
