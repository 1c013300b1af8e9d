#pragma once
// Compound files (OLE structured storage) held whole in memory: form files
// and the storages of OLE items. Reading goes through libgsf with limits on
// size and nesting; names are found without regard to case, as Windows
// storages compare them, while libgsf's own look-up is exact.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// One storage or stream of a compound file, with everything below it.
struct CompoundEntry {
    std::string name;    // UTF-8, as libgsf gives it
    bool storage = false;
    std::string data;    // a stream's bytes
    std::string classId; // a storage's 16-byte class id, empty when zero
    std::vector<CompoundEntry> children;

    // The child of that name, compared without regard to case; null when
    // there is none.
    const CompoundEntry* Find(std::string_view childName) const;
    CompoundEntry* Find(std::string_view childName);
    // Appends a stream or a storage and returns it.
    CompoundEntry& AddStream(std::string childName, std::string bytes);
    CompoundEntry& AddStorage(std::string childName);
};

struct CompoundLimits {
    uint64_t maxFileSize = 256u << 20;  // bytes of the whole file
    uint64_t maxTotalData = 512u << 20; // bytes of all streams together
    int maxDepth = 32;                  // storages inside storages
    size_t maxEntries = 100000;
};

// True when the bytes begin with the compound-file signature.
bool IsCompoundFile(std::string_view bytes);

// Reads the whole tree of a compound file into `root` (a storage named as
// the root entry). False, with a reason in `error` when given, for a file
// libgsf refuses, a stream it cannot read whole, or one over the limits.
bool ReadCompoundFile(std::string_view bytes, CompoundEntry& root, std::string* error = nullptr,
                      const CompoundLimits& limits = {});

// Writes a storage and everything below it as a compound file. Throws
// std::runtime_error when libgsf cannot build it.
std::string WriteCompoundFile(const CompoundEntry& root);

} // namespace nv
