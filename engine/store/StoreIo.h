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
    // Reads bytes the caller keeps alive.
    explicit StoreReader(std::string_view bytes);

    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    std::string Bytes(uint64_t n);
    std::string String();
    void Skip(uint64_t n);
    // Up to n bytes (fewer only at the end), for block copies.
    size_t ReadBlock(void* out, size_t n);

    uint64_t Position() const { return pos_; }
    uint64_t Remaining() const { return end_ - pos_; }
    // Moves to an absolute position; false when it lies beyond the end.
    bool Seek(uint64_t pos);

private:
    void Need(uint64_t n) const;
    void Take(void* out, size_t n);

    CFile* file_ = nullptr;
    std::string_view mem_;
    uint64_t pos_ = 0;
    uint64_t end_ = 0;
    // File buffer: bytes [bufStart_, bufStart_ + bufLen_) of the file.
    std::unique_ptr<char[]> buf_;
    size_t bufSize_ = 0;
    uint64_t bufStart_ = 0;
    size_t bufLen_ = 0;
};

} // namespace nv
