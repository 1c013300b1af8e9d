#include "engine/core/EngineLog.h"

#include "engine/core/Exceptions.h"
#include "engine/core/UserFolder.h"
#include "platform/core/Cp932.h"
#include "platform/db/DbError.h"
#include "platform/core/PlatformLog.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nv {

namespace {

constexpr size_t kKept = 64;
// A line longer than this is cut: one runaway message cannot push a run out.
constexpr size_t kLineBytes = 4096;

// The per-user log file, opened at its first line so that a run with nothing
// to say leaves the earlier runs' lines in place.
struct LogFile {
    std::string path;
    std::string program;
    int fd = -1;
    bool headed = false;

    void Close()
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }

    bool Open()
    {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        return fd >= 0;
    }

    // The older files each move one place on; the oldest goes.
    void MoveAside()
    {
        Close();
        for (int n = kLogFilesKept - 1; n >= 1; --n) {
            const std::string from = n == 1 ? path : path + "." + std::to_string(n - 1);
            ::rename(from.c_str(), (path + "." + std::to_string(n)).c_str());
        }
    }

    // Open on the file now under the name (another process of the program
    // may have moved it aside), with room for `bytes` more.
    bool Ready(size_t bytes)
    {
        struct stat named {};
        struct stat open {};
        if (fd >= 0 && (::stat(path.c_str(), &named) != 0 || ::fstat(fd, &open) != 0 ||
                        named.st_ino != open.st_ino || named.st_dev != open.st_dev))
            Close();
        if (fd < 0 && !Open()) return false;
        if (::fstat(fd, &open) != 0) return false;
        if (open.st_size > 0 && static_cast<uint64_t>(open.st_size) + bytes > kLogFileBytes) {
            MoveAside();
            if (!Open()) return false;
        }
        return true;
    }

    void Write(const std::string& text)
    {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return; // a full disk loses the line, never the program
            done += static_cast<size_t>(n);
        }
    }
};

struct Log {
    std::mutex mutex;
    LogSink sink;
    std::deque<std::string> recent;
    LogFile file;
};

Log& TheLog()
{
    static Log* log = new Log; // used from library callbacks until exit
    return *log;
}

std::string Now()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm {};
    ::localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

// One entry, one line: a message of several lines is joined.
std::string OneLine(std::string_view text)
{
    std::string out(text);
    if (out.size() > kLineBytes) {
        size_t cut = kLineBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut; // a whole character
        out.resize(cut);
        out += "…";
    }
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

void WriteToFile(LogFile& file, const std::string& line)
{
    if (file.path.empty()) return;
    const std::string now = Now();
    std::string text;
    if (!file.headed)
        text = "==== " + now + " " + file.program + " 開始 (プロセス " + std::to_string(::getpid()) + ") ====\n";
    text += now + " " + OneLine(line) + "\n";
    if (!file.Ready(text.size())) return;
    file.Write(text);
    file.headed = true;
}

} // namespace

// What the layers below the engine log joins these lines from the moment this
// library is loaded.
[[maybe_unused]] static const bool g_takesPlatformLines = (SetPlatformLogWriter(&LogLine), true);

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
        WriteToFile(log.file, line);
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

std::string LogText(const std::exception& e)
{
    if (const auto* engine = dynamic_cast<const CException*>(&e)) {
        const std::string detail = engine->LogDetail();
        return Cp932ToUtf8(engine->GetErrorMessage()) + (detail.empty() ? "" : " (" + detail + ")");
    }
    if (const auto* db = dynamic_cast<const DbError*>(&e); db && !db->Detail().empty())
        return std::string(e.what()) + " (" + db->Detail() + ")";
    return e.what();
}

std::string CurrentExceptionText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return LogText(e);
    } catch (...) {
        return "an exception of no known type";
    }
}

std::string StartLogFile(std::string_view program)
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (!log.file.path.empty()) return log.file.path;
    if (program.empty()) program = program_invocation_short_name;
    const std::string folder = UserFolder();
    if (folder.empty() || program.empty() || program.find('/') != std::string_view::npos) return {};
    log.file = LogFile{};
    log.file.program = std::string(program);
    log.file.path = folder + "/" + log.file.program + ".log";
    return log.file.path;
}

std::string LogFilePath()
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    return log.file.path;
}

void StopLogFile()
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    log.file.Close();
    log.file = LogFile{};
}

} // namespace nv
