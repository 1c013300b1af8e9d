// Coercions between variant types, as a late-bound callee applies them to
// its arguments.
#include "platform/automation/Dispatch.h"
#include "platform/automation/Variant.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace nv {

namespace {

[[noreturn]] void Mismatch() { throw AutomationError(DISP_E_TYPEMISMATCH); }
[[noreturn]] void Overflow() { throw AutomationError(DISP_E_OVERFLOW); }

constexpr double kMinDate = -657434.0;     // 0100/01/01
constexpr double kMaxDate = 2958466.0;     // after 9999/12/31 23:59:59

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(int64_t(yoe) + era * 400 + (m <= 2));
}

const int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A number written as a caller may write it: blanks around, a sign,
// decimals, an exponent, or "&H"/"&O" with hex or octal digits.
double ParseNumber(std::string_view text)
{
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.size() >= 3 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        uint64_t value = 0;
        auto [p, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), value, base);
        if (ec == std::errc::result_out_of_range || (ec == std::errc() && value > 0xFFFFFFFFu)) Overflow();
        if (ec != std::errc() || p != s.data() + s.size()) Mismatch();
        double v = double(int32_t(uint32_t(value)));
        return negative ? -v : v;
    }
    if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.')) Mismatch();
    double value = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) Overflow();
    if (ec != std::errc() || p != s.data() + s.size()) Mismatch();
    return negative ? -value : value;
}

// "yyyy/mm/dd", "yyyy-mm-dd", either with " H:mm[:ss]", or the time alone.
std::optional<double> ParseDate(std::string_view text)
{
    std::string_view s = Trim(text);
    auto number = [&s](int& out, size_t maxDigits) {
        size_t n = 0;
        int v = 0;
        while (n < s.size() && n < maxDigits && s[n] >= '0' && s[n] <= '9') v = v * 10 + (s[n++] - '0');
        if (n == 0) return false;
        s.remove_prefix(n);
        out = v;
        return true;
    };
    auto take = [&s](char c) {
        if (s.empty() || s.front() != c) return false;
        s.remove_prefix(1);
        return true;
    };
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, sec = 0;
    std::string_view save = s;
    bool haveDate = false;
    if (number(y, 4) && !s.empty() && (s.front() == '/' || s.front() == '-')) {
        char sep = s.front();
        s.remove_prefix(1);
        if (!number(mo, 2) || !take(sep) || !number(d, 2)) return std::nullopt;
        haveDate = true;
        s = Trim(s);
    } else {
        s = save;
        y = 1899;
    }
    if (!s.empty()) {
        if (!number(h, 2) || !take(':') || !number(mi, 2)) return std::nullopt;
        if (take(':') && !number(sec, 2)) return std::nullopt;
        if (!s.empty() || h > 23 || mi > 59 || sec > 59) return std::nullopt;
    } else if (!haveDate) {
        return std::nullopt;
    }
    if (y < 100 || mo < 1 || mo > 12 || d < 1) return std::nullopt;
    int cy = 0, cm = 0, cd = 0;
    CivilFromDays(DaysFromCivil(y, unsigned(mo), unsigned(d)), cy, cm, cd);
    if (cd != d) return std::nullopt;
    return MakeOleDate(y, mo, d, h, mi, sec);
}

std::string FormatReal(double x, int digits)
{
    if (x == 0) return "0";
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, digits);
    std::string s(buf, ec == std::errc() ? p : buf);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

std::string FormatCurrency(int64_t cy)
{
    bool negative = cy < 0;
    uint64_t a = negative ? uint64_t(0) - uint64_t(cy) : uint64_t(cy);
    std::string s = std::to_string(a / 10000);
    uint64_t frac = a % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, ".%04u", unsigned(frac));
        std::string f(buf);
        while (f.back() == '0') f.pop_back();
        s += f;
    }
    return negative ? "-" + s : s;
}

std::string FormatDate(double date)
{
    double whole = std::trunc(date);
    int64_t secs = std::llround(std::fabs(date - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += date < 0 ? -1 : 1;
    }
    int y = 0, m = 0, d = 0;
    CivilFromDays(int64_t(whole) + kOleEpoch, y, m, d);
    char buf[48];
    int n = std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", y, m, d);
    if (secs)
        std::snprintf(buf + n, sizeof buf - size_t(n), " %d:%02d:%02d", int(secs / 3600), int(secs / 60 % 60),
                      int(secs % 60));
    return buf;
}

// Rounds half to even and refuses what the range cannot hold.
int64_t RoundToRange(double x, double lo, double hi)
{
    if (std::isnan(x)) Overflow();
    double r = std::nearbyint(x);
    if (r < lo || r > hi) Overflow();
    return int64_t(r);
}

int64_t CurrencyToInteger(int64_t cy)
{
    int64_t q = cy / 10000, r = cy % 10000;
    if (r > 5000 || (r == 5000 && (q & 1))) ++q;
    if (r < -5000 || (r == -5000 && (q & 1))) --q;
    return q;
}

// The value of a scalar as a double (integers exactly).
double AsDouble(const Variant& v)
{
    switch (v.Vt()) {
    case VT_EMPTY: return 0;
    case VT_I2: return v.I2();
    case VT_I4: return v.I4();
    case VT_R4: return v.R4();
    case VT_R8: return v.R8();
    case VT_CY: return double(v.Cy()) / 10000.0;
    case VT_DATE: return v.Date();
    case VT_BOOL: return v.Boolean() ? -1 : 0;
    case VT_UI1: return v.Ui1();
    case VT_BSTR: return ParseNumber(v.Str());
    default: Mismatch();
    }
}

int64_t AsInteger(const Variant& v, double lo, double hi)
{
    int64_t n = 0;
    switch (v.Vt()) {
    case VT_EMPTY: return 0;
    case VT_I2: n = v.I2(); break;
    case VT_I4: n = v.I4(); break;
    case VT_UI1: n = v.Ui1(); break;
    case VT_BOOL: n = v.Boolean() ? -1 : 0; break;
    case VT_CY: n = CurrencyToInteger(v.Cy()); break;
    default: return RoundToRange(AsDouble(v), lo, hi);
    }
    if (double(n) < lo || double(n) > hi) Overflow();
    return n;
}

bool AsBool(const Variant& v)
{
    switch (v.Vt()) {
    case VT_BOOL: return v.Boolean();
    case VT_CY: return v.Cy() != 0;
    case VT_BSTR: {
        std::string_view s = Trim(v.Str());
        if (EqualNoCase(s, "True")) return true;
        if (EqualNoCase(s, "False")) return false;
        return ParseNumber(s) != 0;
    }
    default: return AsDouble(v) != 0;
    }
}

std::string AsString(const Variant& v)
{
    switch (v.Vt()) {
    case VT_EMPTY: return {};
    case VT_BSTR: return v.Str();
    case VT_I2: return std::to_string(v.I2());
    case VT_I4: return std::to_string(v.I4());
    case VT_UI1: return std::to_string(v.Ui1());
    case VT_R4: return FormatReal(v.R4(), 7);
    case VT_R8: return FormatReal(v.R8(), 15);
    case VT_CY: return FormatCurrency(v.Cy());
    case VT_DATE: return FormatDate(v.Date());
    case VT_BOOL: return v.Boolean() ? "-1" : "0";
    default: Mismatch();
    }
}

thread_local int tDefaultMemberDepth = 0;

// An object's value: its default member (id 0).
Variant DefaultValue(const Variant& v)
{
    Dispatch* d = v.AsDispatch();
    if (!d) throw AutomationError(RuntimeError(91), "オブジェクト変数が設定されていません");
    if (tDefaultMemberDepth > 8) Mismatch();
    ++tDefaultMemberDepth;
    struct Leave {
        ~Leave() { --tDefaultMemberDepth; }
    } leave;
    return InvokeOrThrow(d, DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
}

} // namespace

double MakeOleDate(int year, int month, int day, int hour, int minute, int second)
{
    double days = double(DaysFromCivil(year, unsigned(month), unsigned(day)) - kOleEpoch);
    double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    return days < 0 ? days - time : days + time;
}

Variant Variant::ChangeType(VarType target) const
{
    const Variant& v = Deref();
    uint16_t src = v.vt_;
    if (target == VT_VARIANT || target == src) return v;
    if ((src & VT_ARRAY) || (target & VT_ARRAY)) Mismatch();
    switch (src) {
    case VT_DISPATCH:
        if (target == VT_UNKNOWN) return FromUnknown(v.obj_.Get());
        return DefaultValue(v).ChangeType(target);
    case VT_UNKNOWN:
        if (target == VT_DISPATCH && v.obj_) {
            if (auto* d = static_cast<Dispatch*>(v.obj_->QueryInterface(kIID_IDispatch))) return Variant(d);
        }
        Mismatch();
    case VT_NULL:
    case VT_ERROR:
    case VT_BYREF | VT_VARIANT:
        Mismatch();
    default: break;
    }
    switch (target) {
    case VT_EMPTY: return Variant();
    case VT_BSTR: return Variant(AsString(v));
    case VT_I2: return Variant(int16_t(AsInteger(v, -32768.0, 32767.0)));
    case VT_I4: return Variant(int32_t(AsInteger(v, -2147483648.0, 2147483647.0)));
    case VT_UI1: return Variant(uint8_t(AsInteger(v, 0.0, 255.0)));
    case VT_R4: {
        double d = AsDouble(v);
        if (std::isfinite(d) && std::fabs(d) > double(FLT_MAX)) Overflow();
        return Variant(float(d));
    }
    case VT_R8: return Variant(AsDouble(v));
    case VT_CY: {
        if (v.vt_ == VT_I2 || v.vt_ == VT_I4 || v.vt_ == VT_UI1 || v.vt_ == VT_BOOL || v.vt_ == VT_EMPTY)
            return Currency(AsInteger(v, -2147483648.0, 2147483647.0) * 10000);
        return Currency(RoundToRange(AsDouble(v) * 10000.0, -9.2233720368547e18, 9.2233720368547e18));
    }
    case VT_DATE: {
        double d = 0;
        if (v.vt_ == VT_BSTR) {
            std::optional<double> parsed = ParseDate(v.str_);
            if (!parsed) Mismatch();
            d = *parsed;
        } else {
            d = AsDouble(v);
        }
        if (!(d >= kMinDate && d < kMaxDate)) Overflow();
        return Date(d);
    }
    case VT_BOOL: return Variant(AsBool(v));
    default: Mismatch();
    }
}

int16_t Variant::ToInteger() const
{
    const Variant& v = Deref();
    return v.vt_ == VT_I2 ? v.u_.i2 : ChangeType(VT_I2).u_.i2;
}

int32_t Variant::ToLong() const
{
    const Variant& v = Deref();
    return v.vt_ == VT_I4 ? v.u_.i4 : ChangeType(VT_I4).u_.i4;
}

float Variant::ToSingle() const { return ChangeType(VT_R4).u_.r4; }
double Variant::ToDouble() const { return ChangeType(VT_R8).u_.r8; }
int64_t Variant::ToCurrency() const { return ChangeType(VT_CY).u_.cy; }
double Variant::ToDate() const { return ChangeType(VT_DATE).u_.r8; }
bool Variant::ToBool() const { return ChangeType(VT_BOOL).u_.b; }
uint8_t Variant::ToByte() const { return ChangeType(VT_UI1).u_.ui1; }

std::string Variant::ToString() const
{
    const Variant& v = Deref();
    return v.vt_ == VT_BSTR ? v.str_ : ChangeType(VT_BSTR).str_;
}

Ref<Dispatch> Variant::ToObject() const
{
    const Variant& v = Deref();
    if (v.vt_ == VT_DISPATCH) return Ref<Dispatch>(v.AsDispatch());
    if (v.vt_ == VT_UNKNOWN && v.obj_) {
        if (auto* d = static_cast<Dispatch*>(v.obj_->QueryInterface(kIID_IDispatch))) return Ref<Dispatch>(d);
    }
    Mismatch();
}

} // namespace nv
