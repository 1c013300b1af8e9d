#include "support/TestApp.h"
#include <gtest/gtest.h>

#include <QFont>
#include <QRawFont>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/qt/FontFaceTable.h"
#include "platform/qt/GlyphIndexCache.h"

using namespace nv;

namespace {

// The glyph of every character of the basic plane, as the face maps it.
std::vector<quint32> GlyphsOfThePlane(const QRawFont& font)
{
    std::vector<QChar> chars;
    for (uint32_t c = 1; c < 0x10000; ++c)
        if (!QChar::isSurrogate(char16_t(c))) chars.emplace_back(char16_t(c));
    std::vector<quint32> glyphs(chars.size());
    int n = int(glyphs.size());
    if (!font.glyphIndexesForChars(chars.data(), int(chars.size()), glyphs.data(), &n)) glyphs.clear();
    return glyphs;
}

} // namespace

// The kept answers are FreeType's: asked for the first time, again, and with
// the keeping off, every character of a Japanese and a Latin face gets the
// same glyph.
TEST(GlyphIndexCache, EveryCharacterGetsTheGlyphFreeTypeGives)
{
    nvtest::EnsureGuiApp();
    const std::string faces[] = {
        FontFaceTable::Lookup("\x82\x6C\x82\x72 \x96\xBE\x92\xA9").family, // "ＭＳ 明朝"
        "Liberation Sans",
    };
    for (const std::string& family : faces) {
        SCOPED_TRACE(family);
        QFont qfont(QString::fromStdString(family));
        qfont.setPixelSize(40);
        const QRawFont font = QRawFont::fromFont(qfont);
        ASSERT_TRUE(font.isValid());
        EnableGlyphIndexCache(false);
        const std::vector<quint32> fromFreeType = GlyphsOfThePlane(font);
        EnableGlyphIndexCache(true);
        ASSERT_GT(fromFreeType.size(), 60000u);
        EXPECT_TRUE(GlyphsOfThePlane(font) == fromFreeType);
        EXPECT_TRUE(GlyphsOfThePlane(font) == fromFreeType);
        // A face that maps few characters still maps some.
        EXPECT_GT(std::count_if(fromFreeType.begin(), fromFreeType.end(), [](quint32 g) { return g != 0; }), 200);
    }
}
