#pragma once
// The engine's log: messages for whoever looks into a problem later, not for
// the user at the screen (why a form or a document was refused, a printer
// that was dropped, libraries' own warnings about damaged input). Lines go to
// the per-user log file once a program starts one, to the sink a program
// sets, and the last ones are kept in memory too.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

using LogSink = std::function<void(std::string_view line)>;

// "source: text" (UTF-8) to the file and the sink (neither by default: kept only).
void LogLine(std::string_view source, std::string_view text);
void SetLogSink(LogSink sink);
// The last lines logged (at most 64), oldest first.
std::vector<std::string> RecentLogLines();
// An exception's text for the log: the engine's own carry CP932, and a
// database failure adds the database engine's own words.
std::string LogText(const std::exception& e);
// The text for the log of the exception being handled; call it from a
// catch-all handler, which would otherwise drop the cause.
std::string CurrentExceptionText();

// A log file grows to this size, then moves aside to "<name>.1" (the one
// there to "<name>.2", the oldest going): the last runs are kept and the
// disk never fills.
inline constexpr uint64_t kLogFileBytes = 256 * 1024;
inline constexpr int kLogFilesKept = 3;

// From now on every line also goes to "<program>.log" in the per-user folder,
// with the time, and a heading before this run's first line; an empty
// `program` is the process's own name (a plug-in logs into its host's file).
// The first call of the process decides: later ones change nothing. Returns
// the file's path, empty when the user has no private folder (lines are then
// only kept).
std::string StartLogFile(std::string_view program = {});
// The file lines go to; empty when none.
std::string LogFilePath();
// Closes the file; lines go to none until a log is started again.
void StopLogFile();

} // namespace nv
