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
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace {

template <class Fn>
Fn Next(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

constexpr FT_ULong kPlane = 0x10000;

// The answers for one face and character map: glyph + 1 per character of the
// plane, 0 while not asked (or for a glyph beyond what 16 bits hold, asked
// every time), with the face and map they are for. Zero pages from the
// system until written: a face asked for a few characters (as font scanning
// does) costs a few pages.
struct Table {
    std::atomic<FT_Face> face{nullptr}; // null while free
    std::atomic<FT_CharMap> map{nullptr};
    bool written = false; // under Faces::mutex
    uint16_t* glyph = nullptr;
};

// A face's table lies in the slot its address picks: the address of a kept
// answer then follows from the face and the character alone, with no load
// before it (Qt's loop over the plane waits for each answer). A face
// whose slot is taken gets a table of its own, found through the thread's
// last one. A table whose face closes is kept for another face and never
// freed: a thread may still be reading it, and finds there a face that is not
// its own.
constexpr size_t kSlots = 8;
uint16_t gSlotGlyphs[kSlots][kPlane];
Table gSlots[kSlots];

size_t SlotOf(FT_Face face) { return (reinterpret_cast<uintptr_t>(face) >> 6) % kSlots; }

bool Holds(const Table* t, FT_Face face)
{
    return t && t->face.load(std::memory_order_acquire) == face &&
           t->map.load(std::memory_order_relaxed) == face->charmap;
}

// The tables of the faces, one per face and character map. A face is used
// by one thread at a time.
struct Faces {
    std::mutex mutex;
    std::map<std::pair<FT_Face, FT_CharMap>, Table*> own; // faces whose slot was taken
    std::vector<Table*> spare;

    Faces()
    {
        for (size_t i = 0; i < kSlots; ++i) gSlots[i].glyph = gSlotGlyphs[i];
    }

    static void Claim(Table& t, FT_Face face, FT_CharMap map)
    {
        if (t.written)
            for (uint16_t& g : std::span(t.glyph, kPlane)) std::atomic_ref<uint16_t>(g).store(0, std::memory_order_relaxed);
        t.written = true;
        t.map.store(map, std::memory_order_relaxed);
        t.face.store(face, std::memory_order_release);
    }

    Table* For(FT_Face face, FT_CharMap map)
    {
        std::lock_guard<std::mutex> lock(mutex);
        Table& slot = gSlots[SlotOf(face)];
        const FT_Face holder = slot.face.load(std::memory_order_relaxed);
        if (holder == face && slot.map.load(std::memory_order_relaxed) == map) return &slot;
        if (!holder) {
            Claim(slot, face, map);
            return &slot;
        }
        Table*& t = own[{face, map}];
        if (t) return t;
        if (!spare.empty()) {
            t = spare.back();
            spare.pop_back();
        } else if (auto* glyph = static_cast<uint16_t*>(std::calloc(kPlane, sizeof(uint16_t)))) {
            t = new Table;
            t->glyph = glyph;
        } else {
            own.erase({face, map});
            return nullptr;
        }
        Claim(*t, face, map);
        return t;
    }

    void Forget(FT_Face face)
    {
        std::lock_guard<std::mutex> lock(mutex);
        Table& slot = gSlots[SlotOf(face)];
        if (slot.face.load(std::memory_order_relaxed) == face) slot.face.store(nullptr, std::memory_order_release);
        auto it = own.lower_bound({face, nullptr});
        while (it != own.end() && it->first.first == face) {
            it->second->face.store(nullptr, std::memory_order_release);
            spare.push_back(it->second);
            it = own.erase(it);
        }
    }
};

// Never destroyed: FreeType calls may come from other libraries' exit code.
Faces* const gFaces = new Faces;
std::atomic<bool> gEnabled{true};

// The table this thread asked last when it was no slot's. Initial-exec: the
// library is loaded with its program, and the look-up must not cost a call
// to find the thread's copy.
__attribute__((tls_model("initial-exec"))) thread_local Table* tLast = nullptr;

// Everything but an answer already kept: out of line, so that the kept
// answer costs a few instructions.
[[gnu::noinline]] FT_UInt AskFreeType(FT_Face face, FT_ULong charcode)
{
    using Fn = FT_UInt (*)(FT_Face, FT_ULong);
    static const Fn real = Next<Fn>("FT_Get_Char_Index");
    if (!real) return 0;
    if (!gFaces || !face || !face->charmap || charcode >= kPlane || !gEnabled.load(std::memory_order_acquire))
        return real(face, charcode);
    Table* t = &gSlots[SlotOf(face)];
    if (!Holds(t, face) && !Holds(t = tLast, face)) t = gFaces->For(face, face->charmap);
    if (t != &gSlots[SlotOf(face)]) tLast = t;
    const FT_UInt glyph = real(face, charcode);
    if (t && glyph < 0xFFFF)
        std::atomic_ref<uint16_t>(t->glyph[charcode]).store(uint16_t(glyph + 1), std::memory_order_relaxed);
    return glyph;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) FT_UInt FT_Get_Char_Index(FT_Face face, FT_ULong charcode)
{
    if (charcode < kPlane && face && gEnabled.load(std::memory_order_relaxed)) {
        // The slot's answer is loaded before its owner is known: the address
        // needs nothing but the face and the character.
        const size_t slot = SlotOf(face);
        uint16_t kept = std::atomic_ref<uint16_t>(gSlotGlyphs[slot][charcode]).load(std::memory_order_relaxed);
        if (!Holds(&gSlots[slot], face)) {
            Table* t = tLast;
            kept = Holds(t, face) ? std::atomic_ref<uint16_t>(t->glyph[charcode]).load(std::memory_order_relaxed) : 0;
        }
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
    gEnabled.store(on, std::memory_order_release);
}

} // namespace nv
