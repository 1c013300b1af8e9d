// The per-user folder for locks and work files, checked as another local user
// would attack it: taken first, opened to everyone, planted with links, and
// names guessed in advance.
#include "engine/core/EngineLog.h"
#include "engine/core/NamedLock.h"
#include "engine/core/TempFileManager.h"
#include "engine/core/UserFolder.h"
#include "support/TempDir.h"
#include "support/TestUserFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nv;
namespace fs = std::filesystem;

namespace {

// A private folder below a test folder, made the per-user folder while the
// object lives.
struct PrivateRoot {
    PrivateRoot() : path(dir.file("user"))
    {
        ::mkdir(path.c_str(), 0700);
        SetUserFolder(path);
    }
    ~PrivateRoot()
    {
        StopLogFile();
        SetUserFolder(nvtest::TestUserFolder());
    }
    nvtest::TempDir dir;
    std::string path;
};

// Runs `body` in a child process and returns its wait status.
int InChild(const std::function<void()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST(UserFolder, FoldersOthersCouldTouchAreRefused)
{
    nvtest::TempDir dir;
    const std::string fresh = dir.file("fresh");
    EXPECT_EQ(CheckPrivateFolder(fresh, true), "");
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = dir.file("open");
    ::mkdir(open.c_str(), 0700);
    ::chmod(open.c_str(), 0777);
    // Said in the user's words: the folder, then why.
    EXPECT_EQ(CheckPrivateFolder(open, true), open + ": ほかのユーザーが開いたり書き込んだりできるフォルダです");

    const std::string group = dir.file("group");
    ::mkdir(group.c_str(), 0700);
    ::chmod(group.c_str(), 0750);
    EXPECT_NE(CheckPrivateFolder(group, true), "");

    // A link to a private folder is not followed.
    const std::string link = dir.file("link");
    fs::create_directory_symlink(fresh, link);
    EXPECT_NE(CheckPrivateFolder(link, true), "");

    // A folder another user made first (made here by changing its owner,
    // which needs the rights tests often run with).
    const std::string taken = dir.file("taken");
    ::mkdir(taken.c_str(), 0700);
    if (::chown(taken.c_str(), ::geteuid() + 1, ::getegid()) == 0) {
        const std::string why = CheckPrivateFolder(taken, true);
        EXPECT_NE(why.find("別のユーザー"), std::string::npos) << why;
    }
    EXPECT_NE(CheckPrivateFolder("relative/path", true), "");
}

TEST(UserFolder, WorkFilesAndLocksLiveThereUnderNamesNoOneCanGuess)
{
    PrivateRoot root;
    TempFileManager m;
    std::set<std::string> names;
    std::string folder;
    for (int i = 0; i < 200; ++i) {
        std::string n;
        ASSERT_EQ(m.CreateTempName(n), 1);
        const std::string file = fs::path(n).filename().string();
        EXPECT_EQ(file.rfind("~FE", 0), 0u);
        EXPECT_EQ(file.size(), 3u + 12 + 4) << file;
        names.insert(file);
        folder = fs::path(n).parent_path().string();
    }
    EXPECT_EQ(names.size(), 200u);
    EXPECT_EQ(fs::path(folder).parent_path().string(), root.path);
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Consecutive names share no counter: not one follows from another.
    int neighbours = 0;
    std::string previous;
    for (const std::string& n : names) {
        if (!previous.empty() && std::stoull(n.substr(3, 12), nullptr, 16) == std::stoull(previous.substr(3, 12), nullptr, 16) + 1)
            ++neighbours;
        previous = n;
    }
    EXPECT_EQ(neighbours, 0);

    NamedLock lock("Tavelo AddForm");
    EXPECT_EQ(fs::path(lock.LockFilePath()).parent_path().string(), root.path);
    EXPECT_NE(lock.Lock(0), 0);
    lock.Unlock();
}

TEST(UserFolder, AFolderOpenToOthersGetsNoWorkFileAndTheMessageNamesIt)
{
    PrivateRoot root;
    ::chmod(root.path.c_str(), 0777);
    TempFileManager m;
    std::string n;
    EXPECT_EQ(m.CreateTempName(n), 0);
    EXPECT_TRUE(n.empty());
    EXPECT_NE(m.LastError().find(root.path), std::string::npos) << m.LastError();
    NamedLock lock("x");
    EXPECT_EQ(lock.Lock(0), 0);
    ::chmod(root.path.c_str(), 0700);
}

TEST(UserFolder, WorkFoldersOfEndedProcessesGoAtStart)
{
    PrivateRoot root;
    // A process that died without cleaning up, and one id that is not running.
    std::string childFolder;
    const int status = InChild([&] {
        TempFileManager::Instance();
        std::string n;
        if (!TempFileManager::Instance().CreateTempName(n)) ::_exit(2);
        ::_exit(0); // no destructors: as after kill -9
    });
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string fake = root.path + "/work-999999999-1";
    fs::create_directory(fake);
    nvtest::WriteFileBytes(fake + "/~FE000000000001.TMP", "left");
    std::vector<std::string> before;
    for (const auto& e : fs::directory_iterator(root.path)) before.push_back(e.path().filename().string());
    EXPECT_EQ(before.size(), 2u);

    TempFileManager m;
    const std::string mine = m.ProcessFolder();
    ASSERT_FALSE(mine.empty());
    std::vector<std::string> after;
    for (const auto& e : fs::directory_iterator(root.path)) after.push_back(e.path().string());
    EXPECT_EQ(after, std::vector<std::string>{mine});
    // The live process's own folder is kept.
    EXPECT_EQ(TempFileManager::RemoveStaleWorkFolders(root.path), 0);
    EXPECT_TRUE(fs::exists(mine));
}

TEST(UserFolder, TerminationSignalsCleanUpAsAnExitDoes)
{
    for (int sig : {SIGTERM, SIGINT}) {
        PrivateRoot root;
        const int status = InChild([&] {
            ::signal(sig, SIG_DFL);
            std::string a, b;
            TempFileManager::Instance().CreateTempName(a);
            TempFileManager::Instance().CreateTempName(b);
            ::raise(sig);
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        EXPECT_TRUE(fs::is_empty(root.path)) << sig;
    }
}

TEST(UserFolder, TheLogIsWrittenThereInJapaneseAndKeepsTheLastRunsWithinItsBound)
{
    PrivateRoot root;
    StopLogFile();
    const std::string path = StartLogFile("nivalo");
    EXPECT_EQ(path, root.path + "/nivalo.log");
    // A plug-in starting its own log later writes into its host's.
    EXPECT_EQ(StartLogFile("inkplate"), path);
    EXPECT_FALSE(fs::exists(path)) << "a run with nothing to say writes nothing";
    LogLine("Inkplate", "フォームファイル /x/仕入れ.tvf を開けません: フォームファイルが壊れています。");
    const std::string text = nvtest::ReadFileBytes(path);
    EXPECT_NE(text.find("nivalo 開始"), std::string::npos) << text;
    EXPECT_NE(text.find("Inkplate: フォームファイル /x/仕入れ.tvf を開けません"), std::string::npos) << text;
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A second run heads its lines anew; a long run moves older lines aside
    // and the files never pass their bound.
    StopLogFile();
    StartLogFile("nivalo");
    const std::string filler(1000, 'x');
    for (int i = 0; i < 1000; ++i) LogLine("test", std::to_string(i) + " " + filler);
    uintmax_t total = 0;
    for (int n = 0; n < kLogFilesKept; ++n) {
        const std::string file = n == 0 ? path : path + "." + std::to_string(n);
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_LE(fs::file_size(file), kLogFileBytes) << file;
        total += fs::file_size(file);
    }
    EXPECT_FALSE(fs::exists(path + "." + std::to_string(kLogFilesKept)));
    EXPECT_GT(total, 2 * kLogFileBytes);
    EXPECT_NE(nvtest::ReadFileBytes(path).find("test: 999 x"), std::string::npos);
    // A message of many lines stays one entry.
    LogLine("test", "one\ntwo");
    EXPECT_NE(nvtest::ReadFileBytes(path).find("test: one two\n"), std::string::npos);

    // A link planted under the name is not followed.
    StopLogFile();
    for (int n = 0; n < kLogFilesKept; ++n) fs::remove(n == 0 ? path : path + "." + std::to_string(n));
    const std::string target = root.dir.file("elsewhere");
    nvtest::WriteFileBytes(target, "");
    fs::create_symlink(target, path);
    StartLogFile("nivalo");
    LogLine("test", "planted");
    EXPECT_EQ(nvtest::ReadFileBytes(target), "");
}
