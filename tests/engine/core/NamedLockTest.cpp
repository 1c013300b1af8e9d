#include "engine/core/NamedLock.h"

#include "support/TempDir.h"
#include "support/TestUserFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(NamedLock, SecondLockWithoutUnlockFailsAtOnce)
{
    nv::NamedLock lock("Tavelo AddForm test-1");
    // In this program's own per-user folder, not the real one.
    EXPECT_EQ(std::filesystem::path(lock.LockFilePath()).parent_path(), nvtest::TestUserFolder());
    EXPECT_NE(lock.Lock(1000), 0);
    EXPECT_EQ(lock.Lock(100000), 0); // held: no wait
    EXPECT_NE(lock.Unlock(), 0);
    EXPECT_EQ(lock.Unlock(), 0);
}

TEST(NamedLock, ExcludesAnotherHolderUntilReleased)
{
    nv::NamedLock a("Tavelo AddForm test-2");
    nv::NamedLock b("Tavelo AddForm test-2");
    ASSERT_NE(a.Lock(0), 0);
    EXPECT_EQ(b.Lock(50), 0);
    a.Unlock();
    EXPECT_NE(b.Lock(50), 0);
}

TEST(NamedLock, DeadHolderFreesTheLock)
{
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        nv::NamedLock child("Tavelo AddForm test-3");
        child.Lock(0);
        _exit(0); // dies holding it
    }
    int status = 0;
    waitpid(pid, &status, 0);
    nv::NamedLock lock("Tavelo AddForm test-3");
    EXPECT_NE(lock.Lock(1000), 0);
}

} // namespace

namespace {

// Processes of one user started from different environments (a desktop
// session, a job without a session) must still exclude each other.
TEST(NamedLock, SameNameExcludesWhateverTheEnvironment)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    nvtest::TempDir a, b;
    setenv("XDG_RUNTIME_DIR", a.path().c_str(), 1);
    nv::NamedLock first("Tavelo AddForm test-4");
    setenv("XDG_RUNTIME_DIR", b.path().c_str(), 1);
    nv::NamedLock second("Tavelo AddForm test-4");
    unsetenv("XDG_RUNTIME_DIR");
    nv::NamedLock third("Tavelo AddForm test-4");
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    ASSERT_NE(first.Lock(0), 0);
    EXPECT_EQ(second.Lock(20), 0);
    EXPECT_EQ(third.Lock(20), 0);
    first.Unlock();
    EXPECT_NE(second.Lock(0), 0);
}

} // namespace
