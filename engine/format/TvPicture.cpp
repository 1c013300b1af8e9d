#include "engine/format/TvPicture.h"

#include "platform/core/Cp932.h"

#include <algorithm>
#include <array>
#include <vector>

namespace nv {

namespace {

constexpr size_t kMaxPictureChars = 1024;
constexpr size_t kMaxReplacementBytes = size_t(1) << 20;
constexpr std::string_view kFullWidthK = "\x82\x6A";

std::vector<std::string_view> SplitChars(std::string_view s)
{
    std::vector<std::string_view> out;
    for (size_t i = 0; i < s.size();) {
        size_t n = Cp932CharLength(s, i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

bool AllEqual(std::string_view s, char c)
{
    return std::all_of(s.begin(), s.end(), [c](char x) { return x == c; });
}

// The integer part of a 9/B/Z picture: "9" is always allowed and from then on
// only "9"; "B" while all so far is "B"; "Z" while all so far is "Z".
bool ValidIntegerPicture(std::string_view ip)
{
    bool seenNine = false;
    for (size_t i = 0; i < ip.size(); ++i) {
        char c = ip[i];
        if (c == '9') {
            seenNine = true;
            continue;
        }
        if (seenNine) return false;
        if ((c == 'B' || c == 'Z') && AllEqual(ip.substr(0, i), c)) continue;
        return false;
    }
    return true;
}

bool ValidFractionPicture(std::string_view fp)
{
    if (fp.empty()) return false;
    char c = fp[0];
    if (c != '*' && c != '9' && c != 'B' && c != 'Z') return false;
    return AllEqual(fp, c);
}

// Adds one to a string of decimal digits; returns true when it carries out
// of the leftmost digit (all digits were 9, or the string was empty).
bool IncrementDigits(std::string& digits)
{
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    return true;
}

std::string InsertThousands(std::string_view s)
{
    std::string out;
    size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += s[i];
    }
    return out;
}

// A value read for a numeric picture: its sign and decimal digits, the
// fraction rounded to the fraction picture's length.
struct Number {
    bool negative = false;
    std::string intDigits; // without leading zeros; "0" for none
    std::string frac;
    bool intZero = false;
    bool fracZero = false;
    bool Zero() const { return intZero && fracZero; }
};

// Splits the value (ASCII only, so bytes are characters) and rounds half up
// to `fracLength` places. A fraction that rounds past its picture carries
// into the integer part; a shorter one is padded on the right (0.5 in ".99"
// is ".50"). False when the value is not a number.
bool ReadNumber(std::string_view v, size_t fracLength, Number& num)
{
    if (v.empty()) v = "0";
    size_t i = 0;
    if (v[0] == '+' || v[0] == '-') {
        num.negative = v[0] == '-';
        i = 1;
    }
    std::string fracDigits;
    bool point = false;
    bool anyDigit = false;
    for (; i < v.size(); ++i) {
        char c = v[i];
        if (c >= '0' && c <= '9') {
            (point ? fracDigits : num.intDigits) += c;
            anyDigit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!anyDigit) return false;
    size_t nz = num.intDigits.find_first_not_of('0');
    num.intDigits = nz == std::string::npos ? "0" : num.intDigits.substr(nz);

    const size_t n = fracLength;
    if (fracDigits.size() <= n) {
        num.frac = fracDigits + std::string(n - fracDigits.size(), '0');
    } else {
        num.frac = fracDigits.substr(0, n);
        if (fracDigits[n] >= '5' && IncrementDigits(num.frac)) {
            if (IncrementDigits(num.intDigits)) num.intDigits.insert(0, 1, '1');
        }
    }
    num.fracZero = AllEqual(num.frac, '0');
    num.intZero = num.intDigits == "0";
    // A value that rounds to zero prints no sign.
    if (num.Zero()) num.negative = false;
    return true;
}

// The integer text of a value whose integer part is 0, one position per
// picture character; true when a "Z" ends the picture, which leaves nothing
// more to place.
bool ZeroIntegerText(std::string_view ip, const Number& num, std::string& text)
{
    const char ipLast = ip.empty() ? '\0' : ip.back();
    for (char c : ip) {
        if (c == '*') text += '*';
        else if (c == '9') text += '0';
        else if (c == 'B') text += ' ';
    }
    if (!num.fracZero) {
        if (ipLast == '*') {
            text.back() = '0';
            if (num.negative) {
                if (text.size() < 2) text.insert(0, 1, '-');
                else text[text.size() - 2] = '-';
            }
        } else if (ipLast == 'B') {
            if (num.negative) text.back() = '-';
        } else if (ipLast == 'Z') {
            if (num.negative) text.insert(0, 1, '-');
        }
    }
    return ipLast == 'Z';
}

// Zeros up to the picture's "9" positions, then the minus sign in front or
// in the place of a leading zero or blank.
void PadAndSign(std::string& text, std::string_view ip, const Number& num)
{
    const char ipFirst = ip.empty() ? '\0' : ip.front();
    const char ipLast = ip.empty() ? '\0' : ip.back();
    if (ipLast == '9' && (ipFirst == '9' || ipFirst == 'B' || ipFirst == 'Z')) {
        size_t need = ip.size() - ip.find('9');
        if (text.size() < need) text.insert(0, need - text.size(), '0');
    }
    if (!num.negative) return;
    if (!text.empty() && text[0] == '0') {
        if (std::count(ip.begin(), ip.end(), '9') == 1 && ipLast == '9')
            text.insert(0, 1, '-');
        else
            text[0] = '-';
    } else if (num.intZero && ipFirst == 'B' && ipLast == '9') {
        size_t sp = text.rfind(' ');
        if (sp == std::string::npos) text.insert(0, 1, '-');
        else text[sp] = '-';
    } else if (!(num.intZero && (ipFirst == '*' || ipFirst == 'B'))) {
        text.insert(0, 1, '-');
    }
}

// Separators every three positions of text and picture alike.
void GroupThousands(std::string& text, std::string& pic, char ipFirst)
{
    pic = InsertThousands(pic);
    text = InsertThousands(text);
    // The sign counts as a position when grouping, so a separator can land
    // between it and the digits ("-,123"). Take it out; blank and "*"
    // pictures fill in front instead, keeping the field's width.
    const size_t sign = text.find('-');
    if (sign != std::string::npos && sign + 1 < text.size() && text[sign + 1] == ',') {
        text.erase(sign + 1, 1);
        pic.erase(sign + 1, 1);
        if (ipFirst == 'B' || ipFirst == '*') {
            text.insert(0, 1, ipFirst == 'B' ? ' ' : '*');
            pic.insert(0, 1, ipFirst);
        }
    }
}

// The leading positions up to the first significant digit or "9" take the
// picture's fill: "*", a blank, or nothing ("Z").
void FillLeading(std::string& text, std::string& pic, bool intZero)
{
    char governing = '\0';
    for (size_t k = 0; k < text.size() && k < pic.size();) {
        const char t = text[k];
        const char p = pic[k];
        if ((t >= '1' && t <= '9') || p == '9') break;
        if (p != ',') governing = p;
        if (governing == '*') {
            if (t == ',' || (t == '0' && !intZero)) text[k] = '*';
        } else if (governing == 'B') {
            if (t == '0' || t == ',') text[k] = ' ';
        } else if (governing == 'Z') {
            if (t == '0' || t == ',') {
                text.erase(k, 1);
                pic.erase(k, 1);
                continue;
            }
        }
        ++k;
    }
}

// The integer part through its picture; false when it does not fit.
bool IntegerText(std::string_view ip, const Number& num, bool thousands, std::string& text)
{
    const bool complete = num.intZero && ZeroIntegerText(ip, num, text);
    if (!num.intZero) text = num.intDigits;
    if (complete) return text.size() <= ip.size();
    PadAndSign(text, ip, num);
    if (text.size() > ip.size()) return false;
    text.insert(0, ip.size() - text.size(), '0');
    std::string pic(ip);
    if (thousands) GroupThousands(text, pic, ip.empty() ? '\0' : ip.front());
    FillLeading(text, pic, num.intZero);
    return true;
}

// The fraction through its picture, with its point (or the picture's fill
// in its place).
std::string FractionText(std::string_view fp, const Number& num)
{
    if (fp.empty()) return {};
    const char fc = fp[0];
    std::string f = num.frac;
    for (size_t j = f.size(); j-- > 0 && f[j] == '0';) {
        if (fc == '*') f[j] = num.Zero() ? '*' : '0';
        else if (fc == 'B') f[j] = ' ';
        else if (fc == 'Z') f.erase(j, 1);
        else break;
    }
    if (!num.fracZero) return "." + f;
    if (fc == '*') return (num.Zero() ? "*" : ".") + f;
    if (fc == '9') return "." + f;
    if (fc == 'B') return " " + f;
    return f;
}

} // namespace

namespace {

// What parsing a picture gave, for the pictures a thread parsed last: a
// form's fields use a handful of pictures, each formatted page after page.
struct ParsedPicture {
    std::string from;
    int kind = TvPicture::Invalid;
    std::string picture, intPicture, fracPicture;
    int32_t charCount = 0, charKind = 0;
};

struct ParsedPictures {
    std::array<ParsedPicture, 8> entries;
    size_t used = 0, next = 0;
};

ParsedPictures& RecentPictures()
{
    thread_local ParsedPictures recent;
    return recent;
}

} // namespace

int TvPicture::Parse(std::string_view picture)
{
    if (m_bParsed && (picture == m_strParsedFrom || picture == m_strPicture)) return m_nParsed;
    ParsedPictures& recent = RecentPictures();
    const auto found = std::find_if(recent.entries.begin(), recent.entries.begin() + ptrdiff_t(recent.used),
                                    [&](const ParsedPicture& e) { return e.from == picture; });
    if (found != recent.entries.begin() + ptrdiff_t(recent.used)) {
        m_strParsedFrom = picture;
        m_nParsed = found->kind;
        m_strPicture = found->picture;
        m_strIntPicture = found->intPicture;
        m_strFracPicture = found->fracPicture;
        m_nCharCount = found->charCount;
        m_nCharKind = found->charKind;
    } else {
        m_strParsedFrom = picture;
        m_nParsed = ParseText(picture);
        ParsedPicture& e = recent.entries[recent.next];
        recent.next = (recent.next + 1) % recent.entries.size();
        recent.used = std::max(recent.used, recent.next == 0 ? recent.entries.size() : recent.next);
        e = ParsedPicture{m_strParsedFrom, m_nParsed, m_strPicture, m_strIntPicture, m_strFracPicture, m_nCharCount,
                          m_nCharKind};
    }
    m_bParsed = true;
    return m_nParsed;
}

int TvPicture::ParseText(std::string_view picture)
{
    m_nCharCount = 0;
    m_nCharKind = 0;
    m_strIntPicture.clear();
    m_strFracPicture.clear();

    // Upper-case by characters: trail bytes of double-byte characters may
    // look like lower-case letters. Full-width letters are upper-cased too
    // (a picture typed as full-width lower-case k is a K picture).
    std::string up;
    up.reserve(picture.size());
    for (size_t i = 0; i < picture.size();) {
        size_t n = Cp932CharLength(picture, i);
        if (n == 1) {
            char c = picture[i];
            up += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        } else {
            const auto lead = static_cast<unsigned char>(picture[i]);
            const auto trail = static_cast<unsigned char>(picture[i + 1]);
            up += picture[i];
            up += static_cast<char>(lead == 0x82 && trail >= 0x81 && trail <= 0x9A ? trail - 0x21 : trail);
        }
        i += n;
    }
    m_strPicture = up;

    std::vector<std::string_view> chars = SplitChars(up);
    if (chars.empty() || chars.size() > kMaxPictureChars) return Invalid;

    if (chars[0].size() == 2) {
        for (std::string_view c : chars)
            if (c != kFullWidthK) return Invalid;
        m_nCharKind = KindK;
        m_nCharCount = static_cast<int32_t>(chars.size());
        return Character;
    }
    // From here every valid picture is single-byte.
    if (up.size() != chars.size()) return Invalid;

    const char first = up[0];
    const size_t dot = up.find('.');
    if (dot != std::string::npos && up.find('.', dot + 1) != std::string::npos) return Invalid;

    if (first == '*') {
        for (char c : up)
            if (c != '*' && c != '.') return Invalid;
    } else if (first == '9' || first == 'B' || first == 'Z' || first == '.') {
        if (dot == std::string::npos) {
            if (!ValidIntegerPicture(up)) return Invalid;
        } else {
            if (!ValidIntegerPicture(std::string_view(up).substr(0, dot))) return Invalid;
            if (!ValidFractionPicture(std::string_view(up).substr(dot + 1))) return Invalid;
        }
    } else if (first == 'A' || first == 'N' || first == 'X') {
        if (!AllEqual(up, first)) return Invalid;
        m_nCharKind = first == 'A' ? KindA : first == 'N' ? KindN : KindX;
        m_nCharCount = static_cast<int32_t>(up.size());
        return Character;
    } else {
        return Invalid;
    }

    if (dot == std::string::npos) {
        m_strIntPicture = up;
    } else {
        m_strIntPicture = up.substr(0, dot);
        m_strFracPicture = up.substr(dot + 1);
    }
    return Numeric;
}

int TvPicture::Format(std::string& result)
{
    m_strResult.clear();
    int kind = Parse(m_strPicture);
    int rc;
    if (kind == Numeric)
        rc = FormatNumeric();
    else if (kind == Character)
        rc = FormatCharacter();
    else
        rc = BadPicture;
    if (rc == BadPicture || rc == NotANumber) m_strResult.clear();
    result = m_strResult;
    return rc;
}

int TvPicture::FormatNumeric()
{
    Number num;
    if (!ReadNumber(m_strValue, m_strFracPicture.size(), num)) return NotANumber;
    std::string text;
    const bool overflow = !IntegerText(m_strIntPicture, num, m_bThousands, text);
    std::string ft = FractionText(m_strFracPicture, num);
    if (overflow) {
        if (!m_strReplacement.empty()) {
            std::string reps;
            size_t count = Cp932CharCount(m_strPicture);
            // Bounded, so that a long replacement text from a damaged form
            // cannot ask for gigabytes.
            for (size_t k = 0; k < count && reps.size() < kMaxReplacementBytes; ++k) reps += m_strReplacement;
            m_strResult = m_strPrefix + reps + m_strSuffix;
            return Overflow;
        }
        // Too wide for its picture: the plain number. Built in two steps:
        // GCC 12 warns (wrongly) of overlap on the one-line form.
        text = num.negative ? "-" : "";
        text += m_bThousands ? InsertThousands(num.intDigits) : num.intDigits;
    }
    AttachAffixes(text, ft);
    m_strResult = text + ft;
    return overflow ? Overflow : Ok;
}

void TvPicture::AttachAffixes(std::string& text, std::string& ft) const
{
    // The prefix goes before the first character a blank picture shows.
    if (!m_strIntPicture.empty() && m_strIntPicture.front() == 'B') {
        size_t lead = text.find_first_not_of(' ');
        text.insert(lead == std::string::npos ? text.size() : lead, m_strPrefix);
    } else {
        text.insert(0, m_strPrefix);
    }
    // The suffix goes after the last digit a blank fraction shows.
    if (!m_strFracPicture.empty() && m_strFracPicture[0] == 'B') {
        size_t sp = ft.find(' ');
        if (sp == std::string::npos) ft += m_strSuffix;
        else ft.insert(sp == 0 ? 1 : sp, m_strSuffix);
    } else {
        ft += m_strSuffix;
    }
}

int TvPicture::FormatCharacter()
{
    if (m_strValue.empty()) return Ok;
    // Split once and turn the list of characters round, never the bytes: a
    // re-split of turned text would pair a stray lead byte (a value cut
    // inside a double-byte character) with its neighbour.
    std::vector<std::string_view> chars = SplitChars(m_strValue);
    const bool outerReverse = m_bReversed && m_nAlignment != 2;
    const bool keepEnd = m_nAlignment == 2;
    if (outerReverse) std::reverse(chars.begin(), chars.end());
    if (keepEnd) std::reverse(chars.begin(), chars.end());

    // Width limit in half-columns (characters for N); negative: none.
    const int64_t count = m_nCharCount;
    int64_t limit = -1;
    switch (m_nCharKind) {
    case KindK:
        if (m_nWidthMode == 0) limit = 4 * count;
        else if (m_nWidthMode == 1) limit = 3 * count;
        break;
    case KindX:
        limit = 2 * count;
        break;
    case KindA:
        if (m_nWidthMode == 0 || m_nWidthMode == 1) limit = 2 * count;
        break;
    default:
        limit = count;
        break;
    }

    int rc = Ok;
    if (limit >= 0) {
        int64_t used = 0;
        size_t kept = 0;
        for (; kept < chars.size(); ++kept) {
            const size_t len = chars[kept].size();
            int64_t w = m_nCharKind == KindN ? 1 : len == 1 ? 2 : (m_nWidthMode == 1 ? 3 : 4);
            if (used + w > limit) break;
            used += w;
        }
        if (kept < chars.size()) {
            chars.resize(kept);
            rc = Overflow;
        }
    }

    if (keepEnd) std::reverse(chars.begin(), chars.end());
    if (outerReverse) std::reverse(chars.begin(), chars.end());
    m_strResult.clear();
    for (std::string_view c : chars) m_strResult.append(c);
    return rc;
}

} // namespace nv
