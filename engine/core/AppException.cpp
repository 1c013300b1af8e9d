#include "engine/core/AppException.h"

#include "engine/core/EngineLog.h"
#include "engine/core/StoredNames.h"
#include "platform/core/Cp932.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

namespace nv {
namespace {

struct TableEntry {
    uint32_t id;
    const char* utf8;
};

// Written here in UTF-8; held and shown as CP932.
constexpr TableEntry kTable[] = {
    {22000, "ドキュメントファイルの作成に失敗しました。(%s)\n\n%s"},
    {22001, "テンポラリファイルの作成に失敗しました。\n\n%s"},
    {22002, "ファイルのオープンに失敗しました。(%s)\n\n%s"},
    {22003, "ページの情報が見つかりませんでした(%dページ)。"},
    {22004, "フォームの情報が見つかりませんでした。"},
    // No download address to give: the line that would point at one is left out.
    {22005, "タベロドキュメントファイルでないか、未対応バージョンのファイルフォーマットです。"},
    {22006, "データが正しくありません。\nタベロドキュメントのファイルが壊れている可能性があります。"},
    {22007, "ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙの書きこみに失敗しました。"},
    {22008, "未対応ﾊﾞｰｼﾞｮﾝのﾌｧｲﾙです。"},
    {22009, "圧縮ドキュメントを解凍できませんでした。"},
    {22010, "圧縮ドキュメントファイルが作成できませんでした。"},
    {30000, "ﾋﾞｯﾄﾏｯﾌﾟ情報の取得に失敗しました"},
    {30001, "作業ﾌｧｲﾙが作成できません"},
    {30002, "作業ﾌｧｲﾙが作成できません"},
    {30003, "ｲﾒｰｼﾞｵﾌﾞｼﾞｪｸﾄの描画ができません"},
    {30004, "ｲﾒｰｼﾞﾌｧｲﾙの読込ができません"},
    {30005, "ｲﾒｰｼﾞﾌｧｲﾙが開けません"},
    {30006, "レイヤ"},
    {30007, kFormVersionString},
    {30008, "ｵｰﾊﾞｰﾌﾛｰもしくはｱﾝﾀﾞｰﾌﾛｰが発生しました。"},
};

const std::map<uint32_t, std::string>& Table()
{
    static const std::map<uint32_t, std::string> table = [] {
        std::map<uint32_t, std::string> t;
        for (const auto& e : kTable) t.emplace(e.id, Utf8ToCp932(e.utf8).value_or(std::string()));
        return t;
    }();
    return table;
}

std::mutex& HandlerMutex()
{
    static std::mutex m;
    return m;
}

MessageBoxHandler& Handler()
{
    static MessageBoxHandler h;
    return h;
}

long long AsInteger(const FormatArg& a)
{
    const auto& v = a.value();
    if (auto p = std::get_if<long long>(&v)) return *p;
    if (auto p = std::get_if<double>(&v)) return static_cast<long long>(*p);
    return 0;
}

double AsDouble(const FormatArg& a)
{
    const auto& v = a.value();
    if (auto p = std::get_if<double>(&v)) return *p;
    if (auto p = std::get_if<long long>(&v)) return static_cast<double>(*p);
    return 0.0;
}

std::string AsString(const FormatArg& a)
{
    const auto& v = a.value();
    if (auto p = std::get_if<std::string>(&v)) return *p;
    if (auto p = std::get_if<long long>(&v)) return std::to_string(*p);
    return std::to_string(std::get<double>(v));
}

// Formats one conversion whose spec (flags, width, precision) is checked,
// with a fixed conversion letter, so the format string is always ours.
template <class T>
std::string FormatOne(const std::string& spec, T value)
{
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, spec.c_str(), value);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    big.resize(static_cast<size_t>(n));
    return big;
}

} // namespace

const std::string& LoadEngineString(uint32_t id)
{
    static const std::string empty;
    const auto& t = Table();
    auto it = t.find(id);
    return it == t.end() ? empty : it->second;
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args)
{
    std::string out;
    auto next = args.begin();
    auto take = [&]() -> const FormatArg* { return next == args.end() ? nullptr : &*next++; };
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            // A double-byte character is copied whole: its trail byte may be '%'.
            const size_t len = Cp932CharLength(format, i);
            out.append(format.substr(i, len));
            i += len;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // %[flags][width][.precision][length]conversion
        size_t j = i + 1;
        std::string spec = "%";
        while (j < format.size() && std::strchr("-+ #0", format[j])) spec += format[j++];
        auto digits = [&](bool precision) {
            if (j < format.size() && format[j] == '*') {
                const FormatArg* a = take();
                long long w = a ? AsInteger(*a) : 0;
                if (w > 1000) w = 1000;
                if (w < -1000) w = -1000;
                if (precision && w < 0) {
                    spec.pop_back(); // a negative precision counts as none
                    ++j;
                    return;
                }
                spec += std::to_string(w);
                ++j;
                return;
            }
            size_t start = j;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
            std::string d(format.substr(start, j - start));
            if (d.size() > 3) d = "1000"; // widths beyond reason
            spec += d;
        };
        digits(false);
        if (j < format.size() && format[j] == '.') {
            spec += '.';
            ++j;
            digits(true);
        }
        while (j < format.size() && std::strchr("hlLqjzt", format[j])) ++j;
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        const char conv = format[j];
        const FormatArg* a = nullptr;
        switch (conv) {
        case 'd':
        case 'i':
            a = take();
            out += FormatOne(spec + "lld", a ? AsInteger(*a) : 0LL);
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            a = take();
            out += FormatOne(spec + "ll" + conv, static_cast<unsigned long long>(a ? AsInteger(*a) : 0LL));
            break;
        case 'c':
            a = take();
            out += static_cast<char>(a ? AsInteger(*a) : 0);
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
            a = take();
            out += FormatOne(spec + conv, a ? AsDouble(*a) : 0.0);
            break;
        case 's': {
            a = take();
            const std::string s = a ? AsString(*a) : std::string();
            out += FormatOne(spec + "s", s.c_str());
            break;
        }
        case 'n':
            take();
            break;
        default:
            // Not a conversion we know: keep the text as written.
            out.append(format.substr(i, j + 1 - i));
            break;
        }
        i = j + 1;
    }
    return out;
}

std::string AppendCauseMessage(std::string message, const CException& cause)
{
    std::string text;
    try {
        text = cause.GetErrorMessage();
    } catch (...) {
        // A cause that cannot say what it was adds nothing: the message stands alone.
    }
    // The message buffer held 511 bytes; cut there, between characters.
    constexpr size_t kMax = 511;
    if (text.size() > kMax) {
        size_t end = 0;
        while (end < text.size()) {
            const size_t len = Cp932CharLength(text, end);
            if (end + len > kMax) break;
            end += len;
        }
        text.resize(end);
    }
    message += "\n\n";
    message += text;
    return message;
}

CAppException::CAppException(uint32_t id, std::initializer_list<FormatArg> args)
    : m_strMessage(FormatText(LoadEngineString(id), args)), m_nMessageId(id)
{
}

CAppException::CAppException(std::string_view format, std::initializer_list<FormatArg> args)
    : m_strMessage(FormatText(format, args))
{
}

CAppException::CAppException(const CException& cause, uint32_t id, std::initializer_list<FormatArg> args)
    : m_strMessage(AppendCauseMessage(FormatText(LoadEngineString(id), args), cause)), m_nMessageId(id)
{
}

CAppException::CAppException(const CException& cause, std::string_view format,
                             std::initializer_list<FormatArg> args)
    : m_strMessage(AppendCauseMessage(FormatText(format, args), cause))
{
}

int CAppException::ReportError(unsigned style, unsigned helpId) const
{
    MessageBoxHandler h;
    {
        std::lock_guard lock(HandlerMutex());
        h = Handler();
    }
    if (h) return h(m_strMessage, style, helpId);
    LogLine("CAppException", Cp932ToUtf8(m_strMessage));
    return 1;
}

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(HandlerMutex());
    Handler() = std::move(handler);
}

void ThrowLastError()
{
    const int err = errno;
    char buf[512];
    // The GNU strerror_r returns the text, not always in buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    // The system text is data, never a format.
    throw CAppException(std::string_view("%s"), {FormatArg(Utf8ToCp932Lossy(text ? text : ""))});
}

} // namespace nv
