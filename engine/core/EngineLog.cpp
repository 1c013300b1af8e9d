#include "engine/core/EngineLog.h"

#include <deque>
#include <mutex>

namespace nv {

namespace {

constexpr size_t kKept = 64;

struct Log {
    std::mutex mutex;
    LogSink sink;
    std::deque<std::string> recent;
};

Log& TheLog()
{
    static Log* log = new Log; // used from library callbacks until exit
    return *log;
}

} // namespace

void LogLine(std::string_view source, std::string_view text)
{
    std::string line(source);
    line += ": ";
    line += text;
    Log& log = TheLog();
    LogSink sink;
    {
        std::lock_guard lock(log.mutex);
        log.recent.push_back(line);
        if (log.recent.size() > kKept) log.recent.pop_front();
        sink = log.sink;
    }
    if (sink) sink(line);
}

void SetLogSink(LogSink sink)
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    log.sink = std::move(sink);
}

std::vector<std::string> RecentLogLines()
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    return {log.recent.begin(), log.recent.end()};
}

} // namespace nv
