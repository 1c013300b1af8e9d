// FreeType's character-to-glyph look-up, answered from a table per face.
//
// Qt's PDF writer, for the text map of every font it embeds, asks FreeType
// for the glyph of each of the 65,536 characters of the basic plane to find
// which characters its glyphs stand for. In a Japanese face every answer is a
// binary search through thousands of character ranges: with the writer's set-
// up, most of the time a one-page PDF takes. A face answers the same for a
// character while its character map stays, so the answers are kept: this
// library, loaded before FreeType by every program that links it, takes the
// calls, asks FreeType once per face, character map and character, and
// forgets a face when it is closed. Where the library is loaded later
// (a plug-in's own), the calls go to FreeType as before.
#include "platform/qt/GlyphIndexCache.h"

#include <dlfcn.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

namespace {

template <class Fn>
Fn Next(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

constexpr FT_ULong kPlane = 0x10000;

// Glyph + 1 per character of the plane, 0 while not asked (or for a glyph
// beyond what 16 bits hold, asked every time); zero pages from the system
// until written, so a face asked for a few characters (as font scanning
// does) costs a few pages.
struct Answers {
    uint16_t* glyph = static_cast<uint16_t*>(std::calloc(kPlane, sizeof(uint16_t)));
    std::atomic<uint32_t> asked{0}; // characters answered
    Answers() = default;
    Answers(const Answers&) = delete;
    Answers& operator=(const Answers&) = delete;
    ~Answers() { std::free(glyph); }
};

// The first face asked for much of the plane (as a PDF writer asks the face
// it embeds, for every character, in every file) keeps its answers at a
// fixed address as well, until it closes: the address of an answer there
// follows from the character alone, with no load before it, and the writer's
// loop waits for each answer. Taken by another face only after its face
// closed, so a thread never finds there the answers of a face other than the
// one it asks about.
constexpr uint32_t kPrimaryAfter = 4096; // characters answered
struct Primary {
    std::atomic<FT_Face> face{nullptr};
    std::atomic<FT_CharMap> map{nullptr};
    uint16_t glyph[kPlane];
};
Primary gPrimary;

bool IsPrimary(FT_Face face)
{
    return face == gPrimary.face.load(std::memory_order_acquire) &&
           face->charmap == gPrimary.map.load(std::memory_order_relaxed);
}

// Changes whenever tables go (and when the keeping is switched): a thread's
// last table is then looked up again.
std::atomic<uint64_t> gGeneration{1};

// The tables of the faces, one per face and character map. A face is used
// by one thread at a time, so a table goes when its face closes.
struct Faces {
    std::mutex mutex;
    std::map<std::pair<FT_Face, FT_CharMap>, Answers> live;
    Answers* For(FT_Face face, FT_CharMap map)
    {
        std::lock_guard<std::mutex> lock(mutex);
        Answers& a = live[{face, map}];
        return a.glyph ? &a : nullptr;
    }

    // Called by the thread asking about `face`, with its table.
    void Promote(FT_Face face, FT_CharMap map, const Answers& a)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (gPrimary.face.load(std::memory_order_relaxed)) return;
        for (FT_ULong c = 0; c < kPlane; ++c)
            std::atomic_ref<uint16_t>(gPrimary.glyph[c])
                .store(std::atomic_ref<uint16_t>(a.glyph[c]).load(std::memory_order_relaxed), std::memory_order_relaxed);
        gPrimary.map.store(map, std::memory_order_relaxed);
        gPrimary.face.store(face, std::memory_order_release);
    }

    void Forget(FT_Face face)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (gPrimary.face.load(std::memory_order_relaxed) == face) gPrimary.face.store(nullptr, std::memory_order_release);
        gGeneration.fetch_add(1, std::memory_order_acq_rel);
        auto it = live.lower_bound({face, nullptr});
        while (it != live.end() && it->first.first == face) it = live.erase(it);
    }
};

// Never destroyed: FreeType calls may come from other libraries' exit code.
Faces* const gFaces = new Faces;
std::atomic<bool> gEnabled{true};

struct LastFace {
    FT_Face face = nullptr;
    FT_CharMap map = nullptr;
    Answers* answers = nullptr;
    uint64_t generation = 0;
};
// Initial-exec: the library is loaded with its program, and the look-up
// must not cost a call to find the thread's copy.
__attribute__((tls_model("initial-exec"))) thread_local LastFace tLast;

// Everything but an answer already kept for the thread's last face: out of
// line, so that the kept answer costs a few instructions.
[[gnu::noinline]] FT_UInt AskFreeType(FT_Face face, FT_ULong charcode)
{
    using Fn = FT_UInt (*)(FT_Face, FT_ULong);
    static const Fn real = Next<Fn>("FT_Get_Char_Index");
    if (!real) return 0;
    if (!gFaces || !face || !face->charmap || charcode >= kPlane || !gEnabled.load(std::memory_order_relaxed))
        return real(face, charcode);
    const uint64_t generation = gGeneration.load(std::memory_order_acquire);
    if (tLast.face != face || tLast.map != face->charmap || tLast.generation != generation)
        tLast = LastFace{face, face->charmap, gFaces->For(face, face->charmap), generation};
    const FT_UInt glyph = real(face, charcode);
    if (!tLast.answers || glyph >= 0xFFFF) return glyph;
    std::atomic_ref<uint16_t> kept(tLast.answers->glyph[charcode]);
    const bool fresh = kept.load(std::memory_order_relaxed) == 0;
    kept.store(uint16_t(glyph + 1), std::memory_order_relaxed);
    if (IsPrimary(face))
        std::atomic_ref<uint16_t>(gPrimary.glyph[charcode]).store(uint16_t(glyph + 1), std::memory_order_relaxed);
    else if (fresh && tLast.answers->asked.fetch_add(1, std::memory_order_relaxed) + 1 >= kPrimaryAfter &&
             !gPrimary.face.load(std::memory_order_relaxed))
        gFaces->Promote(face, face->charmap, *tLast.answers);
    return glyph;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) FT_UInt FT_Get_Char_Index(FT_Face face, FT_ULong charcode)
{
    if (charcode < kPlane && face && IsPrimary(face) && gEnabled.load(std::memory_order_relaxed)) {
        const uint16_t kept = std::atomic_ref<uint16_t>(gPrimary.glyph[charcode]).load(std::memory_order_relaxed);
        if (kept != 0) return kept - 1u;
    }
    const LastFace& last = tLast;
    if (charcode < kPlane && face && last.face == face && last.answers && last.map == face->charmap &&
        last.generation == gGeneration.load(std::memory_order_acquire)) {
        const uint16_t kept = std::atomic_ref<uint16_t>(last.answers->glyph[charcode]).load(std::memory_order_relaxed);
        if (kept != 0) return kept - 1u;
    }
    return AskFreeType(face, charcode);
}

__attribute__((visibility("default"))) FT_Error FT_Done_Face(FT_Face face)
{
    using Fn = FT_Error (*)(FT_Face);
    static const Fn real = Next<Fn>("FT_Done_Face");
    if (face && gFaces) gFaces->Forget(face);
    return real ? real(face) : FT_Err_Invalid_Handle;
}

} // extern "C"

namespace nv {

void EnableGlyphIndexCache(bool on)
{
    gEnabled.store(on, std::memory_order_relaxed);
    gGeneration.fetch_add(1, std::memory_order_acq_rel);
}

} // namespace nv
