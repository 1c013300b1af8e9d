#pragma once
// Edit pictures: formats a data field's value through its picture. Numeric
// pictures are built from 9, Z, B, * and "."; character pictures repeat one
// of K (full-width), X, A or N and limit the width of a text. All text is
// CP932; numbers are handled as decimal digit strings of any length, so no
// binary rounding enters a printed amount and no value is too wide.
#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

class TvPicture {
public:
    enum ParseResult : int { Invalid = -1, Numeric = 1, Character = 2 };
    enum FormatResult : int { Ok = 0, BadPicture = -1, NotANumber = -2, Overflow = -3 };
    enum CharacterKind : int { KindK = 0, KindX = 1, KindA = 2, KindN = 3 };

    TvPicture() = default;
    ~TvPicture() = default;

    // Validates and classifies a picture and keeps it, upper-cased.
    int Parse(std::string_view picture);

    // Formats the value through the kept picture. 0, or a negative code: -1
    // and -2 leave the result empty, -3 (overflow or cut) leaves the
    // replacement or the cut text in it.
    int Format(std::string& result);

    void SetPicture(std::string_view picture)
    {
        m_strPicture = picture;
        m_bParsed = false;
    }
    void SetAlignment(int32_t alignment) { m_nAlignment = alignment; }
    void SetWidthMode(int32_t mode) { m_nWidthMode = mode; }
    void SetReplacement(std::string_view text) { m_strReplacement = text; }
    void SetPrefix(std::string_view text) { m_strPrefix = text; }
    void SetSuffix(std::string_view text) { m_strSuffix = text; }
    void SetThousands(bool on) { m_bThousands = on; }
    void SetValue(std::string_view value) { m_strValue = value; }
    void SetReversed(bool on) { m_bReversed = on; }

    const std::string& Picture() const { return m_strPicture; }
    const std::string& Result() const { return m_strResult; }
    // For character pictures after Parse: the picture's length in characters
    // and its kind.
    int32_t CharCount() const { return m_nCharCount; }
    int32_t CharKind() const { return m_nCharKind; }

private:
    int ParseText(std::string_view picture);
    int FormatNumeric();
    // Prefix and suffix around the integer and fraction texts.
    void AttachAffixes(std::string& text, std::string& fraction) const;
    int FormatCharacter();

    std::string m_strPicture;
    int32_t m_nAlignment = 1;
    int32_t m_nWidthMode = 0;
    std::string m_strReplacement;
    std::string m_strPrefix;
    std::string m_strSuffix;
    bool m_bThousands = false;
    std::string m_strValue;
    bool m_bReversed = false;

    std::string m_strIntPicture;
    std::string m_strFracPicture;
    std::string m_strResult;
    int32_t m_nCharCount = 0;
    int32_t m_nCharKind = 0;
    // The last Parse: what it was given and what it answered. Parsing that
    // text (or the picture it kept) again changes nothing.
    bool m_bParsed = false;
    std::string m_strParsedFrom;
    int m_nParsed = Invalid;
};

} // namespace nv
