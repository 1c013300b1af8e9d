#pragma once
// Static byte-wise Huffman packing of whole files, as used on the body of a
// packed report document. The stream layout (length, pre-order tree, codes,
// zero padding) and the packer's tie-breaking are fixed: streams written here
// are read by every other reader of the format and the other way round.
#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

class TvHuffman {
public:
    enum Result : int {
        kOk = 0,
        kSourceOpenFailed = -1,  // source cannot be opened for reading
        kTargetCreateFailed = -2, // target cannot be created
        kIoFailed = -3,          // a read or write failed part way (disk full...)
        kBadStream = -4,         // the packed stream is damaged (unpacking)
        kTooLarge = -5,          // source of 4 GiB or more (packing), or beyond the caller's limit
    };

    // Packs the file `source` into `target` (CP932 names). 0 on success.
    static int Compress(const std::string& target, const std::string& source);
    // Unpacks the file `source` into `target`. 0 on success; a damaged stream
    // gives kBadStream and never loops or overruns.
    static int Decompress(const std::string& target, const std::string& source);
    // As above; a stream claiming more than `maxLength` bytes gives kTooLarge.
    static int Decompress(const std::string& target, const std::string& source, uint64_t maxLength);

    // The same on memory, for callers that hold the data already.
    static int CompressBuffer(std::string_view in, std::string& out);
    // `maxLength` bounds the unpacked length the stream may claim. The bytes
    // are decoded straight into `out`, which keeps its memory from one call
    // to the next; it is empty after a failure.
    static int DecompressBuffer(std::string_view in, std::string& out, uint64_t maxLength);
};

} // namespace nv
