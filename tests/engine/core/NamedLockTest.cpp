#include "engine/core/NamedLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(NamedLock, SecondLockWithoutUnlockFailsAtOnce)
{
    nv::NamedLock lock("Tavelo AddForm test-1");
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
