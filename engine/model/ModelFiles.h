#pragma once
// Temporary files that hold the bytes of embedded pictures and substitute
// pictures while a form is loaded.
#include <string>

namespace nv {

// A new, empty temporary file from the temporary-file manager; throws
// CAppException 30001 when none can be made.
std::string NewModelTempFile();

// A new temporary file holding a copy of `source`; file errors propagate and
// leave no temporary file behind.
std::string CopyToNewModelTempFile(const std::string& source);

// One hold on a work file of the temporary-file manager: the file goes when
// its last holder lets go, so copies of an object share its picture file and
// none outlives them.
class HeldWorkFile {
public:
    HeldWorkFile() = default;
    // Takes over the hold its creator has.
    explicit HeldWorkFile(std::string name) : name_(std::move(name)) {}
    HeldWorkFile(const HeldWorkFile& other);
    HeldWorkFile& operator=(const HeldWorkFile& other);
    HeldWorkFile(HeldWorkFile&& other) noexcept : name_(std::move(other.name_)) { other.name_.clear(); }
    HeldWorkFile& operator=(HeldWorkFile&& other) noexcept;
    ~HeldWorkFile() { Release(); }

    const std::string& Name() const { return name_; }
    void Release() noexcept;

private:
    std::string name_;
};

} // namespace nv
