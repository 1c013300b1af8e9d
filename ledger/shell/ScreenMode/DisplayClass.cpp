#include "ledger/shell/ScreenMode/DisplayClass.h"

#include "platform/core/PlatformLog.h"

#include <mutex>

namespace nv {

namespace {

std::mutex gMutex;
std::vector<std::string> gRequests;

void Log(const char* request)
{
    std::lock_guard lock(gMutex);
    gRequests.emplace_back(request);
    PlatformLog("ScreenMode", std::string(request) + ": 画面の解像度は変えません");
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
