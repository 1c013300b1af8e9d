#include "engine/store/HuffmanUnpack.h"

#include "engine/store/TvHuffman.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>

namespace nv::huffman {

namespace {

constexpr int kTableBits = 12;
constexpr int kTableSymbols = 4;

constexpr int kSubBits = 8;

// One look-up of kTableBits bits: up to four whole codes (`len1` the first
// one's bits), or (count 0) the first kTableBits bits of a longer code, whose
// next kSubBits bits are looked up in sub-table `sub`.
struct Entry {
    uint8_t sym[kTableSymbols];
    uint8_t count;
    uint8_t len;
    uint8_t len1;
    uint8_t sub;
};

// A sub-table entry: the symbol and its bits beyond the table's, or with
// kDeeper set the node reached after kSubBits more bits.
constexpr uint16_t kDeeper = 0x8000;

struct Code {
    int16_t first[kNodes] = {};
    int16_t second[kNodes] = {};
    int root = 0;
    // Every code length is a multiple of it: symbol boundaries lie on this
    // grid from the end of the tree.
    unsigned grid = 1;
    // The most bits one Step takes: two look-ups or the longest code.
    unsigned maxStep = 2 * kTableBits;
    Entry table[1 << kTableBits];
    // One per internal node at depth kTableBits (at most 255 of them).
    uint16_t sub[kLeaves][1 << kSubBits];
};

// ---- reading the stream in place --------------------------------------------

// The 64 stream bits from bit `pos` on, left-aligned; the 8 bytes from
// pos / 8 must be readable.
inline uint64_t Peek(const uint8_t* in, uint64_t pos)
{
    uint64_t v;
    std::memcpy(&v, in + (pos >> 3), 8);
    return __builtin_bswap64(v) << (pos & 7);
}

inline int BitAt(const uint8_t* in, uint64_t pos) { return (in[pos >> 3] >> (7 - (pos & 7))) & 1; }

// -1 beyond the window.
inline int CheckedBit(const UnpackInput& in, uint64_t& pos)
{
    if (pos >= uint64_t{in.size} * 8) return -1;
    return BitAt(in.data, pos++);
}

int ReadTree(const UnpackInput& in, uint64_t& pos, Code& c)
{
    struct Frame {
        int id;
        bool firstDone;
    };
    Frame stack[kLeaves];
    int sp = 0;
    int next = kLeaves;
    do {
        const int bit = CheckedBit(in, pos);
        if (bit < 0) return TvHuffman::kBadStream;
        int node;
        if (bit == 0) {
            node = 0;
            for (int i = 0; i < 8; ++i) {
                const int b = CheckedBit(in, pos);
                if (b < 0) return TvHuffman::kBadStream;
                node = (node << 1) | b;
            }
        } else {
            if (next >= kNodes) return TvHuffman::kBadStream;
            node = next++;
        }
        if (sp == 0) {
            c.root = node;
        } else {
            Frame& f = stack[sp - 1];
            if (!f.firstDone) {
                c.first[f.id] = static_cast<int16_t>(node);
                f.firstDone = true;
            } else {
                c.second[f.id] = static_cast<int16_t>(node);
                --sp;
            }
        }
        if (node >= kLeaves) stack[sp++] = Frame{node, false};
    } while (sp > 0);
    return TvHuffman::kOk;
}

// Where a code's first kTableBits bits lead: a leaf (its byte and length) or
// the inner node a sub-table goes on from.
struct Single {
    uint16_t node;
    uint8_t len;
};

// Fills sub-table `id` for the codes that go on from `node`, whose first
// kTableBits bits are behind: every leaf within kSubBits more bits fills the
// entries its code begins, an inner node at kSubBits fills its one entry.
void BuildSubTable(Code& c, int node, int id)
{
    struct Item {
        int node;
        uint32_t prefix;
        int depth;
    };
    Item stack[kSubBits + 2];
    int sp = 0;
    stack[sp++] = Item{node, 0, 0};
    while (sp > 0) {
        const Item it = stack[--sp];
        if (it.node < kLeaves || it.depth == kSubBits) {
            const int free = kSubBits - it.depth;
            const uint16_t v = it.node >= kLeaves ? static_cast<uint16_t>(kDeeper | it.node)
                                                  : static_cast<uint16_t>(it.node | (it.depth << 8));
            std::fill_n(&c.sub[id][it.prefix << free], size_t{1} << free, v);
            continue;
        }
        stack[sp++] = Item{c.first[it.node], it.prefix << 1, it.depth + 1};
        stack[sp++] = Item{c.second[it.node], (it.prefix << 1) | 1, it.depth + 1};
    }
}

// One walk of the tree gives every code's first kTableBits bits (and the
// grid and the longest code); the table's entries then chain look-ups of
// that single-code table instead of walking the tree bit by bit, which cost
// more than unpacking a small body.
void BuildTable(Code& c)
{
    Single single[1 << kTableBits];
    uint8_t subOf[kNodes]; // an inner node's sub-table, for nodes at depth kTableBits
    unsigned g = 0;
    int subs = 0;
    struct Item {
        int node;
        uint32_t prefix; // the code's bits while within kTableBits
        unsigned depth;
    };
    Item stack[kNodes];
    int sp = 0;
    stack[sp++] = Item{c.root, 0, 0};
    while (sp > 0) {
        const Item it = stack[--sp];
        if (it.depth <= kTableBits && (it.node < kLeaves || it.depth == kTableBits)) {
            const int free = kTableBits - int(it.depth);
            const Single v{static_cast<uint16_t>(it.node), static_cast<uint8_t>(it.depth)};
            std::fill_n(&single[it.prefix << free], size_t{1} << free, v);
            if (it.node >= kLeaves) {
                subOf[it.node] = static_cast<uint8_t>(subs);
                BuildSubTable(c, it.node, subs++);
            }
        }
        if (it.node < kLeaves) {
            g = std::gcd(g, it.depth);
            c.maxStep = std::max(c.maxStep, it.depth);
            continue;
        }
        const uint32_t prefix = it.depth < kTableBits ? it.prefix << 1 : 0;
        stack[sp++] = Item{c.first[it.node], prefix, it.depth + 1};
        stack[sp++] = Item{c.second[it.node], prefix | (it.depth < kTableBits ? 1u : 0u), it.depth + 1};
    }
    c.grid = g == 0 ? 1 : g;

    constexpr uint32_t kMask = (1u << kTableBits) - 1;
    for (uint32_t idx = 0; idx < (1u << kTableBits); ++idx) {
        Entry& e = c.table[idx];
        e = Entry{};
        const Single first = single[idx];
        if (first.node >= kLeaves) {
            e.len = kTableBits;
            e.sub = subOf[first.node];
            continue;
        }
        int used = 0;
        Single s = first;
        while (e.count < kTableSymbols && s.node < kLeaves && used + s.len <= kTableBits) {
            e.sym[e.count++] = static_cast<uint8_t>(s.node);
            used += s.len;
            if (used == kTableBits) break;
            s = single[(idx << used) & kMask];
        }
        e.len1 = first.len;
        e.len = static_cast<uint8_t>(used);
    }
}

struct LongCode {
    uint64_t pos;
    uint8_t sym;
};

// The rest of a code longer than the table, `pos` past its first kTableBits
// bits. Out of line and returned by value, so that the decoders' positions
// stay in registers.
[[gnu::noinline]] LongCode FinishLong(const Code& c, const uint8_t* in, uint64_t pos, int sub)
{
    const uint16_t x = c.sub[sub][Peek(in, pos) >> (64 - kSubBits)];
    if (!(x & kDeeper)) return LongCode{pos + (x >> 8), static_cast<uint8_t>(x)};
    pos += kSubBits;
    int node = x & ~kDeeper;
    while (node >= kLeaves) node = BitAt(in, pos++) ? c.second[node] : c.first[node];
    return LongCode{pos, static_cast<uint8_t>(node)};
}

// Two look-ups on one read of the input: up to eight symbols out. A code
// longer than the table ends the step. The input around `pos` must be there.
inline void Step(const Code& c, const uint8_t* in, uint64_t& pos, uint8_t*& out)
{
    uint64_t v = Peek(in, pos);
    const Entry e = c.table[v >> (64 - kTableBits)];
    if (e.count == 0) [[unlikely]] {
        const LongCode l = FinishLong(c, in, pos + kTableBits, e.sub);
        pos = l.pos;
        *out++ = l.sym;
        return;
    }
    std::memcpy(out, e.sym, kTableSymbols);
    out += e.count;
    pos += e.len;
    // At least 57 bits were read; 24 are used at most.
    v <<= e.len;
    const Entry f = c.table[v >> (64 - kTableBits)];
    if (f.count == 0) [[unlikely]]
        return;
    std::memcpy(out, f.sym, kTableSymbols);
    out += f.count;
    pos += f.len;
}

// One symbol, for finding where two decoders agree.
inline uint8_t OneSymbol(const Code& c, const uint8_t* in, uint64_t& pos)
{
    const Entry e = c.table[Peek(in, pos) >> (64 - kTableBits)];
    if (e.count != 0) {
        pos += e.len1;
        return e.sym[0];
    }
    const LongCode l = FinishLong(c, in, pos + kTableBits, e.sub);
    pos = l.pos;
    return l.sym;
}

// One symbol, never reading at or past bit `endBits` nor beyond `bytes`
// bytes; -1 when the stream ends inside it.
int CheckedSymbol(const Code& c, const uint8_t* in, size_t bytes, uint64_t& pos, uint64_t endBits)
{
    if ((pos >> 3) + 8 <= bytes) {
        const Entry e = c.table[Peek(in, pos) >> (64 - kTableBits)];
        if (e.count != 0 && pos + e.len1 <= endBits) {
            pos += e.len1;
            return e.sym[0];
        }
    }
    int node = c.root;
    while (node >= kLeaves) {
        if (pos >= endBits) return -1;
        node = BitAt(in, pos++) ? c.second[node] : c.first[node];
    }
    return node;
}

// ---- several decoders over one stretch ---------------------------------------
//
// A round decodes K segments of S bits each. Decoder 0 starts where the
// stream is known to be; decoder k at k * S bits further, most likely inside
// a code. A Huffman decoder started inside a code falls into step with the
// true symbol boundaries within a few symbols, so decoder k records where its
// first symbols end; decoder k - 1, once past its own segment, decodes symbol
// by symbol until it stands on one of those positions, and from there on
// decoder k's output is the stream's. The decoders are independent chains of
// look-ups, so the processor runs them side by side.

constexpr int kMarks = 96;              // symbol ends a decoder records
constexpr uint64_t kMarkSpan = 1024;    // ... within so many bits
constexpr uint64_t kSegmentBits = 1 << 15;
constexpr uint64_t kMinSegmentBits = 4096;
// What a round may read or write beyond K * S: overshoot, agreement search
// and the look-ahead of Peek.
constexpr uint64_t kRoundSlack = 4096;
constexpr int kLanes = 4;

struct RoundResult {
    uint64_t pos;   // where the stream stands after the round
    size_t written; // bytes at `out`
    bool agreed;    // every decoder fell into step
};

// Steps every decoder in turn while each is more than a step short of its
// stop: as many rounds as the nearest stop allows, without a test between.
template <int K>
void RunSideBySide(const Code& c, const uint8_t* in, uint64_t* pos, uint8_t** o, const uint64_t* stop)
{
    const auto rounds = [&](const uint64_t* at) {
        uint64_t n = UINT64_MAX;
        for (int k = 0; k < K; ++k) n = std::min(n, at[k] < stop[k] ? (stop[k] - at[k]) / c.maxStep : 0);
        return n;
    };
    if constexpr (K == 4) {
        uint64_t p0 = pos[0], p1 = pos[1], p2 = pos[2], p3 = pos[3];
        uint8_t *q0 = o[0], *q1 = o[1], *q2 = o[2], *q3 = o[3];
        for (;;) {
            const uint64_t at[4] = {p0, p1, p2, p3};
            uint64_t n = rounds(at);
            if (n == 0) break;
            do {
                Step(c, in, p0, q0);
                Step(c, in, p1, q1);
                Step(c, in, p2, q2);
                Step(c, in, p3, q3);
            } while (--n);
        }
        pos[0] = p0, pos[1] = p1, pos[2] = p2, pos[3] = p3;
        o[0] = q0, o[1] = q1, o[2] = q2, o[3] = q3;
    } else {
        static_assert(K == 1);
        uint64_t p0 = pos[0];
        uint8_t* q0 = o[0];
        for (uint64_t n; (n = rounds(&p0)) > 0;)
            do Step(c, in, p0, q0);
            while (--n);
        pos[0] = p0;
        o[0] = q0;
    }
}

template <int K>
RoundResult Round(const Code& c, const uint8_t* in, uint64_t pos0, uint64_t seg, uint8_t* out, uint8_t* const* scratch)
{
    uint64_t pos[K];
    uint64_t stop[K];
    uint8_t* o[K];
    uint8_t* begin[K];
    uint64_t marks[K][kMarks + 1];
    int markCount[K] = {};
    size_t skip[K] = {};
    for (int k = 0; k < K; ++k) {
        pos[k] = pos0 + uint64_t(k) * seg;
        stop[k] = pos0 + uint64_t(k + 1) * seg - (k + 1 < K ? c.maxStep : 0);
        begin[k] = o[k] = k == 0 ? out : scratch[k - 1];
    }
    for (int k = 1; k < K; ++k) {
        const uint64_t start = pos[k];
        marks[k][0] = start;
        int n = 0;
        while (n < kMarks && pos[k] - start < kMarkSpan) {
            *o[k]++ = OneSymbol(c, in, pos[k]);
            marks[k][++n] = pos[k];
        }
        markCount[k] = n;
    }
    RunSideBySide<K>(c, in, pos, o, stop);
    for (int k = 0; k < K; ++k)
        while (pos[k] < stop[k]) Step(c, in, pos[k], o[k]);

    // Where decoder j + 1 falls into step with decoder j.
    int good = 1;
    for (int j = 0; j + 1 < K; ++j) {
        const uint64_t* m = marks[j + 1];
        const int last = markCount[j + 1];
        int y = 0;
        bool met = false;
        for (;;) {
            while (y <= last && m[y] < pos[j]) ++y;
            if (y > last) break;
            if (m[y] == pos[j]) {
                met = true;
                break;
            }
            *o[j]++ = OneSymbol(c, in, pos[j]);
        }
        if (!met) break;
        skip[j + 1] = size_t(y);
        ++good;
    }
    uint8_t* dst = o[0];
    for (int k = 1; k < good; ++k) {
        const size_t n = size_t(o[k] - begin[k]) - skip[k];
        std::memcpy(dst, begin[k] + skip[k], n);
        dst += n;
    }
    return RoundResult{pos[good - 1], size_t(dst - out), good == K};
}

} // namespace

int Unpack(UnpackInput& in, uint64_t sourceSize, UnpackOutput& out, uint64_t maxLength)
{
    if (in.size < 4) return TvHuffman::kBadStream;
    const uint8_t* lb = in.data;
    uint64_t remaining = lb[0] | (uint32_t{lb[1]} << 8) | (uint32_t{lb[2]} << 16) | (uint32_t{lb[3]} << 24);
    if (remaining > maxLength) return TvHuffman::kTooLarge;

    // Not value-initialised: the tables are filled whole before use.
    std::unique_ptr<Code> code(new Code);
    Code& c = *code;
    uint64_t pos = 32;
    if (int r = ReadTree(in, pos, c); r != TvHuffman::kOk) return r;
    // Every code has at least one bit.
    if (c.root >= kLeaves && (sourceSize < 4 || remaining > (sourceSize - 4) * 8)) return TvHuffman::kBadStream;
    out.Expect(remaining);

    if (c.root < kLeaves) {
        // One byte value: the stream holds no codes.
        while (remaining > 0) {
            if (out.p == out.end && !out.Flush()) return TvHuffman::kIoFailed;
            const size_t n = size_t(std::min<uint64_t>(remaining, uint64_t(out.end - out.p)));
            std::memset(out.p, c.root, n);
            out.p += n;
            remaining -= n;
        }
        return out.Flush() ? TvHuffman::kOk : TvHuffman::kIoFailed;
    }
    BuildTable(c);

    const uint64_t grid = c.grid;
    const size_t scratchSize = kSegmentBits + kRoundSlack;
    std::unique_ptr<uint8_t[]> scratchMem(new uint8_t[(kLanes - 1) * scratchSize]);
    uint8_t* scratch[kLanes - 1];
    for (int k = 0; k < kLanes - 1; ++k) scratch[k] = scratchMem.get() + k * scratchSize;

    // After a round whose decoders did not fall into step (codes of one
    // length off the grid, say), a few rounds go with one decoder.
    int singleRounds = 0;
    while (remaining > 0) {
        const uint64_t roundBits = kLanes * kSegmentBits + kRoundSlack;
        if (!in.eof && uint64_t{in.size} * 8 - pos < 2 * roundBits) {
            const size_t drop = size_t(pos >> 3);
            if (!in.Slide(drop)) return TvHuffman::kIoFailed;
            pos -= uint64_t{drop} * 8;
        }
        if (uint64_t(out.end - out.p) < std::min<uint64_t>(remaining, roundBits) && !out.Flush())
            return TvHuffman::kIoFailed;
        const uint64_t ahead = uint64_t{in.size} * 8 - pos;
        const uint64_t room = std::min<uint64_t>(remaining, uint64_t(out.end - out.p));
        const uint64_t budget = std::min(room, ahead);
        if (budget > kRoundSlack + kMinSegmentBits) {
            const uint64_t usable = budget - kRoundSlack;
            int lanes = singleRounds > 0 ? 1 : kLanes;
            uint64_t seg = std::min(kSegmentBits, usable / uint64_t(lanes)) / grid * grid;
            if (seg < kMinSegmentBits && lanes > 1) {
                lanes = 1;
                seg = std::min(kSegmentBits, usable) / grid * grid;
            }
            if (seg >= kMinSegmentBits) {
                const RoundResult r = lanes == 1 ? Round<1>(c, in.data, pos, seg, out.p, scratch)
                                                 : Round<kLanes>(c, in.data, pos, seg, out.p, scratch);
                out.p += r.written;
                remaining -= r.written;
                pos = r.pos;
                if (!r.agreed) singleRounds = 8;
                else if (lanes == 1 && singleRounds > 0) --singleRounds;
                continue;
            }
        }
        // The last symbols, or the end of the input: one at a time, checked.
        const uint64_t endBits = uint64_t{in.size} * 8;
        for (int i = 0; i < 4096 && remaining > 0 && out.p < out.end; ++i) {
            const uint64_t at = pos;
            const int s = CheckedSymbol(c, in.data, in.size, pos, endBits);
            if (s < 0) {
                if (in.eof) return TvHuffman::kBadStream;
                pos = at; // again once the window has moved on
                break;
            }
            *out.p++ = static_cast<uint8_t>(s);
            --remaining;
        }
    }
    return out.Flush() ? TvHuffman::kOk : TvHuffman::kIoFailed;
}

} // namespace nv::huffman
