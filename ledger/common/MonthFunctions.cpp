#include "ledger/common/MonthFunctions.h"

#include "ledger/common/LedgerErrors.h"
#include "platform/db/Recordset.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace nv {

namespace {

void CheckYear(int year)
{
    if (year < 100 || year > 9999) throw PeriodError("年が正しくありません: " + std::to_string(year));
}

int64_t FirstOf(int year, int month)
{
    CheckYear(year);
    return DaysFromCivil(year, month, 1);
}

} // namespace

int FiscalSettingNumber(float v, const char* what)
{
    if (!std::isfinite(v) || v != std::floor(v) || std::fabs(v) > 1.0e6f)
        throw PeriodError(std::string("会計期間の") + what + "が正しくありません");
    return static_cast<int>(v);
}

FiscalBounds FiscalBounds::From(const CompanySettings& settings)
{
    CompanySettings s = settings;
    MendOldFiscalEnd(s);
    FiscalBounds f;
    f.StartYear = FiscalSettingNumber(s.StartYear, "開始年");
    f.StartMonth = FiscalSettingNumber(s.StartMonth, "開始月");
    f.EndYear = FiscalSettingNumber(s.EndYear, "終了年");
    f.EndMonth = FiscalSettingNumber(s.EndMonth, "終了月");
    if (f.StartMonth < 1 || f.StartMonth > 12 || f.EndMonth < 1 || f.EndMonth > 12)
        throw PeriodError("会計期間の月が正しくありません");
    if (s.StartDay >= 1 && s.StartDay <= 31 && s.StartDay == std::floor(s.StartDay))
        f.StartDay = static_cast<int>(s.StartDay);
    if (s.EndDay >= 1 && s.EndDay <= 31 && s.EndDay == std::floor(s.EndDay)) f.EndDay = static_cast<int>(s.EndDay);
    return f;
}

LineDate LineDateOf(const Recordset& rs)
{
    auto part = [&](const char* name) {
        std::optional<int64_t> v = IntegerOf(rs.Fields(name));
        if (!v || *v < -100000 || *v > 100000)
            throw PeriodError(std::string("行の") + name + "が正しくありません");
        return static_cast<int>(*v);
    };
    return {part("年"), part("月"), part("日")};
}

int64_t DaysFromCivil(int year, int month, int day)
{
    // Howard Hinnant's days_from_civil.
    int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (month + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int gfTsuki(int month, int year)
{
    if (month > 12) month -= 12;
    if (month < 1 || month > 12) throw PeriodError("gfTsuki: 月が正しくありません: " + std::to_string(month));
    int y2 = year, m2 = month + 1;
    if (m2 > 12) {
        m2 = 1;
        y2 = year + 1;
    }
    CheckYear(year);
    return static_cast<int>(DaysFromCivil(y2, m2, 1) - DaysFromCivil(year, month, 1));
}

int CalendarMonthOf(int startMonth, int fiscalMonth)
{
    if (startMonth < 1 || startMonth > 12 || fiscalMonth < 1 || fiscalMonth > 12)
        throw PeriodError("会計月が正しくありません: " + std::to_string(fiscalMonth));
    return (startMonth + fiscalMonth - 2) % 12 + 1;
}

int FiscalMonthOf(const FiscalBounds& f, int closingDay, const LineDate& line)
{
    if (closingDay < 1 || closingDay > 31)
        throw PeriodError("締日が正しくありません: " + std::to_string(closingDay));
    const std::string date =
        std::to_string(line.year) + "/" + std::to_string(line.month) + "/" + std::to_string(line.day);
    if (line.year < 100 || line.year > 9999 || line.month < 1 || line.month > 12 || line.day < 1 ||
        line.day > gfTsuki(line.month, line.year))
        throw PeriodError("行の日付が正しくありません: " + date);
    const int64_t pos = DaysFromCivil(line.year, line.month, line.day);
    const int64_t first = FirstOf(f.StartYear, f.StartMonth) + f.StartDay - 1;
    const int64_t last = FirstOf(f.EndYear, f.EndMonth) + std::min(f.EndDay, gfTsuki(f.EndMonth, f.EndYear)) - 1;
    if (pos < first || pos > last) throw PeriodError("行の日付が会計期間の外です: " + date);
    int fiscalMonth = 1;
    // The twelfth month takes every line after the eleventh, so no closing
    // runs past the year's twelve months.
    for (int i = 1; i <= 11; ++i) {
        const int month = CalendarMonthOf(f.StartMonth, i);
        const int year = f.StartYear + (f.StartMonth + i - 2) / 12;
        // The year's end month never closes before its end.
        if (year == f.EndYear && month == f.EndMonth) continue;
        const int day = std::min(closingDay, gfTsuki(month, year));
        if (pos > DaysFromCivil(year, month, day)) ++fiscalMonth;
    }
    return fiscalMonth;
}

} // namespace nv
