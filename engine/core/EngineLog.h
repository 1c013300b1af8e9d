#pragma once
// The engine's log: messages for whoever looks into a problem later, not for
// the user at the screen (libraries' own warnings about damaged input, for
// one). Lines go to the sink a program sets; the last ones are kept too.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

using LogSink = std::function<void(std::string_view line)>;

// "source: text" to the sink (none by default: kept only).
void LogLine(std::string_view source, std::string_view text);
void SetLogSink(LogSink sink);
// The last lines logged (at most 64), oldest first.
std::vector<std::string> RecentLogLines();

} // namespace nv
