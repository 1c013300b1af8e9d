#pragma once
// Lines for the log from the layers below the engine (late binding, paths)
// and from programs that do not link it. The engine's log takes them over as
// soon as its library is loaded; until then they go to standard error.
#include <string_view>

namespace nv {

using PlatformLogWriter = void (*)(std::string_view source, std::string_view text);

void SetPlatformLogWriter(PlatformLogWriter writer);
// "source: text" (UTF-8) to the writer set, else to standard error.
void PlatformLog(std::string_view source, std::string_view text);

} // namespace nv
