#include "ledger/shell/ScreenMode/DisplayClass.h"

#include <cstdio>
#include <mutex>

namespace nv {

namespace {

std::mutex gMutex;
std::vector<std::string> gRequests;

void Log(const char* request)
{
    std::lock_guard lock(gMutex);
    gRequests.emplace_back(request);
    std::fprintf(stderr, "ScreenMode: %s (the display is left as it is)\n", request);
}

} // namespace

void DisplayClass::BindMembers(Binder& b)
{
    b.Method("gsDispIni", [](DisplayClass&, Args) { Log("gsDispIni"); });
    b.Method("gsDispChange", [](DisplayClass&, Args) { Log("gsDispChange"); });
    b.Method("gsDispEnd", [](DisplayClass&, Args) { Log("gsDispEnd"); });
}

const std::vector<std::string>& DisplayClass::Requests()
{
    return gRequests;
}

} // namespace nv
