#pragma once
#include <filesystem>
#include <string>

namespace nvtest {

// A fresh folder below the system temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Whole-file helpers for byte-exact checks.
std::string ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);
// "0a 1b ..." for readable failure messages.
std::string HexDump(const std::string& bytes, size_t max = 256);

} // namespace nvtest
