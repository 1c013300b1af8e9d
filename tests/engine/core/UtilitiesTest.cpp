#include "engine/core/File.h"
#include "engine/core/FileCleanup.h"
#include "engine/core/PathUtil.h"
#include "engine/core/TempFileManager.h"
#include "engine/core/UserFolder.h"
#include "engine/core/VersionInfo.h"
#include "platform/core/Cp932.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nv {
namespace {

namespace fs = std::filesystem;

std::string Cp(const char* utf8)
{
    return *Utf8ToCp932(utf8);
}

// A test folder's path, as every interface takes it.
std::string CpPath(const fs::path& p)
{
    return p.string();
}

TEST(Paths, AbsoluteAndJoin)
{
    EXPECT_EQ(IsAbsolutePath("\\a\\b"), 1);
    EXPECT_EQ(IsAbsolutePath("/a/b"), 1);
    EXPECT_EQ(IsAbsolutePath("C:x"), 1);
    EXPECT_EQ(IsAbsolutePath("name.tvf"), 0);
    EXPECT_EQ(IsAbsolutePath("PRINT\\a.tvf"), 0);
    EXPECT_EQ(IsAbsolutePath(""), 0);
    std::string out;
    JoinPath(out, "C:", "a.tvf");
    EXPECT_EQ(out, "C:a.tvf");
    JoinPath(out, "dir", "a.tvf");
    EXPECT_EQ(out, "dir/a.tvf");
    JoinPath(out, "dir\\", "a.tvf");
    EXPECT_EQ(out, "dir\\a.tvf");
    JoinPath(out, "", "a.tvf");
    EXPECT_EQ(out, "a.tvf");
    JoinPath(out, "dir", "/abs");
    EXPECT_EQ(out, "/abs");
    // A folder ending in a double-byte character whose second byte is 0x5C.
    const std::string hyo = Cp("表"); // 95 5C
    ASSERT_EQ(hyo[1], '\\');
    JoinPath(out, hyo, "a");
    EXPECT_EQ(out, hyo + "/a");
    EXPECT_EQ(FilePart(Cp("PRINT\\仕入れ.tvf")), Cp("仕入れ.tvf"));
    EXPECT_EQ(FilePart(hyo + "x"), hyo + "x");
    EXPECT_EQ(StoredNameToPath(Cp("PRINT\\仕入れ.tvf")), "PRINT/仕入れ.tvf");
    EXPECT_EQ(StoredNameToPath(hyo), "表");
}

TEST(Paths, SplitPath)
{
    std::string d, f, n, e;
    SplitPath("C:\\forms\\a.b.tvf", &d, &f, &n, &e);
    EXPECT_EQ(d, "C:");
    EXPECT_EQ(f, "\\forms\\");
    EXPECT_EQ(n, "a.b");
    EXPECT_EQ(e, ".tvf");
    SplitPath("/x/noext", nullptr, &f, &n, &e);
    EXPECT_EQ(f, "/x/");
    EXPECT_EQ(n, "noext");
    EXPECT_EQ(e, "");
}

TEST(Paths, ProbeAndSearch)
{
    nvtest::TempDir dir;
    fs::create_directories(dir.path() / "one");
    fs::create_directories(dir.path() / "PRINT");
    nvtest::WriteFileBytes(dir.path() / "PRINT" / "仕入れ.tvf", "x");
    nvtest::WriteFileBytes(dir.path() / "one" / "b.tvf", "x");
    const std::string root = CpPath(dir.path());
    EXPECT_EQ(ProbeFile(root + "/one/b.tvf"), 0);
    EXPECT_EQ(ProbeFile(StoredNameToPath(Cp((root + "\\one\\b.tvf").c_str()))), 0);
    EXPECT_EQ(ProbeFile(root + "/one/none.tvf"), -1);
    EXPECT_EQ(ProbeFile(root + "/missing/none.tvf"), -1);
    EXPECT_EQ(ProbeFile(root + "/one"), -2); // a folder is not a file

    std::string out;
    // A stored relative name with a backslash, along the list.
    EXPECT_EQ(FindStoredFile(out, root + "/one;" + root, Cp("PRINT\\仕入れ.tvf")), 0);
    EXPECT_EQ(out, root + "/PRINT/仕入れ.tvf");
    EXPECT_EQ(FindFileOnPathList(out, root + ";" + root + "/one", "b.tvf", false), 0);
    EXPECT_EQ(out, root + "/one/b.tvf");
    EXPECT_EQ(FindFileOnPathList(out, root, "zz.tvf", false), -1);
    // An absolute name that is not there: only with the flag by its file part.
    EXPECT_EQ(FindFileOnPathList(out, root + "/one", "/nowhere/b.tvf", false), -1);
    EXPECT_EQ(FindFileOnPathList(out, root + "/one", "/nowhere/b.tvf", true), 0);
    EXPECT_EQ(out, root + "/one/b.tvf");
    EXPECT_EQ(FindFileOnPathList(out, root + "/one", "/b.tvf", true), -1);
    // A Windows absolute name falls back to its file part.
    EXPECT_EQ(FindStoredFile(out, root + "/one", "C:\\Forms\\b.tvf"), 0);
    EXPECT_EQ(out, root + "/one/b.tvf");
    // So does a share or backslash-rooted one; a name directly under the
    // root has no folder to drop.
    EXPECT_EQ(FindStoredFile(out, root + "/one", "\\\\server\\forms\\b.tvf"), 0);
    EXPECT_EQ(out, root + "/one/b.tvf");
    EXPECT_EQ(FindStoredFile(out, root + "/one", "\\Forms\\b.tvf"), 0);
    EXPECT_EQ(out, root + "/one/b.tvf");
    EXPECT_EQ(FindStoredFile(out, root + "/one", "\\b.tvf"), -1);
    // A native absolute name that is gone, as a Windows one.
    EXPECT_EQ(FindStoredFile(out, root + "/one", "/nowhere/b.tvf"), 0);
    EXPECT_EQ(out, root + "/one/b.tvf");
    EXPECT_EQ(FindStoredFile(out, root + "/one", "/b.tvf"), -1);

    // An empty first entry searches the current folder first.
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path() / "one");
    EXPECT_EQ(FindFileOnPathList(out, ";" + root, "b.tvf", false), 0);
    EXPECT_EQ(out, "./b.tvf");
    fs::current_path(cwd);
}

TEST(Paths, UniqueNamesAndFolders)
{
    nvtest::TempDir dir;
    const std::string root = CpPath(dir.path());
    nvtest::WriteFileBytes(dir.path() / "doc1.tvd", "");
    nvtest::WriteFileBytes(dir.path() / "doc2.tvd", "");
    std::string out;
    EXPECT_EQ(MakeUniqueFileName(out, root, "doc", "tvd", 1, false), 0);
    EXPECT_EQ(out, root + "/doc3.tvd");
    EXPECT_TRUE(fs::exists(dir.path() / "doc3.tvd"));
    EXPECT_EQ(MakeUniqueFileName(out, root + "/none", "doc", "tvd", 1, false), -3);

    EXPECT_EQ(NormaliseFolder(out, "", false), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(NormaliseFolder(out, root, false), 0);
    EXPECT_EQ(out, root + "/");
    EXPECT_EQ(NormaliseFolder(out, root + "/", false), 0);
    EXPECT_EQ(out, root + "/");
    EXPECT_EQ(NormaliseFolder(out, root + "/doc1.tvd", false), -3);
    EXPECT_EQ(NormaliseFolder(out, "/", false), 0);
    EXPECT_EQ(out, "/");

    EXPECT_EQ(IsRootPath("/"), 1);
    EXPECT_EQ(IsRootPath("C:\\"), 1);
    EXPECT_EQ(IsRootPath("\\\\server\\share"), 1);
    EXPECT_EQ(IsRootPath("\\\\server\\share\\"), 1);
    EXPECT_EQ(IsRootPath("\\\\server\\share\\x"), 0);
    EXPECT_EQ(IsRootPath(root), 0);
    EXPECT_EQ(IsRootPath(""), 0);

    EXPECT_EQ(CreateNewFile(root + "/new.txt"), 0);
    EXPECT_EQ(CreateNewFile(root + "/new.txt"), -2);
}

TEST(Files, CopyLoopsToTheEnd)
{
    nvtest::TempDir dir;
    std::string big;
    for (int i = 0; i < 100000; ++i) big += static_cast<char>(i * 7);
    nvtest::WriteFileBytes(dir.path() / "src.bin", big);
    const std::string root = CpPath(dir.path());
    CopyFileContents(root + "/dst.bin", root + "/src.bin");
    EXPECT_EQ(nvtest::ReadFileBytes(dir.path() / "dst.bin"), big);
    // A pipe is no file: refused at once, never waited on.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    try {
        CopyFileContents(root + "/piped.bin", "/proc/self/fd/" + std::to_string(fds[0]));
        ADD_FAILURE() << "a pipe was copied";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.cause(), CFileException::notRegularFile);
    }
    close(fds[0]);
    close(fds[1]);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "piped.bin"));
    // Errors are file exceptions with their cause.
    try {
        CopyFileContents(root + "/x.bin", root + "/none.bin");
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.cause(), CFileException::fileNotFound);
    }
    // Onto itself: refused, the file intact.
    EXPECT_THROW(CopyFileContents(root + "/src.bin", root + "/src.bin"), CFileException);
    EXPECT_EQ(nvtest::ReadFileBytes(dir.path() / "src.bin"), big);
}

TEST(TempFiles, NamesFoldersAndCleanup)
{
    nvtest::TempDir dir;
    const std::string root = CpPath(dir.path());
    std::string a, b, c;
    {
        TempFileManager m;
        m.SetWorkFolder(root);
        ASSERT_EQ(m.CreateTempName(a), 1);
        EXPECT_EQ(a.substr(0, root.size() + 4), root + "/~FE");
        EXPECT_EQ(a.substr(a.size() - 4), ".TMP");
        EXPECT_TRUE(fs::exists(a));
        // A work folder that does not exist: this process's folder in the
        // per-user folder, never a shared one.
        m.SetWorkFolder(root + "/missing");
        ASSERT_EQ(m.CreateTempName(b), 1);
        const std::string own = m.ProcessFolder();
        ASSERT_FALSE(own.empty());
        EXPECT_EQ(b.substr(0, own.size() + 1), own + "/");
        EXPECT_EQ(own.rfind(UserFolder() + "/", 0), 0u) << own;
        ASSERT_EQ(m.CreateTempName(c, root), 1);
        EXPECT_NE(a, c);
        m.RemoveFile(c);
        EXPECT_FALSE(fs::exists(c));
        m.RemoveFile(root + "/unknown");
        EXPECT_EQ(m.Files().size(), 2u);
    }
    // Everything left is deleted with the manager.
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
}

TEST(TempFiles, CaseInsensitiveRemovalAndThreads)
{
    nvtest::TempDir dir;
    const std::string root = CpPath(dir.path());
    TempFileManager m;
    m.SetWorkFolder(root);
    std::string a;
    ASSERT_EQ(m.CreateTempName(a), 1);
    std::string lower = a;
    const size_t at = lower.rfind("~FE");
    for (size_t i = at; i < lower.size(); ++i) lower[i] = static_cast<char>(tolower(lower[i]));
    m.RemoveFile(lower);
    EXPECT_TRUE(m.Files().empty());
    EXPECT_FALSE(fs::exists(a));

    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                std::string n;
                EXPECT_EQ(m.CreateTempName(n), 1);
                if (i % 2) m.RemoveFile(n);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(m.Files().size(), 200u);
    m.RemoveAll();
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(TempFiles, RelativeWorkFolderSurvivesAChangeOfFolder)
{
    nvtest::TempDir dir, elsewhere;
    fs::create_directories(dir.path() / "work");
    fs::create_directories(elsewhere.path() / "work");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path());
    std::string name;
    {
        TempFileManager m;
        m.SetWorkFolder("work");
        ASSERT_EQ(m.CreateTempName(name), 1);
        const fs::path created = dir.path() / name;
        ASSERT_TRUE(fs::exists(created));
        // A file of the same name in another folder that becomes current.
        const fs::path decoy = elsewhere.path() / name;
        nvtest::WriteFileBytes(decoy, "keep");
        fs::current_path(elsewhere.path());
        m.RemoveAll();
        EXPECT_FALSE(fs::exists(created));
        EXPECT_EQ(nvtest::ReadFileBytes(decoy), "keep");
    }
    fs::current_path(cwd);
}

TEST(Version, BuildValues)
{
    EXPECT_STREQ(BuildVersion(), "7.1.0");
    EXPECT_EQ(VersionInfo::GetValue("Pagelook", "FileVersion"), "7.1.0");
    EXPECT_EQ(VersionInfo::GetValue("Pagelook", "NoSuchKey"), "");
    EXPECT_EQ(IsWindowsNT(), 1);
}

} // namespace
} // namespace nv

namespace nv {
namespace {

// The process-wide manager deletes what is left when the process ends, after
// the main thread's text converters are gone.
TEST(TempFiles, ProcessWideManagerCleansUpAtExit)
{
    nvtest::TempDir dir;
    const std::string marker = (dir.path() / "name.txt").string();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::string name;
        TempFileManager::Instance().SetWorkFolder(dir.path().string());
        if (TempFileManager::Instance().CreateTempName(name) != 1) _exit(3);
        FILE* f = std::fopen(marker.c_str(), "w");
        std::fputs(name.c_str(), f);
        std::fclose(f);
        std::exit(0); // runs the static destructors
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string tempName = nvtest::ReadFileBytes(marker);
    ASSERT_FALSE(tempName.empty());
    EXPECT_FALSE(std::filesystem::exists(tempName));
}

} // namespace
} // namespace nv

namespace nv {
namespace {

// A server or share name may hold a double-byte character whose second byte
// is 0x5C; it does not separate anything.
TEST(Paths, ShareRootsWithDoubleByteNames)
{
    const std::string hyo = *Utf8ToCp932("表"); // 95 5C
    EXPECT_EQ(IsRootPath("\\\\" + hyo + "a\\share"), 1);
    EXPECT_EQ(IsRootPath("\\\\server\\" + hyo + "a"), 1);
    EXPECT_EQ(IsRootPath("\\\\server\\" + hyo + "a\\"), 1);
    EXPECT_EQ(IsRootPath("\\\\server\\" + hyo + "\\x"), 0);
    EXPECT_EQ(IsRootPath("\\\\" + hyo + "\\share\\x"), 0);
}

// A named pipe where a file is looked for must not stop the caller: opening
// it for reading would wait for a writer that never comes.
TEST(Paths, NamedPipeDoesNotBlockProbeOrUniqueNames)
{
    nvtest::TempDir dir;
    const std::string root = dir.path().string();
    ASSERT_EQ(::mkfifo((dir.path() / "doc1.tvd").c_str(), 0600), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        alarm(5); // a hang ends the child with SIGALRM
        if (ProbeFile(root + "/doc1.tvd") == -1) _exit(2);
        std::string out;
        if (MakeUniqueFileName(out, root, "doc", "tvd", 1, false) != 0) _exit(3);
        if (out != root + "/doc2.tvd") _exit(4);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace nv

namespace nv {
namespace {

// A stored name converts once, exactly, or not at all.
TEST(Paths, StoredNamesConvertExactlyOrFailNamingThemselves)
{
    const struct {
        std::string stored;
        const char* path; // nullptr: refused
    } cases[] = {
        {Cp("PRINT\\仕入れ.tvf"), "PRINT/仕入れ.tvf"},
        {Cp("C:\\帳票\\表.bmp"), "C:/帳票/表.bmp"},
        {"plain.bmp", "plain.bmp"},
        {"", ""},
        {"\x85\x40" "abc.bmp", nullptr}, // no character
        {"abc\x81", nullptr},            // a lead byte without its second
        {std::string("ab\0c.bmp", 8), nullptr},
    };
    for (const auto& c : cases) {
        if (c.path) {
            EXPECT_EQ(StoredNameToPath(c.stored), c.path);
            continue;
        }
        try {
            StoredNameToPath(c.stored);
            ADD_FAILURE() << "converted " << c.stored;
        } catch (const CFileException& e) {
            EXPECT_EQ(e.cause(), CFileException::badPath);
            EXPECT_NE(e.m_strFileName.find("ab"), std::string::npos);
        }
    }
    // Not a Windows name: found as it stands; a bad one is an error, not "?".
    nvtest::TempDir dir;
    nvtest::WriteFileBytes(dir.path() / "?abc.bmp", "x");
    std::string out;
    EXPECT_THROW(FindStoredFile(out, dir.path().string(), "\x85\x40" "abc.bmp"), CFileException);
    EXPECT_EQ(IsWindowsAbsolutePath("C:x"), 1);
    EXPECT_EQ(IsWindowsAbsolutePath("\\x"), 1);
    EXPECT_EQ(IsWindowsAbsolutePath("/x"), 0);
}

} // namespace
} // namespace nv

namespace nv {
namespace {

TEST(Files, CleanupRemovesUnlessKept)
{
    nvtest::TempDir dir;
    TempFileManager::Instance().SetWorkFolder(dir.path().string());
    std::string kept, dropped;
    ASSERT_EQ(TempFileManager::Instance().CreateTempName(kept), 1);
    ASSERT_EQ(TempFileManager::Instance().CreateTempName(dropped), 1);
    const std::string plain = dir.file("plain.bin");
    nvtest::WriteFileBytes(plain, "x");
    {
        FileCleanup a(kept), b(dropped), c(plain, FileCleanup::plainFile), none({});
        EXPECT_EQ(a.Keep(), kept);
    }
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_FALSE(fs::exists(dropped));
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_EQ(TempFileManager::Instance().Files(), std::vector<std::string>{kept});
    TempFileManager::Instance().RemoveFile(kept);
    TempFileManager::Instance().SetWorkFolder({});

    // A copy onto a file it cannot open leaves that file as it was.
    nvtest::WriteFileBytes(dir.path() / "src.bin", "new");
    nvtest::WriteFileBytes(dir.path() / "ro.bin", "old");
    fs::permissions(dir.path() / "ro.bin", fs::perms::owner_read);
    if (::access((dir.path() / "ro.bin").c_str(), W_OK) != 0) {
        EXPECT_THROW(CopyFileContents(dir.file("ro.bin"), dir.file("src.bin")), CFileException);
        EXPECT_EQ(nvtest::ReadFileBytes(dir.path() / "ro.bin"), "old");
    }
}

} // namespace
} // namespace nv
