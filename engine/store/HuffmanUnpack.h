#pragma once
// The unpacking side of TvHuffman, over a window on the packed stream and a
// window on the output, so that memory and files share one decoder.
#include <cstddef>
#include <cstdint>

namespace nv::huffman {

// Nodes 0-255 are the leaves for the byte values, 256-510 the inner nodes.
constexpr int kLeaves = 256;
constexpr int kNodes = 511;

// The packed bytes: `data` holds `size` bytes of the stream from its start or
// from where the window was last slid to. `eof` once nothing follows them.
class UnpackInput {
public:
    virtual ~UnpackInput() = default;
    // Drops the first `consumed` bytes and reads more behind the rest; false
    // on a read error.
    virtual bool Slide(size_t consumed) = 0;

    const uint8_t* data = nullptr;
    size_t size = 0;
    bool eof = true;
};

// Where the bytes go: [p, end) is free; Flush hands [start, p) on and frees
// the window again. A caller's buffer of the whole length never flushes.
class UnpackOutput {
public:
    virtual ~UnpackOutput() = default;
    // Sizes the output for `length` bytes before anything is written.
    virtual void Expect(uint64_t length) = 0;
    virtual bool Flush() = 0;

    uint8_t* p = nullptr;
    uint8_t* end = nullptr;
};

// Unpacks the whole stream (`sourceSize` bytes long); a TvHuffman::Result.
int Unpack(UnpackInput& in, uint64_t sourceSize, UnpackOutput& out, uint64_t maxLength);

} // namespace nv::huffman
