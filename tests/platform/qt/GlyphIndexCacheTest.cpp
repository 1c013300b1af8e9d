#include "support/TestApp.h"
#include <gtest/gtest.h>

#include <QFont>
#include <QRawFont>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>

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

// Faces opened, asked about the whole plane and closed one after another (a
// later one may be given the place of an earlier one): each gets FreeType's
// glyphs, never the answers kept for a face before it.
TEST(GlyphIndexCache, AFaceGetsNoAnswersOfAFaceClosedBeforeIt)
{
    // FreeType's calls as a program makes them, through this library's.
    using Init = int (*)(void**);
    using NewFace = int (*)(void*, const char*, long, void**);
    using CharIndex = unsigned (*)(void*, unsigned long);
    using DoneFace = int (*)(void*);
    using Done = int (*)(void*);
    const auto init = reinterpret_cast<Init>(::dlsym(RTLD_DEFAULT, "FT_Init_FreeType"));
    const auto newFace = reinterpret_cast<NewFace>(::dlsym(RTLD_DEFAULT, "FT_New_Face"));
    const auto charIndex = reinterpret_cast<CharIndex>(::dlsym(RTLD_DEFAULT, "FT_Get_Char_Index"));
    const auto doneFace = reinterpret_cast<DoneFace>(::dlsym(RTLD_DEFAULT, "FT_Done_Face"));
    const auto done = reinterpret_cast<Done>(::dlsym(RTLD_DEFAULT, "FT_Done_FreeType"));
    ASSERT_TRUE(init && newFace && charIndex && doneFace && done);
    void* library = nullptr;
    ASSERT_EQ(init(&library), 0);
    const std::unique_ptr<void, Done> closing(library, done);
    // In this order FreeType tends to place a face, and its character map,
    // where the one before it was.
    const char* const files[] = {
        "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf",
        "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        void* face = nullptr;
        ASSERT_EQ(newFace(library, file, 0, &face), 0);
        std::vector<unsigned> fromFreeType(0x10000);
        EnableGlyphIndexCache(false);
        for (unsigned c = 0; c < 0x10000; ++c) fromFreeType[c] = charIndex(face, c);
        EnableGlyphIndexCache(true);
        for (int pass = 0; pass < 2; ++pass) // asked, then answered from what was kept
            for (unsigned c = 0; c < 0x10000; ++c) ASSERT_EQ(charIndex(face, c), fromFreeType[c]) << c;
        doneFace(face);
    }
}
