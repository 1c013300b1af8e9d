#pragma once
// Byte-level reading and writing of the document file's records: little-
// endian numbers and store strings (a 32-bit count and the bytes, unlike the
// archive's strings). Reading never trusts a count: everything is checked
// against the bytes the file still holds.
#include "engine/core/File.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

class StoreWriter {
public:
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void Bytes(std::string_view b) { out_.append(b); }
    // Store string: count, then the bytes.
    void String(std::string_view s);

    const std::string& bytes() const { return out_; }
    std::string take() { return std::move(out_); }
    size_t size() const { return out_.size(); }

private:
    std::string out_;
};

// Buffered reading of a file or of bytes in memory from a start position to
// a fixed end. A read past the end throws CArchiveException(endOfFile).
class StoreReader {
public:
    // Reads `file` from its current position up to its length, through a
    // buffer of `bufferSize` bytes (larger for reading straight through).
    explicit StoreReader(CFile& file, size_t bufferSize = 4096);
    // Reads the part of `file` from byte `base` to its end as if it were a
    // file of its own: positions count from `base`.
    StoreReader(CFile& file, uint64_t base, size_t bufferSize);
    // Reads bytes the caller keeps alive.
    explicit StoreReader(std::string_view bytes);

    // Numbers inside the buffer are read in line: a large document's indexes
    // and page records are read a number at a time.
    uint16_t U16()
    {
        if (const unsigned char* p = InBuffer(2)) return static_cast<uint16_t>(p[0] | (p[1] << 8));
        return SlowU16();
    }
    uint32_t U32()
    {
        if (const unsigned char* p = InBuffer(4))
            return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
        return SlowU32();
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    std::string Bytes(uint64_t n);
    std::string String();
    void Skip(uint64_t n);
    // Up to n bytes (fewer only at the end), for block copies.
    size_t ReadBlock(void* out, size_t n);

    uint64_t Position() const { return pos_ - base_; }
    uint64_t Remaining() const { return end_ - pos_; }
    // Moves to an absolute position; false when it lies beyond the end.
    bool Seek(uint64_t pos);

private:
    // The next n bytes when the buffer holds them (and then past them).
    const unsigned char* InBuffer(size_t n)
    {
        if (pos_ < bufStart_ || pos_ - bufStart_ + n > bufLen_) return nullptr;
        const auto* p = reinterpret_cast<const unsigned char*>(bufData_) + (pos_ - bufStart_);
        pos_ += n;
        return p;
    }
    uint16_t SlowU16();
    uint32_t SlowU32();
    void Need(uint64_t n) const;
    void Take(void* out, size_t n);

    CFile* file_ = nullptr;
    std::string_view mem_;
    uint64_t base_ = 0;
    uint64_t pos_ = 0;
    uint64_t end_ = 0;
    // File buffer: bytes [bufStart_, bufStart_ + bufLen_) of the file, at
    // bufData_ (for bytes in memory: all of them).
    std::unique_ptr<char[]> buf_;
    const char* bufData_ = nullptr;
    size_t bufSize_ = 0;
    uint64_t bufStart_ = 0;
    size_t bufLen_ = 0;
};

} // namespace nv
