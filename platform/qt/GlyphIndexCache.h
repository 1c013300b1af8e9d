#pragma once
// FreeType's character-to-glyph answers are kept per face in this process
// (GlyphIndexCache.cpp): on from the start.

namespace nv {

// Off: every look-up goes to FreeType again, as in a program without this
// library; for benchmarks that time a plain Qt or cairo program beside ours.
void EnableGlyphIndexCache(bool on);

} // namespace nv
