#pragma once
// The one way a file of the user's or of the books is replaced: the new
// content goes into a file of its own beside the target, is flushed and
// checked, and takes the target's name by a rename only when whole. A
// failure at any step leaves the old file as it was and nothing beside it.
//
// The file beside is ".nivalo-XXXXXX.tmp" (six letters or digits), whatever
// the target's name, so a long name still fits and the name alone says whose the
// file is. A live replacement holds a lock on it; one a dead process left is
// removed by RemoveReplacementLeftovers, which every replacement runs on its
// folder first and the menu runs at start. SIGTERM and SIGINT remove it as
// a failure does.
//
//   FileReplacement r;
//   if (!r.Begin(path, NewFileMode::KeepOrPrivate) || !r.Write(bytes) || !r.Commit())
//       say r.Failure().Text();   // the log already holds r.Failure().LogText()
#include <functional>
#include <string>
#include <string_view>

namespace nv {

// The mode the replaced file gets.
enum class NewFileMode {
    KeepOrShared,  // the old file's; a new file as the umask allows of 0666
    KeepOrPrivate, // the old file's; a new file 0600
    Private,       // 0600 whatever the old file had
};

// Why a replacement failed: the step, the system's error number and the file
// the caller named. False while nothing failed.
struct ReplaceFailure {
    int err = 0;
    std::string step; // "open", "read-only", "create", "write", "flush", "check", "mode", "rename"
    std::string path;

    explicit operator bool() const { return err != 0; }
    // "<path>: ディスクがいっぱいです": the system's cause in the user's words.
    std::string Text() const;
    // "<path>: write: No space left on device": the system's own words.
    std::string LogText() const;
};

class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement() { Drop(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes the file beside target, after removing leftovers in its folder.
    // A link is written through: the file it names gets the content. False
    // when target is there but is no regular file this user may replace, or
    // the folder cannot take the new file.
    bool Begin(const std::string& target, NewFileMode mode);
    // Appends bytes to the new file.
    bool Write(std::string_view bytes);
    // Where another writer (a printer, a database) puts the content; empty
    // before Begin.
    const std::string& TempPath() const { return temp_; }
    // The file that is replaced: the target, or the file its link names.
    const std::string& Target() const { return target_; }
    // Flushes what is written to disk, so that a full disk shows now.
    bool Flush();
    // Flushes the new file to disk, lets `check` read it (false refuses it),
    // gives it its mode and renames it over the target. On failure the new
    // file is gone.
    bool Commit(const std::function<bool(int fd)>& check = {});
    // As Commit, for a file made once: the new file takes the target's name
    // only while nothing has it (a link, not a rename); a target that
    // appeared meanwhile fails with EEXIST and stays.
    bool CommitNew();
    // Removes the new file, if any; the target stays as it was.
    void Drop();
    // Another writer failed to fill the new file: asks the system why (a
    // write at its end), logs that and drops the file. Always false.
    bool Abandon();
    const ReplaceFailure& Failure() const { return failure_; }

private:
    bool Fail(const char* step, int err);
    void Release();

    std::string path_;   // as the caller named it
    std::string target_;
    std::string temp_;
    unsigned mode_ = 0600;
    int fd_ = -1;        // holds the lock that marks the new file live
    int slot_ = -1;      // where a signal finds the new file to remove
    ReplaceFailure failure_;
};

// Replaces target with bytes; an empty failure on success.
ReplaceFailure ReplaceFileBytes(const std::string& target, std::string_view bytes, NewFileMode mode);

// Removes from folder what replacements of this user left when their process
// died: files named as FileReplacement names them, and the older spool names
// of PDF files and of company.w1, each only when no live writer holds it and
// it is this user's, single-linked, and either has content or is over a
// minute old. Returns how many went.
int RemoveReplacementLeftovers(const std::string& folder);

// The process's umask, read without changing it.
unsigned CurrentUmask();

} // namespace nv
