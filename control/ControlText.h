#pragma once
// Text where the host meets the engine: the host speaks UTF-8, the model
// CP932.
#include "control/ControlErrors.h"

#include <optional>
#include <string>
#include <string_view>

namespace nv {

// A host string for the model; a character CP932 lacks raises 0x800A017C
// naming the member and the character.
std::string HostTextToEngine(std::string_view utf8, std::string_view member);
// Engine text (CP932) for the host.
std::string EngineTextToHost(std::string_view cp932);
// A folder list or file name from the host as the engine's path functions
// take it ("\" separates folders as "/" does); nullopt when it cannot be
// one, which callers treat as a missing file.
std::optional<std::string> HostPathToEngine(std::string_view utf8);
// A host path as a native path: "\" separates folders as "/" does.
std::string HostPath(std::string_view utf8);

} // namespace nv
