#include "platform/core/PlatformLog.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace nv {

namespace {

std::atomic<PlatformLogWriter> g_writer{nullptr};

} // namespace

void SetPlatformLogWriter(PlatformLogWriter writer)
{
    g_writer.store(writer);
}

void PlatformLog(std::string_view source, std::string_view text)
{
    if (PlatformLogWriter writer = g_writer.load()) {
        writer(source, text);
        return;
    }
    const std::string line = std::string(source) + ": " + std::string(text) + "\n";
    std::fputs(line.c_str(), stderr);
}

} // namespace nv
