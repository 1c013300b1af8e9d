#include "engine/store/TvHuffman.h"

#include "engine/store/HuffmanUnpack.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace nv {

namespace {

using huffman::kLeaves;
using huffman::kNodes;
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

private:
    FILE* f_;
};

class StringSink {
public:
    explicit StringSink(std::string& s) : s_(s) {}
    bool Write(const uint8_t* p, size_t n)
    {
        s_.append(reinterpret_cast<const char*>(p), n);
        return true;
    }

private:
    std::string& s_;
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

// The packed file through a window of kChunk bytes, refilled as it is used.
class FileInput : public huffman::UnpackInput {
public:
    explicit FileInput(FILE* f) : f_(f), buf_(new uint8_t[kChunk + 8]) { eof = false; Slide(0); }
    bool Slide(size_t consumed) override
    {
        const size_t left = size - consumed;
        std::memmove(buf_.get(), buf_.get() + consumed, left);
        size = left;
        data = buf_.get();
        while (!eof && size < kChunk) {
            const size_t got = std::fread(buf_.get() + size, 1, kChunk - size, f_);
            if (got == 0) {
                eof = true;
                if (std::ferror(f_)) failed_ = true;
            }
            size += got;
        }
        return !failed_;
    }
    bool failed() const { return failed_; }

private:
    FILE* f_;
    std::unique_ptr<uint8_t[]> buf_;
    bool failed_ = false;
};

// Packed bytes the caller holds, read where they are.
class MemoryInput : public huffman::UnpackInput {
public:
    explicit MemoryInput(std::string_view s)
    {
        data = reinterpret_cast<const uint8_t*>(s.data());
        size = s.size();
        eof = true;
    }
    bool Slide(size_t) override { return true; }
};

// The unpacked bytes through a window of kChunk bytes.
class FileOutput : public huffman::UnpackOutput {
public:
    explicit FileOutput(FILE* f) : f_(f), buf_(new uint8_t[kChunk]) { p = buf_.get(), end = p + kChunk; }
    void Expect(uint64_t) override {}
    bool Flush() override
    {
        const size_t n = size_t(p - buf_.get());
        p = buf_.get();
        return n == 0 || std::fwrite(buf_.get(), 1, n, f_) == n;
    }

private:
    FILE* f_;
    std::unique_ptr<uint8_t[]> buf_;
};

// Unpacks into the caller's string, sized once: a string that already has
// that length (unpacking again into the same one) is not cleared first.
class StringOutput : public huffman::UnpackOutput {
public:
    explicit StringOutput(std::string& s) : s_(s) {}
    void Expect(uint64_t n) override
    {
        s_.resize(size_t(n));
        p = reinterpret_cast<uint8_t*>(s_.data());
        end = p + s_.size();
    }
    bool Flush() override { return true; }

private:
    std::string& s_;
};

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
    FileInput src(in.get());
    FileOutput sink(out.get());
    int r = huffman::Unpack(src, size, sink, maxLength);
    if (src.failed()) r = kIoFailed;
    const bool closed = CloseWritten(out);
    return r != kOk ? r : (closed ? kOk : kIoFailed);
}

int TvHuffman::CompressBuffer(std::string_view in, std::string& out)
{
    out.clear();
    // No code averages more than nine bits a byte: the stream never outgrows this.
    out.reserve(in.size() + in.size() / 8 + 512);
    MemorySource src(in);
    StringSink sink(out);
    return PackStream(src, in.size(), sink);
}

int TvHuffman::DecompressBuffer(std::string_view in, std::string& out, uint64_t maxLength)
{
    MemoryInput src(in);
    StringOutput sink(out);
    const int r = huffman::Unpack(src, in.size(), sink, maxLength);
    if (r != kOk) out.clear();
    return r;
}

} // namespace nv
