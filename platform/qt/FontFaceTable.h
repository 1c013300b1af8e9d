#pragma once
// The Windows faces that forms name, mapped to the metric-compatible fonts
// installed here, with the Windows faces' reference cell metrics: the
// substitutes' own ascent and descent differ, and text placed by them would
// drift a tenth of an em per line.
#include <string>
#include <string_view>
#include <vector>

namespace nv {

struct FontFace {
    std::string windowsName; // UTF-8, as the forms name it
    std::string family;      // installed family
    double ascent;           // per em
    double descent;          // per em
    double avgWidth;         // average character width per em
    bool japanese;           // half-width characters take half an em
};

class FontFaceTable {
public:
    // The face for a name (UTF-8); unknown names fall back to the first
    // Japanese face, "ＭＳ 明朝", unless the name is an installed family.
    static const FontFace& Lookup(std::string_view faceName);
    // The Windows names the font lists offer, in table order.
    static std::vector<std::string> WindowsFaceNames();
    static const std::vector<FontFace>& Faces();
    // Families of the table that the font database does not have (needs a
    // QGuiApplication).
    static std::vector<std::string> MissingFamilies();
};

} // namespace nv
