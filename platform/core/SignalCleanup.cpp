#include "platform/core/SignalCleanup.h"

#include <atomic>
#include <mutex>

#include <signal.h>

namespace nv {
namespace {

constexpr int kMaxCleanups = 8;
std::atomic<SignalCleanup> gCleanups[kMaxCleanups];

void RunCleanups(int sig)
{
    for (auto& slot : gCleanups)
        if (SignalCleanup fn = slot.load()) fn();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void InstallHandlers()
{
    for (int sig : {SIGTERM, SIGINT}) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction act {};
        act.sa_handler = RunCleanups;
        sigemptyset(&act.sa_mask);
        // Both signals wait while one runs the list.
        sigaddset(&act.sa_mask, SIGTERM);
        sigaddset(&act.sa_mask, SIGINT);
        ::sigaction(sig, &act, nullptr);
    }
}

} // namespace

bool AddSignalCleanup(SignalCleanup cleanup)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    for (auto& slot : gCleanups) {
        if (slot.load() != cleanup && slot.load() != nullptr) continue;
        slot.store(cleanup);
        // Again at every call: a child process whose signals were set back
        // to the default gets the handler anew.
        InstallHandlers();
        return true;
    }
    return false;
}

} // namespace nv
