#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include "platform/core/FileReplacement.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
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

// Each save replaces "old" by "new"; a failure keeps the old bytes, leaves
// nothing beside them and says the system's cause.
TEST(FileReplacement, ReplacesWholeOrKeepsTheOldFile)
{
    struct Row {
        const char* what;
        std::string name;
        NewFileMode mode;
        std::function<std::optional<fs::path>(const fs::path&)> folder; // nullopt: cannot be had here
        const char* said;       // empty: it succeeds
        const char* logged;
        unsigned oldMode = 0644;
        unsigned expectMode = 0644;
        bool noOld = false;
    };
    auto plain = [](const fs::path& p) { return std::optional<fs::path>(p); };
    std::unique_ptr<nvtest::FullDisk> disk;
    std::unique_ptr<nvtest::ReadOnlyFolder> readOnly;
    const Row rows[] = {
        {"a legal name of 238 bytes", std::string(234, 'a') + ".pdf", NewFileMode::KeepOrShared, plain, "", ""},
        {"a name of 255 bytes", std::string(251, 'b') + ".pdf", NewFileMode::KeepOrShared, plain, "", ""},
        {"the old file's mode kept", "company.w1", NewFileMode::KeepOrPrivate, plain, "", "", 0640, 0640},
        {"private whatever the old mode", "backup.MDB", NewFileMode::Private, plain, "", "", 0644, 0600},
        {"a file marked read-only", "forms", NewFileMode::KeepOrShared, plain, "読み取り専用のファイルです", "open",
         0444, 0444},
        {"a full disk", std::string(200, 'c') + ".pdf", NewFileMode::KeepOrShared,
         [&](const fs::path& p) -> std::optional<fs::path> {
             disk = std::make_unique<nvtest::FullDisk>(p / "full");
             if (!disk->Mounted()) return std::nullopt;
             WriteFileBytes(disk->path() / (std::string(200, 'c') + ".pdf"), "old");
             disk->Fill(0);
             return disk->path();
         },
         "ディスクがいっぱいです", "No space left on device"},
        {"a read-only folder", "doc.tvd", NewFileMode::KeepOrShared,
         [&](const fs::path& p) -> std::optional<fs::path> {
             readOnly = std::make_unique<nvtest::ReadOnlyFolder>(p / "ro");
             if (!readOnly->Usable()) return std::nullopt;
             return p / "ro";
         },
         "読み取り専用のディスクです", "create: Read-only file system", 0644, 0644, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        nvtest::TempDir dir;
        const std::optional<fs::path> folder = r.folder(dir.path());
        if (!folder) {
            GTEST_LOG_(INFO) << r.what << ": cannot be made here";
            continue;
        }
        const std::string target = (*folder / r.name).string();
        if (!r.noOld && !fs::exists(target)) WriteFileBytes(target, "old");
        if (!r.noOld) ::chmod(target.c_str(), r.oldMode);
        const std::vector<std::string> before = Names(*folder);
        const nv::ReplaceFailure f = nv::ReplaceFileBytes(target, std::string(100000, 'n'), r.mode);
        EXPECT_EQ(Names(*folder), before);
        if (!r.noOld) {
            EXPECT_EQ(ModeOf(target), r.expectMode);
        }
        if (r.noOld) {
            EXPECT_EQ(f.Text(), target + ": " + r.said);
        } else if (!*r.said) {
            EXPECT_FALSE(f) << f.LogText();
            EXPECT_EQ(ReadFileBytes(target), std::string(100000, 'n'));
        } else {
            EXPECT_EQ(ReadFileBytes(target), "old");
            EXPECT_EQ(f.Text(), target + ": " + r.said);
            EXPECT_NE(f.LogText().find(r.logged), std::string::npos) << f.LogText();
        }
        readOnly.reset();
        disk.reset();
    }
}

// What dead replacements left goes at the next one into the folder, old
// kinds included; a live one's file and the user's files of like names stay.
TEST(FileReplacement, LeftoversOfDeadWritersGoAndNothingElse)
{
    nvtest::TempDir dir;
    struct Row {
        const char* name;
        const char* bytes;
        bool goes;
    };
    const Row rows[] = {
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
            ASSERT_FALSE(nv::ReplaceFileBytes(target, "x", NewFileMode::KeepOrShared));
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
