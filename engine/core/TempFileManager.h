#pragma once
// Names the engine's work files ("~FE" names) and deletes every one of them
// when the process ends. One instance per process; safe across threads.
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

class TempFileManager {
public:
    // The process-wide instance (its destructor runs at exit).
    static TempFileManager& Instance();

    TempFileManager() = default;
    ~TempFileManager();
    TempFileManager(const TempFileManager&) = delete;
    TempFileManager& operator=(const TempFileManager&) = delete;

    // Creates an empty file "~FEnnnn.TMP" in `folder`, else the configured
    // work folder, else (either missing or not a folder) the system temporary
    // folder; `out` gets its native path. 1 on success, 0 when no file
    // could be created (out empty).
    int CreateTempName(std::string& out, std::string_view folder = {});
    // Deletes a file this manager named (case-insensitive match) and forgets
    // it; other names are ignored, file errors swallowed.
    void RemoveFile(std::string_view name);
    void SetWorkFolder(std::string folder);
    std::string WorkFolder() const;
    // Deletes every listed file and empties the list.
    void RemoveAll();
    std::vector<std::string> Files() const;

    // The system temporary folder (TMPDIR, else /tmp).
    static std::string SystemTempFolder();

private:
    struct Entry {
        std::string name;   // as handed out
        std::string fsPath; // absolute, so that a change of folder cannot redirect it
    };
    mutable std::mutex mutex_;
    std::vector<Entry> files_;
    std::string workFolder_;
    unsigned counter_ = 0;
};

} // namespace nv
