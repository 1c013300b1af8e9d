#pragma once
// Names the engine's work files ("~FE" names) and deletes every one of them
// when the process ends. One instance per process; safe across threads.
#include <cstdint>
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

    // Creates an empty file "~FE<random>.TMP" in `folder`, else the
    // configured work folder, else (either missing or not a folder) this
    // process's folder inside the per-user folder; `out` gets its native
    // path. The name cannot be guessed and the file is made exclusively.
    // 1 on success, 0 when no file could be created (out empty; LastError
    // names the folder and the cause).
    int CreateTempName(std::string& out, std::string_view folder = {});
    // "<folder>: <cause>" of the last failed CreateTempName; the folder and
    // the system's error number (0 when a folder check refused it).
    std::string LastError() const;
    std::string LastFolder() const;
    int LastErrno() const;
    // One more holder of a file this manager named: RemoveFile then deletes
    // it only when the last holder lets go. False for other names.
    bool Retain(std::string_view name);
    // Deletes a file this manager named (case-insensitive match) and forgets
    // it; other names are ignored, file errors swallowed.
    void RemoveFile(std::string_view name);
    void SetWorkFolder(std::string folder);
    std::string WorkFolder() const;
    // Deletes every listed file and empties the list.
    void RemoveAll();
    std::vector<std::string> Files() const;

    // This process's folder for work files, made on first use in the
    // per-user folder; work folders of processes that no longer run are
    // removed then, and SIGTERM and SIGINT clean up as a normal exit does.
    // Empty (with LastError) when no safe folder can be had.
    std::string ProcessFolder();
    // Notes an empty file made to reserve a new file's name: should the
    // process die before it is replaced or removed, the next start removes
    // it (only while it is still that empty file). Returns the note's name,
    // empty when none could be made.
    std::string NotePlaceholder(const std::string& path, uint64_t dev, uint64_t ino);
    void ForgetPlaceholder(const std::string& note);

    // Removes the work folders of processes that no longer run from
    // `userFolder`; returns how many went.
    static int RemoveStaleWorkFolders(const std::string& userFolder);

private:
    struct Entry {
        std::string name;   // as handed out
        std::string fsPath; // absolute, so that a change of folder cannot redirect it
        int holders = 1;
    };
    std::string ProcessFolderLocked();
    void Fail(std::string text, std::string folder, int err);
    mutable std::mutex mutex_;
    std::vector<Entry> files_;
    std::string workFolder_;
    std::string processFolder_;
    long startPid_ = 0;      // the process the start time below is of
    std::string startTime_;
    std::string lastError_;
    std::string lastFolder_;
    int lastErrno_ = 0;
};

} // namespace nv
