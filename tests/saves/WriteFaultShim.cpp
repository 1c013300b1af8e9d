#include "WriteFaultShim.h"

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstring>
#include <mutex>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace nvtest {
namespace {

// Plain storage: the C library's calls come in after static destructors too.
std::mutex gMutex;
char gFolder[PATH_MAX]; // empty: nothing fails
WriteStep gStep = WriteStep::Write;
int gNth = 0, gSeen = 0;
bool gFailed = false;

bool Inside(const char* path)
{
    const size_t n = std::strlen(gFolder);
    return path && n && std::strncmp(path, gFolder, n) == 0 && path[n] == '/';
}

std::string PathOf(int fd)
{
    char path[PATH_MAX + 1];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, PATH_MAX);
    return n > 0 ? std::string(path, size_t(n)) : std::string();
}

} // namespace

int FailedStepErrno(WriteStep step)
{
    return step == WriteStep::Write ? ENOSPC : step == WriteStep::Flush ? EIO : EACCES;
}

// True, with errno set, when this step is the one to fail.
bool FailsHere(WriteStep step, int fd, const char* path)
{
    std::lock_guard lock(gMutex);
    if (!gFolder[0] || step != gStep || gFailed) return false;
    if (!Inside(path ? path : PathOf(fd).c_str()) || ++gSeen != gNth) return false;
    gFailed = true;
    errno = FailedStepErrno(step);
    return true;
}

void FailNthStep(const std::string& folder, WriteStep step, int nth)
{
    std::lock_guard lock(gMutex);
    std::snprintf(gFolder, sizeof gFolder, "%s", folder.c_str());
    gStep = step, gNth = nth, gSeen = 0, gFailed = false;
}

bool StopFailing()
{
    std::lock_guard lock(gMutex);
    gFolder[0] = 0;
    return gFailed;
}

} // namespace nvtest

// Each call as the C library's, but for the one step that is to fail.
#define NV_SHIM(ret, name, step, fd, path, params, args)                                                        \
    extern "C" ret name params                                                                                 \
    {                                                                                                          \
        static auto real = reinterpret_cast<ret(*) params>(::dlsym(RTLD_NEXT, #name));                          \
        return nvtest::FailsHere(nvtest::WriteStep::step, fd, path) ? ret(-1) : real args;                     \
    }
NV_SHIM(ssize_t, write, Write, fd, nullptr, (int fd, const void* b, size_t n), (fd, b, n))
NV_SHIM(ssize_t, pwrite, Write, fd, nullptr, (int fd, const void* b, size_t n, off_t at), (fd, b, n, at))
NV_SHIM(ssize_t, pwrite64, Write, fd, nullptr, (int fd, const void* b, size_t n, off64_t at), (fd, b, n, at))
NV_SHIM(int, fsync, Flush, fd, nullptr, (int fd), (fd))
NV_SHIM(int, fdatasync, Flush, fd, nullptr, (int fd), (fd))
NV_SHIM(int, rename, Rename, -1, to, (const char* from, const char* to), (from, to))
