#include "ledger/common/CompanyFile.h"

#include "ledger/common/FiscalPeriod.h"
#include "platform/core/Cp932.h"
#include "platform/core/FileErrors.h"
#include "platform/core/FileReplacement.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nv {

namespace {

constexpr size_t kMaxFileBytes = 1 << 20;
// The extended attribute that marks a temporary file of a save.

const char* const kItemNames[kCompanyItemCount] = {
    "氏名", "ふりがな", "郵便番号", "住所", "電話", "ＦＡＸ", "項目7", "期", "期首", "期末",
    "事業形態", "消費税処理", "税率", "仕入先締日", "売上先締日", "集計表の向き", "画面切替",
    "氏名(帳票での)",
};

enum class Kind { FixedText, Text, Number, Date };

Kind KindOf(int item)
{
    if (item <= 6 || item == 18) return Kind::FixedText;
    if (item == 14 || item == 15) return Kind::Text;
    if (item == 9 || item == 10) return Kind::Date;
    return Kind::Number;
}

size_t WidthOf(int item)
{
    static const size_t widths[] = {kOwnerNameWidth, kOwnerKanaWidth, kPostCodeWidth, kAddressWidth,
                                    kPhoneWidth, kFaxWidth};
    return item <= 6 ? widths[item - 1] : kPrintNameWidth;
}

// The value of one item, in the form compared and stored.
struct ItemValue {
    std::string text;   // UTF-8; fixed texts at their width
    std::array<float, 3> numbers{};
    bool operator==(const ItemValue&) const = default;
};

CompanyFileError ItemError(int line, int item, const std::string& reason)
{
    std::string msg = std::string(kCompanyFileName) + " の " + std::to_string(line) + " 行目";
    if (item > 0) msg += " (項目" + std::to_string(item) + " " + kItemNames[item - 1] + ")";
    msg += ": " + reason;
    return CompanyFileError(line, item, msg);
}

[[noreturn]] void Fail(int line, int item, const std::string& reason)
{
    throw ItemError(line, item, reason);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Sequential input over one value line (CP932 bytes; the delimiters are ASCII
// and never CP932 trail bytes).
class ValueReader {
public:
    ValueReader(std::string_view s, int line, int item) : s_(s), line_(line), item_(item) {}

    std::string Text()
    {
        SkipBlanks();
        std::string out;
        if (p_ < s_.size() && s_[p_] == '"') {
            ++p_;
            for (;;) {
                size_t q = s_.find('"', p_);
                if (q == std::string_view::npos) Fail(line_, item_, "閉じる引用符がありません");
                out.append(s_.substr(p_, q - p_));
                p_ = q + 1;
                if (p_ < s_.size() && s_[p_] == '"') {   // doubled quote stands for one
                    out += '"';
                    ++p_;
                    continue;
                }
                break;
            }
            SkipBlanks();
            if (p_ < s_.size()) {
                if (s_[p_] != ',') Fail(line_, item_, "引用符の後に余分な文字があります");
                ++p_;
            }
            return out;
        }
        size_t q = s_.find(',', p_);
        size_t end = q == std::string_view::npos ? s_.size() : q;
        out.assign(s_.substr(p_, end - p_));
        while (!out.empty() && out.back() == ' ') out.pop_back();
        p_ = q == std::string_view::npos ? s_.size() : q + 1;
        return out;
    }

    float Number()
    {
        SkipBlanks();
        size_t start = p_;
        while (p_ < s_.size() && !IsBlank(s_[p_]) && s_[p_] != ',') ++p_;
        std::string token(s_.substr(start, p_ - start));
        SkipBlanks();
        if (p_ < s_.size() && s_[p_] == ',') ++p_;
        if (token.empty()) Fail(line_, item_, "数値がありません");
        std::optional<double> v = ParseNumber(token);
        if (!v || !std::isfinite(*v) || std::fabs(*v) > 3.4e38)
            Fail(line_, item_, "数値ではありません: " + Cp932ToUtf8(token.substr(0, 40)));
        return static_cast<float>(*v);
    }

    void End()
    {
        SkipBlanks();
        if (p_ < s_.size()) Fail(line_, item_, "値の後に余分な文字があります");
    }

private:
    void SkipBlanks()
    {
        while (p_ < s_.size() && IsBlank(s_[p_])) ++p_;
    }

    // [+-] digits [. digits] [E [+-] digits], or with the point first.
    static std::optional<double> ParseNumber(std::string t)
    {
        size_t i = 0;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t digits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
        if (i < t.size() && t[i] == '.') {
            ++i;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
        }
        if (digits == 0) return std::nullopt;
        if (i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
            t[i] = 'e';
            ++i;
            if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
            size_t exp = 0;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++exp;
            if (exp == 0) return std::nullopt;
        }
        if (i != t.size()) return std::nullopt;
        size_t from = t[0] == '+' ? 1 : 0;
        double v = 0;
        auto r = std::from_chars(t.data() + from, t.data() + t.size(), v);
        if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
        return v;
    }

    std::string_view s_;
    size_t p_ = 0;
    int line_, item_;
};

std::string DecodeText(const std::string& cp932, int line, int item)
{
    std::string utf8 = Cp932ToUtf8(cp932);
    if (utf8.find("\xEF\xBF\xBD") != std::string::npos) Fail(line, item, "CP932 の文字ではないバイトがあります");
    return utf8;
}

ItemValue ParseValue(std::string_view raw, int line, int item)
{
    ValueReader r(raw, line, item);
    ItemValue v;
    switch (KindOf(item)) {
    // A text ends at its comma; what follows on the line is not a value of
    // any item and is passed over rather than shifting the items after it.
    case Kind::FixedText:
        return {FixedText(DecodeText(r.Text(), line, item), WidthOf(item)), {}};
    case Kind::Text:
        return {DecodeText(r.Text(), line, item), {}};
    case Kind::Number:
        v.numbers[0] = r.Number();
        break;
    case Kind::Date:
        for (float& n : v.numbers) n = r.Number();
        break;
    }
    r.End();
    return v;
}

bool Whole(float v, float low, float high)
{
    return v == std::floor(v) && v >= low && v <= high;
}

std::string Plain(float v)
{
    std::string t = PrintNumber(v);
    return t.substr(t.front() == ' ' ? 1 : 0, t.size() - (t.front() == ' ' ? 2 : 1));
}

std::string DateText(const std::array<float, 3>& n)
{
    return Plain(n[0]) + "/" + Plain(n[1]) + "/" + Plain(n[2]);
}

// Why a value that reads cannot be what its item holds; empty when it can.
// The fiscal start must be a day of the calendar; the end is a month and a
// day number.
std::string Impossible(int item, const ItemValue& v)
{
    const auto& n = v.numbers;
    switch (item) {
    case 9: {
        if (!Whole(n[0], 1, 9999) || !Whole(n[1], 1, 12) || !Whole(n[2], 1, 31) ||
            !IsCalendarDate({int(n[0]), int(n[1]), int(n[2])}))
            return DateText(n) + " は日付ではありません";
        return {};
    }
    case 10:
        if (!Whole(n[0], 1, 9999) || !Whole(n[1], 1, 12) || !Whole(n[2], 1, 31))
            return DateText(n) + " は期末の年月日ではありません";
        return {};
    default: return {};
    }
}

ItemValue ValueOf(const CompanyFile& f, int item)
{
    const CompanySettings& s = f.Settings;
    ItemValue v;
    auto one = [&](float n) { v.numbers[0] = n; };
    switch (item) {
    case 1: v.text = FixedText(s.OwnerName, kOwnerNameWidth); break;
    case 2: v.text = FixedText(s.OwnerKana, kOwnerKanaWidth); break;
    case 3: v.text = FixedText(s.PostCode, kPostCodeWidth); break;
    case 4: v.text = FixedText(s.Address, kAddressWidth); break;
    case 5: v.text = FixedText(s.Phone, kPhoneWidth); break;
    case 6: v.text = FixedText(s.Fax, kFaxWidth); break;
    case 7: one(s.Item7); break;
    case 8: one(s.Term); break;
    case 9: v.numbers = {s.StartYear, s.StartMonth, s.StartDay}; break;
    case 10: v.numbers = {s.EndYear, s.EndMonth, s.EndDay}; break;
    case 11: one(s.BusinessForm); break;
    case 12: one(s.TaxHandling); break;
    case 13: one(s.TaxRate); break;
    case 14: v.text = s.PurchaseClosingDay; break;
    case 15: v.text = s.SalesClosingDay; break;
    case 16: one(f.PortraitSummary); break;
    case 17: one(f.ScreenFlag); break;
    case 18: v.text = FixedText(s.PrintName, kPrintNameWidth); break;
    }
    return v;
}

void Store(CompanyFile& f, int item, ItemValue&& v)
{
    CompanySettings& s = f.Settings;
    const auto& n = v.numbers;
    switch (item) {
    case 1: s.OwnerName = std::move(v.text); break;
    case 2: s.OwnerKana = std::move(v.text); break;
    case 3: s.PostCode = std::move(v.text); break;
    case 4: s.Address = std::move(v.text); break;
    case 5: s.Phone = std::move(v.text); break;
    case 6: s.Fax = std::move(v.text); break;
    case 7: s.Item7 = n[0]; break;
    case 8: s.Term = n[0]; break;
    case 9: s.StartYear = n[0], s.StartMonth = n[1], s.StartDay = n[2]; break;
    case 10: s.EndYear = n[0], s.EndMonth = n[1], s.EndDay = n[2]; break;
    case 11: s.BusinessForm = n[0]; break;
    case 12: s.TaxHandling = n[0]; break;
    case 13: s.TaxRate = n[0]; break;
    case 14: s.PurchaseClosingDay = std::move(v.text); break;
    case 15: s.SalesClosingDay = std::move(v.text); break;
    case 16: f.PortraitSummary = n[0]; break;
    case 17: f.ScreenFlag = n[0]; break;
    case 18: s.PrintName = std::move(v.text); break;
    }
}

std::string ErrnoReason(int err, const std::string& path = {})
{
    return FileErrorText(err, path);
}

[[noreturn]] void FailWrite(int item, const std::string& reason)
{
    std::string msg = std::string(kCompanyFileName) + " を保存できません";
    if (item > 0) msg += std::string(": 「") + kItemNames[item - 1] + "」";
    msg += ": " + reason;
    throw CompanyFileError(0, item, msg);
}

// The first character of utf8 that CP932 cannot hold, for the message.
std::string FirstUnencodable(std::string_view utf8)
{
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        std::string_view ch = utf8.substr(i, len);
        if (!Utf8ToCp932(ch)) return std::string(ch);
        i += len;
    }
    return "?";
}

std::string EncodeText(const std::string& utf8, int item, bool keepTrailingBlanks)
{
    if (utf8.find_first_of("\r\n") != std::string::npos) FailWrite(item, "改行は使えません");
    std::optional<std::string> cp = Utf8ToCp932(utf8);
    if (!cp) FailWrite(item, "使えない文字があります「" + FirstUnencodable(utf8) + "」");
    const std::string& t = *cp;
    // An all-blank fixed text (an empty field) reads back the same unquoted.
    bool blank = t.find_first_not_of(" ") == std::string::npos;
    bool quote = t.find_first_of(",\"") != std::string::npos || (!blank && IsBlank(t.front())) ||
                 (!keepTrailingBlanks && !t.empty() && IsBlank(t.back())) || (!t.empty() && t.back() == '\t');
    if (!quote) return t;
    std::string out = "\"";
    for (char c : t) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string FormatValue(const ItemValue& v, int item)
{
    switch (KindOf(item)) {
    case Kind::FixedText: return EncodeText(v.text, item, true);
    case Kind::Text: return EncodeText(v.text, item, false);
    case Kind::Number:
        if (!std::isfinite(v.numbers[0])) FailWrite(item, "数値が正しくありません");
        return PrintNumber(v.numbers[0]);
    case Kind::Date:
        for (float n : v.numbers)
            if (!std::isfinite(n)) FailWrite(item, "数値が正しくありません");
        return PrintNumber(v.numbers[0]) + PrintNumber(v.numbers[1]) + PrintNumber(v.numbers[2]);
    }
    return {};
}

} // namespace

const char* CompanyItemName(int item)
{
    return item >= 1 && item <= kCompanyItemCount ? kItemNames[item - 1] : "";
}

std::array<std::string, kCompanyItemCount> DefaultItemLabels()
{
    std::array<std::string, kCompanyItemCount> labels;
    for (int i = 0; i < kCompanyItemCount; ++i)
        labels[static_cast<size_t>(i)] = Utf8ToCp932Lossy(std::string("'") + kItemNames[i]);
    return labels;
}

CompanyFile DefaultCompanyFile(int year)
{
    CompanyFile f;
    CompanySettings& s = f.Settings;
    s.Term = 1;
    s.StartYear = float(year), s.StartMonth = 1, s.StartDay = 1;
    s.EndYear = float(year), s.EndMonth = 12, s.EndDay = 31;
    s.BusinessForm = kSoleProprietor;
    s.TaxHandling = kTaxable;
    s.TaxRate = 10;
    s.PurchaseClosingDay = "末日";
    s.SalesClosingDay = "末日";
    return f;
}

std::string PrintNumber(float value)
{
    if (value == 0) value = 0;   // no "-0"
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    float back = 0;
    std::from_chars(buf, r.ptr, back);
    if (back != value)   // more digits than the run-time shows, rather than a changed value
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 9);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    if (s.rfind("0.", 0) == 0) s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
    // Two exponent digits at least, as the run-time writes them.
    size_t e = s.find('E');
    if (e != std::string::npos && s.size() - e == 3) s.insert(e + 2, "0");
    return (value < 0 ? "" : " ") + s + " ";
}

CompanyFile ParseCompanyFileKeeping(std::string_view bytes, int defaultYear)
{
    std::vector<std::string_view> lines;
    size_t p = 0;
    while (p < bytes.size() && lines.size() < 2 * kCompanyItemCount) {
        size_t q = bytes.find('\n', p);
        std::string_view line = bytes.substr(p, q == std::string_view::npos ? std::string_view::npos : q - p);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        p = q == std::string_view::npos ? bytes.size() : q + 1;
    }
    CompanyFile f = DefaultCompanyFile(defaultYear);
    std::array<bool, kCompanyItemCount + 1> read{};
    for (int item = 1; item <= kCompanyItemCount; ++item) {
        const size_t labelIndex = static_cast<size_t>(2 * (item - 1));
        const int valueLine = static_cast<int>(labelIndex + 2);
        try {
            if (lines.size() <= labelIndex) Fail(valueLine - 1, item, "ファイルが途中で終わっています");
            f.ItemLabels[static_cast<size_t>(item - 1)] = std::string(lines[labelIndex]);
            if (lines.size() <= labelIndex + 1) Fail(valueLine, item, "値の行がありません");
            std::string_view raw = lines[labelIndex + 1];
            f.ValueLines[static_cast<size_t>(item - 1)] = std::string(raw);
            // A zero byte would cut the value short wherever it is shown.
            if (raw.find('\0') != std::string_view::npos) Fail(valueLine, item, "値に NUL 文字があります");
            ItemValue v = ParseValue(raw, valueLine, item);
            if (std::string why = Impossible(item, v); !why.empty()) Fail(valueLine, item, why);
            // Said as the file is read, not first when 自社登録 refuses to
            // save it; kept, as the summaries read it.
            if ((item == 14 || item == 15) && !IsStoredClosingDay(v.text))
                f.Cautions.push_back(ItemError(valueLine, item, "「" + v.text + "」は締日ではありません"));
            Store(f, item, std::move(v));
            read[static_cast<size_t>(item)] = true;
        } catch (const CompanyFileError& e) {
            // The item keeps its default; the problem goes to the caller, who says it.
            f.Problems.push_back(e);
            if (lines.size() <= labelIndex + 1) break;   // the rest is missing as well
        }
    }
    // Start and end make one fiscal year: a bad one follows the other, and
    // when that cannot be either, both take their defaults.
    CompanySettings& s = f.Settings;
    if (!read[9] && read[10]) {
        // A year that ends mid-month starts the day after, a year before.
        const LineDate dayAfter{int(s.EndYear) - 1, int(s.EndMonth), int(s.EndDay) + 1};
        if (IsCalendarDate(dayAfter) && IsCalendarDate({dayAfter.year + 1, dayAfter.month, dayAfter.day})) {
            s.StartYear = float(dayAfter.year), s.StartMonth = s.EndMonth, s.StartDay = float(dayAfter.day);
        } else {
            s.StartMonth = s.EndMonth == 12 ? 1.0f : s.EndMonth + 1;
            s.StartYear = s.EndYear - (s.StartMonth > 1 ? 1.0f : 0.0f);
            s.StartDay = 1;
        }
    } else if (!read[10]) {
        DeriveFiscalEnd(s);
    } else {
        MendOldFiscalEnd(s);
    }
    const bool whole = Impossible(9, {{}, {s.StartYear, s.StartMonth, s.StartDay}}).empty() &&
                       Impossible(10, {{}, {s.EndYear, s.EndMonth, s.EndDay}}).empty();
    f.StartHeld = read[9] && whole;
    if (!whole) {
        const CompanySettings d = DefaultCompanyFile(defaultYear).Settings;
        s.StartYear = d.StartYear, s.StartMonth = d.StartMonth, s.StartDay = d.StartDay;
        s.EndYear = d.EndYear, s.EndMonth = d.EndMonth, s.EndDay = d.EndDay;
    }
    return f;
}

CompanyFile ParseCompanyFile(std::string_view bytes)
{
    CompanyFile f = ParseCompanyFileKeeping(bytes, ThisYear());
    if (!f.Problems.empty()) throw f.Problems.front();
    return f;
}

std::string DescribeProblems(const std::vector<CompanyFileError>& problems)
{
    if (problems.empty()) return {};
    std::string text = std::string(kCompanyFileName) + " に読めない値があります。その項目だけ初期設定を使います:";
    for (const CompanyFileError& e : problems) text += std::string("\n") + e.what();
    return text;
}

std::string DescribeCautions(const std::vector<CompanyFileError>& cautions)
{
    if (cautions.empty()) return {};
    std::string text = std::string(kCompanyFileName) +
                       " の締日が一覧にない値です。集計表では月末で締めます。自社登録で一覧から選んでください:";
    for (const CompanyFileError& e : cautions) text += std::string("\n") + e.what();
    return text;
}

std::string FormatCompanyFile(const CompanyFile& file)
{
    std::string out;
    for (int item = 1; item <= kCompanyItemCount; ++item) {
        size_t i = static_cast<size_t>(item - 1);
        const std::string& label = file.ItemLabels[i];
        if (label.find_first_of("\r\n") != std::string::npos) FailWrite(item, "見出しに改行があります");
        ItemValue v = ValueOf(file, item);
        std::string line;
        const std::string& raw = file.ValueLines[i];
        bool reuse = false;
        // A line the reader refuses (a NUL in it) is never written back, even
        // when what it reads to is the value.
        if (!raw.empty() && raw.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
            try {
                reuse = ParseValue(raw, 0, item) == v;
            } catch (const CompanyFileError&) {
                reuse = false;
            }
        }
        line = reuse ? raw : FormatValue(v, item);
        out += label;
        out += "\r\n";
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string ReadCompanyFileBytes(const std::string& path)
{
    const std::string name(kCompanyFileName);
    // Only a regular file: a named pipe would block the reader for good.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw CompanyFileError(0, 0, name + " を開けません: " + path + ": " + ErrnoReason(errno, path));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw CompanyFileError(0, 0, name + " が通常のファイルではありません: " + path + ": " + NotAFileText(path));
    }
    std::string bytes;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw CompanyFileError(0, 0, name + " を読めません: " + path + ": " + ErrnoReason(err));
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
        if (bytes.size() > kMaxFileBytes) {
            ::close(fd);
            throw CompanyFileError(0, 0, name + " が大きすぎます: " + path);
        }
    }
    ::close(fd);
    return bytes;
}

CompanyFile ReadCompanyFile(const std::string& path, int defaultYear)
{
    return ParseCompanyFileKeeping(ReadCompanyFileBytes(path), defaultYear);
}

int ThisYear()
{
    // The local calendar's year, as the user reads it on the clock.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local.tm_year + 1900;
}

CompanyFileReplacement::CompanyFileReplacement(const std::string& path, const std::string& bytes)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) FailWrite(0, "通常のファイルではありません: " + path);
        // Marked read-only by its owner, or not writable by this user.
        if (!(st.st_mode & S_IWUSR) || ::access(path.c_str(), W_OK) != 0) FailWrite(0, "読み取り専用です: " + path);
    }
    // The settings hold a name, an address and a telephone number.
    if (!file_.Begin(path, NewFileMode::KeepOrPrivate) || !file_.Write(bytes) || !file_.Flush())
        FailWrite(0, file_.Failure().Text());
}

CompanyFileReplacement::~CompanyFileReplacement() = default;

void CompanyFileReplacement::Replace()
{
    if (!file_.Commit()) FailWrite(0, file_.Failure().Text());
}

int RemoveCompanyFileLeftovers(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = RemoveReplacementLeftovers(folder);
    const fs::path file = fs::path(folder) / kCompanyFileName;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        const fs::path real = fs::canonical(file, ec);
        if (!ec) removed += RemoveReplacementLeftovers(real.parent_path().string());
    }
    return removed;
}

void WriteCompanyFileBytes(const std::string& path, const std::string& bytes)
{
    CompanyFileReplacement file(path, bytes);
    file.Replace();
}

void WriteCompanyFile(const std::string& path, const CompanyFile& file)
{
    // Bad values are refused before the disk is touched.
    WriteCompanyFileBytes(path, FormatCompanyFile(file));
}

} // namespace nv
