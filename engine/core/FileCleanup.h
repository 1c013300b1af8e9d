#pragma once
// A file that is removed when the scope ends unless kept, so that a failure
// half way leaves nothing behind. A name the temporary-file manager handed
// out is forgotten by it as well.
#include <string>

namespace nv {

class FileCleanup {
public:
    enum Kind { temporaryFile, plainFile };

    // An empty path guards nothing.
    explicit FileCleanup(std::string path, Kind kind = temporaryFile) : path_(std::move(path)), kind_(kind) {}
    ~FileCleanup();
    FileCleanup(const FileCleanup&) = delete;
    FileCleanup& operator=(const FileCleanup&) = delete;

    const std::string& Path() const { return path_; }
    // The file stays; returns its path.
    std::string Keep()
    {
        std::string kept = std::move(path_);
        path_.clear();
        return kept;
    }

private:
    std::string path_;
    Kind kind_;
};

} // namespace nv
