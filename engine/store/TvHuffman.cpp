#include "engine/store/TvHuffman.h"


#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace nv {

namespace {

constexpr int kLeaves = 256;
constexpr int kNodes = 511;
constexpr size_t kChunk = 1 << 18;

// ---- byte sources and sinks ---------------------------------------------

class FileSource {
public:
    explicit FileSource(FILE* f) : f_(f) {}
    size_t Read(uint8_t* buf, size_t n)
    {
        const size_t got = std::fread(buf, 1, n, f_);
        if (got < n && std::ferror(f_)) failed_ = true;
        return got;
    }
    bool Rewind() { return std::fseek(f_, 0, SEEK_SET) == 0; }
    bool failed() const { return failed_; }

private:
    FILE* f_;
    bool failed_ = false;
};

class MemorySource {
public:
    explicit MemorySource(std::string_view s) : s_(s) {}
    size_t Read(uint8_t* buf, size_t n)
    {
        const size_t k = std::min(n, s_.size() - pos_);
        std::memcpy(buf, s_.data() + pos_, k);
        pos_ += k;
        return k;
    }
    bool Rewind()
    {
        pos_ = 0;
        return true;
    }
    bool failed() const { return false; }

private:
    std::string_view s_;
    size_t pos_ = 0;
};

class FileSink {
public:
    explicit FileSink(FILE* f) : f_(f) {}
    bool Write(const uint8_t* p, size_t n) { return std::fwrite(p, 1, n, f_) == n; }
    void Expect(uint64_t) {}
    uint8_t* Window()
    {
        if (!buf_) buf_.reset(new uint8_t[kChunk]);
        return buf_.get();
    }
    bool Commit(size_t n) { return n == 0 || Write(buf_.get(), n); }
    void Finish() {}

private:
    FILE* f_;
    std::unique_ptr<uint8_t[]> buf_;
};

class StringSink {
public:
    explicit StringSink(std::string& s) : s_(s) {}
    bool Write(const uint8_t* p, size_t n)
    {
        s_.resize(used_);
        s_.append(reinterpret_cast<const char*>(p), n);
        used_ = s_.size();
        return true;
    }
    // Unpacking writes straight into the string, a window of kChunk bytes
    // at a time.
    void Expect(uint64_t n) { s_.resize(static_cast<size_t>(n) + kChunk); }
    uint8_t* Window()
    {
        if (s_.size() < used_ + kChunk) s_.resize(used_ + kChunk);
        return reinterpret_cast<uint8_t*>(s_.data()) + used_;
    }
    bool Commit(size_t n)
    {
        used_ += n;
        return true;
    }
    void Finish() { s_.resize(used_); }

private:
    std::string& s_;
    size_t used_ = 0;
};

// Buffered output in front of a sink.
template <class Sink>
class OutBuffer {
public:
    explicit OutBuffer(Sink& sink) : sink_(sink), buf_(new uint8_t[kChunk]) {}
    uint8_t* data() { return buf_.get(); }
    bool Flush(size_t n) { return n == 0 || sink_.Write(buf_.get(), n); }

private:
    Sink& sink_;
    std::unique_ptr<uint8_t[]> buf_;
};

struct Closer {
    void operator()(FILE* f) const
    {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, Closer>;

FilePtr OpenFile(const std::string& name, const char* mode)
{
    return FilePtr(std::fopen(name.c_str(), mode));
}

// Closes a written file and reports a delayed write error.
bool CloseWritten(FilePtr& f)
{
    FILE* raw = f.release();
    const bool flushed = std::fflush(raw) == 0 && !std::ferror(raw);
    return std::fclose(raw) == 0 && flushed;
}

// ---- packing ---------------------------------------------------------------

struct CodeTree {
    uint32_t freq[kNodes] = {};
    int32_t parent[kNodes] = {};
    int16_t first[kNodes] = {};
    int16_t second[kNodes] = {};
    int root = 0;
};

void SiftDown(int* heap, int n, int k, const uint32_t* freq)
{
    const int v = heap[k];
    while (2 * k <= n) {
        int j = 2 * k;
        if (j + 1 <= n && freq[heap[j + 1]] < freq[heap[j]]) ++j;
        if (freq[heap[j]] >= freq[v]) break;
        heap[k] = heap[j];
        k = j;
    }
    heap[k] = v;
}

// The tree and its tie-breaking are part of the stream format.
void BuildTree(CodeTree& t)
{
    int heap[kLeaves + 1];
    int n = 0;
    for (int b = 0; b < kLeaves; ++b)
        if (t.freq[b] != 0) heap[++n] = b;
    for (int k = n / 2; k >= 1; --k) SiftDown(heap, n, k, t.freq);
    t.root = n > 0 ? heap[1] : 0;
    int next = kLeaves;
    while (n > 1) {
        const int x = heap[1];
        heap[1] = heap[n];
        --n;
        SiftDown(heap, n, 1, t.freq);
        const int y = heap[1];
        const int i = next++;
        t.freq[i] = t.freq[y] + t.freq[x];
        heap[1] = i;
        SiftDown(heap, n, 1, t.freq);
        t.parent[x] = i;
        t.parent[y] = -i;
        t.first[i] = static_cast<int16_t>(x);
        t.second[i] = static_cast<int16_t>(y);
        t.root = i;
    }
}

// MSB-first bit writer on a 64-bit accumulator.
template <class Sink>
class BitWriter {
public:
    explicit BitWriter(OutBuffer<Sink>& out) : out_(out), p_(out.data()) {}

    // len <= 56
    inline bool Put(uint64_t code, int len)
    {
        if (nbits_ + len > 64) {
            if (nbits_ >= 32) {
                nbits_ -= 32;
                const uint32_t v = static_cast<uint32_t>(acc_ >> nbits_);
                p_[0] = static_cast<uint8_t>(v >> 24);
                p_[1] = static_cast<uint8_t>(v >> 16);
                p_[2] = static_cast<uint8_t>(v >> 8);
                p_[3] = static_cast<uint8_t>(v);
                p_ += 4;
            }
            while (nbits_ + len > 64) {
                nbits_ -= 8;
                *p_++ = static_cast<uint8_t>(acc_ >> nbits_);
            }
            if (p_ - out_.data() > static_cast<ptrdiff_t>(kChunk - 16) && !Drain()) return false;
        }
        acc_ = (len == 0 ? acc_ : (acc_ << len) | code);
        nbits_ += len;
        return true;
    }

    // Writes the codes of n bytes when no code is longer than 32 bits.
    bool PutBytes(const uint8_t* in, size_t n, const uint32_t* code, const uint8_t* len)
    {
        while (nbits_ >= 8) {
            nbits_ -= 8;
            *p_++ = static_cast<uint8_t>(acc_ >> nbits_);
        }
        uint64_t acc = acc_;
        int nbits = nbits_;
        uint8_t* p = p_;
        size_t i = 0;
        while (i < n) {
            // At most four bytes out per byte in.
            const size_t room = (kChunk - 16 - static_cast<size_t>(p - out_.data())) / 4;
            if (room == 0) {
                p_ = p;
                if (!Drain()) return false;
                p = p_;
                continue;
            }
            const size_t m = std::min(n - i, room);
            for (size_t k = 0; k < m; ++k) {
                const uint8_t b = in[i + k];
                acc = (acc << len[b]) | code[b];
                nbits += len[b];
                if (nbits >= 32) {
                    nbits -= 32;
                    const uint32_t v = __builtin_bswap32(static_cast<uint32_t>(acc >> nbits));
                    std::memcpy(p, &v, 4);
                    p += 4;
                }
            }
            i += m;
        }
        acc_ = acc;
        nbits_ = nbits;
        p_ = p;
        return true;
    }

    // Writes out the pending bits, the last byte completed with zeros.
    bool Finish()
    {
        while (nbits_ >= 8) {
            nbits_ -= 8;
            *p_++ = static_cast<uint8_t>(acc_ >> nbits_);
        }
        if (nbits_ > 0) *p_++ = static_cast<uint8_t>(acc_ << (8 - nbits_));
        nbits_ = 0;
        return Drain();
    }

private:
    bool Drain()
    {
        const size_t n = static_cast<size_t>(p_ - out_.data());
        p_ = out_.data();
        return out_.Flush(n);
    }

    OutBuffer<Sink>& out_;
    uint8_t* p_;
    uint64_t acc_ = 0;
    int nbits_ = 0;
};

template <class Source, class Sink>
int PackStream(Source& src, uint64_t size, Sink& sink)
{
    if (size > 0xFFFFFFFFull) return TvHuffman::kTooLarge;
    auto tree = std::make_unique<CodeTree>();
    std::unique_ptr<uint8_t[]> buf(new uint8_t[kChunk]);

    // Four counters per byte value break the store-to-load chain on runs.
    std::vector<uint32_t> counts(4 * kLeaves, 0);
    uint64_t total = 0;
    for (;;) {
        const size_t got = src.Read(buf.get(), kChunk);
        size_t i = 0;
        for (; i + 4 <= got; i += 4) {
            ++counts[buf[i]];
            ++counts[kLeaves + buf[i + 1]];
            ++counts[2 * kLeaves + buf[i + 2]];
            ++counts[3 * kLeaves + buf[i + 3]];
        }
        for (; i < got; ++i) ++counts[buf[i]];
        total += got;
        if (got < kChunk) break;
    }
    if (src.failed() || total != size) return TvHuffman::kIoFailed;
    for (int b = 0; b < kLeaves; ++b)
        tree->freq[b] = counts[b] + counts[kLeaves + b] + counts[2 * kLeaves + b] + counts[3 * kLeaves + b];
    BuildTree(*tree);

    // Codes, root end first.
    uint64_t code[kLeaves] = {};
    int len[kLeaves] = {};
    for (int b = 0; b < kLeaves; ++b) {
        if (tree->freq[b] == 0) continue;
        uint64_t c = 0;
        int l = 0;
        for (int node = b; tree->parent[node] != 0;) {
            const int32_t link = tree->parent[node];
            // With fewer than 2^32 input bytes a code has at most 47 bits.
            if (l >= 56) return TvHuffman::kTooLarge;
            if (link < 0) c |= uint64_t{1} << l;
            ++l;
            node = link < 0 ? -link : link;
        }
        code[b] = c;
        len[b] = l;
    }

    OutBuffer<Sink> out(sink);
    const uint8_t lengthBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                    static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    if (!sink.Write(lengthBytes, 4)) return TvHuffman::kIoFailed;
    BitWriter<Sink> bits(out);

    // Pre-order tree.
    int stack[kNodes];
    int sp = 0;
    stack[sp++] = tree->root;
    while (sp > 0) {
        const int node = stack[--sp];
        if (node >= kLeaves) {
            if (!bits.Put(1, 1)) return TvHuffman::kIoFailed;
            stack[sp++] = tree->second[node];
            stack[sp++] = tree->first[node];
        } else if (!bits.Put(static_cast<uint64_t>(node), 9)) {
            return TvHuffman::kIoFailed;
        }
    }

    // Codes of at most 32 bits (any input of a few MB, and all but freak
    // distributions of larger ones) take the fast path.
    bool short32 = true;
    uint32_t code32[kLeaves];
    uint8_t len8[kLeaves];
    for (int b = 0; b < kLeaves; ++b) {
        short32 = short32 && len[b] <= 32;
        code32[b] = static_cast<uint32_t>(code[b]);
        len8[b] = static_cast<uint8_t>(len[b]);
    }
    if (!src.Rewind()) return TvHuffman::kIoFailed;
    uint64_t again = 0;
    for (;;) {
        const size_t got = src.Read(buf.get(), kChunk);
        if (short32) {
            if (!bits.PutBytes(buf.get(), got, code32, len8)) return TvHuffman::kIoFailed;
        } else {
            for (size_t i = 0; i < got; ++i) {
                const uint8_t b = buf[i];
                if (!bits.Put(code[b], len[b])) return TvHuffman::kIoFailed;
            }
        }
        again += got;
        if (got < kChunk) break;
    }
    if (src.failed() || again != size) return TvHuffman::kIoFailed;
    return bits.Finish() ? TvHuffman::kOk : TvHuffman::kIoFailed;
}

// ---- unpacking -------------------------------------------------------------

// MSB-first bit reader: `buf_` holds the next bits left-aligned, `cnt_` of
// them real; the bits below are zero or the following input bits.
template <class Source>
class BitReader {
public:
    explicit BitReader(Source& src) : src_(src), chunk_(new uint8_t[kChunk + 8]) {}

    inline void Refill()
    {
        if (end_ - pos_ < 8 && !eof_) Fill();
        if (end_ - pos_ >= 8) {
            uint64_t v;
            std::memcpy(&v, chunk_.get() + pos_, 8);
            v = __builtin_bswap64(v);
            buf_ |= v >> cnt_;
            const int bytes = (63 - cnt_) >> 3;
            pos_ += static_cast<size_t>(bytes);
            cnt_ += bytes * 8;
        } else {
            while (cnt_ <= 56 && pos_ < end_) {
                buf_ |= static_cast<uint64_t>(chunk_[pos_++]) << (56 - cnt_);
                cnt_ += 8;
            }
        }
    }
    // -1 at the end of the input.
    int Bit()
    {
        if (cnt_ == 0) Refill();
        if (cnt_ == 0) return -1;
        const int b = static_cast<int>(buf_ >> 63);
        Consume(1);
        return b;
    }
    inline void Consume(int n)
    {
        buf_ <<= n;
        cnt_ -= n;
    }
    // Reads n <= 8 whole bytes outside the bit stream (the length prefix).
    bool Bytes(uint8_t* out, int n)
    {
        for (int i = 0; i < n; ++i) {
            if (pos_ >= end_ && !eof_) Fill();
            if (pos_ >= end_) return false;
            out[i] = chunk_[pos_++];
        }
        return true;
    }
    bool failed() const { return src_.failed(); }
    // Whole input bytes ready in the buffer (tops it up when few are left).
    size_t Ready()
    {
        if (end_ - pos_ < 8 && !eof_) Fill();
        return end_ - pos_;
    }
    // Fast refill when Ready() >= 8: at least 56 bits afterwards.
    inline void RefillFast(uint64_t& buf, int& cnt)
    {
        uint64_t v;
        std::memcpy(&v, chunk_.get() + pos_, 8);
        buf |= __builtin_bswap64(v) >> cnt;
        const int bytes = (63 - cnt) >> 3;
        pos_ += static_cast<size_t>(bytes);
        cnt += bytes * 8;
    }

    uint64_t buf_ = 0;
    int cnt_ = 0;

private:
    void Fill()
    {
        const size_t left = end_ - pos_;
        std::memmove(chunk_.get(), chunk_.get() + pos_, left);
        pos_ = 0;
        end_ = left;
        const size_t got = src_.Read(chunk_.get() + left, kChunk - left);
        if (got == 0) eof_ = true;
        end_ += got;
    }

    Source& src_;
    std::unique_ptr<uint8_t[]> chunk_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
};

constexpr int kTableBits = 12;
constexpr int kTableSymbols = 4;

// One look-up of kTableBits bits: up to four whole codes, or (count 0) the
// internal node reached after kTableBits bits of a longer code.
struct TableEntry {
    uint8_t sym[kTableSymbols];
    uint8_t count;
    uint8_t len;
    uint16_t node;
};

struct DecodeTree {
    int16_t first[kNodes] = {};
    int16_t second[kNodes] = {};
    int root = 0;
    TableEntry table[1 << kTableBits];
};

void BuildTable(DecodeTree& t)
{
    for (uint32_t idx = 0; idx < (1u << kTableBits); ++idx) {
        TableEntry& e = t.table[idx];
        e = TableEntry{};
        int used = 0;
        while (e.count < kTableSymbols) {
            int node = t.root;
            int taken = 0;
            while (node >= kLeaves && used + taken < kTableBits) {
                const int bit = (idx >> (kTableBits - 1 - used - taken)) & 1;
                node = bit ? t.second[node] : t.first[node];
                ++taken;
            }
            if (node >= kLeaves) {
                if (e.count == 0) {
                    e.node = static_cast<uint16_t>(node);
                    used = kTableBits;
                }
                break;
            }
            e.sym[e.count++] = static_cast<uint8_t>(node);
            used += taken;
        }
        e.len = static_cast<uint8_t>(used);
    }
}

template <class Source>
int ReadTree(BitReader<Source>& in, DecodeTree& t)
{
    struct Frame {
        int id;
        bool firstDone;
    };
    Frame stack[kLeaves];
    int sp = 0;
    int next = kLeaves;
    do {
        const int bit = in.Bit();
        if (bit < 0) return TvHuffman::kBadStream;
        int node;
        if (bit == 0) {
            node = 0;
            for (int i = 0; i < 8; ++i) {
                const int b = in.Bit();
                if (b < 0) return TvHuffman::kBadStream;
                node = (node << 1) | b;
            }
        } else {
            if (next >= kNodes) return TvHuffman::kBadStream;
            node = next++;
        }
        if (sp == 0) {
            t.root = node;
        } else {
            Frame& f = stack[sp - 1];
            if (!f.firstDone) {
                t.first[f.id] = static_cast<int16_t>(node);
                f.firstDone = true;
            } else {
                t.second[f.id] = static_cast<int16_t>(node);
                --sp;
            }
        }
        if (node >= kLeaves) stack[sp++] = Frame{node, false};
    } while (sp > 0);
    return TvHuffman::kOk;
}

template <class Source, class Sink>
int UnpackStream(Source& src, uint64_t sourceSize, Sink& sink, uint64_t maxLength)
{
    BitReader<Source> in(src);
    uint8_t lb[4];
    if (!in.Bytes(lb, 4)) return in.failed() ? TvHuffman::kIoFailed : TvHuffman::kBadStream;
    uint64_t remaining = lb[0] | (uint32_t{lb[1]} << 8) | (uint32_t{lb[2]} << 16) | (uint32_t{lb[3]} << 24);
    if (remaining > maxLength) return TvHuffman::kTooLarge;

    auto tree = std::make_unique<DecodeTree>();
    if (int r = ReadTree(in, *tree); r != TvHuffman::kOk) return in.failed() ? TvHuffman::kIoFailed : r;

    // Every code has at least one bit.
    if (tree->root >= kLeaves && (sourceSize < 4 || remaining > (sourceSize - 4) * 8)) return TvHuffman::kBadStream;
    sink.Expect(remaining);
    uint8_t* base = sink.Window();
    uint8_t* p = base;
    // Flushes the window and starts the next one.
    const auto flush = [&]() -> bool {
        if (!sink.Commit(static_cast<size_t>(p - base))) return false;
        base = p = sink.Window();
        return true;
    };
    constexpr size_t kStop = kChunk - 2 * kTableSymbols;

    if (tree->root < kLeaves) {
        // One byte value: the stream holds no codes.
        while (remaining > 0) {
            const size_t n = remaining < kChunk ? static_cast<size_t>(remaining) : kChunk;
            std::memset(base, tree->root, n);
            p = base + n;
            if (!flush()) return TvHuffman::kIoFailed;
            remaining -= n;
        }
        sink.Finish();
        return TvHuffman::kOk;
    }
    BuildTable(*tree);
    const DecodeTree& t = *tree;
    uint64_t buf = in.buf_;
    int cnt = in.cnt_;
    const auto refill = [&] {
        in.buf_ = buf;
        in.cnt_ = cnt;
        in.Refill();
        buf = in.buf_;
        cnt = in.cnt_;
    };
    const auto truncated = [&] { return in.failed() ? TvHuffman::kIoFailed : TvHuffman::kBadStream; };
    // One table look-up: the symbols it holds, or for a code longer than the
    // table, a walk bit by bit from the node where the table left off. False
    // when the input ends inside the code.
    const auto lookUp = [&](const TableEntry& e) {
        if (e.count != 0) {
            std::memcpy(p, e.sym, kTableSymbols);
            p += e.count;
            remaining -= e.count;
            buf <<= e.len;
            cnt -= e.len;
            return true;
        }
        buf <<= kTableBits;
        cnt -= kTableBits;
        int node = e.node;
        while (node >= kLeaves) {
            if (cnt == 0) {
                refill();
                if (cnt == 0) return false;
            }
            node = (buf >> 63) ? t.second[node] : t.first[node];
            buf <<= 1;
            --cnt;
        }
        *p++ = static_cast<uint8_t>(node);
        --remaining;
        return true;
    };
    // Groups of four look-ups on one refill (4 x 12 bits <= 56).
    constexpr uint64_t kGroup = 4 * kTableSymbols;
    constexpr size_t kStopGroup = kChunk - 2 * kGroup;
    while (remaining >= kGroup && in.Ready() >= 8) {
        if (static_cast<size_t>(p - base) >= kStopGroup && !flush()) return TvHuffman::kIoFailed;
        in.RefillFast(buf, cnt);
        for (int k = 0; k < 4; ++k) {
            const TableEntry& e = t.table[buf >> (64 - kTableBits)];
            if (!lookUp(e)) return truncated();
            if (e.count == 0) break; // a long code may have read past the group: refill first
        }
    }
    // The last bytes of input: one look-up at a time, never past the end.
    while (remaining >= kTableSymbols) {
        if (static_cast<size_t>(p - base) >= kStop && !flush()) return TvHuffman::kIoFailed;
        if (cnt < kTableBits) {
            refill();
            if (cnt < kTableBits) break; // the last bits: the careful loop below
        }
        if (!lookUp(t.table[buf >> (64 - kTableBits)])) return truncated();
    }
    in.buf_ = buf;
    in.cnt_ = cnt;
    while (remaining > 0) {
        if (static_cast<size_t>(p - base) >= kStop && !flush()) return TvHuffman::kIoFailed;
        int node = t.root;
        while (node >= kLeaves) {
            const int bit = in.Bit();
            if (bit < 0) return truncated();
            node = bit ? t.second[node] : t.first[node];
        }
        *p++ = static_cast<uint8_t>(node);
        --remaining;
    }
    if (in.failed()) return TvHuffman::kIoFailed;
    if (!sink.Commit(static_cast<size_t>(p - base))) return TvHuffman::kIoFailed;
    sink.Finish();
    return TvHuffman::kOk;
}

bool FileSize(FILE* f, uint64_t& size)
{
    if (std::fseek(f, 0, SEEK_END) != 0) return false;
    const long pos = std::ftell(f);
    if (pos < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;
    size = static_cast<uint64_t>(pos);
    return true;
}

} // namespace

int TvHuffman::Compress(const std::string& target, const std::string& source)
{
    FilePtr in = OpenFile(source, "rb");
    if (!in) return kSourceOpenFailed;
    FilePtr out = OpenFile(target, "wb");
    if (!out) return kTargetCreateFailed;
    uint64_t size = 0;
    if (!FileSize(in.get(), size)) return kIoFailed;
    FileSource src(in.get());
    FileSink sink(out.get());
    const int r = PackStream(src, size, sink);
    const bool closed = CloseWritten(out);
    return r != kOk ? r : (closed ? kOk : kIoFailed);
}

int TvHuffman::Decompress(const std::string& target, const std::string& source)
{
    return Decompress(target, source, 0xFFFFFFFFull);
}

int TvHuffman::Decompress(const std::string& target, const std::string& source, uint64_t maxLength)
{
    FilePtr in = OpenFile(source, "rb");
    if (!in) return kSourceOpenFailed;
    FilePtr out = OpenFile(target, "wb");
    if (!out) return kTargetCreateFailed;
    uint64_t size = 0;
    if (!FileSize(in.get(), size)) return kIoFailed;
    FileSource src(in.get());
    FileSink sink(out.get());
    const int r = UnpackStream(src, size, sink, maxLength);
    const bool closed = CloseWritten(out);
    return r != kOk ? r : (closed ? kOk : kIoFailed);
}

int TvHuffman::CompressBuffer(std::string_view in, std::string& out)
{
    out.clear();
    out.reserve(in.size() / 2 + 64);
    MemorySource src(in);
    StringSink sink(out);
    return PackStream(src, in.size(), sink);
}

int TvHuffman::DecompressBuffer(std::string_view in, std::string& out, uint64_t maxLength)
{
    out.clear();
    MemorySource src(in);
    StringSink sink(out);
    const int r = UnpackStream(src, in.size(), sink, maxLength);
    if (r != kOk) out.clear();
    return r;
}

} // namespace nv
