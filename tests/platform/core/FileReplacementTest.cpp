#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include "platform/core/FileReplacement.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using nv::NewFileMode;
using nvtest::ReadFileBytes;
using nvtest::WriteFileBytes;

std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename() != ".filler") out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

unsigned ModeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Each save replaces "old" by new bytes; a failure keeps the old bytes,
// leaves nothing beside them and says the system's cause.
TEST(FileReplacement, ReplacesWholeOrKeepsTheOldFile)
{
    enum Place { Folder, FullDisk, ReadOnlyFolder };
    struct Row {
        std::string name;
        NewFileMode mode;
        Place place;
        const char* said; // empty: it succeeds
        const char* logged;
        unsigned oldMode = 0644, newMode = 0644;
    } const rows[] = {
        {std::string(234, 'a') + ".pdf", NewFileMode::KeepOrShared, Folder, "", ""}, // a legal name of 238 bytes
        {std::string(251, 'b') + ".pdf", NewFileMode::KeepOrShared, Folder, "", ""},
        {"company.w1", NewFileMode::KeepOrPrivate, Folder, "", "", 0640, 0640},
        {"backup.MDB", NewFileMode::Private, Folder, "", "", 0644, 0600},
        {"forms", NewFileMode::KeepOrShared, Folder, "読み取り専用のファイルです", "read-only", 0444, 0444},
        {std::string(200, 'c') + ".pdf", NewFileMode::KeepOrShared, FullDisk, "ディスクがいっぱいです",
         "write: No space left on device"},
        {"doc.tvd", NewFileMode::KeepOrShared, ReadOnlyFolder, "読み取り専用のディスクです",
         "create: Read-only file system"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        nvtest::TempDir dir;
        fs::path folder = dir.path();
        std::optional<nvtest::FullDisk> disk;
        std::optional<nvtest::ReadOnlyFolder> readOnly;
        if (r.place == FullDisk && !disk.emplace(dir.path() / "full").Mounted()) continue;
        if (r.place == ReadOnlyFolder && !readOnly.emplace(dir.path() / "ro").Usable()) continue;
        if (r.place != Folder) folder = r.place == FullDisk ? disk->path() : dir.path() / "ro";
        const std::string target = (folder / r.name).string();
        // A read-only folder takes no old file either: the new one is refused.
        if (r.place != ReadOnlyFolder) WriteFileBytes(target, "old"), ::chmod(target.c_str(), r.oldMode);
        if (disk) disk->Fill(0);
        const std::vector<std::string> before = Names(folder);
        const nv::ReplaceFailure f = nv::ReplaceFileBytes(target, std::string(100000, 'n'), r.mode);
        EXPECT_EQ(Names(folder), before);
        if (fs::exists(target)) {
            EXPECT_EQ(ModeOf(target), *r.said ? r.oldMode : r.newMode);
            EXPECT_EQ(ReadFileBytes(target), *r.said ? "old" : std::string(100000, 'n'));
        }
        EXPECT_EQ(f.Text(), *r.said ? target + ": " + r.said : "");
        EXPECT_NE(f.LogText().find(r.logged), std::string::npos) << f.LogText();
    }
}

// What dead replacements left goes at the next one into the folder, old
// kinds included; a live one's file and the user's files of like names stay.
TEST(FileReplacement, LeftoversOfDeadWritersGoAndNothingElse)
{
    nvtest::TempDir dir;
    const struct Row {
        const char* name;
        const char* bytes;
        bool goes;
    } rows[] = {
        {".nivalo-Ab3dE9.tmp", "half a file", true},
        {".nivalo-Ab3dE9.tmp-journal", "a journal", true},
        {".nivalo-Zz9Zz9.tmp", "", false},             // empty and young: may be a writer's just made
        {".report.pdf.nivalo-spool-4242-q1W2e3", "%PDF-1.4 half", true},
        {".report.pdf.nivalo-spool-4242-r1W2e3", "the user's", false},
        {"company.w1.Xy12Zq", "marked", true},
        {"company.w1.Ab3dE9", "the user's copy", false},
        {"~FE1A2B3C.TMP", "a work file", false},
        {"backup.MDB.part", "the user's", false},
        {".nivalo-backup", "the user's", false},
    };
    for (const Row& r : rows) WriteFileBytes(dir.path() / r.name, r.bytes);
    const bool marks = ::setxattr(dir.file("company.w1.Xy12Zq").c_str(), "user.nivalo.company-w1-spool", "1", 1, 0) == 0;
    // A live writer holds its file locked.
    WriteFileBytes(dir.path() / ".nivalo-L1ve00.tmp", "being written");
    const int live = ::open(dir.file(".nivalo-L1ve00.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    ASSERT_FALSE(nv::ReplaceFileBytes(dir.file("target"), "new", NewFileMode::KeepOrShared));
    std::vector<std::string> expected{".nivalo-L1ve00.tmp", "target"};
    for (const Row& r : rows)
        if (!r.goes || (!marks && std::string(r.name) == "company.w1.Xy12Zq")) expected.push_back(r.name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(dir.path()), expected);
    ::close(live);
}

// The umask is read, never set: a file another thread makes meanwhile gets
// the mode the umask says, and so does a new replaced file.
TEST(FileReplacement, TheUmaskIsReadWithoutChangingIt)
{
    for (const unsigned mask : {022u, 077u}) {
        SCOPED_TRACE(mask);
        nvtest::TempDir dir;
        const mode_t old = ::umask(mask);
        std::atomic<bool> stop{false};
        std::atomic<int> wrongModes{0};
        std::thread other([&] {
            for (int i = 0; !stop; ++i) {
                const std::string p = dir.file("other" + std::to_string(i % 8));
                const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
                if (fd >= 0) ::close(fd);
                if (ModeOf(p) != (0666 & ~mask)) ++wrongModes;
                ::unlink(p.c_str());
            }
        });
        for (int i = 0; i < 200; ++i) {
            const std::string target = dir.file("new" + std::to_string(i));
            EXPECT_FALSE(nv::ReplaceFileBytes(target, "x", NewFileMode::KeepOrShared));
            EXPECT_EQ(ModeOf(target), 0666 & ~mask);
        }
        stop = true;
        other.join();
        ::umask(old);
        EXPECT_EQ(wrongModes, 0);
        EXPECT_EQ(nv::CurrentUmask(), unsigned(old));
    }
}

} // namespace
