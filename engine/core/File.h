#pragma once
// A file opened by its native (UTF-8) path, failing with CFileException like the class
// library's file object. Sharing modes of the platform have no equivalent
// here and are not emulated.
#include "engine/core/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace nv {

class CFile {
public:
    enum Mode {
        modeRead,          // existing file, read only
        modeReadWrite,     // existing file, read and write
        modeCreate,        // create or truncate, read and write
        modeCreateNew,     // create, fail when it exists, read and write
    };
    enum SeekFrom { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const std::string& name, Mode mode) { Open(name, mode); }
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    void Open(const std::string& name, Mode mode);
    // As Open, but reports the failure instead of throwing.
    bool TryOpen(const std::string& name, Mode mode, CFileException* error = nullptr);
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& GetFilePath() const { return name_; }

    // Reads up to n bytes; fewer only at the end of the file.
    size_t Read(void* data, size_t n);
    // Writes all n bytes or throws.
    void Write(const void* data, size_t n);
    uint64_t Seek(int64_t offset, SeekFrom from);
    uint64_t SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    uint64_t GetPosition() const;
    uint64_t GetLength() const;
    void SetLength(uint64_t n);
    void Flush();
    // Closes; a failure (a delayed write error) throws.
    void Close();
    // Closes and ignores every error.
    void Abort() noexcept;

    // Deletes a file; throws CFileException on failure.
    static void Remove(const std::string& name);
    static void Rename(const std::string& from, const std::string& to);

private:
    [[noreturn]] void Fail(int err) const;
    int fd_ = -1;
    std::string name_;
};

} // namespace nv
